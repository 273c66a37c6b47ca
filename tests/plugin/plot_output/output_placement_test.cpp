// Before a PDF is written: the question before a file is replaced (answered as a person would, by button or
// key), the refusal of an occupied path, the last result they leave, and the output folder.

#include "plot/output_placement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/interface_text.h"
#include "foundation/file_faults.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot/last_result.h"
#include "temp_folder.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/user_actions.h"

namespace {

namespace fs = std::filesystem;

enum class Language { zh, en, hant };

class OutputPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::Application::shared().resetForTesting();
    toolkit::ModalResponder::shared().reset();
    vexBatchPrintRestoreLastResult({});
  }
  void TearDown() override {
    setInterfaceText({});
    foundation::clearFileFaults();
    toolkit::ModalResponder::shared().reset();
    toolkit::Application::shared().resetForTesting();
    vexBatchPrintRestoreLastResult({});
  }

  static void speak(Language language) {
    setInterfaceText({{}, [language](std::string_view zh, std::string_view en, std::optional<std::string_view> hant) {
                        if (language == Language::en) return std::string(en);
                        if (language == Language::hant && hant) return std::string(*hant);
                        return std::string(zh);
                      }});
  }

  std::string file(const std::string& name, const std::string& content = "user's PDF") const {
    std::ofstream(folder_ / name) << content;
    return folder_ / name;
  }
  static std::string contentOf(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static const std::vector<toolkit::AlertRecord>& alerts() { return toolkit::ModalResponder::shared().alerts(); }

  TempFolder folder_{"quodl-placement"};
};

TEST_F(OutputPlacement, NothingThereIsWrittenWithoutAQuestion) {
  bool cancelled = true;
  std::string error = "stale";
  EXPECT_TRUE(QDLConfirmOutputReplacement(folder_ / "new.pdf", true, &cancelled, &error));
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(QDLConfirmOutputReplacement(folder_ / "new.pdf", false, nullptr, nullptr));
  EXPECT_TRUE(alerts().empty());
}

TEST_F(OutputPlacement, AnOccupiedPathIsRefusedWithoutAQuestion) {
  const std::string existing = file("Plan.pdf");
  fs::create_directory(folder_ / "Folder.pdf");
  fs::create_directory_symlink(folder_ / "Folder.pdf", folder_ / "FolderLink.pdf");
  struct Case {
    std::string path;
    bool overwrite;
  };
  for (const Case& c :
       {Case{existing, false}, Case{folder_ / "Folder.pdf", true}, Case{folder_ / "FolderLink.pdf", true}}) {
    SCOPED_TRACE(c.path);
    bool cancelled = true;
    std::string error;
    EXPECT_FALSE(QDLConfirmOutputReplacement(c.path, c.overwrite, &cancelled, &error));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(error, "输出路径已被占用，未覆盖现有文件。");
  }
  EXPECT_TRUE(alerts().empty());
  EXPECT_EQ(contentOf(existing), "user's PDF");

  gBatchPrintLastCancelled = true;
  EXPECT_FALSE(vexBatchConfirmOutputReplacement(foundation::wideFromUtf8Lossy(existing), false));
  EXPECT_FALSE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError, L"输出路径已被占用，未覆盖现有文件。");
}

TEST_F(OutputPlacement, TheQuestionBeforeReplacingDefaultsToCancel) {
  const std::string existing = file("Plan.pdf");
  toolkit::ModalResponder::shared().answerNextAlert([](toolkit::Alert& alert) {
    const auto& buttons = alert.buttons();
    EXPECT_EQ(alert.alertStyle(), toolkit::AlertStyle::warning);
    if (buttons.size() == 2) {
      EXPECT_EQ(buttons[0]->keyEquivalent(), "\r");
      EXPECT_FALSE(buttons[0]->hasDestructiveAction());
      EXPECT_EQ(buttons[1]->keyEquivalent(), "");
      EXPECT_TRUE(buttons[1]->hasDestructiveAction());
    } else {
      ADD_FAILURE() << "two buttons expected";
    }
    return toolkit::kAlertSecondButtonReturn;
  });
  bool cancelled = true;
  EXPECT_TRUE(QDLConfirmOutputReplacement(existing, true, &cancelled, nullptr));
  EXPECT_FALSE(cancelled);
  ASSERT_EQ(alerts().size(), 1u);
  EXPECT_EQ(alerts()[0].messageText, "覆盖“Plan.pdf”？");
  EXPECT_EQ(alerts()[0].informativeText, "此位置已有同名文件。继续将覆盖该文件，取消将停止本次输出。\n\n" + existing);
  EXPECT_EQ(alerts()[0].buttonTitles, (std::vector<std::string>{"取消", "覆盖文件"}));

  // Return, as a person presses it in the alert, keeps the file and counts as a cancellation.
  toolkit::ModalResponder::shared().setInteractiveHandler(
      [](toolkit::Window& modal) { EXPECT_EQ(toolkit::pressKey(&modal, "Return"), ""); });
  gBatchPrintLastError = L"stale";
  EXPECT_FALSE(vexBatchConfirmOutputReplacement(foundation::wideFromUtf8Lossy(existing), true));
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError, L"已取消覆盖，原文件未改变。");
  EXPECT_EQ(alerts().back().response, toolkit::kAlertFirstButtonReturn);
  EXPECT_EQ(contentOf(existing), "user's PDF");
}

TEST_F(OutputPlacement, TheTextsFollowTheInterfaceLanguage) {
  const std::string existing = file("图纸.pdf");
  struct Case {
    Language language;
    const char* message;
    const char* informativeStart;
    std::vector<std::string> buttons;
    const char* declined;
    const char* occupied;
  };
  const Case cases[] = {
      {Language::en,
       "Replace “图纸.pdf”?",
       "A file already exists at this location. Replace it to continue, or cancel to stop this export.\n\n",
       {"Cancel", "Replace file"},
       "Replacement cancelled; the original file is unchanged.",
       "The output path is occupied. Nothing was replaced."},
      {Language::hant,
       "覆蓋「图纸.pdf」？",
       "此位置已有同名檔案。繼續將覆蓋該檔案，取消將停止本次輸出。\n\n",
       {"取消", "覆蓋檔案"},
       "已取消覆蓋，原檔案未改變。",
       "輸出路徑已被佔用，未覆蓋現有檔案。"},
  };
  for (const Case& c : cases) {
    speak(c.language);
    toolkit::ModalResponder::shared().answerNextAlertWithButton(0);
    bool cancelled = false;
    std::string error;
    EXPECT_FALSE(QDLConfirmOutputReplacement(existing, true, &cancelled, &error));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(error, c.declined);
    const toolkit::AlertRecord& shown = alerts().back();
    EXPECT_EQ(shown.messageText, c.message);
    EXPECT_EQ(shown.informativeText, c.informativeStart + existing);
    EXPECT_EQ(shown.buttonTitles, c.buttons);
    EXPECT_FALSE(QDLConfirmOutputReplacement(existing, false, &cancelled, &error));
    EXPECT_EQ(error, c.occupied);
  }
}

TEST_F(OutputPlacement, OutputFoldersAreMadeWithEverythingAbove) {
  EXPECT_TRUE(vexBatchEnsureOutputDirectory(foundation::wideFromUtf8Lossy(folder_ / "a/b/图纸"), true));
  EXPECT_TRUE(fs::is_directory(folder_ / "a/b/图纸"));
  EXPECT_TRUE(vexBatchEnsureOutputDirectory(foundation::wideFromUtf8Lossy(folder_ / "a/b/图纸"), true));
  EXPECT_TRUE(vexBatchEnsureOutputDirectory(foundation::wideFromUtf8Lossy(folder_ / "c/d/Sheets.pdf"), false));
  EXPECT_TRUE(fs::is_directory(folder_ / "c/d"));
  EXPECT_FALSE(fs::exists(folder_ / "c/d/Sheets.pdf"));
}

TEST_F(OutputPlacement, AFolderThatCannotBeMadeSaysWhy) {
  gBatchPrintLastError = L"earlier";
  EXPECT_FALSE(vexBatchEnsureOutputDirectory(L"", true));
  EXPECT_EQ(gBatchPrintLastError, L"earlier");
  // No folder of its own: it would be made wherever the host runs.
  for (const wchar_t* relative : {L"Sheets.pdf", L"out/Sheets.pdf", L"./out"}) {
    EXPECT_FALSE(vexBatchEnsureOutputDirectory(relative, false));
    EXPECT_EQ(gBatchPrintLastError.rfind(L"输出路径是相对路径，请选择完整路径：", 0), 0u) << relative;
  }
  EXPECT_FALSE(fs::exists("out"));

  const std::string blocking = file("report", "keep me");
  EXPECT_FALSE(vexBatchEnsureOutputDirectory(foundation::wideFromUtf8Lossy(blocking + "/out"), true));
  EXPECT_NE(gBatchPrintLastError.find(foundation::wideFromUtf8Lossy(blocking)), std::wstring::npos);
  EXPECT_NE(gBatchPrintLastError.find(L"Not a directory"), std::wstring::npos);
  EXPECT_EQ(contentOf(blocking), "keep me");

  foundation::failNextFileOperation(foundation::FileOperation::mkdir, ENOSPC);
  EXPECT_FALSE(vexBatchEnsureOutputDirectory(foundation::wideFromUtf8Lossy(folder_ / "full"), true));
  EXPECT_NE(gBatchPrintLastError.find(L"No space left on device"), std::wstring::npos);
}

}  // namespace

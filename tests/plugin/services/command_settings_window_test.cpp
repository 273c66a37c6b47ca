// The start-command settings window, driven as a person would: every path through it in one scripted table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cad/environment.h"
#include "cad/host_paths.h"
#include "foundation/user_defaults.h"
#include "host_fixture.h"
#include "services/command_settings_window.h"
#include "services/custom_command.h"
#include "temp_folder.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"

namespace {

constexpr long kSave = 1000, kCancel = 1001, kReset = 1002, kAborted = -1001;

// One showing of the alert: what the person types first (nullopt: leaves the field), and the button.
struct Round {
  std::optional<std::string> type;
  long response;
};

// The alert's editable field and its error label (the wrapping label), found in its accessory view.
toolkit::TextField* fieldOf(toolkit::Alert& alert, bool editable) {
  for (const auto& view : alert.accessoryView()->subviews()) {
    auto* field = dynamic_cast<toolkit::TextField*>(view.get());
    if (field != nullptr && field->isEditable() == editable && (editable || field->frame().origin.y == 0)) return field;
  }
  return nullptr;
}

class CommandSettingsWindowTest : public HostTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    HostTest::SetUp();
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    toolkit::Application::shared().resetForTesting();
    toolkit::ModalResponder::shared().reset();
    std::filesystem::create_directories(folder_ / "support");
    std::ofstream(folder_ / "support/acad.pgp") << "MC,*MOVE\n";
    cad::setSupportFolders({folder_ / "support"});
    ASSERT_TRUE(QDLSetLanguagePreference("en"));
  }
  void TearDown() override {
    alias.reset();
    toolkit::ModalResponder::shared().reset();
    foundation::UserDefaults::setRootForTesting("");
    HostTest::TearDown();
  }

  TempFolder folder_{"quodl-command-window"};
};

TEST_F(CommandSettingsWindowTest, EveryPathThroughTheWindow) {
  const std::string invalid = QDLT("请输入 1–16 位英文字母、数字或下划线，并以字母开头。QUODL 和 DUZOZARED 前缀为保留命令。");
  const std::string occupied = QDLT("该命令已被 AutoCAD、LISP 或快捷命令占用，或快捷命令文件无法读取。请换一个名称。");
  const std::string unsaved = QDLT("命令设置未能保存，原设置未更改。");
  const std::string inactive = QDLT("已保存的自定义命令尚未启用，请更换名称或恢复默认。");
  const std::wstring savedLine = L"\nFerrolin 批打工具：启动命令设置已保存，QUODL 始终可用。";
  struct Case {
    const char* name;
    const wchar_t* saved;         // the stored name before load
    std::vector<Round> rounds;
    bool failSaves = false;       // the host cannot store environment values
    // Seen in the window: the field's text and the error label's at each showing.
    std::vector<std::string> fields, errors;
    std::string active;           // registered afterwards
    std::wstring savedAfter;
    bool printed;                 // the saved message on the command line
  };
  const std::vector<Case> cases = {
      {"save a new name", L"", {{"pp", kSave}}, false, {""}, {""}, "PP", L"PP", true},
      {"save the active name again", L"pp", {{std::nullopt, kSave}}, false, {"pp"}, {""}, "PP", L"PP", true},
      {"save an empty field clears it", L"pp", {{"", kSave}}, false, {"pp"}, {""}, "", L"", true},
      {"reset clears it", L"pp", {{"zz", kReset}}, false, {"pp"}, {""}, "", L"", true},
      {"cancel changes nothing", L"pp", {{"zz", kCancel}}, false, {"pp"}, {""}, "PP", L"pp", false},
      {"an aborted run changes nothing", L"pp", {{"zz", kAborted}}, false, {"pp"}, {""}, "PP", L"pp", false},
      {"an invalid name, then a good one", L"", {{"quodlx", kSave}, {std::nullopt, kSave}, {"good", kSave}}, false,
       {"", "quodlx", "quodlx"}, {"", invalid, invalid}, "GOOD", L"GOOD", true},
      {"a taken name, then cancel", L"", {{"mc", kSave}, {std::nullopt, kCancel}}, false, {"", "mc"},
       {"", occupied}, "", L"", false},
      {"a saved name that cannot be restored shows at once, then reset", L"mc", {{std::nullopt, kReset}}, false,
       {"mc"}, {inactive}, "", L"", true},
      {"a name that cannot be saved", L"", {{"pp", kSave}, {std::nullopt, kCancel}}, true, {"", "pp"},
       {"", unsaved}, "", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cad::resetHostForTesting();
    cad::setSupportFolders({folder_ / "support"});
    ASSERT_EQ(cad::acedSetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", c.saved), cad::RTNORM);
    qdl_command_settings_initialize();
    cad::environment().faults.set = c.failSaves;
    cad::commandLine().clearTranscript();
    toolkit::ModalResponder::shared().reset();

    std::vector<std::string> fields, errors;
    for (const Round& round : c.rounds) {
      toolkit::ModalResponder::shared().answerNextAlert([&, round](toolkit::Alert& alert) {
        toolkit::TextField* field = fieldOf(alert, true);
        fields.push_back(field->stringValue());
        errors.push_back(fieldOf(alert, false)->stringValue());
        if (round.type) {
          EXPECT_TRUE(field->userType(*round.type));
          field->userCommit();
        }
        return round.response;
      });
    }
    qdl_command_settings_show();
    EXPECT_EQ(toolkit::ModalResponder::shared().pendingAlertAnswers(), 0u);
    EXPECT_EQ(fields, c.fields);
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(alias->active(), c.active);
    cad::environment().faults.set = false;
    cad::environment().reload();
    std::wstring saved;
    cad::acedGetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", saved);
    EXPECT_EQ(saved, c.savedAfter);
    const std::wstring lines = transcript();
    EXPECT_EQ(lines.find(savedLine) != std::wstring::npos, c.printed) << foundation::utf8FromWideLossy(lines);
    // The panels go for the window and come back after it, whatever the end.
    const std::size_t hidden = lines.find(L"[vexBatchPrintPanelHide]");
    const std::size_t shown = lines.rfind(L"[vexBatchPrintPanelShow]");
    EXPECT_NE(hidden, std::wstring::npos);
    EXPECT_NE(shown, std::wstring::npos);
    EXPECT_LT(hidden, shown);
    if (!c.active.empty()) {
      EXPECT_NE(cad::commandStack().lookupGlobalCmd(foundation::wideFromUtf8Lossy(c.active).c_str()), nullptr);
    }
    EXPECT_EQ(cad::commandStack().commandsOf(kCustomCommandGroup).size(), c.active.empty() ? 0u : 1u);
    qdl_command_settings_shutdown();
  }
}

TEST_F(CommandSettingsWindowTest, WithoutTheServiceNothingShows) {
  alias.reset();
  qdl_command_settings_show();
  EXPECT_TRUE(toolkit::ModalResponder::shared().alerts().empty());
  EXPECT_EQ(transcript().find(L"[vexBatchPrintPanelHide]"), std::wstring::npos);
}

}  // namespace

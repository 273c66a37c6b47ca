// The new-version window and the start-command settings window as a person sees them, drawn with the real fonts
// in each language: compared with the reference pictures in data/, and every text fitting its place.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "cad/environment.h"
#include "foundation/json.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "host_fixture.h"
#include "label_fit.h"
#include "reference_picture.h"
#include "services/command_settings_window.h"
#include "services/custom_command.h"
#include "services/download_address.h"
#include "services/update_notice_object.h"
#include "temp_folder.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"
#include "ui/localisation.h"

namespace {

struct Language {
  const char* code;
  const char* suffix;
};
constexpr Language kLanguages[] = {{"zh", "zh-Hans"}, {"zh-Hant", "zh-Hant"}, {"en", "en"}};

class ServicesRenderingTest : public HostTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    HostTest::SetUp();
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    toolkit::Application::shared().resetForTesting();
    graphics::setTextMeasurer(nullptr);  // the real fonts, for drawing and measuring alike
  }
  void TearDown() override {
    alias.reset();
    foundation::UserDefaults::setRootForTesting("");
    HostTest::TearDown();
  }
  static std::string compare(toolkit::Window& window, const std::string& name) {
    return ui_test::compareWithReference(window, std::filesystem::path(SERVICES_TEST_DATA_DIR) / (name + ".png"),
                                         SERVICES_TEST_OUTPUT_DIR);
  }

  TempFolder folder_{"quodl-services-rendering"};
};

foundation::Json releaseWithNotes(const std::string& notes) {
  return foundation::Json{{"version", "1.2.0-beta.10"},
                          {"notes", notes},
                          {"download_url", "https://" + std::string(kReleaseStoreHost) +
                                               "/releases/quodline/macos/Quodline-1.2.0-beta.10.pkg"}};
}

TEST_F(ServicesRenderingTest, TheNewVersionWindowLooksAsItsReferencePicturesAndFits) {
  const std::string notes =
      "· 批量打印速度提升约 30%。\n· Layouts without frames now plot each viewport as its own sheet.\n"
      "· 修正：部分 DWG 的中文字体在 PDF 中缺字。\n· The queue skips drawings that are open elsewhere.";
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    ASSERT_TRUE(QDLSetLanguagePreference(language.code));
    QDLUpdateNotice notice(kQuodlVersion, 2025, UpdateConfiguration{});
    notice.showRelease(releaseWithNotes(notes));
    toolkit::Panel& window = *notice.panel();
    EXPECT_EQ(compare(window, std::string("new-version-") + language.suffix), "");
    EXPECT_EQ(ui_test::describe(ui_test::textMisfits(window, {})), "");
    notice.shutdown();
  }
}

TEST_F(ServicesRenderingTest, LongNotesScrollInsteadOfBeingCutOff) {
  std::string notes;
  for (int i = 0; i < 60; ++i) notes += "Line " + std::to_string(i) + ": 修正与改进。\n";
  QDLUpdateNotice notice(kQuodlVersion, 2025, UpdateConfiguration{});
  notice.showRelease(releaseWithNotes(notes));
  EXPECT_EQ(ui_test::describe(ui_test::textMisfits(*notice.panel(), {})), "");
  notice.shutdown();
}

TEST_F(ServicesRenderingTest, TheSettingsWindowLooksAsItsReferencePicturesAndFitsEveryMessage) {
  const char* messages[] = {
      "已保存的自定义命令尚未启用，请更换名称或恢复默认。",
      "请输入 1–16 位英文字母、数字或下划线，并以字母开头。QUODL 和 DUZOZARED 前缀为保留命令。",
      "该命令已被 AutoCAD、LISP 或快捷命令占用，或快捷命令文件无法读取。请换一个名称。",
      "AutoCAD 未能注册此命令，原设置未更改。",
      "命令设置未能保存，原设置未更改。",
      "旧命令未能移除，已恢复原设置。",
      "AutoCAD 未能恢复命令状态，请重启后使用 QUODL 检查设置。",
  };
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    ASSERT_TRUE(QDLSetLanguagePreference(language.code));
    cad::acedSetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", L"MC");
    alias = std::make_unique<qdl::CommandAlias>(customCommandHost());  // saved, not restored
    CommandSettingsWindow w = makeCommandSettingsWindow();
    toolkit::Window& window = w.alert->window();
    EXPECT_EQ(compare(window, std::string("command-settings-") + language.suffix), "");
    for (const char* message : messages) {
      SCOPED_TRACE(message);
      w.errorLabel->setStringValue(QDLT(message));
      EXPECT_EQ(ui_test::describe(ui_test::textMisfits(window, {})), "");
    }
  }
}

}  // namespace

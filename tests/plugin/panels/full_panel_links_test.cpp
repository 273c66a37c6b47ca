// The full panel's recognition status (its text and the one button marked) and its ways to the other windows:
// the commands it queues, the update check it calls, and the uninstaller application it finds, opens or says
// it cannot. The windows those commands open are shown in cadhost (tests/plugin/module).

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "full_panel_output_fixture.h"
#include "panels/services_link.h"
#include "toolkit/alert.h"
#include "toolkit/beep.h"
#include "toolkit/user_actions.h"
#include "toolkit/workspace.h"

namespace panels_test {
namespace {

namespace fs = std::filesystem;

constexpr char kNotFound[] = "未找到卸载器";
constexpr char kNotFoundText[] =
    "请用 Ferrolin 批打工具 1.0.0-beta.1 或更新版安装包覆盖安装，或打开 ZIP 内的“Quodline Uninstaller.app”。";

class FullPanelLinksTest : public FullPanelOutputTest {
 protected:
  void SetUp() override {
    FullPanelOutputTest::SetUp();
    if (const char* home = std::getenv("HOME")) home_ = home;
    ASSERT_TRUE(foundation::createDirectory(folder_ / "home", true));
    setenv("HOME", (folder_ / "home").c_str(), 1);
    toolkit::Workspace::shared().reset();
  }

  void TearDown() override {
    toolkit::Workspace::shared().reset();
    setPanelServicesLink({});
    if (home_) setenv("HOME", home_->c_str(), 1);
    else unsetenv("HOME");
    FullPanelOutputTest::TearDown();
  }

  std::string uninstallerPlace() const { return folder_ / "home/Applications/Quodline Uninstaller.app"; }

  // The uninstaller application as the build lays it out, copied to `place`.
  static void installUninstaller(const std::string& place) {
    fs::create_directories(fs::path(place).parent_path());
    fs::copy(QUODL_UNINSTALLER_APP, place, fs::copy_options::recursive);
  }

  // As a person reaches it: "lite" through the menu that switches the interface, the settings page's buttons
  // on that page, "files" on the home page.
  static void click(const std::string& key) {
    QDLModernWorkspace& workspace = *panel().workspace();
    if (key == "lite") {
      ASSERT_EQ(toolkit::chooseItem(*workspace.editionMenu(), "#2"), "");
      return;
    }
    workspace.showPage(key == "files" ? 0 : 2);
    ASSERT_EQ(toolkit::clickView(*workspace.controls().at(key)), "") << key;
  }

  static bool primary(const char* key) {
    return dynamic_cast<QDLModernButton&>(*panel().workspace()->controls().at(key)).primary();
  }

  std::optional<std::string> home_;
};

TEST_F(FullPanelLinksTest, TheStatusSaysWhichRecognitionIsInForceAndMarksOnlyItsButton) {
  const struct {
    std::int32_t mode;
    std::size_t picked;
    bool rangeActive;
    VexBatchPrintSource rangeKind;
    const char* language;
    const char* text;
    const char* marked;
  } cases[] = {
      {2, 3, false, VexBatchPrintSourceLayout, "zh", "只打印点选范围：3 个对象", "pickFrames"},
      {1, 0, true, VexBatchPrintSourceModel, "zh", "选择图层：TK；已限定模型框选范围", "pickLayer"},
      {3, 0, true, VexBatchPrintSourceLayout, "zh", "选择图块：TB；已限定布局框选范围", "pickBlock"},
      {5, 0, false, VexBatchPrintSourceLayout, "zh", "自动识别", "automatic"},
      {-1, 0, true, VexBatchPrintSourceLayout, "zh", "自动识别；已限定布局框选范围", "automatic"},
      {2, 3, true, VexBatchPrintSourceModel, "en", "Selected objects only: 3; selected area in Model", "pickFrames"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    useLanguage(c.language);
    VexBatchPrintPanelController& p = panel();
    // Every button starts marked, so that an unmarked one shows the status took the mark away.
    for (const char* key : {"automatic", "pickLayer", "pickBlock", "pickFrames"}) {
      dynamic_cast<QDLModernButton&>(*p.workspace()->controls().at(key)).setPrimary(true);
    }
    gBatchFrameRecognitionMode = c.mode;
    gBatchDesignatedFrameLayer = L"TK";
    gBatchDesignatedFrameBlock = L"TB";
    gBatchSelectedFrameEntityIds.assign(c.picked, cad::ObjectId{});
    gBatchLayoutSelectionRange = {c.rangeKind, L"A3 Block", 0, 0, 100, 100, c.rangeActive};
    p.updateRecognitionStatus();
    EXPECT_EQ(p.recognitionStatusLabel()->stringValue(), c.text);
    for (const char* key : {"automatic", "pickLayer", "pickBlock", "pickFrames"}) {
      EXPECT_EQ(primary(key), std::string(key) == c.marked) << key;
    }
    EXPECT_FALSE(primary("range"));
    EXPECT_FALSE(primary("clearRange"));
    vexBatchFullPanelShutdown();
  }
}

TEST_F(FullPanelLinksTest, TheLinksQueueTheirCommandsAndOnlyTheSettingsMakeThePanelStepAside) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  const struct {
    const char* key;
    const char* command;
    bool stepsAside;
  } cases[] = {
      {"lite", "DUZOZAREDLITE", false},
      {"files", "DUZOZAREDFILES", false},
      {"command", "DUZOZAREDCOMMAND", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    p.panel()->makeKeyAndOrderFront();
    while (cad::docManager().currentInput().next()) {
    }
    click(c.key);
    EXPECT_EQ(queued(), std::string("\x1b\x1b_") + c.command + " ");
    EXPECT_EQ(p.panel()->isVisible(), !c.stepsAside);
  }

  int checks = 0;
  setPanelServicesLink({[&checks] { ++checks; }});
  while (cad::docManager().currentInput().next()) {
  }
  p.panel()->makeKeyAndOrderFront();
  click("update");
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(queued(), "");
  EXPECT_TRUE(p.panel()->isVisible());
}

// With no drawing the command cannot be queued: the beep says so, and the panel has stepped aside all the same.
TEST_F(FullPanelLinksTest, TheSettingsLinkHidesThePanelEvenWhenItsCommandCannotBeQueued) {
  VexBatchPrintPanelController& p = shown();
  ASSERT_TRUE(p.panel()->isVisible());
  const long beeps = toolkit::beepCount();
  click("command");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_FALSE(p.panel()->isVisible());
}

TEST_F(FullPanelLinksTest, AnUninstallerIsOpenedOnlyFromTheUsersApplicationsWithItsOwnIdentifier) {
  VexBatchPrintPanelController& p = shown();
  const auto alerts = [] { return toolkit::ModalResponder::shared().alerts().size(); };
  const auto expectNotFound = [&](const char* what) {
    SCOPED_TRACE(what);
    const std::size_t before = alerts();
    click("uninstall");
    foundation::MainQueue::main().drain();
    ASSERT_EQ(alerts(), before + 1);
    const toolkit::AlertRecord& alert = toolkit::ModalResponder::shared().alerts().back();
    EXPECT_EQ(alert.messageText, kNotFound);
    EXPECT_EQ(alert.informativeText, kNotFoundText);
    EXPECT_EQ(alert.buttonTitles, std::vector<std::string>{"OK"});
    EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
    EXPECT_TRUE(p.panel()->isVisible());
  };

  expectNotFound("nothing installed");
  // A copy beside the home folder, as one only in the system's Applications folder, is not looked at.
  installUninstaller(folder_ / "Applications/Quodline Uninstaller.app");
  expectNotFound("only outside the home folder");
  fs::create_directories(uninstallerPlace());
  expectNotFound("a folder that is no bundle");
  fs::remove_all(uninstallerPlace());
  installUninstaller(uninstallerPlace());
  const std::string info = uninstallerPlace() + "/Contents/Info.plist";
  const std::string declared = foundation::readFile(info).data;
  const std::string identifier = QUODL_UNINSTALLER_BUNDLE_IDENTIFIER;
  const std::size_t at = declared.find(identifier);
  ASSERT_NE(at, std::string::npos);
  ASSERT_TRUE(foundation::writeFileAtomically(
      info, declared.substr(0, at) + "com.example.other" + declared.substr(at + identifier.size())));
  expectNotFound("another application's identifier");

  // The uninstaller the build lays out, in the user's Applications folder: opened, and nothing is said.
  fs::remove_all(uninstallerPlace());
  installUninstaller(uninstallerPlace());
  const std::size_t before = alerts();
  click("uninstall");
  foundation::MainQueue::main().drain();
  ASSERT_EQ(toolkit::Workspace::shared().records().size(), 1u);
  const toolkit::WorkspaceRecord& opened = toolkit::Workspace::shared().records().front();
  EXPECT_EQ(opened.kind, toolkit::WorkspaceRecord::Kind::openApplication);
  EXPECT_EQ(opened.targets, std::vector<std::string>{uninstallerPlace()});
  EXPECT_TRUE(opened.succeeded);
  EXPECT_EQ(alerts(), before);
  EXPECT_TRUE(p.panel()->isVisible());

  // An open that fails says why, from the main queue once the workspace has reported it.
  toolkit::Workspace::shared().setFailure("The application is damaged.");
  click("uninstall");
  EXPECT_EQ(alerts(), before);
  foundation::MainQueue::main().drain();
  ASSERT_EQ(alerts(), before + 1);
  const toolkit::AlertRecord& failed = toolkit::ModalResponder::shared().alerts().back();
  EXPECT_EQ(failed.messageText, "卸载器无法打开");
  EXPECT_EQ(failed.informativeText, "The application is damaged.");
  EXPECT_TRUE(p.panel()->isVisible());
}

}  // namespace
}  // namespace panels_test

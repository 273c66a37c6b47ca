// Alerts, open and save panels, menus and the workspace, answered by the modal responder and recorded.

#include <fstream>

#include "toolkit/alert.h"
#include "toolkit/file_panels.h"
#include "toolkit/menu.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

class ModalTest : public ToolkitTest {
 protected:
  std::string touch(const std::string& name) {
    std::ofstream(path(name)) << "x";
    return path(name);
  }
};

std::unique_ptr<Alert> alertWith(std::vector<std::string> buttons) {
  auto alert = std::make_unique<Alert>();
  alert->setMessageText("启动命令");
  alert->setInformativeText("Startup command");
  for (const auto& title : buttons) alert->addButtonWithTitle(title);
  return alert;
}

TEST_F(ModalTest, AlertsAnswerByButtonPositionAndAreRecorded) {
  ModalResponder& responder = ModalResponder::shared();
  responder.answerNextAlertWithButton(2);
  EXPECT_EQ(alertWith({"Save", "Cancel", "Reset"})->runModal(), 1002);
  // Unscripted: the first button; without buttons, an "OK" button is added.
  auto bare = std::make_unique<Alert>();
  bare->setMessageText("Done");
  EXPECT_EQ(bare->runModal(), kAlertFirstButtonReturn);
  ASSERT_EQ(responder.alerts().size(), 2u);
  EXPECT_EQ(responder.alerts()[0].buttonTitles, (std::vector<std::string>{"Save", "Cancel", "Reset"}));
  EXPECT_EQ(responder.alerts()[0].response, 1002);
  EXPECT_EQ(responder.alerts()[0].informativeText, "Startup command");
  EXPECT_EQ(responder.alerts()[1].buttonTitles, (std::vector<std::string>{"OK"}));
  EXPECT_EQ(Alert::current(), nullptr);
}

TEST_F(ModalTest, AScriptedAnswerCanUseTheAccessoryViewBeforeAnswering) {
  auto alert = alertWith({"Save", "Cancel"});
  auto accessory = std::make_shared<View>(Rect{0, 0, 360, 142});
  auto field = TextField::textFieldWithString("QUODL");
  field->setIdentifier("name");
  field->setFrame({100, 78, 260, 24});
  accessory->addSubview(field);
  alert->setAccessoryView(accessory);
  ModalResponder::shared().answerNextAlert([](Alert& shown) {
    EXPECT_EQ(Alert::current(), &shown);
    EXPECT_TRUE(shown.window().isVisible());
    auto* name = dynamic_cast<TextField*>(findView(shown.window(), "name"));
    EXPECT_EQ(typeInto(*name, "PLOTALL"), "");
    return kAlertFirstButtonReturn;
  });
  EXPECT_EQ(alert->runModal(), kAlertFirstButtonReturn);
  EXPECT_EQ(field->stringValue(), "PLOTALL");
  EXPECT_FALSE(alert->window().isVisible());
  EXPECT_TRUE(ModalResponder::shared().alerts().back().hasAccessoryView);
}

TEST_F(ModalTest, WithoutAScriptTheInteractiveHandlerClicksOrPressesKeys) {
  ModalResponder::shared().setInteractiveHandler([](Window& modal) {
    EXPECT_EQ(modal.identifier(), "alert");
    EXPECT_EQ(pressKey(&modal, "Escape"), "");  // "Cancel" answers Escape
  });
  EXPECT_EQ(alertWith({"Save", "Cancel"})->runModal(), kAlertSecondButtonReturn);
  ModalResponder::shared().setInteractiveHandler([](Window& modal) {
    EXPECT_EQ(clickView(*findView(modal, "button1")), "");
  });
  EXPECT_EQ(alertWith({"Save", "Cancel"})->runModal(), kAlertFirstButtonReturn);
}

TEST_F(ModalTest, OpenPanelsTakeOnlyWhatAPersonCouldChoose) {
  const std::string drawing = touch("plan.dwg");
  const std::string text = touch("notes.txt");
  ModalResponder& responder = ModalResponder::shared();
  OpenPanel files;
  files.setAllowedFileTypes({"dwg"});
  files.setAllowsMultipleSelection(true);
  responder.answerNextFilePanel({true, {drawing}});
  EXPECT_EQ(files.runModal(), kModalResponseOK);
  EXPECT_EQ(files.URLs(), (std::vector<std::string>{drawing}));

  struct Case {
    std::vector<std::string> paths;
    bool folders;
    bool multiple;
    const char* why;
  };
  const Case refused[] = {
      {{text}, false, true, "not of a type"},
      {{path("missing.dwg")}, false, true, "does not exist"},
      {{folder_.path()}, false, true, "is a folder"},
      {{drawing}, true, false, "is a file"},
      {{drawing, drawing}, false, false, "only one"},
  };
  for (const Case& c : refused) {
    OpenPanel panel;
    panel.setAllowedFileTypes({"dwg"});
    panel.setCanChooseDirectories(c.folders);
    panel.setCanChooseFiles(!c.folders);
    panel.setAllowsMultipleSelection(c.multiple);
    responder.answerNextFilePanel({true, c.paths});
    EXPECT_EQ(panel.runModal(), kModalResponseCancel) << c.why;
    EXPECT_TRUE(panel.URLs().empty());
    EXPECT_NE(responder.filePanels().back().refusal.find(c.why), std::string::npos)
        << responder.filePanels().back().refusal;
  }
  // Unscripted, a panel is cancelled; its settings are on record.
  OpenPanel folders;
  folders.setCanChooseFiles(false);
  folders.setCanChooseDirectories(true);
  folders.setCanCreateDirectories(true);
  EXPECT_EQ(folders.runModal(), kModalResponseCancel);
  const FilePanelRecord& record = responder.filePanels().back();
  EXPECT_TRUE(record.canChooseDirectories);
  EXPECT_FALSE(record.canChooseFiles);
  EXPECT_TRUE(record.canCreateDirectories);
  EXPECT_FALSE(record.isSavePanel);
}

TEST_F(ModalTest, SavePanelsNeedAnExistingFolderAndAddTheAllowedExtension) {
  ModalResponder& responder = ModalResponder::shared();
  SavePanel panel;
  panel.setAllowedFileTypes({"pdf"});
  responder.answerNextFilePanel({true, {path("Output")}});
  EXPECT_EQ(panel.runModal(), kModalResponseOK);
  EXPECT_EQ(panel.URL(), path("Output.pdf"));
  responder.answerNextFilePanel({true, {path("Sheets.PDF")}});
  EXPECT_EQ(panel.runModal(), kModalResponseOK);
  EXPECT_EQ(panel.URL(), path("Sheets.PDF"));
  responder.answerNextFilePanel({true, {path("no/such/folder/x.pdf")}});
  EXPECT_EQ(panel.runModal(), kModalResponseCancel);
  EXPECT_EQ(panel.URL(), "");
  responder.answerNextFilePanel(FilePanelAnswer::cancel());
  EXPECT_EQ(panel.runModal(), kModalResponseCancel);
  EXPECT_TRUE(responder.filePanels().back().isSavePanel);
}

TEST_F(ModalTest, AFilePanelShownInteractivelyKeepsAskingAfterARefusal) {
  const std::string drawing = touch("a.dwg");
  OpenPanel panel;
  std::vector<std::string> refusals;
  ModalResponder::shared().setInteractiveHandler([&](Window&) {
    ASSERT_EQ(SavePanel::current(), &panel);
    refusals.push_back(panel.choose({path("nothing.dwg")}));
    refusals.push_back(panel.choose({drawing}));
  });
  EXPECT_EQ(panel.runModal(), kModalResponseOK);
  ASSERT_EQ(refusals.size(), 2u);
  EXPECT_NE(refusals[0], "");
  EXPECT_EQ(refusals[1], "");
  EXPECT_EQ(panel.URL(), drawing);
}

TEST_F(ModalTest, ContextMenusPickTheScriptedItemThroughSubmenus) {
  Menu menu;
  std::vector<std::string> ran;
  auto language = menu.addItemWithTitle("Language");
  auto languages = std::make_shared<Menu>("Language");
  languages->addItemWithTitle("English", [&](MenuItem& item) { ran.push_back(item.title()); })->setState(1);
  languages->addItemWithTitle("简体中文", [&](MenuItem& item) { ran.push_back(item.title()); });
  language->setSubmenu(languages);
  menu.addItem(MenuItem::separatorItem());
  auto off = menu.addItemWithTitle("Lite", [&](MenuItem&) { ran.push_back("Lite"); });
  off->setEnabled(false);
  ModalResponder& responder = ModalResponder::shared();
  responder.pickNextMenuItem({"Language", "简体中文"});
  EXPECT_EQ(Menu::popUpContextMenu(menu, nullptr, nullptr)->title(), "简体中文");
  responder.pickNextMenuItem({"Lite"});
  EXPECT_EQ(Menu::popUpContextMenu(menu, nullptr, nullptr), nullptr);
  responder.pickNextMenuItem({"Language"});  // a submenu is not an item to pick
  EXPECT_EQ(Menu::popUpContextMenu(menu, nullptr, nullptr), nullptr);
  EXPECT_EQ(Menu::popUpContextMenu(menu, nullptr, nullptr), nullptr);  // nothing scripted: dismissed
  EXPECT_EQ(ran, (std::vector<std::string>{"简体中文"}));
  ASSERT_EQ(responder.menus().size(), 4u);
  EXPECT_EQ(responder.menus()[0].itemTitles, (std::vector<std::string>{"Language", "Lite"}));
  EXPECT_EQ(responder.menus()[0].picked, (std::vector<std::string>{"Language", "简体中文"}));
  EXPECT_EQ(languages->itemAtIndex(0)->state(), 1);
  EXPECT_EQ(menu.indexOfItemWithTitle("Lite"), 2);
}

TEST_F(ModalTest, TheWorkspaceRecordsEveryRequestAndFailsWhenTold) {
  Workspace& workspace = Workspace::shared();
  const std::string file = touch("out.pdf");
  EXPECT_TRUE(workspace.openURL(file));
  EXPECT_TRUE(workspace.openURL("file://" + folder_.path()));
  EXPECT_FALSE(workspace.openURL(path("gone.pdf")));
  EXPECT_TRUE(workspace.openURL("https://example.com/releases"));
  workspace.activateFileViewerSelectingURLs({file});
  workspace.setFailure("The operation couldn't be completed.");
  EXPECT_FALSE(workspace.openURL(file));
  std::optional<std::string> error = "not called";
  workspace.openApplication(path("Uninstall.app"), [&](std::optional<std::string> e) { error = std::move(e); });
  EXPECT_EQ(error, "not called");  // the completion comes later, on the main queue
  foundation::MainQueue::main().drain();
  EXPECT_EQ(error, "The operation couldn't be completed.");
  using Kind = WorkspaceRecord::Kind;
  const auto& records = workspace.records();
  ASSERT_EQ(records.size(), 7u);
  const Kind kinds[] = {Kind::openFile, Kind::openFolder, Kind::openFile, Kind::openAddress,
                        Kind::revealInFileViewer, Kind::openFile, Kind::openApplication};
  for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].kind, kinds[i]) << i;
  EXPECT_EQ(records[1].targets, (std::vector<std::string>{folder_.path()}));
  EXPECT_FALSE(records[2].succeeded);
  workspace.setFailure(std::nullopt);
  workspace.openApplication(folder_.path(), [&](std::optional<std::string> e) { error = std::move(e); });
  foundation::MainQueue::main().drain();
  EXPECT_EQ(error, std::nullopt);
}

}  // namespace
}  // namespace toolkit_test

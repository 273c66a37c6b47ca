// The queue panel's window and options: saved settings, the style list, enabling, stopping and closing.
#include <string>
#include <vector>

#include "foundation/user_defaults.h"
#include "queue_fixture.h"
#include "toolkit/button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"

namespace queue_test {
namespace {

foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }

std::vector<std::string> styleItems(const toolkit::PopUpButton& popup) { return popup.itemTitles(); }

TEST_F(QueueTest, AFirstStartShowsTheCallersChoicesAndTheWindowAsLaidOut) {
  QDLFileQueuePanel& panel = makePanel();
  QDLApplicationPanel& window = *panel.panel();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.title(), "多文件 / 文件夹批打 · 专业版");
  EXPECT_EQ(window.contentRect().size, (toolkit::Size{850, 620}));
  EXPECT_EQ(panel.sourceMode()->selectedSegment(), 0);
  EXPECT_EQ(panel.outputMode()->titleOfSelectedItem(), "按 CAD 文件分别合并");
  EXPECT_EQ(panel.paperMode()->titleOfSelectedItem(), "自动");
  EXPECT_EQ(panel.scaleField()->stringValue(), "100");
  EXPECT_EQ(panel.plotStyleMode()->titleOfSelectedItem(), "使用图纸原打印样式");
  EXPECT_EQ(panel.fileOrder()->titleOfSelectedItem(), "手动排序");
  EXPECT_EQ(panel.pageOrder()->titleOfSelectedItem(), "自然顺序");
  EXPECT_EQ(panel.configuration()->stringValue(), "全部布局 · 按 CAD 文件分别合并 · 自动 · 比例 100%");
  EXPECT_EQ(panel.status()->stringValue(), "添加 DWG 或文件夹。开始前检查已打开图纸，源 DWG 不保存。");
  EXPECT_EQ(styleItems(*panel.plotStyleMode()),
            (std::vector<std::string>{"使用图纸原打印样式", "acad.ctb", "monochrome.ctb"}));
  EXPECT_FALSE(panel.cancelButton()->isEnabled());
  EXPECT_TRUE(panel.startButton()->isEnabled());

  std::vector<std::string> editing;
  for (const auto& control : panel.editingControls()) editing.push_back(control->identifier());
  EXPECT_EQ(editing, (std::vector<std::string>{"addFiles", "addFolder", "recursive", "remove", "sourceMode",
                                               "outputMode", "paperMode", "plotStyleMode", "scaleField", "fileOrder",
                                               "moveUp", "moveDown", "pageOrder", "chooseOutput"}));
}

TEST_F(QueueTest, SavedOptionsAreReadOnceAndClampedToTheirRanges) {
  defaults().setInteger(7, "Quodline.Queue.Output");
  defaults().setInteger(0, "Quodline.Queue.Scale");
  defaults().setInteger(-3, "Quodline.Queue.Paper");
  defaults().setInteger(1, "Quodline.Queue.Source");
  defaults().setInteger(9, "Quodline.Queue.PageOrder");
  defaults().setInteger(2, "Quodline.Queue.FileOrder");
  defaults().setString("old-office.ctb", "Quodline.Queue.Style");
  QDLFileQueuePanel& panel = makePanel();
  EXPECT_EQ(panel.outputMode()->indexOfSelectedItem(), 2);
  EXPECT_EQ(panel.scaleField()->stringValue(), "1");
  EXPECT_EQ(panel.paperMode()->indexOfSelectedItem(), 0);
  EXPECT_EQ(panel.sourceMode()->selectedSegment(), 1);
  EXPECT_EQ(panel.pageOrder()->indexOfSelectedItem(), 2);
  EXPECT_EQ(panel.fileOrder()->indexOfSelectedItem(), 2);
  // A stored style no longer offered is listed last and stays chosen.
  EXPECT_EQ(styleItems(*panel.plotStyleMode()),
            (std::vector<std::string>{"使用图纸原打印样式", "acad.ctb", "monochrome.ctb", "old-office.ctb"}));
  EXPECT_EQ(panel.uniformStyle(), "old-office.ctb");

  // Later calls keep what the user chose now, and only refill the list.
  defaults().setInteger(0, "Quodline.Queue.Output");
  panel.panel()->makeKeyAndOrderFront();
  ASSERT_EQ(toolkit::chooseItem(*panel.plotStyleMode(), "acad.ctb"), "");
  panel.configureModel(true, 0, 3, 50, "zzz.ctb", {"acad.ctb", "screening.ctb"});
  EXPECT_EQ(panel.outputMode()->indexOfSelectedItem(), 2);
  EXPECT_EQ(panel.sourceMode()->selectedSegment(), 1);
  EXPECT_EQ(styleItems(*panel.plotStyleMode()),
            (std::vector<std::string>{"使用图纸原打印样式", "acad.ctb", "screening.ctb"}));
  EXPECT_EQ(panel.uniformStyle(), "acad.ctb");
}

TEST_F(QueueTest, AStoredEmptyStyleMeansTheDrawingsOwn) {
  defaults().setString("", "Quodline.Queue.Style");
  gBatchFilePanel = std::make_shared<QDLFileQueuePanel>();
  gBatchFilePanel->configureModel(false, 1, 0, 100, "acad.ctb", {"acad.ctb"});
  EXPECT_EQ(gBatchFilePanel->uniformStyle(), "");
}

TEST_F(QueueTest, EveryOptionChangeIsSavedButAScaleOutOfRangeIsNot) {
  QDLFileQueuePanel& panel = makePanel();
  panel.panel()->makeKeyAndOrderFront();
  ASSERT_EQ(toolkit::chooseSegment(*panel.sourceMode(), "模型空间"), "");
  ASSERT_EQ(toolkit::chooseItem(*panel.paperMode(), "A3"), "");
  ASSERT_EQ(toolkit::chooseItem(*panel.plotStyleMode(), "monochrome.ctb"), "");
  ASSERT_EQ(toolkit::typeInto(*panel.scaleField(), "150"), "");
  EXPECT_EQ(defaults().integerForKey("Quodline.Queue.Source"), 1);
  EXPECT_EQ(defaults().integerForKey("Quodline.Queue.Paper"), 2);
  EXPECT_EQ(defaults().stringForKey("Quodline.Queue.Style"), "monochrome.ctb");
  EXPECT_EQ(defaults().integerForKey("Quodline.Queue.Output"), 1);
  EXPECT_EQ(defaults().integerForKey("Quodline.Queue.Scale"), 100) << "the last usable scale stays";
  EXPECT_EQ(panel.configuration()->stringValue(), "模型空间 · 按 CAD 文件分别合并 · A3 · 比例 150%");
  EXPECT_EQ(panel.plotStyleMode()->toolTip(), "monochrome.ctb");
  ASSERT_EQ(toolkit::typeInto(*panel.scaleField(), "40"), "");
  EXPECT_EQ(defaults().integerForKey("Quodline.Queue.Scale"), 40);
}

TEST_F(QueueTest, TheArrowsFollowTheSelectionAndNothingEditsWhileBusy) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree.file("a.dwg"), tree.file("b.dwg"), tree.file("c.dwg")});
  toolkit::TableView& table = *panel.table();
  struct Case {
    std::set<long> selection;
    bool up, down;
  };
  for (const Case& c :
       {Case{{0, 1}, false, true}, Case{{2}, true, false}, Case{{}, false, false}, Case{{1}, true, true}}) {
    table.selectRowIndexes(c.selection, false);
    if (c.selection.empty()) table.deselectAll();
    EXPECT_EQ(panel.moveUpButton()->isEnabled(), c.up);
    EXPECT_EQ(panel.moveDownButton()->isEnabled(), c.down);
  }

  panel.setBusy(true);
  for (const auto& control : panel.editingControls()) EXPECT_FALSE(control->isEnabled()) << control->identifier();
  EXPECT_FALSE(panel.startButton()->isEnabled());
  EXPECT_TRUE(panel.cancelButton()->isEnabled());
  EXPECT_EQ(panel.cancelButton()->title(), "停止队列");
  EXPECT_TRUE(panel.revealButton()->isEnabled());
  // Actions refused while busy change nothing.
  table.selectRowIndexes({0}, false);
  panel.remove();
  panel.moveDown();
  EXPECT_EQ(panel.items().size(), 3u);
  EXPECT_EQ(defaults().hasKey("Quodline.Queue.FileOrder"), false);
}

TEST_F(QueueTest, ClosingHidesTheWindowButNotDuringARun) {
  QDLFileQueuePanel& panel = makePanel();
  panel.panel()->makeKeyAndOrderFront();
  int cancels = 0;
  panel.setCancelHandler([&] { ++cancels; });
  panel.setBusy(true);
  ASSERT_EQ(toolkit::pressCloseButton(*panel.panel()), "");
  EXPECT_TRUE(panel.panel()->isVisible());
  EXPECT_EQ(panel.status()->stringValue(), "请先停止队列，等待当前文件结束。");
  // Stop asks the run to stop through the handler the command installed.
  ASSERT_EQ(toolkit::clickView(*panel.cancelButton()), "");
  EXPECT_EQ(cancels, 1);

  panel.setBusy(false);
  ASSERT_EQ(toolkit::pressCloseButton(*panel.panel()), "");
  EXPECT_FALSE(panel.panel()->isVisible());
  // Hidden, not closed: the same window comes back.
  panel.panel()->makeKeyAndOrderFront();
  EXPECT_TRUE(panel.panel()->isVisible());
}

TEST_F(QueueTest, AnOutputFolderIsChosenAndKeptUntilUnload) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  toolkit::ModalResponder::shared().answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
  panel.chooseOutput();
  EXPECT_EQ(panel.outputRoot(), "");
  toolkit::ModalResponder::shared().answerNextFilePanel({true, {tree.folder("out")}});
  panel.chooseOutput();
  EXPECT_EQ(panel.outputRoot(), tree / "out");
  EXPECT_EQ(panel.status()->stringValue(), tree / "out");
  const toolkit::FilePanelRecord& record = toolkit::ModalResponder::shared().filePanels().back();
  EXPECT_TRUE(record.canChooseDirectories);
  EXPECT_FALSE(record.canChooseFiles);
  EXPECT_TRUE(record.canCreateDirectories);
}

TEST_F(QueueTest, ALanguageChangeRetranslatesAndKeepsTheSelectionAndScrollPosition) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  std::vector<std::string> files;
  for (int i = 0; i < 20; ++i) files.push_back(tree.file("d" + std::to_string(i + 10) + ".dwg"));
  add(panel, files);
  panel.panel()->makeKeyAndOrderFront();
  panel.table()->selectRowIndexes({14, 15}, false);
  panel.scrollView()->contentView().scrollToPoint({0, 300});
  const toolkit::Point origin = panel.scrollView()->documentVisibleRect().origin;
  ASSERT_GT(origin.y, 0);

  useLanguage("en");
  EXPECT_EQ(panel.panel()->title(), "Files / folders · Pro");
  EXPECT_EQ(panel.cancelButton()->title(), "Stop queue");
  EXPECT_EQ(panel.configuration()->stringValue(), "All layouts · Merged PDF per drawing · Auto size · Scale 100%");
  EXPECT_EQ(panel.table()->selectedRowIndexes(), (std::set<long>{14, 15}));
  EXPECT_EQ(panel.scrollView()->documentVisibleRect().origin, origin);
  toolkit::TextField* state = cellLabel(panel, "state", 15);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->stringValue(), "Pending");
}

}  // namespace
}  // namespace queue_test

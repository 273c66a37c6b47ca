// The queue panel's rows: cells, the rows' own styles, ordering, removing, starting and revealing.
#include <string>
#include <vector>

#include "foundation/user_defaults.h"
#include "queue_fixture.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"

namespace queue_test {
namespace {

std::string cellText(QDLFileQueuePanel& panel, const char* column, long row) {
  toolkit::TextField* cell = QueueTest::cellLabel(panel, column, row);
  return cell != nullptr ? cell->stringValue() : "(no cell)";
}

QDLQueueStylePopup& styleCell(QDLFileQueuePanel& panel, long row) {
  auto* cell = dynamic_cast<QDLQueueStylePopup*>(panel.table()->viewAtColumn(2, row, true));
  if (cell == nullptr) throw std::runtime_error("no style cell");
  return *cell;
}

TEST_F(QueueTest, CellsShowOrderNameStyleStateAndMessage) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree.file("x/a.dwg"), tree.file("x/b.dwg"), tree.file("x/很长的图纸名称.dwg")});
  std::vector<std::string> titles;
  for (const auto& column : panel.table()->tableColumns()) titles.push_back(column->headerTitle());
  EXPECT_EQ(titles, (std::vector<std::string>{"顺序", "DWG 文件", "打印样式", "状态", "详情"}));
  EXPECT_EQ(cellText(panel, "order", 2), "3");
  EXPECT_EQ(cellText(panel, "name", 2), "很长的图纸名称.dwg");
  EXPECT_EQ(cellText(panel, "state", 0), "待处理");
  // A path is shown untranslated and gives way in its middle.
  EXPECT_EQ(cellText(panel, "message", 1), tree / "x/b.dwg");
  toolkit::TextField* message = cellLabel(panel, "message", 1);
  EXPECT_EQ(message->lineBreakMode(), graphics::LineBreakMode::truncatingMiddle);
  toolkit::TextField* name = cellLabel(panel, "name", 1);
  EXPECT_EQ(name->toolTip(), tree / "x/b.dwg");

  // Stored in one language, shown in the current one.
  panel.items()[0]->state = QDLT("部分完成");
  panel.items()[0]->message = "未找到匹配图框；未改用其他识别规则";
  useLanguage("en");
  EXPECT_EQ(cellText(panel, "state", 0), "Partial");
  EXPECT_EQ(cellText(panel, "message", 0), "No matching frames; no fallback rules were used");
  EXPECT_TRUE(QDLQueueStateIs(*panel.items()[0], qdl_queue_state::partial));
}

TEST_F(QueueTest, ARowsStylePopupStoresItsOwnChoice) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  panel.panel()->makeKeyAndOrderFront();
  ASSERT_EQ(toolkit::chooseItem(*panel.plotStyleMode(), "acad.ctb"), "");
  add(panel, {tree.file("a.dwg")});
  const QDLQueueRow row = panel.items()[0];
  QDLQueueStylePopup& popup = styleCell(panel, 0);
  EXPECT_EQ(popup.itemTitles(),
            (std::vector<std::string>{"跟随统一设置", "使用图纸原打印样式", "acad.ctb", "monochrome.ctb"}));
  EXPECT_EQ(popup.toolTip(), "跟随统一：acad.ctb");
  EXPECT_EQ(popup.queueItem, row);

  ASSERT_EQ(toolkit::chooseItem(popup, "使用图纸原打印样式"), "");
  EXPECT_EQ(row->styleOverride, std::optional<std::string>(""));
  EXPECT_EQ(QDLQueueEffectiveStyle(*row, panel.uniformStyle()), "");
  EXPECT_EQ(popup.toolTip(), "单独设置：使用图纸原打印样式");
  ASSERT_EQ(toolkit::chooseItem(popup, "跟随统一设置"), "");
  EXPECT_FALSE(row->styleOverride);

  // A style the list no longer holds is still listed for the row that has it.
  row->styleOverride = "gone.stb";
  panel.refresh();
  EXPECT_EQ(styleCell(panel, 0).titleOfSelectedItem(), "gone.stb");
  // Busy: the row's pop-up is disabled; a pop-up whose row went changes nothing.
  panel.setBusy(true);
  EXPECT_FALSE(styleCell(panel, 0).isEnabled());
  panel.setBusy(false);
  QDLQueueStylePopup& stale = styleCell(panel, 0);
  panel.table()->selectRowIndexes({0}, false);
  panel.remove();
  stale.selectItemAtIndex(1);
  panel.fileStyleChanged(stale);
  EXPECT_EQ(row->styleOverride, std::optional<std::string>("gone.stb"));
}

TEST_F(QueueTest, FileOrderSortsTheRowsAndAManualMoveSwitchesItBack) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree.file("b10.dwg"), tree.file("B2.dwg"), tree.file("a.dwg")});
  // Found paths come sorted by bytes; manual order keeps them so.
  EXPECT_EQ(rowPaths(panel), (std::vector<std::string>{tree / "B2.dwg", tree / "a.dwg", tree / "b10.dwg"}));
  panel.panel()->makeKeyAndOrderFront();
  panel.table()->selectRowIndexes({1}, false);
  ASSERT_EQ(toolkit::chooseItem(*panel.fileOrder(), "文件名降序"), "");
  EXPECT_EQ(rowPaths(panel), (std::vector<std::string>{tree / "b10.dwg", tree / "B2.dwg", tree / "a.dwg"}));
  EXPECT_EQ(panel.table()->selectedRowIndexes(), std::set<long>{2}) << "the selected row is followed";
  // New rows go by the file order.
  add(panel, {tree.file("c.dwg")});
  EXPECT_EQ(rowPaths(panel).front(), tree / "c.dwg");

  panel.table()->selectRowIndexes({2, 3}, false);
  ASSERT_EQ(toolkit::clickView(*panel.moveUpButton()), "");
  EXPECT_EQ(rowPaths(panel),
            (std::vector<std::string>{tree / "c.dwg", tree / "B2.dwg", tree / "a.dwg", tree / "b10.dwg"}));
  EXPECT_EQ(panel.table()->selectedRowIndexes(), (std::set<long>{1, 2}));
  EXPECT_EQ(panel.fileOrder()->indexOfSelectedItem(), 0);
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.Queue.FileOrder"), 0);
}

TEST_F(QueueTest, RemovedRowsStayOutOfRescansUntilAddedAgain) {
  FileTree tree;
  tree.file("top/a.dwg");
  tree.file("top/b.dwg");
  tree.file("top/sub/c.dwg");
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree / "top"});
  EXPECT_EQ(rowPaths(panel), (std::vector<std::string>{tree / "top/a.dwg", tree / "top/b.dwg"}));
  EXPECT_EQ(panel.folderRoots(), std::vector<std::string>{tree / "top"});
  panel.table()->selectRowIndexes({0}, false);
  panel.remove();
  EXPECT_EQ(panel.status()->stringValue(), "1 个 DWG；开始前检查已打开图纸。");
  EXPECT_EQ(panel.removedPaths(), std::set<std::string>{tree / "top/a.dwg"});

  // The box rescans the folders with their subfolders and keeps the removal.
  panel.panel()->makeKeyAndOrderFront();
  ASSERT_EQ(toolkit::clickView(*panel.recursive()), "");
  waitForScan(panel);
  EXPECT_EQ(rowPaths(panel), (std::vector<std::string>{tree / "top/b.dwg", tree / "top/sub/c.dwg"}));
  // Switching it off adds and removes nothing.
  ASSERT_EQ(toolkit::clickView(*panel.recursive()), "");
  EXPECT_EQ(panel.discovery(), nullptr);

  // An explicit add brings it back for good.
  add(panel, {tree / "top/a.dwg"});
  EXPECT_EQ(rowPaths(panel).back(), tree / "top/a.dwg");
  EXPECT_TRUE(panel.removedPaths().empty());
  EXPECT_EQ(panel.status()->stringValue(), "3 个 DWG；开始前检查已打开图纸。");
}

TEST_F(QueueTest, StartChecksTheQueueAndTheScaleThenAsksForAFolderAndCallsTheHandler) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  int starts = 0;
  panel.setStartHandler([&] { ++starts; });
  panel.start();
  EXPECT_EQ(panel.status()->stringValue(), "请先添加 DWG。");
  add(panel, {tree.file("a.dwg")});
  for (const char* bad : {"0", "101", "25%", "2.5", ""}) {
    panel.scaleField()->setStringValue(bad);
    panel.start();
    EXPECT_EQ(panel.status()->stringValue(), "缩放比例请输入 1–100 的整数。") << bad;
  }
  EXPECT_FALSE(foundation::UserDefaults::standard().hasKey("Quodline.Queue.Scale"));
  panel.scaleField()->setStringValue(" +25 ");
  toolkit::ModalResponder::shared().answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
  panel.start();
  EXPECT_EQ(starts, 0);
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.Queue.Scale"), 25);
  toolkit::ModalResponder::shared().answerNextFilePanel({true, {tree.folder("out")}});
  panel.start();
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(panel.outputRoot(), tree / "out");
  panel.start();
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(toolkit::ModalResponder::shared().filePanels().size(), 2u) << "the folder is asked for once";
}

TEST_F(QueueTest, RevealShowsTheSelectedRowsOutputsThatExistElseTheLastRunFolder) {
  FileTree tree;
  QDLFileQueuePanel& panel = makePanel();
  add(panel, {tree.file("a.dwg"), tree.file("b.dwg")});
  panel.items()[0]->outputs = {tree.file("out/a/0001.pdf"), tree / "out/a/gone.pdf"};
  panel.items()[1]->outputs = {tree.file("out/b.pdf")};
  panel.table()->selectRowIndexes({0, 1}, false);
  panel.revealOutputs();
  const auto& records = toolkit::Workspace::shared().records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, toolkit::WorkspaceRecord::Kind::revealInFileViewer);
  EXPECT_EQ(records[0].targets, (std::vector<std::string>{tree / "out/a/0001.pdf", tree / "out/b.pdf"}));

  panel.table()->deselectAll();
  panel.revealOutputs();
  EXPECT_EQ(records.size(), 1u) << "no outputs and no last run folder: nothing";
  panel.setLastOutputRoot(tree / "out");
  panel.setBusy(true);
  panel.revealOutputs();
  ASSERT_EQ(records.size(), 2u) << "allowed while busy";
  EXPECT_EQ(records[1].targets, std::vector<std::string>{tree / "out"});
}

}  // namespace
}  // namespace queue_test

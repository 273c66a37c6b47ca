// The sheet table (its cells and the fit of its widths) and the list's editing, with the tiles, the summary and
// the diagnostics line agreeing with the rows after each step.

#include <map>
#include <string_view>

#include "foundation/user_defaults.h"
#include "full_panel_fixture.h"
#include "graphics/text_measurer.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "ui/modern_metric.h"

namespace panels_test {
namespace {

// Widths as the worked examples give them: each named text measures its set width, every other nothing.
class GivenWidths final : public graphics::TextMeasurer {
 public:
  explicit GivenWidths(std::map<std::string, double> widths) : widths_(std::move(widths)) {}
  double width(std::string_view text, const graphics::Font&) const override {
    const auto it = widths_.find(std::string(text));
    return it == widths_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> widths_;
};

class FullPanelListTest : public FullPanelTest {
 protected:
  std::shared_ptr<VexBatchPrintRow> add(const std::string& name, const std::string& paper = "A3｜297 × 420",
                                        const std::string& setup = "Layout1｜实际图框", bool selected = true) {
    auto row = std::make_shared<VexBatchPrintRow>();
    row->layoutName = name;
    row->setupName = setup;
    row->paperName = paper;
    row->originalPaperName = paper;
    row->paperShortSide = row->originalPaperShortSide = 297;
    row->paperLongSide = row->originalPaperLongSide = 420;
    row->maxX = 420;
    row->maxY = 297;
    row->selected = selected;
    panel().allRows().push_back(row);
    return row;
  }
  static void refresh() { panel().applyFilterAndSort(); }

  static std::vector<double> widths() {
    std::vector<double> out;
    for (const auto& column : panel().table()->tableColumns()) out.push_back(column->width());
    return out;
  }
  static void clipWidth(double width) {
    auto* clip = dynamic_cast<toolkit::ClipView*>(panel().table()->superview());
    ASSERT_NE(clip, nullptr);
    clip->setFrame({0, 0, width, 300});
    panel().updateTableColumnWidths();
  }
  static std::string cellText(const char* column, long row) {
    auto* view = panel().table()->viewAtColumn(panel().table()->columnWithIdentifier(column), row, true);
    auto* field = dynamic_cast<toolkit::TextField*>(view);
    return field != nullptr ? field->stringValue() : "<none>";
  }
  static toolkit::TextField& nameCell(long row) {
    return dynamic_cast<toolkit::TextField&>(
        *panel().table()->viewAtColumn(panel().table()->columnWithIdentifier("layout"), row, true));
  }
  static std::vector<std::string> tile(std::size_t i) {
    const QDLModernMetric& m = *panel().workspace()->metrics()[i];
    return {m.valueLabel()->stringValue(), m.detailLabel()->stringValue()};
  }
};

TEST_F(FullPanelListTest, TheTableHasSixColumnsAndEachCellShowsItsRow) {
  auto row = add("S-01", "", "");
  row->contentScalePercent = 55;
  refresh();
  toolkit::TableView& table = *panel().table();
  ASSERT_EQ(table.numberOfColumns(), 6);
  const char* titles[] = {"打印", "顺序", "页面名称", "来源 / 图层", "纸张", "比例"};
  for (long i = 0; i < 6; ++i) EXPECT_EQ(table.tableColumns()[i]->headerTitle(), titles[i]);
  EXPECT_TRUE(table.allowsMultipleSelection());
  EXPECT_EQ(cellText("order", 0), "1");
  EXPECT_EQ(cellText("layout", 0), "S-01");
  EXPECT_EQ(cellText("setup", 0), "未设置");
  EXPECT_EQ(cellText("paper", 0), "自动匹配");
  EXPECT_EQ(cellText("scale", 0), "55%");
  auto* check = dynamic_cast<toolkit::Button*>(table.viewAtColumn(0, 0, true));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->state(), toolkit::control_state::on);
  EXPECT_EQ(panel().viewForTableColumn(table, table.tableColumns()[1].get(), 1), nullptr);
  EXPECT_EQ(panel().viewForTableColumn(table, table.tableColumns()[1].get(), -1), nullptr);
}

TEST_F(FullPanelListTest, TheColumnWidthsFollowTheWorkedExamples) {
  panel();  // made with the fixed measurer; the fit below measures with the given widths
  graphics::setTextMeasurer(std::make_shared<GivenWidths>(
      std::map<std::string, double>{{"long name", 272}, {"long setup", 222}, {"long paper", 172}}));
  clipWidth(700);
  EXPECT_EQ(widths(), (std::vector<double>{44, 52, 105, 105, 125, 64}));
  add("long name", "long paper", "long setup");
  refresh();
  clipWidth(606);
  EXPECT_EQ(widths(), (std::vector<double>{44, 52, 122, 113, 190, 64}));
  clipWidth(456);
  EXPECT_EQ(widths(), (std::vector<double>{44, 52, 100, 80, 100, 64}));
  clipWidth(425);  // below the least width: nothing moves
  EXPECT_EQ(widths(), (std::vector<double>{44, 52, 100, 80, 100, 64}));
}

TEST_F(FullPanelListTest, SortingFilteringAndTheTilesAgree) {
  add("S-10", "A10｜26 × 37");
  add("S-2");
  add("S-1", "A3｜297 × 420", "Layout1｜视口推算", false);
  refresh();
  VexBatchPrintPanelController& p = panel();
  EXPECT_EQ(tile(0), (std::vector<std::string>{"3", "已选择 2 个"}));
  EXPECT_EQ(tile(1), (std::vector<std::string>{"3", "识别成功"}));
  EXPECT_EQ(tile(2), (std::vector<std::string>{"0", "空白 0 · 移除 0"}));
  EXPECT_EQ(tile(3), (std::vector<std::string>{"2", "A3 × 1，A10 × 1"}));
  EXPECT_EQ(p.summaryLabel()->stringValue(), "共 3 个布局，已选 2 个；当前显示 3 个；手动 0 个；暂时移除 0 个；自动识别");

  choose(*p.sortMode(), 2);
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-1", "S-2", "S-10"}));
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.SortMode"), 2);
  choose(*p.sortMode(), 1);
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-1", "S-2", "S-10"}));
  choose(*p.sortMode(), 0);

  // Name, source and paper are searched, ignoring case; hidden rows still count everywhere but "shown".
  type(*p.filterField(), "  视口 ");
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-1"}));
  type(*p.filterField(), "a10");
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-10"}));
  EXPECT_EQ(tile(3)[0], "2");
  EXPECT_EQ(p.summaryLabel()->stringValue(), "共 3 个布局，已选 2 个；当前显示 1 个；手动 0 个；暂时移除 0 个；自动识别");
  type(*p.filterField(), "   ");
  EXPECT_EQ(p.rows().size(), 3u);
}

TEST_F(FullPanelListTest, TickingAllNoneAndOneRow) {
  add("S-1");
  add("", "", "", true);  // a row without a name counts in the summary but not in the tiles
  refresh();
  VexBatchPrintPanelController& p = panel();
  EXPECT_EQ(tile(3)[0], "1");
  EXPECT_NE(p.summaryLabel()->stringValue().find("已选 2 个"), std::string::npos);
  p.selectNone();
  EXPECT_EQ(tile(3), (std::vector<std::string>{"0", "未选择页面"}));
  auto& check = dynamic_cast<toolkit::Button&>(*p.table()->viewAtColumn(0, 0, true));
  check.performClick();
  EXPECT_TRUE(p.rows()[0]->selected);
  EXPECT_EQ(tile(3), (std::vector<std::string>{"1", "A3 × 1"}));
  p.selectAll();
  EXPECT_NE(p.summaryLabel()->stringValue().find("已选 2 个"), std::string::npos);
}

TEST_F(FullPanelListTest, RenamingTakesTheTrimmedTextAndRefusesABlankOne) {
  add("S-1");
  refresh();
  struct Case {
    std::string typed;
    std::string kept;  // empty: refused, the old name stays
  };
  std::string cjk300;
  for (int i = 0; i < 300; ++i) cjk300 += "图";
  const Case cases[] = {
      {cjk300, cjk300},
      {"A/B\\C:1", "A/B\\C:1"},
      {"\t 首层\x01平面\x7f \n", "首层\x01平面\x7f"},
      {"🏗️ 平面 👷🏽", "🏗️ 平面 👷🏽"},
      {"\xE3\x80\x80 ", ""},  // an ideographic space
      {"", ""},
  };
  std::string name = "S-1";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const long beeps = toolkit::beepCount();
    toolkit::TextField& cell = nameCell(0);
    type(cell, c.typed);
    if (c.kept.empty()) {
      EXPECT_EQ(toolkit::beepCount(), beeps + 1);
      EXPECT_EQ(cell.stringValue(), name);
    } else {
      name = c.kept;
      EXPECT_EQ(toolkit::beepCount(), beeps);
    }
    EXPECT_EQ(panel().rows()[0]->layoutName, name);
    // Laying out and drawing a cell of such a name works.
    panel().table()->reloadData();
    EXPECT_EQ(cellText("layout", 0), name);
  }
}

TEST_F(FullPanelListTest, MovingIsRefusedUnlessTheListIsInNaturalOrderWithoutFilter) {
  add("S-1");
  add("S-2");
  add("S-3");
  refresh();
  VexBatchPrintPanelController& p = panel();
  highlight({0});
  p.moveDown();
  EXPECT_EQ(names(p.allRows()), (std::vector<std::string>{"S-2", "S-1", "S-3"}));
  EXPECT_EQ(p.table()->selectedRow(), 1);
  p.moveDown();
  p.moveDown();  // at the end: nothing
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-2", "S-3", "S-1"}));
  p.moveUp();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-2", "S-1", "S-3"}));

  for (auto setUp : {+[] { type(*panel().filterField(), " "); }, +[] { choose(*panel().sortMode(), 1); }}) {
    setUp();
    const long beeps = toolkit::beepCount();
    highlight({1});
    p.moveUp();
    EXPECT_EQ(toolkit::beepCount(), beeps + 1);
    EXPECT_EQ(p.statusLabel()->stringValue(), "请清空筛选并切换到“自然顺序”后再手动调序。");
    EXPECT_EQ(names(p.allRows()), (std::vector<std::string>{"S-2", "S-1", "S-3"}));
    type(*panel().filterField(), "");
    choose(*panel().sortMode(), 0);
  }
}

TEST_F(FullPanelListTest, RepaperingAndRescalingTheHighlightedRows) {
  add("S-1");
  add("S-2", "A10｜26 × 37");
  add("S-3", "");
  refresh();
  VexBatchPrintPanelController& p = panel();
  const long beeps = toolkit::beepCount();
  p.applyPaperToSelectedRows();
  p.applyScaleToSelectedRows();
  EXPECT_EQ(toolkit::beepCount(), beeps + 2);
  EXPECT_EQ(p.statusLabel()->stringValue(), "请先高亮选中要修改比例的页面。");

  highlight({0, 1});
  ASSERT_TRUE(p.paperMode()->userSelectItem(5));  // A0
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.PaperMode"), 5);
  p.applyPaperToSelectedRows();
  EXPECT_EQ(papers(p.rows()), (std::vector<std::string>{"A0｜1189 × 841", "A0｜1189 × 841", ""}));
  EXPECT_TRUE(p.rows()[0]->paperOverridden);
  EXPECT_EQ(p.rows()[0]->paperLongSide, 1189);
  EXPECT_EQ(p.statusLabel()->stringValue(), "已将 2 个选中页面改为 A0；其他页面保持原纸张。");
  EXPECT_EQ(tile(3)[1], "A0 × 2，自动匹配 × 1");

  p.rows()[1]->originalPaperName.clear();
  ASSERT_TRUE(p.paperMode()->userSelectItem(0));
  p.applyPaperToSelectedRows();
  EXPECT_EQ(papers(p.rows()), (std::vector<std::string>{"A3｜297 × 420", "A0｜1189 × 841", ""}));
  EXPECT_EQ(p.rows()[1]->paperLongSide, 420);
  EXPECT_FALSE(p.rows()[1]->paperOverridden);
  EXPECT_EQ(p.statusLabel()->stringValue(), "已将 2 个选中页面恢复为各自原始纸张；其他页面未改变。");

  for (const auto& [typed, scale] : std::vector<std::pair<std::string, long>>{{"0", 1}, {"-5", 1}, {"abc", 1},
                                                                              {"250", 100}, {"55", 55}}) {
    p.contentScalePercentField()->setStringValue(typed);
    p.applyScaleToSelectedRows();
    EXPECT_EQ(p.rows()[0]->contentScalePercent, scale) << typed;
    EXPECT_EQ(p.rows()[2]->contentScalePercent, 100);
    EXPECT_EQ(p.contentScalePercentField()->stringValue(), std::to_string(scale));
    EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.ContentScalePercent"), scale);
  }
  EXPECT_EQ(p.table()->selectedRowIndexes(), (std::set<long>{0, 1}));
  EXPECT_EQ(p.statusLabel()->stringValue(), "已将 2 张选中图纸设为 55%；其他图纸未改变。");
  EXPECT_EQ(cellText("scale", 1), "55%");
}

TEST_F(FullPanelListTest, RemovingAndRestoringRows) {
  add("S-1");
  add("S-2");
  add("S-3");
  refresh();
  VexBatchPrintPanelController& p = panel();
  long beeps = toolkit::beepCount();
  p.removeSelected();
  p.restoreRemoved();
  EXPECT_EQ(toolkit::beepCount(), beeps + 2);
  EXPECT_EQ(p.statusLabel()->stringValue(), "当前没有可恢复的页面。");

  addManualFrameToFullPanel(VexBatchPrintSourceLayout, "Layout1", 0, 0, 420, 297);
  ASSERT_EQ(names(p.rows()).back(), "手动图框 01");
  highlight({0, 3});
  p.removeSelected();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-2", "S-3"}));
  EXPECT_TRUE(p.manualRows().empty());
  EXPECT_EQ(p.statusLabel()->stringValue(), "已暂时移除 2 个页面；可点击“恢复”。");
  EXPECT_EQ(tile(0)[0], "4");
  EXPECT_EQ(tile(2), (std::vector<std::string>{"2", "空白 0 · 移除 2"}));
  EXPECT_NE(p.summaryLabel()->stringValue().find("手动 0 个；暂时移除 2 个"), std::string::npos);

  p.restoreRemoved();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"S-2", "S-3", "S-1", "手动图框 01"}));
  EXPECT_EQ(p.manualRows().size(), 1u);
  EXPECT_TRUE(p.removedRows().empty());
  EXPECT_EQ(p.statusLabel()->stringValue(), "已恢复 2 个页面。");
}

TEST_F(FullPanelListTest, TheDiagnosticsLineFollowsTheSource) {
  gBatchLayoutDiagnostics.rawCandidates = 11;
  gBatchLayoutDiagnostics.finalCount = 4;
  gBatchModelDiagnostics.rawCandidates = 22;
  gBatchModelDiagnostics.finalCount = 7;
  refresh();
  VexBatchPrintPanelController& p = panel();
  EXPECT_TRUE(p.diagnosticsLabel()->stringValue().starts_with("识别诊断｜原始图框 11，"));
  EXPECT_NE(p.diagnosticsLabel()->stringValue().find("\n图框视口｜"), std::string::npos);
  EXPECT_NE(p.diagnosticsLabel()->stringValue().find("全部扫描 4，当前范围 0"), std::string::npos);
  EXPECT_EQ(p.diagnosticsLabel()->toolTip(), p.diagnosticsLabel()->stringValue());
  p.sourceMode()->setSelectedSegment(1);
  refresh();
  EXPECT_EQ(p.diagnosticsLabel()->stringValue(),
            "识别诊断｜原始候选 22，旋转待适配 0，动态块 0，Xref 0，非等比块 0\n"
            "规则排除 0，重复排除 0，内部小框排除 0，图块优先排除外框 0，最终图框 7");
  EXPECT_NE(p.summaryLabel()->stringValue().find("个图框"), std::string::npos);
  const QDLModernMetric& total = *p.workspace()->metrics()[0];
  EXPECT_EQ(total.accessibilityLabel(), "图纸总数：0，已选择 0 个");
  EXPECT_TRUE(total.toolTip().ends_with("\n已选择 0 个"));
}

}  // namespace
}  // namespace panels_test

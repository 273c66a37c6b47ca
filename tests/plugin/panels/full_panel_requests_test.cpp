// The full panel's requests that need the drawing, as the panel makes them: what each leaves for its host
// command, the prompt, the panel out of sight and the command queued; the marks' numbering; manual frames; and
// the refusals. The commands themselves, and the way back, run in cadhost (tests/plugin/module).

#include "core/frame_picking.h"
#include "core/host_bridge.h"
#include "core/print_area_marks.h"
#include "core/sheet_locate.h"
#include "foundation/user_defaults.h"
#include "full_panel_output_fixture.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/user_actions.h"

namespace panels_test {
namespace {

using FullPanelRequestsTest = FullPanelOutputTest;

TEST_F(FullPanelRequestsTest, EachRequestLeavesItsSpacePromptsStepsAsideAndQueuesItsCommand) {
  open(kModelSample);
  VexBatchPrintPanelController& p = shown();
  ASSERT_EQ(p.sourceMode()->selectedSegment(), 1);
  const struct {
    void (VexBatchPrintPanelController::*action)();
    VexBatchPrintSource* space;
    const char* prompt;
    const char* command;
  } cases[] = {
      {&VexBatchPrintPanelController::pickFrameLayer, &gBatchInteractionSource,
       "请在 CAD 图面点选一个图形，以它所在的图层识别图框。", "DUZOZAREDPICKLAYER"},
      {&VexBatchPrintPanelController::pickFrames, &gBatchInteractionSource,
       "请在 CAD 图面框选或逐个选择需要打印的图块、矩形。", "DUZOZAREDPICKFRAMES"},
      {&VexBatchPrintPanelController::pickFrameBlock, &gBatchInteractionSource,
       "请在 CAD 图面点选一个图块；将打印全部同名图块。", "DUZOZAREDPICKBLOCK"},
      {&VexBatchPrintPanelController::selectPrintRange, &gBatchRangeSource, "请在模型空间指定打印范围的两个对角点。",
       "DUZOZAREDSELECTRANGE"},
      {&VexBatchPrintPanelController::addManualFrame, &gBatchManualSource, "请在图面上依次指定图框的两个对角点。",
       "DUZOZAREDADDFRAME"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    *c.space = VexBatchPrintSourceLayout;
    p.panel()->makeKeyAndOrderFront();
    while (cad::docManager().currentInput().next()) {
    }
    (p.*c.action)();
    EXPECT_EQ(*c.space, VexBatchPrintSourceModel);
    EXPECT_EQ(p.statusLabel()->stringValue(), c.prompt);
    EXPECT_FALSE(p.panel()->isVisible());
    EXPECT_EQ(queued(), std::string("\x1b\x1b_") + c.command + " ");
  }

  // With no drawing to send the command to, the panel does not stay out of sight.
  while (!cad::docManager().documents().empty()) {
    static_cast<void>(cad::docManager().closeDocument(cad::docManager().documents().front()));
  }
  p.panel()->makeKeyAndOrderFront();
  p.pickFrameLayer();
  EXPECT_TRUE(p.panel()->isVisible());
}

TEST_F(FullPanelRequestsTest, RecognitionChoicesAreStoredAndRescan) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
  gBatchDesignatedFrameBlock = L"TK";
  gBatchDesignatedFrameLayer = L"FRAME";
  ASSERT_EQ(toolkit::clickView(*p.workspace()->controls().at("automatic")), "");
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionAutomatic);
  EXPECT_TRUE(gBatchDesignatedFrameBlock.empty());
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"FRAME");  // kept for the next layer pick
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.RecognitionMode"), 0);
  EXPECT_EQ(queued(), "\x1b\x1b_DUZOZAREDREFRESH ");

  ASSERT_EQ(toolkit::clickView(*p.excludeBlankRectanglesButton()), "");
  EXPECT_FALSE(gBatchExcludeBlankRectangles);
  EXPECT_TRUE(gBatchIncludeNonPlottableLayers);
  EXPECT_FALSE(foundation::UserDefaults::standard().boolForKey("Quodline.ExcludeBlankRectangles"));
  EXPECT_TRUE(foundation::UserDefaults::standard().boolForKey("Quodline.IncludeNonPlottableLayers"));
  EXPECT_EQ(p.statusLabel()->stringValue(), "识别选项已更新，正在重新扫描…");

  // Clearing the range rescans at once, in the panel.
  gBatchLayoutSelectionRange = {VexBatchPrintSourceLayout, L"A3 Block", 0, 0, 1, 1, true};
  p.clearPrintRange();
  EXPECT_FALSE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(p.allRows().size(), 1u);
}

TEST_F(FullPanelRequestsTest, LocatingTakesTheHighlightedRowAndMarksNumberTheTickedRowsInOutputOrder) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  choose(*p.layoutScope(), 1);
  const long beeps = toolkit::beepCount();
  p.focusSelected();
  EXPECT_EQ(p.statusLabel()->stringValue(), "请先在列表中选中一个页面，再点击“定位”。");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_EQ(queued(), "");

  highlight({2});
  p.focusSelected();
  const VexBatchPrintRow& row = *p.rows()[2];
  EXPECT_TRUE(gBatchFocusTarget.pending);
  EXPECT_EQ(gBatchFocusTarget.layoutName, vexBatchWideString(row.sourceName));
  EXPECT_EQ(gBatchFocusTarget.maxX, row.maxX);
  EXPECT_EQ(p.statusLabel()->stringValue(), "正在定位并高亮：" + row.layoutName);
  EXPECT_EQ(queued(), "\x1b\x1b_DUZOZAREDFOCUS ");

  // A whole layout has nothing to mark but keeps its number; an unticked row takes none.
  p.allRows()[0]->minX = p.allRows()[0]->maxX = 0;
  p.allRows()[1]->selected = false;
  p.showPrintRanges();
  ASSERT_EQ(gBatchPrintRangeTargets.size(), 1u);
  EXPECT_EQ(gBatchPrintRangeTargets[0].number, 2u);
  EXPECT_EQ(p.statusLabel()->stringValue(), "正在标记 1 个打印区域…");

  p.allRows()[2]->selected = false;
  p.showPrintRanges();
  EXPECT_TRUE(gBatchPrintRangeTargets.empty());
  EXPECT_EQ(p.statusLabel()->stringValue(), "当前没有可标记的已勾选图框；普通整张布局无需框选范围。");
}

TEST_F(FullPanelRequestsTest, ManualFramesAreNumberedByTheirCountAndALayoutFrameWithoutALayoutGoesToLayout1) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  for (int i = 0; i < 3; ++i) addManualFrameToFullPanel(VexBatchPrintSourceLayout, "", 0, 0, 420, 297);
  ASSERT_EQ(p.manualRows().size(), 3u);
  EXPECT_EQ(p.manualRows()[0]->layoutName, "手动图框 01");
  EXPECT_EQ(p.manualRows()[2]->layoutName, "手动图框 03");
  EXPECT_EQ(p.manualRows()[0]->sourceName, "Layout1");
  EXPECT_EQ(p.manualRows()[0]->setupName, "Layout1｜手动补框");
  EXPECT_EQ(p.manualRows()[0]->paperName, "A3｜420 × 297");
}

}  // namespace
}  // namespace panels_test

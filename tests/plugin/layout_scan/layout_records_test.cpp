// Sheet records: windows per frame or per spread viewport, else the whole layout; the nesting guard over all
// windows of a layout, the final order and the numbering.

#include "recognition/layout/layout_records.h"

#include <gtest/gtest.h>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/recognition_state.h"

namespace layout_test {
namespace {

using LayoutRecordsTest = LayoutScanTest;

TEST_F(LayoutRecordsTest, AnOversizedLayoutGivesOneWindowPerFrameAndDropsTheViewportOutsideThem) {
  cad::ObjectId sheet = layout(L"布局2", 2, 1800, 420);
  cad::ObjectId block = a3TitleBlock();
  for (int i = 0; i < 3; ++i) {
    double x = 10 + 440 * i;
    d.insert(block, x, 10, 1.0, L"图框", space(sheet));
    d.viewport(sheet, x + 200, 160, 300, 200, i != 1);
  }
  d.viewport(sheet, 1550, 200, 200, 200);  // beside the frames

  std::vector<VexBatchPrintLayoutRecord> all = scan();
  // The drawing's own empty "Layout1" comes first, as a record that is not offered.
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].layoutName, L"Layout1");
  EXPECT_FALSE(all[0].wholeLayout);
  std::vector<VexBatchPrintLayoutRecord> records = windowsOf(all, L"布局2");
  ASSERT_EQ(records.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const VexBatchPrintLayoutRecord& r = records[i];
    EXPECT_EQ(r.minX, 10 + 440.0 * static_cast<double>(i));
    EXPECT_EQ(r.layoutName, L"布局2");
    EXPECT_EQ(r.frameLayer, L"图框");
    EXPECT_TRUE(r.layoutWindow);
    EXPECT_TRUE(r.exactPaperFrame);
    EXPECT_TRUE(r.wholeLayout);
    EXPECT_EQ(r.paper.name, L"A3");
    EXPECT_EQ(r.paperWidth, 420);
    EXPECT_EQ(r.paperHeight, 297);
    EXPECT_EQ(r.tabOrder, 2);
    EXPECT_EQ(r.canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(r.enclosedViewportCount, 1);
    EXPECT_EQ(r.activeViewportCount, i == 1 ? 0 : 1);
  }
  EXPECT_EQ(sheetNames(records), (std::vector<std::wstring>{L"布局2 图框 01", L"布局2 图框 02", L"布局2 图框 03"}));
  const VexBatchScanDiagnostics& diag = gBatchLayoutDiagnostics;
  EXPECT_EQ(diag.viewports, 4u);
  EXPECT_EQ(diag.matched, 3u);
  EXPECT_EQ(diag.outerFrameGroups, 3u);
  EXPECT_EQ(diag.groupedViewports, 3u);
  EXPECT_EQ(diag.suppressedFallbackViewports, 1u);
  EXPECT_EQ(diag.acceptedSingleViewport, 3u);
  EXPECT_EQ(diag.finalCount, 4u);
}

TEST_F(LayoutRecordsTest, SpreadViewportsWithoutAFrameAreWindowsAndCloseOnesTheWholeLayout) {
  cad::ObjectId spread = layout(L"Layout1", 1, 1300, 900);
  d.viewport(spread, 900, 650, 400, 300);  // top right
  d.viewport(spread, 250, 640, 400, 300);  // top left, 10 lower: same row
  d.viewport(spread, 250, 200, 400, 300);  // bottom left
  cad::ObjectId close = layout(L"Layout2", 2);
  d.viewport(close, 100, 150, 150, 200);
  d.viewport(close, 300, 150, 150, 200);

  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 4u);
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(records, L"Layout1");
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(windows[0].minX, 50);
  EXPECT_EQ(windows[0].minY, 490);
  EXPECT_EQ(windows[1].minX, 700);
  EXPECT_EQ(windows[2].minY, 50);
  for (const VexBatchPrintLayoutRecord& w : windows) {
    EXPECT_FALSE(w.exactPaperFrame);
    EXPECT_TRUE(w.frameLayer.empty());
    EXPECT_EQ(w.paperWidth, 400);
    EXPECT_EQ(w.paper.name, L"A3");  // the viewport's own automatic paper
    EXPECT_EQ(w.enclosedViewportCount, 1);
  }
  EXPECT_EQ(records[3].layoutName, L"Layout2");
  EXPECT_FALSE(records[3].layoutWindow);
  EXPECT_TRUE(records[3].wholeLayout);
}

TEST_F(LayoutRecordsTest, AWindowInsideALargerOneIsRemovedAndTheNumbersCloseUp) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1300, 700);
  d.viewport(sheet, 150, 500, 300, 300);   // A: first in the top row
  d.viewport(sheet, 600, 500, 100, 100);   // B: second in the top row, inside C
  d.viewport(sheet, 1050, 500, 300, 300);  // D: third in the top row
  d.viewport(sheet, 600, 300, 300, 600);   // C: the lower row
  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].minX, 0);    // A
  EXPECT_EQ(records[1].minX, 900);  // D takes the number 02
  EXPECT_EQ(records[2].minY, 0);    // C
  EXPECT_EQ(sheetNames(records),
            (std::vector<std::wstring>{L"Layout1 图框 01", L"Layout1 图框 02", L"Layout1 图框 03"}));
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 1u);
  EXPECT_EQ(traceFileLines().at(1), "final-nested-excluded=1 final-count=3");
}

TEST_F(LayoutRecordsTest, InAPickedModeALayoutWithoutPickedFramesGivesNoRecordAtAll) {
  cad::ObjectId empty = layout(L"Layout1", 1);
  d.text(10, 10, 5, L"说明", L"0", space(empty));
  cad::ObjectId framed = layout(L"Layout2", 2, 500, 400);
  cad::ObjectId frame = d.rectangle(10, 10, 430, 307, L"0", space(framed));
  content(framed, 10, 10, 430, 307);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {frame};
  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].sheetName, L"Layout2 图框 01");
}

TEST_F(LayoutRecordsTest, LayoutsComeInTabOrderWhateverTheDictionarySays) {
  cad::ObjectId third = layout(L"Layout1", 3);
  d.text(10, 10, 5, L"x", L"0", space(third));
  cad::ObjectId first = layout(L"B", 1);
  d.text(10, 10, 5, L"x", L"0", space(first));
  cad::ObjectId second = layout(L"A", 2);
  d.text(10, 10, 5, L"x", L"0", space(second));
  EXPECT_EQ(sheetNames(scan()), (std::vector<std::wstring>{L"B", L"A", L"Layout1"}));
}

VexBatchPrintLayoutRecord window(const std::wstring& layoutName, int tabOrder, std::size_t number, double minX,
                                 double minY, double maxX, double maxY) {
  VexBatchPrintLayoutRecord r;
  r.layoutName = layoutName;
  r.tabOrder = tabOrder;
  r.sheetName = vexBatchLayoutSheetName(layoutName, number);
  r.layoutWindow = true;
  r.minX = minX;
  r.minY = minY;
  r.maxX = maxX;
  r.maxY = maxY;
  return r;
}

TEST(LayoutRecordsFinish, FromTheHundredthWindowOnNamesSortAsText) {
  std::vector<VexBatchPrintLayoutRecord> records;
  for (std::size_t n = 1; n <= 120; ++n) {
    double x = 500.0 * static_cast<double>(n);
    records.push_back(window(L"L", 1, n, x, 0, x + 420, 297));
  }
  VexBatchScanDiagnostics diag;
  EXPECT_EQ(vexBatchFinishLayoutRecords(records, diag), 0u);
  ASSERT_EQ(records.size(), 120u);
  // "L 图框 100" sorts before "L 图框 11", so the window drawn hundredth is numbered 11 after renumbering.
  EXPECT_EQ(records[9].minX, 500.0 * 10);
  EXPECT_EQ(records[10].minX, 500.0 * 100);
  EXPECT_EQ(records[10].sheetName, L"L 图框 11");
  EXPECT_EQ(records[119].sheetName, L"L 图框 120");
  EXPECT_EQ(diag.finalCount, 120u);
}

TEST(LayoutRecordsFinish, TheGuardWorksWithinOneLayoutOnly) {
  std::vector<VexBatchPrintLayoutRecord> records{
      window(L"A", 1, 1, 0, 0, 841, 594),     window(L"A", 1, 2, 100, 100, 520, 397),  // inside the first: removed
      window(L"B", 1, 1, 100, 100, 520, 397),  // same place on another layout: kept
      window(L"A", 2, 1, 100, 100, 520, 397),  // same name, other tab order: kept
      window(L"A", 1, 3, 0, 0, 841, 594),      // the same box twice: neither removes the other
  };
  VexBatchPrintLayoutRecord whole;
  whole.layoutName = L"A";
  whole.sheetName = L"A";
  whole.tabOrder = 1;
  records.push_back(whole);
  VexBatchScanDiagnostics diag;
  EXPECT_EQ(vexBatchFinishLayoutRecords(records, diag), 1u);
  EXPECT_EQ(diag.filteredOut, 1u);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(sheetNames(records),
            (std::vector<std::wstring>{L"A", L"A 图框 01", L"A 图框 02", L"B 图框 01", L"A 图框 01"}));
  EXPECT_EQ(records[2].minX, 0);
  EXPECT_EQ(records[4].tabOrder, 2);
}

}  // namespace
}  // namespace layout_test

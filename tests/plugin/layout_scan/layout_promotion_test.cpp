// Promotion of rectangles that are no ISO sheet to frames: around several viewports, around one viewport,
// around content alone, and blank rectangles beside their peers.

#include <gtest/gtest.h>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"

namespace layout_test {
namespace {

bool isIso(double w, double h) {
  VexBatchPrintPaperSpec paper;
  return vexBatchRecognizeIsoPaperFrame(w, h, paper);
}

using LayoutPromotionTest = LayoutScanTest;

TEST_F(LayoutPromotionTest, ARectangleAroundTwoToTwelveViewportsBecomesAFrame) {
  ASSERT_FALSE(isIso(700, 425));
  cad::ObjectId sheet = layout(L"Layout1", 1, 800, 500);
  d.rectangle(10, 10, 710, 435, L"0", space(sheet));
  d.viewport(sheet, 190, 222.5, 300, 350);
  d.viewport(sheet, 530, 222.5, 300, 350);

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 10);
  EXPECT_EQ(windows[0].maxX, 710);
  EXPECT_TRUE(windows[0].exactPaperFrame);
  EXPECT_EQ(windows[0].paper.name, vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, 700, 425).name);
  EXPECT_EQ(windows[0].enclosedViewportCount, 2);
  EXPECT_EQ(windows[0].activeViewportCount, 2);
  const VexBatchScanDiagnostics& diag = gBatchLayoutDiagnostics;
  EXPECT_EQ(diag.enclosingCandidates, 1u);
  EXPECT_EQ(diag.promotedEnclosures, 1u);
  EXPECT_EQ(diag.rawCandidates, 1u);
  EXPECT_EQ(diag.matched, 2u);
  EXPECT_EQ(diag.acceptedMultipleViewports, 1u);
}

TEST_F(LayoutPromotionTest, ThirteenViewportsInOneRectangleAreNoEnclosure) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 800, 500);
  d.rectangle(10, 10, 710, 435, L"0", space(sheet));
  for (int i = 0; i < 13; ++i) d.viewport(sheet, 40 + 50 * i, 222.5, 40, 350);
  scan();
  EXPECT_EQ(gBatchLayoutDiagnostics.enclosingCandidates, 0u);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedEnclosures, 0u);
}

TEST_F(LayoutPromotionTest, ANonPlottedEnclosureIsCountedButFilteredOut) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 800, 500);
  d.layer(L"VPORT", false);
  d.rectangle(10, 10, 710, 435, L"VPORT", space(sheet));
  d.viewport(sheet, 190, 222.5, 300, 350);
  d.viewport(sheet, 530, 222.5, 300, 350);
  gBatchIncludeNonPlottableLayers = false;
  scan();
  EXPECT_EQ(gBatchLayoutDiagnostics.enclosingCandidates, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedEnclosures, 0u);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 1u);
}

// A rectangle 2 % larger than the only viewport is its frame when real content lies in it. The rectangle is
// drawn content too, so 10 items are the rectangle and nine texts.
TEST_F(LayoutPromotionTest, ANearFitAroundOneViewportNeedsMoreThanFiveItemsOfContent) {
  ASSERT_FALSE(isIso(306, 510));
  for (int items : {10, 5}) {
    SCOPED_TRACE(items);
    recognition_test::DrawingFixture drawing;
    cad::ObjectId sheet = drawing.db().layoutId(L"Layout1");
    drawing.viewport(sheet, 400, 300, 800, 600);  // the layout's own
    // Viewport 300 × 500; rectangle 306 × 510 around it (area ratio 1.0404), short side 306.
    drawing.viewport(sheet, 200, 300, 300, 500);
    drawing.rectangle(47, 45, 353, 555, L"0", drawing.layoutSpace(sheet));
    for (int i = 0; i < items - 1; ++i) {
      drawing.text(80 + 20 * i, 100 + 30 * i, 3, L"注", L"0", drawing.layoutSpace(sheet));
    }
    std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(vexCollectPaperLayouts(), L"Layout1");
    if (items == 10) {
      ASSERT_EQ(windows.size(), 1u);
      EXPECT_EQ(windows[0].minX, 47);
      EXPECT_EQ(windows[0].enclosedViewportCount, 1);
      EXPECT_EQ(gBatchLayoutDiagnostics.promotedSingleViewportFrames, 1u);
    } else {
      EXPECT_TRUE(windows.empty());
      EXPECT_EQ(gBatchLayoutDiagnostics.singleViewportCandidates, 0u);
    }
  }
}

TEST_F(LayoutPromotionTest, TheLargestRoomyRectangleAroundAViewportIsItsFrame) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1200, 800);
  d.viewport(sheet, 300, 300, 200, 200, false);
  // Both hold the viewport with room to spare; the larger wins. A third holds it too but is too large.
  d.rectangle(150, 150, 450, 450, L"0", space(sheet));
  d.rectangle(120, 120, 480, 480, L"0", space(sheet));
  d.rectangle(0, 0, 1100, 700, L"0", space(sheet));
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 120);
  EXPECT_EQ(windows[0].maxX, 480);
  EXPECT_EQ(windows[0].enclosedViewportCount, 1);
  EXPECT_EQ(windows[0].activeViewportCount, 0);
  EXPECT_EQ(gBatchLayoutDiagnostics.singleViewportCandidates, 2u);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedSingleViewportFrames, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.acceptedSingleViewport, 1u);
}

TEST_F(LayoutPromotionTest, ARectangleStraddlingAViewportIsItsFrameWhenTheyOverlapStrongly) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1200, 800);
  // Viewport 400 × 300 at (100..500, 100..400); the polyline covers its right two thirds and more.
  d.viewport(sheet, 300, 250, 400, 300);
  d.rectangle(230, 80, 700, 420, L"0", space(sheet));
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 230);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedSingleViewportFrames, 1u);
}

TEST_F(LayoutPromotionTest, ARectangleWithEnoughContentAndNoViewportBecomesAFrame) {
  ASSERT_FALSE(isIso(500, 350));
  cad::ObjectId sheet = layout(L"Layout1", 1, 1200, 500);
  d.rectangle(10, 10, 510, 360, L"0", space(sheet));
  texts(sheet, 10, 10, 510, 360, 7);  // with the rectangle itself: 8 items, short side 350 needs 6
  d.rectangle(600, 10, 1100, 360, L"0", space(sheet));
  texts(sheet, 600, 10, 1100, 360, 4);  // 5 items: too few
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 10);
  EXPECT_EQ(gBatchLayoutDiagnostics.contentOnlyCandidates, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedContentOnlyFrames, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.acceptedWithoutViewport, 1u);
}

TEST_F(LayoutPromotionTest, OfNestedContentRectanglesOnlyTheOuterIsPromoted) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 800, 500);
  d.rectangle(10, 10, 710, 460, L"0", space(sheet));
  d.rectangle(100, 100, 400, 300, L"0", space(sheet));
  texts(sheet, 100, 100, 400, 300, 10);
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 10);
  EXPECT_EQ(gBatchLayoutDiagnostics.contentOnlyCandidates, 2u);
  EXPECT_EQ(gBatchLayoutDiagnostics.promotedContentOnlyFrames, 1u);
}

TEST_F(LayoutPromotionTest, BlankRectanglesArePromotedOnlyBesideComparablePeersWhenBlanksAreAllowed) {
  ASSERT_FALSE(isIso(300, 200));
  struct Case {
    const char* what;
    int rectangles;
    bool excludeBlank;
    std::size_t windows;
  };
  const Case cases[] = {
      {"three side by side", 3, false, 3},
      {"one alone", 1, false, 0},
      {"three, blanks excluded", 3, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    vexBatchResetRecognitionStateForTesting();
    gBatchExcludeBlankRectangles = c.excludeBlank;
    recognition_test::DrawingFixture drawing;
    cad::ObjectId sheet = drawing.db().layoutId(L"Layout1");
    drawing.viewport(sheet, 600, 150, 1200, 300);  // the layout's own
    for (int i = 0; i < c.rectangles; ++i) {
      drawing.rectangle(10 + 350 * i, 50, 310 + 350 * i, 250, L"0", drawing.layoutSpace(sheet));
    }
    EXPECT_EQ(windowsOf(vexCollectPaperLayouts(), L"Layout1").size(), c.windows);
    EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, c.windows);
  }
}

TEST_F(LayoutPromotionTest, NoRectangleIsPromotedInAPickedMode) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 800, 500);
  d.rectangle(10, 10, 710, 435, L"0", space(sheet));
  d.viewport(sheet, 190, 222.5, 300, 350);
  d.viewport(sheet, 530, 222.5, 300, 350);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  gBatchDesignatedFrameLayer = L"图框";
  EXPECT_TRUE(scan().empty());
  EXPECT_EQ(gBatchLayoutDiagnostics.enclosingCandidates, 0u);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 0u);
}

}  // namespace
}  // namespace layout_test

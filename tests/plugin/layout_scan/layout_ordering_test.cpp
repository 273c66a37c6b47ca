// Cleaning and ordering one layout's frames: blank frames, duplicates, nesting, reading order and the
// matching of viewports to frames.

#include "recognition/layout/layout_ordering.h"

#include <gtest/gtest.h>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"

namespace layout_test {
namespace {

using LayoutOrderingTest = LayoutScanTest;

TEST_F(LayoutOrderingTest, BlankPolylineFramesGoAndAreListedButBlankBlockFramesStay) {
  cad::ObjectId sheet = layout(L"布局1", 1, 1900, 400);
  d.rectangle(0, 0, 420, 297, L"0", space(sheet));    // nothing inside
  d.rectangle(500, 0, 920, 297, L"0", space(sheet));  // only a background that covers it
  d.circle(710, 148.5, 260, L"0", space(sheet));
  d.insert(a3TitleBlock(), 1000, 0, 1.0, L"0", space(sheet));  // a title block with nothing drawn in it
  d.rectangle(1450, 0, 1870, 297, L"0", space(sheet));         // a viewport reaches into it
  d.viewport(sheet, 1450, 150, 100, 100);

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"布局1");
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].minX, 1000);
  EXPECT_EQ(windows[1].minX, 1450);
  const auto& excluded = gBatchLayoutDiagnostics.excludedBlankFrames;
  ASSERT_EQ(excluded.size(), 2u);
  EXPECT_EQ(excluded[0].layoutName, L"布局1");
  EXPECT_EQ(excluded[0].minX, 0);
  EXPECT_EQ(excluded[0].maxY, 297);
  EXPECT_EQ(excluded[1].minX, 500);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 2u);

  gBatchExcludeBlankRectangles = false;
  EXPECT_EQ(windowsOf(scan(), L"布局1").size(), 4u);
  EXPECT_TRUE(gBatchLayoutDiagnostics.excludedBlankFrames.empty());
}

TEST_F(LayoutOrderingTest, OfTwoFramesAtOnePlaceTheBlockFrameStaysWhicheverComesFirst) {
  for (bool blockFirst : {true, false}) {
    SCOPED_TRACE(blockFirst ? "block first" : "polyline first");
    vexBatchResetRecognitionStateForTesting();
    recognition_test::DrawingFixture drawing;
    cad::ObjectId sheet = drawing.db().layoutId(L"Layout1");
    cad::ObjectId paper = drawing.layoutSpace(sheet);
    drawing.viewport(sheet, 250, 200, 500, 400);
    cad::ObjectId block = drawing.titleBlock(L"A3图框", 420, 297);
    if (blockFirst) drawing.insert(block, 10, 10, 1.0, L"TK", paper);
    drawing.rectangle(11, 10, 431, 307, L"0", paper);
    if (!blockFirst) drawing.insert(block, 10, 10, 1.0, L"TK", paper);
    drawing.content(10, 10, 430, 307, paper);

    std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(vexCollectPaperLayouts(), L"Layout1");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].frameLayer, L"TK");
    EXPECT_EQ(windows[0].minX, 10);
    EXPECT_EQ(gBatchLayoutDiagnostics.duplicates, 1u);
  }
}

TEST_F(LayoutOrderingTest, OfTwoPolylineDuplicatesTheOneCloserToItsPaperStays) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 500, 400);
  d.rectangle(10, 10, 433, 309, L"0", space(sheet));
  d.rectangle(11, 11, 431, 308, L"0", space(sheet));
  content(sheet, 10, 10, 430, 307);
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 11);
  EXPECT_EQ(windows[0].maxX, 431);
  EXPECT_EQ(gBatchLayoutDiagnostics.duplicates, 1u);
}

TEST_F(LayoutOrderingTest, AnOuterPolylineAroundATitleBlockGoesAndAnInnerPolylineInsideALargerOneGoes) {
  cad::ObjectId outer = layout(L"Layout1", 1, 900, 650);
  d.rectangle(0, 0, 841, 594, L"0", space(outer));              // A1 border
  d.insert(a3TitleBlock(), 100, 100, 1.0, L"0", space(outer));  // A3 title block inside it
  content(outer, 100, 100, 520, 397);
  cad::ObjectId inner = layout(L"Layout2", 2, 900, 650);
  d.rectangle(0, 0, 841, 594, L"0", space(inner));
  d.rectangle(100, 100, 520, 397, L"0", space(inner));
  content(inner, 0, 0, 841, 594);

  std::vector<VexBatchPrintLayoutRecord> records = scan();
  std::vector<VexBatchPrintLayoutRecord> first = windowsOf(records, L"Layout1");
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].paper.name, L"A3");
  std::vector<VexBatchPrintLayoutRecord> second = windowsOf(records, L"Layout2");
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].paper.name, L"A1");
  EXPECT_EQ(gBatchLayoutDiagnostics.lowerPriorityOuterExcluded, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.nestedChildExcluded, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 2u);
}

TEST_F(LayoutOrderingTest, FramesAreReadByRowsFromTheTopAndLeftToRightWithinARow) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1500, 1000);
  auto frame = [&](double x, double y) {
    d.rectangle(x, y, x + 420, y + 297, L"0", space(sheet));
    content(sheet, x, y, x + 420, y + 297);
  };
  // A staircase: each frame 40 above the one to its left would chain into one row by pairwise tests; rows
  // are cut from the topmost frame (within 59.4, a fifth of A3's short side).
  frame(0, 580);     // cy 728.5
  frame(500, 620);   // cy 768.5
  frame(1000, 660);  // cy 808.5: the top; the left frame is 80 below it and starts the next row
  frame(0, 0);       // cy 148.5
  frame(1000, 30);   // cy 178.5
  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 5u);
  std::vector<std::pair<double, double>> corners;
  for (const auto& w : windows) corners.emplace_back(w.minX, w.minY);
  EXPECT_EQ(corners, (std::vector<std::pair<double, double>>{{500, 620}, {1000, 660}, {0, 580}, {0, 0}, {1000, 30}}));
  EXPECT_EQ(sheetNames(windows), (std::vector<std::wstring>{L"Layout1 图框 01", L"Layout1 图框 02", L"Layout1 图框 03",
                                                            L"Layout1 图框 04", L"Layout1 图框 05"}));
}

VexBatchLayoutCandidates candidatesWithFrames(std::initializer_list<PaperFrame> frames) {
  VexBatchLayoutCandidates layout;
  layout.base.layoutName = L"L";
  layout.frames = frames;
  return layout;
}

PaperFrame frameAt(double minX, double minY, double w, double h, bool block, const wchar_t* layer) {
  PaperFrame f;
  f.box = {minX, minY, minX + w, minY + h};
  f.layer = layer;
  f.fromBlockReference = block;
  f.paper = vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h);
  return f;
}

ViewportTile tileAt(double cx, double cy, double w, double h) {
  ViewportTile t;
  t.centerX = cx;
  t.centerY = cy;
  t.width = w;
  t.height = h;
  return t;
}

TEST(ViewportMatching, AViewportGoesToTheFrameWithLeastRoomAndTheClosestCentre) {
  vexBatchResetRecognitionStateForTesting();
  // Two overlapping A3 frames that are neither duplicates nor nested, and a tile inside both: the frame
  // centred on the tile wins.
  VexBatchLayoutCandidates layout =
      candidatesWithFrames({frameAt(0, 0, 420, 297, false, L"left"), frameAt(15, 0, 420, 297, false, L"right")});
  layout.tiles = {tileAt(225, 148.5, 200, 150)};
  VexBatchScanDiagnostics diag;
  vexBatchSettleLayoutFrames(layout, diag);
  ASSERT_EQ(layout.frames.size(), 2u);
  EXPECT_TRUE(layout.tiles[0].matched);
  EXPECT_EQ(layout.tiles[0].matchedLayer, L"right");
  EXPECT_EQ(layout.tiles[0].matchedBox.minX, 15);
  EXPECT_EQ(layout.tiles[0].paper.name, L"A3");
  EXPECT_EQ(diag.matched, 1u);
  EXPECT_EQ(diag.acceptedSingleViewport, 2u);

  // A tile inside neither frame (beyond each frame's 1 % tolerance) stays unmatched.
  layout.tiles = {tileAt(225, 148.5, 200, 310)};
  diag = {};
  vexBatchSettleLayoutFrames(layout, diag);
  EXPECT_FALSE(layout.tiles[0].matched);
  EXPECT_EQ(diag.matched, 0u);
}

TEST(ViewportMatching, RoomToSpareOutweighsTheCentre) {
  vexBatchResetRecognitionStateForTesting();
  // An A3 and an A2 frame that overlap without nesting; the tile sits on the A2 frame's centre but is held
  // by both, and the A3 frame, with far less room to spare, wins.
  VexBatchLayoutCandidates layout =
      candidatesWithFrames({frameAt(0, 0, 420, 297, false, L"A3"), frameAt(15, -50, 594, 420, false, L"A2")});
  layout.tiles = {tileAt(312, 160, 200, 150)};
  VexBatchScanDiagnostics diag;
  vexBatchSettleLayoutFrames(layout, diag);
  ASSERT_EQ(layout.frames.size(), 2u);
  EXPECT_EQ(layout.tiles[0].matchedLayer, L"A3");
  EXPECT_EQ(layout.tiles[0].paper.name, L"A3");
}

TEST_F(LayoutOrderingTest, IsoFramesWithContentAndNoViewportAreTalliedAsContentOnly) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1000, 400);
  d.rectangle(0, 0, 420, 297, L"0", space(sheet));
  texts(sheet, 0, 0, 420, 297, 6);
  d.rectangle(500, 0, 920, 297, L"0", space(sheet));
  d.viewport(sheet, 710, 148.5, 300, 200);
  texts(sheet, 500, 0, 920, 297, 6);
  scan();
  const VexBatchScanDiagnostics& diag = gBatchLayoutDiagnostics;
  EXPECT_EQ(diag.promotedContentOnlyFrames, 1u);
  EXPECT_EQ(diag.acceptedWithoutViewport, 1u);
  EXPECT_EQ(diag.acceptedSingleViewport, 1u);
  EXPECT_EQ(diag.matched, 1u);
}

}  // namespace
}  // namespace layout_test

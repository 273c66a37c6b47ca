// The entity walk of the layout scan: what becomes a frame, an enclosing rectangle, a viewport tile, a border
// line or content, the trace lines it writes, and the failures it steps over.

#include <gtest/gtest.h>

#include <algorithm>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"

namespace layout_test {
namespace {

bool hasLine(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool isIso(double w, double h) {
  VexBatchPrintPaperSpec paper;
  return vexBatchRecognizeIsoPaperFrame(w, h, paper);
}

using LayoutWalkTest = LayoutScanTest;

TEST_F(LayoutWalkTest, ALayoutWithOnlyItsOwnViewportIsNotOfferedAndOneTextMakesItWhole) {
  cad::ObjectId bare = layout(L"Layout1", 1);
  cad::ObjectId texted = layout(L"Layout2", 2);
  d.text(100, 100, 5, L"说明", L"0", space(texted));

  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].layoutName, L"Layout1");
  EXPECT_EQ(records[0].layoutId, bare);
  EXPECT_FALSE(records[0].wholeLayout);
  EXPECT_FALSE(records[0].layoutWindow);
  EXPECT_EQ(records[1].sheetName, L"Layout2");
  EXPECT_TRUE(records[1].wholeLayout);
  EXPECT_FALSE(records[1].layoutWindow);
  // A whole-layout record keeps the host's plot paper and device.
  EXPECT_EQ(records[1].paperWidth, 420);
  EXPECT_EQ(records[1].paperHeight, 297);
  EXPECT_EQ(records[1].plotConfigName, L"DWG To PDF.pc3");
  EXPECT_EQ(records[1].tabOrder, 2);
  EXPECT_EQ(gBatchLayoutDiagnostics.viewports, 0u);
  EXPECT_EQ(gBatchLayoutDiagnostics.finalCount, 2u);
}

TEST_F(LayoutWalkTest, AnIsoRectangleIsAFrameAndAnotherRectangleOnlyACandidate) {
  ASSERT_TRUE(isIso(420, 297));
  ASSERT_FALSE(isIso(500, 300));
  cad::ObjectId sheet = layout(L"Layout1", 1, 1000, 700);
  d.rectangle(10, 10, 430, 307, L"图框", space(sheet));
  content(sheet, 10, 10, 430, 307);
  d.rectangle(450, 10, 950, 310, L"0", space(sheet));

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].paper.name, L"A3");
  EXPECT_EQ(windows[0].frameLayer, L"图框");
  EXPECT_TRUE(windows[0].exactPaperFrame);
  EXPECT_EQ(windows[0].minX, 10);
  EXPECT_EQ(windows[0].maxY, 307);
  EXPECT_EQ(windows[0].paperWidth, 420);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 1u);
  EXPECT_TRUE(hasLine(gBatchLayoutCandidateTrace,
                      L"candidate source=AcDbPolyline box=500x300 center=700,160 plottable=1 viewports=0 evidence=1"));
}

TEST_F(LayoutWalkTest, InAPickedModeAPickedRectangleOfAnySizeIsAFrameOnItsAutomaticPaper) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1000, 700);
  cad::ObjectId picked = d.rectangle(450, 10, 950, 310, L"0", space(sheet));
  d.rectangle(10, 10, 430, 307, L"0", space(sheet));  // an ISO sheet, but not picked
  content(sheet, 450, 10, 950, 310);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {picked};

  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].layoutWindow);
  EXPECT_EQ(records[0].minX, 450);
  EXPECT_EQ(records[0].paper.name, L"A3");  // the automatic paper of 500 × 300
  EXPECT_EQ(records[0].paper.shortSide, 297);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 2u);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 1u);
  // No enclosing rectangle is made in a picked mode, so there is no candidate line.
  EXPECT_TRUE(std::none_of(gBatchLayoutCandidateTrace.begin(), gBatchLayoutCandidateTrace.end(),
                           [](const std::wstring& line) { return line.starts_with(L"candidate "); }));
}

TEST_F(LayoutWalkTest, PickedModeRejectsFramesOutOfShapeOrOnExcludedLayers) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 3000, 700);
  d.layer(L"不打印", false);
  std::vector<cad::ObjectId> picked{
      d.rectangle(0, 0, 70, 300, L"0", space(sheet)),          // short side below 80
      d.rectangle(100, 0, 200, 700, L"0", space(sheet)),       // sides 1:7
      d.rectangle(300, 0, 800, 300, L"不打印", space(sheet)),  // layer not plotted
      d.rectangle(900, 0, 1400, 300, L"0", space(sheet)),      // kept
  };
  content(sheet, 900, 0, 1400, 300);
  gBatchIncludeNonPlottableLayers = false;
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = picked;

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 900);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 4u);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 3u);
}

TEST_F(LayoutWalkTest, LayerFilterAppliesToRectanglesButNotToBlockFramesFoundByTheirOwnRules) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1000, 700);
  d.layer(L"Defpoints", false);
  d.rectangle(10, 10, 430, 307, L"Defpoints", space(sheet));
  content(sheet, 10, 10, 430, 307);
  d.insert(a3TitleBlock(), 500, 10, 1.0, L"Defpoints", space(sheet));
  content(sheet, 500, 10, 920, 307);
  gBatchIncludeNonPlottableLayers = false;

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].minX, 500);
  EXPECT_EQ(windows[0].frameLayer, L"Defpoints");
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 2u);
  EXPECT_EQ(gBatchLayoutDiagnostics.filteredOut, 1u);

  gBatchIncludeNonPlottableLayers = true;
  EXPECT_EQ(windowsOf(scan(), L"Layout1").size(), 2u);
}

TEST_F(LayoutWalkTest, BlockFramesByNameOrBorderSignature) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1500, 400);
  // A title block by its name, one by its drawn border alone, and a block that is neither.
  d.insert(a3TitleBlock(L"A3-TK"), 0, 0, 1.0, L"0", space(sheet));
  d.insert(a3TitleBlock(L"Sheet"), 500, 0, 1.0, L"0", space(sheet));
  cad::ObjectId plain = d.block(L"Door");
  d.circle(0, 0, 200, L"0", plain);
  d.insert(plain, 1200, 200, 1.0, L"0", space(sheet));

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].minX, 0);
  EXPECT_EQ(windows[1].minX, 500);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 2u);
}

TEST_F(LayoutWalkTest, OpenPolylinesClosedByTheirGeometryAndLegacyRectanglesAreCounted) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 1500, 400);
  d.polyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}}, false, L"0", space(sheet));
  d.polyline({{500, 0}, {920, 0}, {920, 297}, {500, 297}, {500, 0}}, true, L"0", space(sheet));
  d.legacyPolyline({{1000, 0}, {1420, 0}, {1420, 297}, {1000, 297}}, true, {}, L"0", space(sheet));
  for (double x : {0.0, 500.0, 1000.0}) content(sheet, x, 0, x + 420, 297);

  std::vector<VexBatchPrintLayoutRecord> windows = windowsOf(scan(), L"Layout1");
  EXPECT_EQ(windows.size(), 3u);
  EXPECT_EQ(gBatchLayoutDiagnostics.geometryClosedRectangles, 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.legacyCurveRectangles, 1u);
}

TEST_F(LayoutWalkTest, FourLinesMeetingWithinHalfAUnitFormARectangle) {
  ASSERT_FALSE(isIso(600, 400));
  cad::ObjectId sheet = layout(L"Layout1", 1, 1400, 500);
  // Verticals 0.4 short of the horizontals at both ends.
  d.line(0, 0, 600, 0, L"0", space(sheet));
  d.line(0, 400, 600, 400, L"0", space(sheet));
  d.line(0, 0.4, 0, 399.6, L"0", space(sheet));
  d.line(600, 0.4, 600, 399.6, L"0", space(sheet));
  // Lines shorter than 10 are never border lines.
  d.line(700, 0, 709, 0, L"0", space(sheet));
  d.line(700, 400, 709, 400, L"0", space(sheet));
  d.line(700, 0, 700, 400, L"0", space(sheet));
  d.line(709, 0, 709, 400, L"0", space(sheet));

  scan();
  const std::wstring fourLines = L"candidate source=four-lines box=600x400 center=300,200 plottable=1";
  auto count = std::count_if(gBatchLayoutCandidateTrace.begin(), gBatchLayoutCandidateTrace.end(),
                             [](const std::wstring& line) { return line.starts_with(L"candidate "); });
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(std::any_of(gBatchLayoutCandidateTrace.begin(), gBatchLayoutCandidateTrace.end(),
                          [&](const std::wstring& line) { return line.starts_with(fourLines); }));
}

TEST_F(LayoutWalkTest, TheLayoutsOwnViewportIsNeverATile) {
  cad::ObjectId sheet = layout(L"Layout1", 1);
  d.viewport(sheet, 100, 100, 150, 100);
  d.viewport(sheet, 300, 100, 150, 100, false);
  scan();
  EXPECT_EQ(gBatchLayoutDiagnostics.viewports, 2u);
}

TEST_F(LayoutWalkTest, EntityTraceLinesNameSheetSizedEntitiesOnly) {
  cad::ObjectId sheet = layout(L"Layout1", 1, 2000, 1000);
  d.layer(L"Defpoints", false);
  d.rectangle(0, 0, 420, 297, L"Defpoints", space(sheet));
  d.rectangle(500, 0, 570, 297, L"0", space(sheet));    // narrower than 80
  d.rectangle(600, 0, 1200, 3600, L"0", space(sheet));  // taller than 2500
  d.rectangle(1300, 0, 1380, 500, L"0", space(sheet));  // sides 1:6.25
  d.object<cad::Entity>(d.rectangle(1400, 0, 1820, 297, L"0", space(sheet))).faults.noClass = true;
  scan();
  std::vector<std::wstring> entities;
  for (const std::wstring& line : gBatchLayoutCandidateTrace) {
    if (line.starts_with(L"entity ")) entities.push_back(line);
  }
  EXPECT_EQ(entities, (std::vector<std::wstring>{
                          L"entity type=AcDbViewport box=2000x1000 center=1000,500 plottable=1",
                          L"entity type=AcDbPolyline box=420x297 center=210,148.5 plottable=0",
                          L"entity type=unknown box=420x297 center=1610,148.5 plottable=1",
                      }));
}

TEST_F(LayoutWalkTest, WhatCannotBeOpenedOrMeasuredIsSteppedOver) {
  cad::ObjectId first = layout(L"Layout1", 1, 1500, 400);
  d.object<cad::Entity>(d.rectangle(0, 0, 420, 297, L"0", space(first))).faults.open = true;
  d.object<cad::Entity>(d.rectangle(500, 0, 920, 297, L"0", space(first))).entityFaults.extents = true;
  d.rectangle(1000, 0, 1420, 297, L"0", space(first));
  content(first, 1000, 0, 1420, 297);
  cad::ObjectId unreadable = layout(L"Layout2", 2);
  d.text(10, 10, 5, L"x", L"0", space(unreadable));
  d.object<cad::Layout>(unreadable).faults.open = true;
  cad::ObjectId noSpace = layout(L"Layout3", 3);
  d.object<cad::BlockTableRecord>(space(noSpace)).faults.open = true;

  std::vector<VexBatchPrintLayoutRecord> records = scan();
  ASSERT_EQ(records.size(), 2u);
  ASSERT_TRUE(records[0].layoutWindow);
  EXPECT_EQ(records[0].minX, 1000);
  EXPECT_EQ(records[1].layoutName, L"Layout3");
  EXPECT_FALSE(records[1].wholeLayout);
}

TEST_F(LayoutWalkTest, NoDrawingOrNoLayoutDictionaryGivesNothingAndWritesNoTrace) {
  layout(L"Layout1", 1);
  gBatchLayoutDiagnostics.finalCount = 7;
  gBatchLayoutCandidateTrace = {L"old"};
  d.db().faults.layoutDictionary = true;
  EXPECT_TRUE(scan().empty());
  EXPECT_EQ(gBatchLayoutDiagnostics.finalCount, 0u);
  EXPECT_TRUE(gBatchLayoutCandidateTrace.empty());
  EXPECT_TRUE(traceFileLines().empty());

  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_TRUE(vexCollectPaperLayouts().empty());
  EXPECT_TRUE(traceFileLines().empty());
}

}  // namespace
}  // namespace layout_test

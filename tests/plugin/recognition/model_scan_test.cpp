#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fixture.h"
#include "recognition/model_scan.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"

namespace {

using recognition_test::DrawingFixture;

class ModelScan : public testing::Test {
 protected:
  void SetUp() override { vexBatchResetRecognitionStateForTesting(); }
  void TearDown() override { vexBatchResetRecognitionStateForTesting(); }

  std::vector<VexBatchPrintFrameRecord> scan() {
    std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
    EXPECT_TRUE(drawing.db().openObjects().empty());
    return frames;
  }

  // A polyline sheet with something drawn inside it.
  cad::ObjectId sheet(double minX, double minY, double maxX, double maxY, const std::wstring& layer = L"0") {
    drawing.content(minX, minY, maxX, maxY);
    return drawing.rectangle(minX, minY, maxX, maxY, layer);
  }

  static void expectBox(const VexBatchPrintFrameRecord& r, double minX, double minY, double maxX, double maxY) {
    EXPECT_NEAR(r.minX, minX, 1e-6);
    EXPECT_NEAR(r.minY, minY, 1e-6);
    EXPECT_NEAR(r.maxX, maxX, 1e-6);
    EXPECT_NEAR(r.maxY, maxY, 1e-6);
  }

  static bool isoAtScale(double w, double h) {
    VexBatchPrintPaperSpec paper;
    return vexBatchRecognizeScaledIsoModelFrame(w, h, paper);
  }

  const VexBatchScanDiagnostics& diagnostics() { return gBatchModelDiagnostics; }

  DrawingFixture drawing;
};

void expectNoCounts(const VexBatchScanDiagnostics& d) {
  VexBatchScanDiagnostics zero;
  EXPECT_TRUE(d.excludedBlankFrames.empty());
  EXPECT_EQ(d.rawCandidates, zero.rawCandidates);
  EXPECT_EQ(d.filteredOut, 0u);
  EXPECT_EQ(d.duplicates, 0u);
  EXPECT_EQ(d.nestedExcluded, 0u);
  EXPECT_EQ(d.nestedChildExcluded, 0u);
  EXPECT_EQ(d.lowerPriorityOuterExcluded, 0u);
  EXPECT_EQ(d.rotatedCandidates, 0u);
  EXPECT_EQ(d.dynamicBlockReferences, 0u);
  EXPECT_EQ(d.externalReferenceBlocks, 0u);
  EXPECT_EQ(d.nonUniformScaleReferences, 0u);
  EXPECT_EQ(d.finalCount, 0u);
}

TEST_F(ModelScan, EmptyModelSpaceResetsTheCounters) {
  gBatchModelDiagnostics.finalCount = 9;
  gBatchModelDiagnostics.excludedBlankFrames.emplace_back(L"", 0, 0, 1, 1);
  EXPECT_TRUE(scan().empty());
  expectNoCounts(diagnostics());
}

TEST_F(ModelScan, PolylineAroundContentIsAFrame) {
  drawing.layer(L"图框");
  cad::ObjectId id = sheet(1000, 2000, 1420, 2297, L"图框");
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  const VexBatchPrintFrameRecord& f = frames[0];
  EXPECT_EQ(f.entityId, id);
  EXPECT_TRUE(f.blockReferenceId.isNull());
  EXPECT_EQ(f.name, L"模型图框 01");
  EXPECT_EQ(f.layer, L"图框");
  EXPECT_EQ(f.sourceKind, L"polyline");
  EXPECT_EQ(f.evidence, L"top-level-physical-rectangle");
  EXPECT_EQ(f.blockName, L"");
  EXPECT_TRUE(f.plottableLayer);
  EXPECT_DOUBLE_EQ(f.rotationDegrees, 0);
  EXPECT_EQ(f.paper.name, L"A3");
  expectBox(f, 1000, 2000, 1420, 2297);
  EXPECT_EQ(diagnostics().rawCandidates, 1u);
  EXPECT_EQ(diagnostics().finalCount, 1u);
}

TEST_F(ModelScan, PolylinePaperIsTheScaledSheetOrTheAutomaticOne) {
  struct Case {
    double w, h;
    const wchar_t* paper;
  };
  const Case cases[] = {{59400, 42000, L"A2"}, {500, 300, L"A3"}, {2000, 5000, L"A3"}};
  ASSERT_TRUE(isoAtScale(59400, 42000));
  ASSERT_FALSE(isoAtScale(500, 300));
  ASSERT_FALSE(isoAtScale(2000, 5000));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    DrawingFixture local;
    local.content(0, 0, c.w, c.h);
    local.rectangle(0, 0, c.w, c.h);
    auto frames = vexCollectModelFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].paper.name, c.paper);
  }
}

TEST_F(ModelScan, BlankRectanglesAreLeftOutAndListed) {
  struct Case {
    const char* inside;
    bool blank;
  };
  const Case cases[] = {{"nothing", true},
                        {"an entity covering the frame", true},
                        {"a line on the frame's edge", true},
                        {"a short line just inside the edge band", true},
                        {"a text", false},
                        {"a line crossing the frame", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inside);
    DrawingFixture local;
    vexBatchResetRecognitionStateForTesting();
    local.rectangle(0, 0, 420, 297);
    std::string inside = c.inside;
    if (inside == "an entity covering the frame") local.circle(210, 150, 400);
    if (inside == "a line on the frame's edge") local.line(0, 0, 420, 0);
    if (inside == "a short line just inside the edge band") local.line(0.5, 0.5, 0.5, 100);  // t = 1.485
    if (inside == "a text") local.text(100, 100, 5, L"说明");
    if (inside == "a line crossing the frame") local.line(-100, 150, 600, 150);
    auto frames = vexCollectModelFrames();
    EXPECT_TRUE(local.db().openObjects().empty());
    EXPECT_EQ(frames.empty(), c.blank);
    if (c.blank) {
      ASSERT_EQ(gBatchModelDiagnostics.excludedBlankFrames.size(), 1u);
      const QDLExcludedBlankFrame& b = gBatchModelDiagnostics.excludedBlankFrames[0];
      EXPECT_EQ(b.layoutName, L"");
      EXPECT_DOUBLE_EQ(b.maxX, 420);
      EXPECT_DOUBLE_EQ(b.maxY, 297);
      EXPECT_EQ(gBatchModelDiagnostics.filteredOut, 1u);
    }
    gBatchExcludeBlankRectangles = false;
    EXPECT_EQ(vexCollectModelFrames().size(), 1u);
    EXPECT_TRUE(gBatchModelDiagnostics.excludedBlankFrames.empty());
  }
}

TEST_F(ModelScan, ContentFarFromTheBorderInDrawingOrderCounts) {
  // Two frames whose only content comes long before and long after their borders in the drawing's order.
  drawing.line(1100, 100, 1300, 200);  // inside the second frame, drawn first
  for (int i = 0; i < 1500; ++i) drawing.line(5000, i, 5100, i);
  cad::ObjectId first = drawing.rectangle(0, 0, 420, 297);
  cad::ObjectId second = drawing.rectangle(1000, 0, 1420, 297);
  drawing.rectangle(2000, 0, 2420, 297);  // blank
  for (int i = 0; i < 1500; ++i) drawing.line(6000, i, 6100, i);
  drawing.text(100, 100, 5, L"说明");  // inside the first frame, drawn last
  auto frames = scan();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].entityId, first);
  EXPECT_EQ(frames[1].entityId, second);
  ASSERT_EQ(diagnostics().excludedBlankFrames.size(), 1u);
  EXPECT_DOUBLE_EQ(diagnostics().excludedBlankFrames[0].minX, 2000);
}

TEST_F(ModelScan, PolylineOnABlockFrameGivesOneRecordEitherOrder) {
  for (bool polylineFirst : {true, false}) {
    SCOPED_TRACE(polylineFirst ? "polyline first" : "block first");
    DrawingFixture local;
    vexBatchResetRecognitionStateForTesting();
    cad::ObjectId block = local.titleBlock(L"SHEET", 420, 297);
    cad::ObjectId polyline, reference;
    local.content(100, 100, 520, 397);
    if (polylineFirst) polyline = local.rectangle(100, 100, 520, 397);
    reference = local.insert(block, 100, 100);
    if (!polylineFirst) polyline = local.rectangle(100, 100, 520, 397);
    auto frames = vexCollectModelFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].entityId, reference);
    EXPECT_EQ(frames[0].blockReferenceId, reference);
    EXPECT_EQ(frames[0].blockName, L"SHEET");
    EXPECT_EQ(frames[0].sourceKind, L"block-reference");
    EXPECT_EQ(frames[0].evidence, L"physical-border-block-bounds");
    EXPECT_EQ(gBatchModelDiagnostics.duplicates, 1u);
    EXPECT_EQ(gBatchModelDiagnostics.rawCandidates, 2u);
    EXPECT_TRUE(local.db().openObjects().empty());
  }
}

TEST_F(ModelScan, PolylineOnAnEmptyBlockFrameIsBlankNotADuplicate) {
  cad::ObjectId block = drawing.titleBlock(L"SHEET", 420, 297);
  drawing.rectangle(0, 0, 420, 297);
  cad::ObjectId reference = drawing.insert(block, 0, 0);
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].entityId, reference);
  EXPECT_EQ(diagnostics().duplicates, 0u);
  EXPECT_EQ(diagnostics().excludedBlankFrames.size(), 1u);
}

TEST_F(ModelScan, NestedFrames) {
  // An outer polyline around a smaller title-block reference loses to the block.
  cad::ObjectId block = drawing.titleBlock(L"SHEET", 420, 297);
  drawing.content(10, 10, 430, 307);
  drawing.rectangle(0, 0, 440, 317);
  cad::ObjectId reference = drawing.insert(block, 10, 10);
  // A small polyline inside a larger polyline frame goes.
  cad::ObjectId outer = sheet(2000, 0, 2841, 594);
  sheet(2100, 100, 2520, 397);
  auto frames = scan();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].entityId, reference);
  EXPECT_EQ(frames[1].entityId, outer);
  EXPECT_EQ(diagnostics().lowerPriorityOuterExcluded, 1u);
  EXPECT_EQ(diagnostics().nestedChildExcluded, 1u);
  EXPECT_EQ(diagnostics().nestedExcluded, 2u);
}

TEST_F(ModelScan, PolylineAlmostAsLargeAsTheBlockIsADuplicateNotNested) {
  // 1.01 × the area: neither rule applies (both need 2 %); the boxes are not within the duplicate
  // tolerance either, so both stay.
  cad::ObjectId block = drawing.titleBlock(L"SHEET", 420, 297);
  drawing.content(0, 0, 420, 297);
  drawing.insert(block, 0, 0);
  drawing.rectangle(0, 0, 424.2, 297);
  EXPECT_EQ(scan().size(), 2u);
  EXPECT_EQ(diagnostics().nestedExcluded, 0u);
}

TEST_F(ModelScan, SmallRectanglesAreDroppedOnlyInAutomaticMode) {
  cad::ObjectId big = sheet(0, 0, 841, 594);
  cad::ObjectId small = sheet(1000, 0, 1100, 100);  // 2 % of the big frame
  EXPECT_EQ(scan().size(), 1u);
  EXPECT_EQ(diagnostics().filteredOut, 1u);

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {big, small};
  EXPECT_EQ(scan().size(), 2u);
  EXPECT_EQ(diagnostics().filteredOut, 0u);
}

TEST_F(ModelScan, ExcludedRectanglesDoNotSetTheSizeBar) {
  // Beside an A3 sheet, A1 sheets at 1:10 that are filtered out must not make the A3 one "too small".
  drawing.layer(L"Hidden", false);
  cad::ObjectId a3 = sheet(0, 0, 420, 297);
  drawing.rectangle(10000, 0, 18410, 5940);  // blank
  sheet(20000, 0, 28410, 5940, L"Hidden");   // not plotted
  gBatchIncludeNonPlottableLayers = false;
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].entityId, a3);
  EXPECT_EQ(diagnostics().rawCandidates, 3u);
  EXPECT_EQ(diagnostics().filteredOut, 2u);
}

TEST_F(ModelScan, BlockReferenceAcceptance) {
  struct Case {
    const char* what;
    const wchar_t* blockName;
    bool border;
    double w, h, scale;
    const wchar_t* layer;
    const wchar_t* evidence;  // nullptr: not a frame
  };
  const Case cases[] = {
      {"named, no border", L"A1-Tk", false, 841, 594, 1, L"0", L"named-block-bounds"},
      {"bordered at 1:100", L"SHEET", true, 420, 297, 100, L"0", L"physical-border-block-bounds"},
      {"bordered, odd size, preferred layer", L"SHEET", true, 500, 300, 1, L"TK", L"physical-border-block-bounds"},
      {"bordered, odd size", L"SHEET", true, 500, 300, 1, L"0", nullptr},
      {"ISO size without border", L"SHEET", false, 420, 297, 1, L"TK", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DrawingFixture local;
    vexBatchResetRecognitionStateForTesting();
    cad::ObjectId block;
    if (c.border) {
      block = local.titleBlock(c.blockName, c.w, c.h);
    } else {
      block = local.block(c.blockName);
      local.line(0, 0, c.w, c.h, L"0", block);  // spans the size without any border
      local.text(10, 10, 5, L"图名", L"0", block);
    }
    cad::ObjectId reference = local.insert(block, 0, 0, c.scale, c.layer);
    auto frames = vexCollectModelFrames();
    EXPECT_TRUE(local.db().openObjects().empty());
    if (c.evidence == nullptr) {
      EXPECT_TRUE(frames.empty());
      continue;
    }
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].entityId, reference);
    EXPECT_EQ(frames[0].evidence, c.evidence);
    EXPECT_EQ(frames[0].layer, c.layer);
    EXPECT_EQ(frames[0].blockName, c.blockName);
  }
  ASSERT_TRUE(isoAtScale(42000, 29700));
  ASSERT_FALSE(isoAtScale(500, 300));
}

TEST_F(ModelScan, BlockPaperIsRecognisedAtItsDrawingScale) {
  ASSERT_TRUE(isoAtScale(84100, 59400));
  cad::ObjectId block = drawing.titleBlock(L"A1图框", 841, 594);
  drawing.insert(block, 0, 0, 100);
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].paper.name, L"A1");
  EXPECT_DOUBLE_EQ(frames[0].paper.longSide, 841);
  expectBox(frames[0], 0, 0, 84100, 59400);
  EXPECT_EQ(frames[0].evidence, L"named-block-bounds");
}

TEST_F(ModelScan, DefinitionThatCannotBeOpenedIsAFrameOnlyWhenPicked) {
  // Without its definition a reference has neither a name nor a border, so only picking makes it a frame.
  cad::ObjectId block = drawing.titleBlock(L"TK-A3", 420, 297);
  cad::ObjectId reference = drawing.insert(block, 0, 0);
  ASSERT_EQ(scan().size(), 1u);
  drawing.object<cad::BlockTableRecord>(block).faults.open = true;
  EXPECT_TRUE(scan().empty());

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {reference};
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].blockName, L"");
  EXPECT_EQ(frames[0].evidence, L"selected-block-bounds");
  EXPECT_EQ(frames[0].sourceKind, L"block-reference");
  EXPECT_FALSE(frames[0].externalReference);
}

TEST_F(ModelScan, ReferenceKindsAndTheirCounters) {
  cad::ObjectId dynamicDefinition = drawing.titleBlock(L"DYN-SHEET", 420, 297);
  drawing.object<cad::BlockTableRecord>(dynamicDefinition).dynamicDefinition = true;
  cad::ObjectId representation = drawing.titleBlock(L"*U7", 420, 297);
  drawing.object<cad::BlockTableRecord>(representation).anonymous = true;
  cad::ObjectId xref = drawing.titleBlock(L"XREF-SHEET", 420, 297);
  drawing.object<cad::BlockTableRecord>(xref).fromExternalReference = true;
  cad::ObjectId overlay = drawing.titleBlock(L"OVERLAY-SHEET", 420, 297);
  drawing.object<cad::BlockTableRecord>(overlay).fromOverlayReference = true;
  cad::ObjectId plain = drawing.titleBlock(L"SHEET", 420, 297);

  drawing.insert(dynamicDefinition, 0, 1000);
  cad::ObjectId anonymous = drawing.insert(representation, 1000, 1000);
  drawing.object<cad::BlockReference>(anonymous).dynamicBlockId = dynamicDefinition;
  drawing.insert(xref, 2000, 1000);
  drawing.insert(overlay, 3000, 1000);
  cad::ObjectId stretched = drawing.insert(plain, 0, 0);
  drawing.object<cad::BlockReference>(stretched).scale = {1, 1.0001, 1};
  cad::ObjectId mirrored = drawing.insert(plain, 2000, 0);
  drawing.object<cad::BlockReference>(mirrored).scale = {-1, 1, 1};
  drawing.turnedRectangle(5000, 0, 420, 297, 30);

  auto frames = scan();
  ASSERT_EQ(frames.size(), 6u);
  const wchar_t* kinds[] = {L"dynamic-block-reference", L"dynamic-block-reference", L"xref-block-reference",
                            L"xref-block-reference",    L"block-reference",         L"block-reference"};
  for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(frames[i].sourceKind, kinds[i]) << i;
  EXPECT_EQ(frames[1].blockName, L"DYN-SHEET");
  EXPECT_TRUE(frames[1].dynamicBlock);
  EXPECT_TRUE(frames[2].externalReference);
  EXPECT_EQ(diagnostics().dynamicBlockReferences, 2u);
  EXPECT_EQ(diagnostics().externalReferenceBlocks, 2u);
  EXPECT_EQ(diagnostics().nonUniformScaleReferences, 1u);
  EXPECT_EQ(diagnostics().rotatedCandidates, 1u);
  EXPECT_EQ(diagnostics().rawCandidates, 6u);
}

TEST_F(ModelScan, RecognitionModes) {
  cad::ObjectId tkBlock = drawing.titleBlock(L"TK-A3", 420, 297);
  cad::ObjectId otherBlock = drawing.titleBlock(L"SHEET", 420, 297);
  cad::ObjectId onTk = sheet(0, 0, 420, 297, L"Frames");
  cad::ObjectId onOther = sheet(1000, 0, 1420, 297, L"Other");
  cad::ObjectId tkInsert = drawing.insert(tkBlock, 2000, 0, 1, L"Other");
  cad::ObjectId otherInsert = drawing.insert(otherBlock, 3000, 0, 1, L"Frames");
  cad::ObjectId plainBlock = drawing.block(L"Chair");
  drawing.circle(0, 0, 20, L"0", plainBlock);
  cad::ObjectId chair = drawing.insert(plainBlock, 4000, 0);

  auto ids = [&] {
    std::vector<cad::ObjectId> out;
    for (const auto& f : scan()) out.push_back(f.entityId);
    return out;
  };
  EXPECT_EQ(ids(), (std::vector<cad::ObjectId>{onTk, onOther, tkInsert, otherInsert}));

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  gBatchDesignatedFrameLayer = L"FRAMES";
  EXPECT_EQ(ids(), (std::vector<cad::ObjectId>{onTk, otherInsert}));
  gBatchDesignatedFrameLayer.clear();
  EXPECT_TRUE(ids().empty());

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {chair, onOther};
  auto picked = scan();
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_EQ(picked[0].entityId, onOther);
  EXPECT_EQ(picked[1].entityId, chair);
  EXPECT_EQ(picked[1].evidence, L"selected-block-bounds");

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
  gBatchDesignatedFrameBlock = L"sheet";
  EXPECT_EQ(ids(), (std::vector<cad::ObjectId>{otherInsert}));
  EXPECT_EQ(diagnostics().rawCandidates, 2u);  // polylines never match a block mode
  gBatchDesignatedFrameBlock.clear();
  EXPECT_TRUE(ids().empty());
}

TEST_F(ModelScan, NonPlottedLayers) {
  drawing.layer(L"Hidden", false);
  sheet(0, 0, 420, 297, L"Hidden");
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_FALSE(frames[0].plottableLayer);
  gBatchIncludeNonPlottableLayers = false;
  EXPECT_TRUE(scan().empty());
  EXPECT_EQ(diagnostics().filteredOut, 1u);
}

TEST_F(ModelScan, ReadingOrderGroupsRows) {
  // Two rows of A1 sheets at 1:100 with a few units of jitter, drawn in scrambled order.
  cad::ObjectId block = drawing.titleBlock(L"A1图框", 841, 594);
  const double w = 84100, h = 59400, gap = 5000;
  struct Place {
    int row, column;
    double jitter;
  };
  const Place places[] = {{1, 2, 3}, {0, 1, -40}, {1, 0, 0}, {0, 0, 25}, {0, 2, 0}, {1, 1, -7}};
  std::vector<cad::ObjectId> expected(6);
  for (const Place& p : places) {
    double x = p.column * (w + gap);
    double y = -p.row * (h + gap) + p.jitter;
    expected[p.row * 3 + p.column] = drawing.insert(block, x, y, 100);
  }
  auto frames = scan();
  ASSERT_EQ(frames.size(), 6u);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].entityId, expected[i]) << i;
    EXPECT_EQ(frames[i].name, L"模型图框 0" + std::to_wstring(i + 1));
  }
}

TEST_F(ModelScan, RowIsTakenFromTheFirstFrameHeight) {
  // B's centre is 0.35 h below A's and to its left: one row, B first. C is 0.45 h below A: next row.
  sheet(1000, 0, 1420, 297);                       // A, centre y 148.5
  sheet(0, -104, 420, 193);                        // B, centre y 44.5
  cad::ObjectId c = sheet(2000, -134, 2420, 163);  // C, centre y 14.5
  auto frames = scan();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_DOUBLE_EQ(frames[0].minX, 0);
  EXPECT_DOUBLE_EQ(frames[1].minX, 1000);
  EXPECT_EQ(frames[2].entityId, c);
}

TEST_F(ModelScan, NamesCountOnWithoutLimit) {
  for (int i = 0; i < 100; ++i)
    sheet((i % 10) * 500.0, -(i / 10) * 400.0, (i % 10) * 500.0 + 420, -(i / 10) * 400.0 + 297);
  auto frames = scan();
  ASSERT_EQ(frames.size(), 100u);
  EXPECT_EQ(frames[0].name, L"模型图框 01");
  EXPECT_EQ(frames[8].name, L"模型图框 09");
  EXPECT_EQ(frames[9].name, L"模型图框 10");
  EXPECT_EQ(frames[99].name, L"模型图框 100");
  EXPECT_DOUBLE_EQ(frames[10].minX, 0);  // the second row starts on the left again
  EXPECT_EQ(diagnostics().finalCount, 100u);
}

TEST_F(ModelScan, SurveyCoordinates) {
  cad::ObjectId block = drawing.titleBlock(L"SHEET", 594, 420);
  drawing.content(500000, 3000000, 559400, 3042000);
  drawing.insert(block, 500000, 3000000, 100);
  sheet(600000, 3000000, 642000, 3029700);
  auto frames = scan();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].paper.name, L"A2");
  EXPECT_EQ(frames[1].paper.name, L"A3");
}

TEST_F(ModelScan, UnreadableDrawingGivesAnEmptyList) {
  sheet(0, 0, 420, 297);
  drawing.db().faults.blockTable = true;
  EXPECT_TRUE(scan().empty());
  expectNoCounts(diagnostics());
  drawing.db().faults.blockTable = false;

  drawing.object<cad::BlockTableRecord>(drawing.modelSpace()).failIterator = true;
  EXPECT_TRUE(scan().empty());
  drawing.object<cad::BlockTableRecord>(drawing.modelSpace()).failIterator = false;

  drawing.object<cad::BlockTableRecord>(drawing.modelSpace()).faults.open = true;
  EXPECT_TRUE(scan().empty());
  drawing.object<cad::BlockTableRecord>(drawing.modelSpace()).faults.open = false;

  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_TRUE(vexCollectModelFrames().empty());
  cad::acdbHostApplicationServices()->setWorkingDatabase(&drawing.db());
  EXPECT_EQ(scan().size(), 1u);
}

TEST_F(ModelScan, EntitiesThatFailAreSkipped) {
  cad::ObjectId unopenable = sheet(0, 0, 420, 297);
  cad::ObjectId unreadableVertex = sheet(1000, 0, 1420, 297);
  cad::ObjectId good = sheet(2000, 0, 2420, 297);
  cad::ObjectId block = drawing.titleBlock(L"TK-A3", 420, 297);
  cad::ObjectId noExtents = drawing.insert(block, 3000, 0);
  drawing.object<cad::Entity>(unopenable).faults.open = true;
  drawing.object<cad::Polyline>(unreadableVertex).failVertexReads = {1};
  drawing.object<cad::Entity>(noExtents).entityFaults.extents = true;
  auto frames = scan();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].entityId, good);
}

TEST_F(ModelScan, NonFiniteExtentsAreNoExtents) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  drawing.rectangle(0, 0, 420, 297);
  drawing.line(kNaN, 100, 200, 100);  // inside, but without usable extents: no content
  cad::ObjectId block = drawing.titleBlock(L"TK-A3", 420, 297);
  drawing.insert(block, kNaN, 0);
  EXPECT_TRUE(scan().empty());
  EXPECT_EQ(diagnostics().excludedBlankFrames.size(), 1u);
}

}  // namespace

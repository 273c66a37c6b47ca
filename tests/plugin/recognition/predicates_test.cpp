#include <gtest/gtest.h>

#include "fixture.h"
#include "recognition/predicates.h"
#include "recognition/recognition_state.h"

namespace {

using recognition_test::DrawingFixture;

class Predicates : public testing::Test {
 protected:
  void SetUp() override { vexBatchResetRecognitionStateForTesting(); }
  void TearDown() override {
    EXPECT_TRUE(drawing.db().openObjects().empty());
    vexBatchResetRecognitionStateForTesting();
  }

  const cad::Entity* entity(cad::ObjectId id) { return &drawing.object<cad::Entity>(id); }
  const cad::BlockReference* reference(cad::ObjectId id) { return &drawing.object<cad::BlockReference>(id); }

  DrawingFixture drawing;
};

TEST(FrameLayerPreferred, LooksForFrameWordsInAnyCase) {
  struct Case {
    const wchar_t* name;
    bool preferred;
  };
  const Case cases[] = {
      {L"A1-TK", true},  {L"Frame_Main", true}, {L"BORDER", true}, {L"建筑图框", true}, {L"Title Block", true},
      {L"Hotkey", true},  // "tk" inside a longer word
      {L"tick", false},  {L"T K", false},       {L"图 框", false}, {L"", false},        {L"DIM", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.name)));
    EXPECT_EQ(vexBatchFrameLayerPreferred(c.name), c.preferred);
  }
}

TEST(LayerNamesEqual, IgnoresLetterCaseOnly) {
  EXPECT_TRUE(vexBatchLayerNamesEqual(L"TK-Frame", L"tk-FRAME"));
  EXPECT_TRUE(vexBatchLayerNamesEqual(L"图框", L"图框"));
  EXPECT_TRUE(vexBatchLayerNamesEqual(L"", L""));
  EXPECT_FALSE(vexBatchLayerNamesEqual(L"TK", L"TK "));
  EXPECT_FALSE(vexBatchLayerNamesEqual(L"TK", L"TJ"));
}

TEST_F(Predicates, EntityMatchesTheRecognitionMode) {
  cad::ObjectId frameBlock = drawing.block(L"A3-SHEET");
  cad::ObjectId onFrames = drawing.rectangle(0, 0, 420, 297, L"Frames");
  cad::ObjectId elsewhere = drawing.rectangle(0, 0, 420, 297, L"Notes");
  cad::ObjectId insert = drawing.insert(frameBlock, 0, 0, 1, L"Notes");

  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(nullptr));
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(elsewhere)));  // automatic

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(entity(onFrames)));  // no layer designated
  gBatchDesignatedFrameLayer = L"FRAMES";
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(onFrames)));
  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(entity(elsewhere)));

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchSelectedFrameEntityIds = {elsewhere};
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(elsewhere)));
  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(entity(onFrames)));

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(entity(insert)));  // no block designated
  gBatchDesignatedFrameBlock = L"a3-sheet";
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(insert)));
  EXPECT_FALSE(vexBatchEntityMatchesFrameRecognition(entity(onFrames)));  // a polyline never matches
}

TEST_F(Predicates, UnknownModeIsAutomatic) {
  gBatchFrameRecognitionMode = 7;
  EXPECT_FALSE(vexBatchExplicitFrameMode());
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(drawing.rectangle(0, 0, 10, 10))));
  for (int mode : {1, 2, 3}) {
    gBatchFrameRecognitionMode = mode;
    EXPECT_TRUE(vexBatchExplicitFrameMode());
  }
  gBatchFrameRecognitionMode = 0;
  EXPECT_FALSE(vexBatchExplicitFrameMode());
}

TEST_F(Predicates, DesignatedLayerTestAppliesOnlyInLayerMode) {
  EXPECT_TRUE(vexBatchFrameMatchesDesignatedLayer(L"anything"));
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  EXPECT_FALSE(vexBatchFrameMatchesDesignatedLayer(L"anything"));
  gBatchDesignatedFrameLayer = L"TK";
  EXPECT_TRUE(vexBatchFrameMatchesDesignatedLayer(L"tk"));
  EXPECT_FALSE(vexBatchFrameMatchesDesignatedLayer(L"tk2"));
}

TEST_F(Predicates, LayerPlotFlagByName) {
  drawing.layer(L"Defpoints-like", false);
  drawing.layer(L"Plotted", true);
  EXPECT_FALSE(vexBatchLayerNameIsPlottable(L"DEFPOINTS-LIKE"));  // the table looks names up in any case
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L"Plotted"));
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L"Missing"));
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L""));
}

TEST_F(Predicates, LayerPlotFlagCountsAsPlottedWhenItCannotBeRead) {
  cad::ObjectId hidden = drawing.layer(L"Hidden", false);
  drawing.db().faults.layerTable = true;
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L"Hidden"));
  drawing.db().faults.layerTable = false;
  drawing.object<cad::LayerTableRecord>(hidden).faults.open = true;
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L"Hidden"));
  drawing.object<cad::LayerTableRecord>(hidden).faults.open = false;
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_TRUE(vexBatchLayerNameIsPlottable(L"Hidden"));
  cad::acdbHostApplicationServices()->setWorkingDatabase(&drawing.db());
  EXPECT_FALSE(vexBatchLayerNameIsPlottable(L"Hidden"));
}

TEST_F(Predicates, EntityLayerAndItsPlotFlag) {
  cad::ObjectId hidden = drawing.layer(L"Hidden", false);
  cad::ObjectId onHidden = drawing.line(0, 0, 10, 0, L"Hidden");
  cad::ObjectId onZero = drawing.line(0, 0, 10, 0);

  EXPECT_EQ(vexBatchEntityLayer(entity(onHidden)), L"Hidden");
  EXPECT_EQ(vexBatchEntityLayer(nullptr), L"");
  EXPECT_FALSE(vexBatchEntityLayerIsPlottable(entity(onHidden)));
  EXPECT_TRUE(vexBatchEntityLayerIsPlottable(entity(onZero)));
  EXPECT_TRUE(vexBatchEntityLayerIsPlottable(nullptr));

  EXPECT_TRUE(vexBatchEntityLayerIsAllowed(entity(onHidden)));  // non-plotted layers included
  gBatchIncludeNonPlottableLayers = false;
  EXPECT_FALSE(vexBatchEntityLayerIsAllowed(entity(onHidden)));
  EXPECT_TRUE(vexBatchEntityLayerIsAllowed(entity(onZero)));

  drawing.object<cad::LayerTableRecord>(hidden).faults.open = true;
  EXPECT_TRUE(vexBatchEntityLayerIsPlottable(entity(onHidden)));
  drawing.object<cad::Entity>(onHidden).entityFaults.layerName = true;
  EXPECT_EQ(vexBatchEntityLayer(entity(onHidden)), L"");
}

TEST_F(Predicates, BlockReferenceNameFollowsDynamicBlocks) {
  cad::ObjectId dynamicDefinition = drawing.block(L"TK-Dynamic");
  drawing.object<cad::BlockTableRecord>(dynamicDefinition).dynamicDefinition = true;
  cad::ObjectId representation = drawing.block(L"*U12");
  drawing.object<cad::BlockTableRecord>(representation).anonymous = true;
  cad::ObjectId plain = drawing.block(L"Plain");

  cad::ObjectId direct = drawing.insert(dynamicDefinition, 0, 0);
  cad::ObjectId anonymous = drawing.insert(representation, 0, 0);
  drawing.object<cad::BlockReference>(anonymous).dynamicBlockId = dynamicDefinition;
  cad::ObjectId plainInsert = drawing.insert(plain, 0, 0);
  cad::ObjectId noDefinition = drawing.insert(cad::ObjectId(), 0, 0);

  EXPECT_EQ(vexBatchBlockReferenceName(reference(direct)), L"TK-Dynamic");
  EXPECT_EQ(vexBatchBlockReferenceName(reference(anonymous)), L"TK-Dynamic");
  EXPECT_EQ(vexBatchBlockReferenceName(reference(plainInsert)), L"Plain");
  EXPECT_EQ(vexBatchBlockReferenceName(reference(noDefinition)), L"");
  EXPECT_EQ(vexBatchBlockReferenceName(nullptr), L"");

  drawing.object<cad::BlockTableRecord>(plain).failName = true;
  EXPECT_EQ(vexBatchBlockReferenceName(reference(plainInsert)), L"");
  drawing.object<cad::BlockTableRecord>(plain).failName = false;
  drawing.object<cad::BlockTableRecord>(plain).faults.open = true;
  EXPECT_EQ(vexBatchBlockReferenceName(reference(plainInsert)), L"");

  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
  gBatchDesignatedFrameBlock = L"tk-dynamic";
  EXPECT_TRUE(vexBatchEntityMatchesFrameRecognition(entity(anonymous)));
}

TEST_F(Predicates, SelectedFrameContains) {
  cad::ObjectId a = drawing.line(0, 0, 1, 0);
  cad::ObjectId b = drawing.line(0, 0, 2, 0);
  gBatchSelectedFrameEntityIds = {b};
  EXPECT_TRUE(vexBatchSelectedFrameContains(b));
  EXPECT_FALSE(vexBatchSelectedFrameContains(a));
  EXPECT_FALSE(vexBatchSelectedFrameContains(cad::ObjectId()));
}

}  // namespace

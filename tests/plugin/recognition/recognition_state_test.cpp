// The settings the picking commands choose: each choice changes what it decides and keeps the rest.
#include <gtest/gtest.h>

#include "recognition/recognition_state.h"

namespace {

class RecognitionChoices : public testing::Test {
 protected:
  // Every setting holds something, so a test sees what a choice keeps as well as what it clears.
  void SetUp() override {
    vexBatchResetRecognitionStateForTesting();
    gBatchFrameRecognitionMode = 2;
    gBatchDesignatedFrameLayer = L"OLD-LAYER";
    gBatchDesignatedFrameBlock = L"OLD-BLOCK";
    gBatchSelectedFrameEntityIds = {cad::ObjectId{7}, cad::ObjectId{9}};
    gBatchLayoutSelectionRange = {VexBatchPrintSourceLayout, L"A1", 0, 0, 10, 10, true};
  }
  void TearDown() override { vexBatchResetRecognitionStateForTesting(); }
};

TEST_F(RecognitionChoices, TheLayerPickForgetsPickedEntitiesOnly) {
  useDesignatedFrameLayer(L"TK");
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedLayer);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"TK");
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"OLD-BLOCK");
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
}

TEST_F(RecognitionChoices, TheFramePickReplacesTheEntitiesAndKeepsTheRest) {
  usePickedFrames({cad::ObjectId{3}});
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionPickedEntities);
  EXPECT_EQ(gBatchSelectedFrameEntityIds, std::vector<cad::ObjectId>{cad::ObjectId{3}});
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"OLD-BLOCK");
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
}

TEST_F(RecognitionChoices, TheBlockPickEndsTheRangeAndKeepsTheLayer) {
  useDesignatedFrameBlock(L"TK-A3");
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedBlock);
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"TK-A3");
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_FALSE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(gBatchLayoutSelectionRange.layoutName, L"");
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
}

TEST_F(RecognitionChoices, TheRangeIsActiveWhateverItWasGivenAndModeAutomatic) {
  useSelectionRange({VexBatchPrintSourceModel, L"Model", -5, 1, 40, 30, false});
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionAutomatic);
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(gBatchLayoutSelectionRange.kind, VexBatchPrintSourceModel);
  EXPECT_EQ(gBatchLayoutSelectionRange.layoutName, L"Model");
  EXPECT_EQ(gBatchLayoutSelectionRange.minX, -5);
  EXPECT_EQ(gBatchLayoutSelectionRange.maxY, 30);
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"");
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
}

}  // namespace

// The picks of two corners: the print range for the full or the compact panel, and the manual frame handed to
// the full panel. Corners are answered in the current UCS, as a user types them.
#include <cmath>
#include <optional>

#include "cad/editor_input.h"
#include "cad/layout_manager.h"
#include "cad/sysvars.h"
#include "cad/ucs.h"
#include "core/frame_picking.h"
#include "core/panel_handoffs.h"
#include "drawing_fixture.h"
#include "foundation/user_defaults.h"
#include "recognition/recognition_state.h"

namespace {

using core_test::DrawingCommandTest;

struct ManualFrame {
  VexBatchPrintSource source;
  std::string layoutName;
  double minX, minY, maxX, maxY;
};

class CornerPickingTest : public DrawingCommandTest {
 protected:
  void SetUp() override {
    DrawingCommandTest::SetUp();
    gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
    gBatchDesignatedFrameLayer = L"OLD-LAYER";
    gBatchDesignatedFrameBlock = L"OLD-BLOCK";
    gBatchSelectedFrameEntityIds = {cad::ObjectId{42}};
  }

  // Records the frames handed to the full panel, after the panel's own record of the call.
  void recordManualFrames() {
    PanelHandoffs handoffs;
    handoffs.addManualFrame = [this](VexBatchPrintSource source, const std::string& layout, double minX, double minY,
                                     double maxX, double maxY) {
      frames.push_back({source, layout, minX, minY, maxX, maxY});
      quodlTraceCall("addManualFrameWithSource");
    };
    setPanelHandoffs(std::move(handoffs));
  }

  static std::wstring lastLine() { return lines().empty() ? L"" : lines().back(); }
  static bool storedMode() { return foundation::UserDefaults::standard().hasKey("Quodline.RecognitionMode"); }
  static bool rangeUnchanged() { return !gBatchLayoutSelectionRange.active && gBatchLayoutSelectionRange.maxX == 0; }

  std::vector<ManualFrame> frames;
};

TEST_F(CornerPickingTest, RangeLimitsTheFullPanelToTheCornersInWorldCoordinates) {
  runCommand(vexBatchPrintSelectRange, {L"310,220", L"10,20"});
  const auto& prompts = cad::editorInput().prompts;
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0].prompt, L"指定打印范围第一个角点: ");
  EXPECT_EQ(prompts[1].kind, cad::PromptRecord::kCorner);
  EXPECT_EQ(prompts[1].prompt, L"指定打印范围对角点: ");
  ASSERT_TRUE(prompts[1].base.has_value());  // the rubber band starts at the first corner
  EXPECT_EQ(prompts[1].base->x, 310);

  const VexBatchLayoutSelectionRange& range = gBatchLayoutSelectionRange;
  EXPECT_TRUE(range.active);
  EXPECT_EQ(range.kind, VexBatchPrintSourceLayout);
  EXPECT_EQ(range.layoutName, L"Layout1");
  EXPECT_EQ(range.minX, 10);
  EXPECT_EQ(range.minY, 20);
  EXPECT_EQ(range.maxX, 310);
  EXPECT_EQ(range.maxY, 220);
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionAutomatic);
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"");
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.RecognitionMode"), 0);
  const std::vector<std::wstring> all = lines();
  EXPECT_EQ(std::vector<std::wstring>(all.end() - 2, all.end()),
            (std::vector<std::wstring>{L"已限定布局框选打印范围；列表只保留范围内完整包含的图框。",
                                       L"[vexBatchPrintPanelReload]"}));
}

TEST_F(CornerPickingTest, AModelSpaceRangeIsTakenOnTheModelTabUnderTheCurrentUcs) {
  gBatchRangeSource = VexBatchPrintSourceModel;
  cad::ucsState().current.origin = {1000, 500, 0};
  runCommand(vexBatchPrintSelectRange, {L"0,0", L"@200,100"});
  EXPECT_EQ(ctab(), L"Model");
  EXPECT_EQ(gBatchLayoutSelectionRange.kind, VexBatchPrintSourceModel);
  EXPECT_EQ(gBatchLayoutSelectionRange.layoutName, L"Model");
  EXPECT_EQ(gBatchLayoutSelectionRange.minX, 1000);
  EXPECT_EQ(gBatchLayoutSelectionRange.maxY, 600);
  EXPECT_NE(transcript().find(L"已限定模型框选打印范围"), std::wstring::npos);
}

TEST_F(CornerPickingTest, RangesOfOneUnitOrLessAreTooSmall) {
  const struct {
    const wchar_t* opposite;
    bool accepted;
  } cases[] = {{L"1,5", false}, {L"5,1", false}, {L"1.0001,1.0001", true}, {L"-0.5,-0.5", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.opposite)));
    gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
    runCommand(vexBatchPrintSelectRange, {L"0,0", c.opposite});
    EXPECT_EQ(gBatchLayoutSelectionRange.active, c.accepted);
    if (!c.accepted) {
      const std::vector<std::wstring> all = lines();
      EXPECT_EQ(all.at(all.size() - 2), L"框选打印范围失败：所选范围过小。");
    }
  }
}

TEST_F(CornerPickingTest, EveryFailedRangeSaysWhyAndChangesNothing) {
  const std::wstring cancelled = L"已取消框选打印范围。";
  const std::wstring unconverted = L"框选打印范围失败：无法转换角点坐标。";
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::wstring> answers;
    std::wstring message;
  } cases[] = {
      {"on the Model tab",
       [] { ASSERT_TRUE(vexBatchActivateLayout(L"Model")); },
       {},
       L"框选打印范围失败：无法进入当前选择的布局或模型空间。"},
      {"first corner escaped", [] {}, {L"*CANCEL*"}, cancelled},
      {"second corner escaped", [] {}, {L"0,0", L"\x1b"}, cancelled},
      {"second corner entered empty", [] {}, {L"0,0", L""}, cancelled},
      // The host itself refuses what is no point and asks again; the user then gives up.
      {"non-finite and overflowing corners", [] {}, {L"nan,0", L"1e999,0", L"*CANCEL*"}, cancelled},
      {"corners the host cannot convert", [] { cad::ucsState().faults.trans = true; }, {L"0,0", L"50,50"}, unconverted},
      {"corners beyond the range of numbers",
       [] {
         cad::ucsState().current.origin = {1.5e308, 0, 0};
       },
       {L"1e308,0", L"0,50"},
       unconverted},
      {"a range whose sides overflow", [] {}, {L"-1.5e308,0", L"1.5e308,50"}, unconverted},
      {"the layout name unreadable",
       [] { cad::layoutManager()->faults.activeName = true; },
       {L"0,0", L"50,50"},
       L"框选打印范围失败：无法读取当前布局名称。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    c.arrange();
    runCommand(vexBatchPrintSelectRange, c.answers);
    const std::vector<std::wstring> all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(std::vector<std::wstring>(all.end() - 2, all.end()),
              (std::vector<std::wstring>{c.message, L"[vexBatchPrintPanelShow]"}));
    EXPECT_TRUE(rangeUnchanged());
    EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedBlock);
    EXPECT_EQ(gBatchDesignatedFrameBlock, L"OLD-BLOCK");
    EXPECT_FALSE(storedMode());
    cad::ucsState().reset();
    cad::layoutManager()->faults = {};
  }
}

TEST_F(CornerPickingTest, WithTheCompactPanelTheRangeGoesToItQuietly) {
  foundation::UserDefaults::standard().setBool(true, "Quodline.LiteMode");
  gBatchRangeSource = VexBatchPrintSourceModel;  // the current space decides
  runCommand(vexBatchPrintSelectRange, {L"0,0", L"100,100"});
  EXPECT_EQ(gBatchRangeSource, VexBatchPrintSourceLayout);
  EXPECT_EQ(ctab(), L"Layout1");
  const std::vector<std::wstring> all = lines();
  EXPECT_EQ(all.front(), L"[vexBatchLiteHide]");
  EXPECT_EQ(std::vector<std::wstring>(all.end() - 2, all.end()),
            (std::vector<std::wstring>{L"[vexBatchLiteSaveRange]", L"[vexBatchPrintLiteShow]"}));
  EXPECT_TRUE(rangeUnchanged());
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedBlock);
  EXPECT_FALSE(storedMode());

  ASSERT_TRUE(vexBatchActivateLayout(L"Model"));
  runCommand(vexBatchPrintSelectRange, {L"*CANCEL*"});
  EXPECT_EQ(gBatchRangeSource, VexBatchPrintSourceModel);
  // The panel shown again is the compact one.
  const std::vector<std::wstring> after = lines();
  EXPECT_EQ(std::vector<std::wstring>(after.end() - 2, after.end()),
            (std::vector<std::wstring>{L"[vexBatchPrintPanelShow]", L"[vexBatchPrintLiteShow]"}));
}

TEST_F(CornerPickingTest, ManualFrameGoesToTheFullPanelWithItsCornersAsPicked) {
  recordManualFrames();
  foundation::UserDefaults::standard().setBool(true, "Quodline.LiteMode");  // the full panel all the same
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);
  runCommand(vexBatchPrintAddManualFrame, {L"420,297", L"0,0"});
  EXPECT_EQ(cad::systemVariables().currentViewport(&db()), 1);
  EXPECT_EQ(cad::editorInput().prompts.at(0).prompt, L"指定图框第一个角点: ");
  EXPECT_EQ(cad::editorInput().prompts.at(1).prompt, L"指定图框对角点: ");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].source, VexBatchPrintSourceLayout);
  EXPECT_EQ(frames[0].layoutName, "Layout1");
  EXPECT_EQ(frames[0].minX, 420);
  EXPECT_EQ(frames[0].minY, 297);
  EXPECT_EQ(frames[0].maxX, 0);
  EXPECT_EQ(frames[0].maxY, 0);
  const std::vector<std::wstring> all = lines();
  EXPECT_EQ(
      std::vector<std::wstring>(all.end() - 2, all.end()),
      (std::vector<std::wstring>{L"[addManualFrameWithSource]", L"手动图框已加入当前批打任务；DWG 未修改、未保存。"}));
  // A manual frame chooses no recognition setting.
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedBlock);
  EXPECT_FALSE(storedMode());

  gBatchManualSource = VexBatchPrintSourceModel;
  runCommand(vexBatchPrintAddManualFrame, {L"0,0", L"500,300"});
  EXPECT_EQ(ctab(), L"Model");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].source, VexBatchPrintSourceModel);
  EXPECT_EQ(frames[1].layoutName, "");
}

TEST_F(CornerPickingTest, EveryFailedManualFrameSaysWhyAndHandsNothingOn) {
  recordManualFrames();
  const struct {
    const char* what;
    VexBatchPrintSource source;
    std::function<void()> arrange;
    std::vector<std::wstring> answers;
    std::wstring message;
  } cases[] = {
      {"a layout frame from the Model tab",
       VexBatchPrintSourceLayout,
       [] { ASSERT_TRUE(vexBatchActivateLayout(L"Model")); },
       {},
       L"手动补框失败：请先切换到目标布局，再从“布局”列表操作。"},
      {"TILEMODE unreadable",
       VexBatchPrintSourceLayout,
       [] { cad::systemVariables().faults.get.insert(L"TILEMODE"); },
       {},
       L"手动补框失败：请先切换到目标布局，再从“布局”列表操作。"},
      {"model space out of reach",
       VexBatchPrintSourceModel,
       [] { cad::systemVariables().faults.set.insert(L"CTAB"); },
       {},
       L"手动补框失败：无法切换到模型空间。"},
      {"escaped", VexBatchPrintSourceLayout, [] {}, {L"0,0", L"*CANCEL*"}, L"已取消手动补框。"},
      {"unconvertible corners",
       VexBatchPrintSourceLayout,
       [] { cad::ucsState().faults.trans = true; },
       {L"0,0", L"50,50"},
       L"手动补框失败：无法转换角点坐标。"},
      {"the same point twice", VexBatchPrintSourceLayout, [] {}, {L"10,10", L"10,10"}, L"手动补框失败：所选图框过小。"},
      {"a side of one unit", VexBatchPrintSourceLayout, [] {}, {L"10,10", L"11,200"}, L"手动补框失败：所选图框过小。"},
      {"the layout name unreadable",
       VexBatchPrintSourceLayout,
       [] { cad::layoutManager()->faults.activeName = true; },
       {L"0,0", L"50,50"},
       L"手动补框失败：无法读取当前布局名称。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    gBatchManualSource = c.source;
    c.arrange();
    runCommand(vexBatchPrintAddManualFrame, c.answers);
    const std::vector<std::wstring> all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(std::vector<std::wstring>(all.end() - 2, all.end()),
              (std::vector<std::wstring>{c.message, L"[vexBatchPrintPanelShow]"}));
    cad::systemVariables().faults = {};
    cad::ucsState().reset();
    cad::layoutManager()->faults = {};
  }
  EXPECT_TRUE(frames.empty());
}

}  // namespace

// The picks of a frame layer, frames and a frame block, answered at the host's prompts as a user would: what
// each success chooses, and that every failure, cancellation or hostile answer says why, shows the panel again
// and changes no setting.
#include <cmath>
#include <optional>
#include <tuple>

#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/sysvars.h"
#include "core/frame_picking.h"
#include "core/work_active.h"
#include "drawing_fixture.h"
#include "foundation/user_defaults.h"
#include "recognition/recognition_state.h"

namespace {

using core_test::DrawingCommandTest;

// Everything a pick may change: the recognition settings and what is stored for the next start.
struct Settings {
  std::int32_t mode;
  std::wstring layer, block;
  std::vector<cad::ObjectId> ids;
  std::tuple<int, std::wstring, double, double, double, double, bool> range;
  std::optional<std::int64_t> storedMode;
  std::optional<std::string> storedLayer;
  bool operator==(const Settings&) const = default;
};

Settings settings() {
  const VexBatchLayoutSelectionRange& r = gBatchLayoutSelectionRange;
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  std::optional<std::int64_t> storedMode;
  if (defaults.hasKey("Quodline.RecognitionMode")) storedMode = defaults.integerForKey("Quodline.RecognitionMode");
  return {gBatchFrameRecognitionMode,
          gBatchDesignatedFrameLayer,
          gBatchDesignatedFrameBlock,
          gBatchSelectedFrameEntityIds,
          {r.kind, r.layoutName, r.minX, r.minY, r.maxX, r.maxY, r.active},
          storedMode,
          defaults.stringForKey("Quodline.FrameLayer")};
}

class FramePickingTest : public DrawingCommandTest {
 protected:
  void SetUp() override {
    DrawingCommandTest::SetUp();
    frame = rectangle(L"Layout1", 0, 0, 420, 297);
    block = insert(L"Layout1", L"TK-A3", 500, 0);
    round = circle(L"Layout1", 1200, 150, 100);
    rule = line(L"Layout1", 0, -50, 400, -50);
    hidden = rectangle(L"Layout1", 0, 400, 420, 697, L"NOPLOT");
    modelFrame = rectangle(L"Model", 0, 0, 1000, 500);
    // Earlier choices that a pick either keeps or replaces.
    gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
    gBatchDesignatedFrameLayer = L"OLD-LAYER";
    gBatchDesignatedFrameBlock = L"OLD-BLOCK";
    gBatchSelectedFrameEntityIds = {modelFrame};
    gBatchLayoutSelectionRange = {VexBatchPrintSourceLayout, L"Layout1", 0, 0, 2000, 2000, true};
  }

  // The command's last lines: its message, then the panel it showed or reloaded.
  static std::vector<std::wstring> ending() {
    const std::vector<std::wstring> all = lines();
    return all.size() < 2 ? all : std::vector<std::wstring>(all.end() - 2, all.end());
  }

  cad::ObjectId frame, block, round, rule, hidden, modelFrame;
};

TEST_F(FramePickingTest, EnteringTheSpaceNeverSwitchesLayouts) {
  // A viewport of the layout is active: the pick leaves it for the paper.
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);
  EXPECT_TRUE(vexBatchActivateInteractionSpace(VexBatchPrintSourceLayout));
  EXPECT_EQ(ctab(), L"Layout1");
  EXPECT_EQ(cad::systemVariables().currentViewport(&db()), 1);

  EXPECT_TRUE(vexBatchActivateInteractionSpace(VexBatchPrintSourceModel));
  EXPECT_EQ(ctab(), L"Model");
  // On the Model tab a layout pick fails instead of switching.
  EXPECT_FALSE(vexBatchActivateInteractionSpace(VexBatchPrintSourceLayout));
  EXPECT_EQ(ctab(), L"Model");

  ASSERT_TRUE(vexBatchActivateLayout(L"Sheet B"));
  cad::systemVariables().faults.get.insert(L"TILEMODE");
  EXPECT_FALSE(vexBatchActivateInteractionSpace(VexBatchPrintSourceLayout));
}

TEST_F(FramePickingTest, FrameTestTakesBlocksAndAxisAlignedRectanglesOnAllowedLayers) {
  // A 100 × 100 square with a notch cut from a corner: 0.4 % of its box is still a frame, 0.6 % is not.
  const cad::ObjectId notched4 = polyline(L"Layout1", {{0, 0}, {100, 0}, {100, 100}, {4, 100}, {4, 90}, {0, 90}}, true);
  const cad::ObjectId notched6 = polyline(L"Layout1", {{0, 0}, {100, 0}, {100, 100}, {6, 100}, {6, 90}, {0, 90}}, true);
  const cad::ObjectId turned = polyline(L"Layout1", {{0, 0}, {100, 100}, {0, 200}, {-100, 100}}, true);
  const cad::ObjectId open = polyline(L"Layout1", {{0, 0}, {100, 0}, {100, 100}, {0, 100}}, false);
  const cad::ObjectId oneWide = rectangle(L"Layout1", 0, 0, 1.0, 50);
  const cad::ObjectId justWider = rectangle(L"Layout1", 0, 0, 1.0001, 1.0001);
  const cad::ObjectId hiddenBlock = insert(L"Layout1", L"TK-A3", 0, 0, L"NOPLOT");
  const cad::ObjectId noArea = rectangle(L"Layout1", 0, 0, 50, 50);
  object<cad::Entity>(noArea).entityFaults.area = true;
  const cad::ObjectId noExtents = rectangle(L"Layout1", 0, 0, 50, 50);
  object<cad::Entity>(noExtents).entityFaults.extents = true;

  const struct {
    const char* what;
    cad::ObjectId id;
    bool withNonPlotted, frame;
  } cases[] = {
      {"axis-aligned rectangle", frame, false, true},
      {"block reference", block, false, true},
      {"fills its box to 99.6 %", notched4, false, true},
      {"fills its box to 99.4 %", notched6, false, false},
      {"turned by 45 degrees", turned, false, false},
      {"circle", round, false, false},
      {"open four-segment polyline", open, false, false},
      {"line", rule, false, false},
      {"a side of exactly 1.0", oneWide, false, false},
      {"sides of 1.0001", justWider, false, true},
      {"rectangle on a layer that does not plot", hidden, false, false},
      {"the same with non-plotted layers included", hidden, true, true},
      {"block reference on a layer that does not plot", hiddenBlock, false, false},
      {"area unreadable", noArea, false, false},
      {"extents unreadable", noExtents, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gBatchIncludeNonPlottableLayers = c.withNonPlotted;
    EXPECT_EQ(vexBatchSelectableFrameEntity(&object<cad::Entity>(c.id)), c.frame);
  }
  EXPECT_FALSE(vexBatchSelectableFrameEntity(nullptr));
}

TEST_F(FramePickingTest, LayerPickChoosesThePickedEntitysLayer) {
  runCommand(vexBatchPrintPickLayer, {handle(frame)});
  ASSERT_EQ(cad::editorInput().prompts.size(), 1u);
  EXPECT_EQ(cad::editorInput().prompts[0].kind, cad::PromptRecord::kEntity);
  EXPECT_EQ(cad::editorInput().prompts[0].prompt, L"点选一个图形以取得图框图层: ");
  EXPECT_EQ(ending(), (std::vector<std::wstring>{L"已取得图层：FRAME；将按该图层识别全部可打印图框。",
                                                 L"[vexBatchPrintPanelReload]"}));
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedLayer);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"FRAME");
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"OLD-BLOCK");
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(settings().storedMode, 1);
  EXPECT_EQ(settings().storedLayer, "FRAME");
}

TEST_F(FramePickingTest, LayerPickOfANonPlottedLayerNeedsThoseLayersIncluded) {
  gBatchIncludeNonPlottableLayers = false;
  runCommand(vexBatchPrintPickLayer, {handle(hidden)});
  EXPECT_EQ(ending().front(), L"点选图层失败：所选图形所在图层不可打印。");
  gBatchIncludeNonPlottableLayers = true;
  runCommand(vexBatchPrintPickLayer, {handle(hidden)});
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"NOPLOT");
}

TEST_F(FramePickingTest, EveryFailedEntityPickSaysWhyAndChangesNothing) {
  const std::wstring layerSpace = L"点选图层失败：无法进入当前选择的布局或模型空间。";
  const std::wstring blockSpace = L"点选图块失败：无法进入当前选择的布局或模型空间。";
  const auto onModelTab = [] { ASSERT_TRUE(vexBatchActivateLayout(L"Model")); };
  const auto nothing = [] {};
  const auto unreadable = [this] { object<cad::Entity>(frame).faults.open = true; };
  const auto nameless = [this] { object<cad::Entity>(frame).entityFaults.layerName = true; };
  const std::wstring outside = L"#" + std::to_wstring(modelFrame.value);  // not in the current space

  const struct {
    void (*command)();
    const char* what;
    std::function<void()> arrange;
    std::vector<std::wstring> answers;
    std::wstring message;
  } cases[] = {
      {vexBatchPrintPickLayer, "layer pick on the Model tab", onModelTab, {}, layerSpace},
      {vexBatchPrintPickLayer, "layer pick escaped", nothing, {L"*CANCEL*"}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer, "layer pick entered empty", nothing, {L""}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer, "layer pick missing everything", nothing, {L"5000,5000"}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer, "layer pick of an unknown handle", nothing, {L"FFFFFF"}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer, "layer pick of another space's entity", nothing, {outside}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer, "layer pick of garbage", nothing, {L"#9x\x01"}, L"已取消点选图层。"},
      {vexBatchPrintPickLayer,
       "layer pick of an entity that does not open",
       unreadable,
       {L"10,10"},
       L"点选图层失败：无法读取所选图形。"},
      {vexBatchPrintPickLayer,
       "layer pick of an entity without a layer name",
       nameless,
       {L"10,10"},
       L"点选图层失败：所选图形所在图层不可打印。"},
      {vexBatchPrintPickBlock, "block pick on the Model tab", onModelTab, {}, blockSpace},
      {vexBatchPrintPickBlock, "block pick escaped", nothing, {L"\x1b"}, L"已取消点选图块。"},
      {vexBatchPrintPickBlock, "block pick of an unknown handle", nothing, {L"0"}, L"已取消点选图块。"},
      {vexBatchPrintPickBlock,
       "block pick of a rectangle",
       nothing,
       {L"10,10"},
       L"点选图块失败：请选择位于可打印图层的图块参照。"},
      {vexBatchPrintPickBlock,
       "block pick that does not open",
       unreadable,
       {L"10,10"},
       L"点选图块失败：无法读取所选对象。"},
  };
  const Settings before = settings();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    c.arrange();
    runCommand(c.command, c.answers);
    EXPECT_EQ(ending(), (std::vector<std::wstring>{c.message, L"[vexBatchPrintPanelShow]"}));
    EXPECT_EQ(settings(), before);
    object<cad::Entity>(frame).faults.open = false;
    object<cad::Entity>(frame).entityFaults.layerName = false;
    gBatchIncludeNonPlottableLayers = true;
  }
  // A block reference on a layer that does not plot, with those layers left out.
  const cad::ObjectId hiddenBlock = insert(L"Layout1", L"TK-A3", 3000, 0, L"NOPLOT");
  gBatchIncludeNonPlottableLayers = false;
  runCommand(vexBatchPrintPickBlock, {handle(hiddenBlock)});
  EXPECT_EQ(ending().front(), L"点选图块失败：请选择位于可打印图层的图块参照。");
  EXPECT_EQ(settings(), before);
}

TEST_F(FramePickingTest, FramePickKeepsEachSelectedFrameOnceInOrder) {
  gBatchIncludeNonPlottableLayers = false;
  const std::wstring selection = handle(block) + L" " + handle(round) + L" " + handle(frame) + L" " + handle(block) +
                                 L" " + handle(rule) + L" " + handle(hidden) + L" " + handle(frame);
  runCommand(vexBatchPrintPickFrames, {selection});
  EXPECT_EQ(cad::editorInput().prompts.at(0).kind, cad::PromptRecord::kSelection);
  EXPECT_EQ(ending(), (std::vector<std::wstring>{L"点选范围包含 2 个图块或矩形；只打印这些对象。",
                                                 L"[vexBatchPrintPanelReload]"}));
  EXPECT_EQ(gBatchSelectedFrameEntityIds, (std::vector<cad::ObjectId>{block, frame}));
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionPickedEntities);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"OLD-BLOCK");
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(settings().storedMode, 0);
  EXPECT_EQ(settings().storedLayer, std::nullopt);
}

TEST_F(FramePickingTest, FramePickSkipsMembersItCannotReadAndFreesTheSelection) {
  cad::editorInput().faults.ssName = {0};
  object<cad::Entity>(block).faults.open = true;
  runCommand(vexBatchPrintPickFrames, {handle(frame) + L" " + handle(block) + L" " + handle(modelFrame)});
  // The frame is unnamed, the block unread: nothing is kept, and the earlier pick stays.
  EXPECT_EQ(ending().front(), L"点选范围内没有可打印的图块或闭合矩形。");
  EXPECT_EQ(gBatchSelectedFrameEntityIds, std::vector<cad::ObjectId>{modelFrame});

  object<cad::Entity>(block).faults.open = false;
  cad::editorInput().faults.ssName = {};
  cad::editorInput().faults.ssLength = true;
  runCommand(vexBatchPrintPickFrames, {handle(frame)});
  EXPECT_EQ(ending().front(), L"点选范围内没有可打印的图块或闭合矩形。");
}

TEST_F(FramePickingTest, EveryFailedFramePickSaysWhyAndChangesNothing) {
  const Settings before = settings();
  const struct {
    const char* what;
    std::vector<std::wstring> answers;
    std::wstring message;
  } cases[] = {
      {"escaped", {L"*CANCEL*"}, L"已取消点选范围。"},
      {"entered empty", {L""}, L"已取消点选范围。"},
      {"only unknown handles", {L"FFFFF0 FFFFF1"}, L"已取消点选范围。"},
      {"nothing that is a frame", {handle(round) + L" " + handle(rule)}, L"点选范围内没有可打印的图块或闭合矩形。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    runCommand(vexBatchPrintPickFrames, c.answers);
    EXPECT_EQ(ending(), (std::vector<std::wstring>{c.message, L"[vexBatchPrintPanelShow]"}));
    EXPECT_EQ(settings(), before);
  }
  ASSERT_TRUE(vexBatchActivateLayout(L"Model"));
  runCommand(vexBatchPrintPickFrames);
  EXPECT_EQ(ending().front(), L"点选范围失败：无法进入当前选择的布局或模型空间。");
  EXPECT_EQ(settings(), before);
}

TEST_F(FramePickingTest, AHugeSelectionNamingFewEntitiesKeepsEachOnce) {
  std::wstring selection;
  for (int i = 0; i < 20000; ++i) selection += handle(i % 2 == 0 ? frame : block) + L" " + handle(round) + L" ";
  runCommand(vexBatchPrintPickFrames, {selection});
  EXPECT_EQ(gBatchSelectedFrameEntityIds, (std::vector<cad::ObjectId>{frame, block}));
  EXPECT_EQ(ending().front(), L"点选范围包含 2 个图块或矩形；只打印这些对象。");
}

TEST_F(FramePickingTest, BlockPickDesignatesTheBlockAndEndsTheRange) {
  const cad::ObjectId dynamic = insert(L"Layout1", L"*U1", 3000, 0);
  runCommand(vexBatchPrintPickBlock, {handle(dynamic)});
  EXPECT_EQ(cad::editorInput().prompts.at(0).prompt, L"点选一个图块以批量打印全部同名图块: ");
  EXPECT_EQ(ending(), (std::vector<std::wstring>{L"已选择图块：TK-DYN；将批量识别并打印全部同名图块。",
                                                 L"[vexBatchPrintPanelReload]"}));
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedBlock);
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"TK-DYN");
  EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
  EXPECT_FALSE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"OLD-LAYER");
  EXPECT_EQ(settings().storedMode, 0);
}

TEST_F(FramePickingTest, InModelSpaceThePicksSwitchToTheModelTab) {
  gBatchInteractionSource = VexBatchPrintSourceModel;
  runCommand(vexBatchPrintPickLayer, {handle(modelFrame)});
  EXPECT_EQ(ctab(), L"Model");
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"FRAME");
}

TEST_F(FramePickingTest, WhileWorkIsActiveTheLayerAndBlockPicksDoNothing) {
  vexBatchInstallWorkActiveTest([] { return true; });
  const Settings before = settings();
  runCommand(vexBatchPrintPickLayer);
  runCommand(vexBatchPrintPickBlock);
  EXPECT_TRUE(cad::editorInput().prompts.empty());
  EXPECT_EQ(transcript(), L"");
  EXPECT_EQ(settings(), before);
}

}  // namespace

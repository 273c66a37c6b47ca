// Locating a sheet: the sheet's space made current, the view zoomed around it with a margin, a red outline
// drawn on the new view, and the return window; each failure says why and shows nothing.
#include <cmath>

#include "cad/command_call.h"
#include "cad/editor.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/ucs.h"
#include "core/sheet_locate.h"
#include "drawing_fixture.h"

namespace {

using core_test::DrawingCommandTest;

// How many temporary vectors were on the screen when the zoom started.
class ZoomWatch : public cad::EditorReactor {
 public:
  ZoomWatch() { cad::editor().addReactor(this); }
  ~ZoomWatch() override { cad::editor().removeReactor(this); }
  void commandWillStart(const wchar_t* name) override {
    if (std::wstring(name) == L"ZOOM") vectorsAtZoom.push_back(cad::temporaryVectors().shown().size());
  }
  std::vector<std::size_t> vectorsAtZoom;
};

VexBatchFocusTarget target(VexBatchPrintSource source, const std::wstring& layout, double minX, double minY,
                           double maxX, double maxY, bool pending = true) {
  return {source, layout, minX, minY, maxX, maxY, pending, 0};
}

class SheetLocateTest : public DrawingCommandTest {
 protected:
  // The zoom window's corners as the host was given them.
  static std::pair<cad::Point3d, cad::Point3d> zoomCorners() {
    const auto& calls = cad::commandCalls().calls;
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1 || calls[0].arguments.size() != 4) return {};
    const auto& a = calls[0].arguments;
    EXPECT_EQ(a[0].text, L"_.ZOOM");
    EXPECT_EQ(a[1].text, L"_W");
    return {a[2].point.value_or(cad::Point3d{}), a[3].point.value_or(cad::Point3d{})};
  }
};

TEST_F(SheetLocateTest, TheSheetsLayoutIsMadeCurrentZoomedAndOutlinedOnTheNewView) {
  ASSERT_TRUE(vexBatchActivateLayout(L"Model"));
  ZoomWatch watch;
  gBatchFocusTarget = target(VexBatchPrintSourceLayout, L"Sheet B", 10, 20, 850, 614);
  runCommand(vexBatchPrintFocusPending);

  EXPECT_FALSE(gBatchFocusTarget.pending);
  EXPECT_EQ(ctab(), L"Sheet B");
  EXPECT_EQ(cad::systemVariables().currentViewport(&db()), 1);
  // 8 % of 840 by 594 on each side.
  const auto [low, high] = zoomCorners();
  EXPECT_DOUBLE_EQ(low.x, 10 - 67.2);
  EXPECT_DOUBLE_EQ(low.y, 20 - 47.52);
  EXPECT_DOUBLE_EQ(high.x, 850 + 67.2);
  EXPECT_DOUBLE_EQ(high.y, 614 + 47.52);
  ASSERT_EQ(document()->view().zooms().size(), 1u);
  const cad::ViewWindow& view = document()->view().zooms()[0];
  EXPECT_EQ(view.layout, L"Sheet B");
  EXPECT_EQ(view.viewport, 1);
  EXPECT_DOUBLE_EQ(view.min.x, 10 - 67.2);
  EXPECT_DOUBLE_EQ(view.max.y, 614 + 47.52);

  EXPECT_EQ(watch.vectorsAtZoom, std::vector<std::size_t>{0});  // drawn after the zoom
  const auto& vectors = cad::temporaryVectors().shown();
  ASSERT_EQ(vectors.size(), 4u);
  const double xs[] = {10, 850, 850, 10}, ys[] = {20, 20, 614, 614};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(vectors[i].from.x, xs[i]);
    EXPECT_EQ(vectors[i].from.y, ys[i]);
    EXPECT_EQ(vectors[i].to.x, xs[(i + 1) % 4]);
    EXPECT_EQ(vectors[i].to.y, ys[(i + 1) % 4]);
    EXPECT_EQ(vectors[i].color, 1);
    EXPECT_TRUE(vectors[i].highlight);
  }
  EXPECT_EQ(lines(), (std::vector<std::wstring>{
                         L"Specify corner of window, enter a scale factor (nX or nXP), or",
                         L"[All/Center/Dynamic/Extents/Previous/Scale/Window/Object] <real time>: _W",
                         L"Specify first corner: -57.2,-27.52,0", L"Specify opposite corner: 917.2,661.52,0",
                         L"[vexBatchShowReturnPanel]", L"已定位并用红框临时高亮；执行 REGEN 后高亮会消失。"}));
  // A second run has nothing left to locate.
  runCommand(vexBatchPrintFocusPending);
  EXPECT_EQ(lines(), std::vector<std::wstring>{L"没有待定位的图框，请先在批打面板中选择一项。"});
}

TEST_F(SheetLocateTest, MarginsAreEightPercentAndAtLeastOneUnit) {
  const struct { double w, h, mx, my; } cases[] = {{5, 5, 1.0, 1.0}, {840, 594, 67.2, 47.52}, {5, 1000, 1.0, 80}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    cad::commandCalls().reset();
    gBatchFocusTarget = target(VexBatchPrintSourceLayout, L"Layout1", 100, 200, 100 + c.w, 200 + c.h);
    runCommand(vexBatchPrintFocusPending);
    const auto [low, high] = zoomCorners();
    EXPECT_DOUBLE_EQ(low.x, 100 - c.mx);
    EXPECT_DOUBLE_EQ(low.y, 200 - c.my);
    EXPECT_DOUBLE_EQ(high.x, 100 + c.w + c.mx);
    EXPECT_DOUBLE_EQ(high.y, 200 + c.h + c.my);
  }
}

TEST_F(SheetLocateTest, AModelSheetIgnoresItsLayoutName) {
  gBatchFocusTarget = target(VexBatchPrintSourceModel, L"Layout1", 0, 0, 1000, 500);
  runCommand(vexBatchPrintFocusPending);
  EXPECT_EQ(ctab(), L"Model");
  ASSERT_EQ(document()->view().zooms().size(), 1u);
  EXPECT_EQ(document()->view().zooms()[0].layout, L"Model");
}

TEST_F(SheetLocateTest, UnderATurnedUcsTheHostIsGivenUcsPoints) {
  cad::ucsState().current = {{100, 50, 0}, std::acos(-1.0) / 2};  // origin moved, turned a quarter
  gBatchFocusTarget = target(VexBatchPrintSourceLayout, L"Layout1", 0, 0, 100, 50);
  runCommand(vexBatchPrintFocusPending);
  // The view is the world box with its margins, whatever the UCS.
  ASSERT_EQ(document()->view().zooms().size(), 1u);
  const cad::ViewWindow& view = document()->view().zooms()[0];
  EXPECT_NEAR(view.min.x, -8, 1e-9);
  EXPECT_NEAR(view.min.y, -4, 1e-9);
  EXPECT_NEAR(view.max.x, 108, 1e-9);
  EXPECT_NEAR(view.max.y, 54, 1e-9);
  const auto& vectors = cad::temporaryVectors().shown();
  ASSERT_EQ(vectors.size(), 4u);
  const cad::Point3d first = cad::ucsToWorld(vectors[0].from);
  EXPECT_NEAR(first.x, 0, 1e-9);
  EXPECT_NEAR(first.y, 0, 1e-9);
}

TEST_F(SheetLocateTest, FailuresSayWhyConsumeTheRequestAndShowNothing) {
  const std::wstring invalid = L"定位失败：目标图框尺寸无效。";
  const struct {
    const char* what;
    VexBatchFocusTarget target;
    std::wstring message;
    std::wstring layoutAfter;
  } cases[] = {
      {"nothing pending",
       target(VexBatchPrintSourceLayout, L"Sheet B", 0, 0, 10, 10, false),
       L"没有待定位的图框，请先在批打面板中选择一项。",
       L"Layout1"},
      {"an unknown layout", target(VexBatchPrintSourceLayout, L"Gone", 0, 0, 10, 10), L"定位失败：无法切换到目标布局。",
       L"Layout1"},
      {"a layout name in another case", target(VexBatchPrintSourceLayout, L"sheet b", 0, 0, 10, 10),
       L"定位失败：无法切换到目标布局。", L"Sheet B"},
      {"an empty layout name", target(VexBatchPrintSourceLayout, L"", 0, 0, 10, 10), L"定位失败：无法切换到目标布局。",
       L"Layout1"},
      // The layout switch stays.
      {"no width", target(VexBatchPrintSourceLayout, L"Sheet B", 10, 0, 10, 10), invalid, L"Sheet B"},
      {"upside down", target(VexBatchPrintSourceLayout, L"Sheet B", 0, 10, 10, 0), invalid, L"Sheet B"},
      {"not a number", target(VexBatchPrintSourceLayout, L"Sheet B", NAN, 0, 10, 10), invalid, L"Sheet B"},
      {"infinite", target(VexBatchPrintSourceLayout, L"Sheet B", -INFINITY, 0, 10, 10), invalid, L"Sheet B"},
      {"a view beyond the numbers", target(VexBatchPrintSourceModel, L"", -1.7e308, 0, 0, 10), invalid, L"Model"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    cad::commandCalls().reset();
    gBatchFocusTarget = c.target;
    runCommand(vexBatchPrintFocusPending);
    EXPECT_EQ(lines(), std::vector<std::wstring>{c.message});
    EXPECT_FALSE(gBatchFocusTarget.pending);
    EXPECT_EQ(ctab(), c.layoutAfter);
    EXPECT_TRUE(cad::commandCalls().calls.empty());
    EXPECT_TRUE(cad::temporaryVectors().shown().empty());
  }
}

}  // namespace

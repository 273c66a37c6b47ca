// The print-area marks command: which space it chooses, the zoom around the areas there, what it counts as
// shown and hidden, and its failures, with the full and the compact panel.
#include <cmath>

#include "cad/command_call.h"
#include "cad/entities.h"
#include "cad/sysvars.h"
#include "cad/transient.h"
#include "core/panel_handoffs.h"
#include "core/print_area_marks.h"
#include "core/range_overlay.h"
#include "core/work_active.h"
#include "drawing_fixture.h"
#include "foundation/user_defaults.h"

namespace {

using core_test::DrawingCommandTest;

VexBatchFocusTarget area(const std::wstring& layout, double minX, double minY, double maxX, double maxY,
                         std::uint64_t number) {
  return {VexBatchPrintSourceLayout, layout, minX, minY, maxX, maxY, true, number};
}

VexBatchFocusTarget modelArea(double minX, double minY, double maxX, double maxY, std::uint64_t number) {
  return {VexBatchPrintSourceModel, L"", minX, minY, maxX, maxY, true, number};
}

class PrintAreaMarksTest : public DrawingCommandTest {
 protected:
  // The numbers the marks now shown carry, in order.
  static std::vector<std::wstring> shownNumbers() {
    std::vector<std::wstring> numbers;
    for (const cad::TransientEntry& entry : cad::acgiGetTransientManager()->live()) {
      if (const auto* text = dynamic_cast<const cad::MText*>(entry.drawable)) {
        const std::wstring& c = text->contents;
        numbers.push_back(c.substr(c.find(L';') + 1, c.size() - c.find(L';') - 2));
      }
    }
    return numbers;
  }
  static std::vector<std::wstring> lastLines(std::size_t n) {
    const std::vector<std::wstring> all = lines();
    return all.size() < n ? all : std::vector<std::wstring>(all.end() - static_cast<std::ptrdiff_t>(n), all.end());
  }
  static cad::CommandCall zoomCall() {
    const auto& calls = cad::commandCalls().calls;
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? cad::CommandCall{} : calls.back();
  }
};

TEST_F(PrintAreaMarksTest, MarksTheAreasOfTheCurrentLayoutAndCountsTheRestHidden) {
  ASSERT_TRUE(vexBatchActivateLayout(L"Sheet B"));
  gBatchPrintRangeTargets = {area(L"Layout1", 0, 0, 100, 100, 1), area(L"Sheet B", 0, 0, 420, 297, 2),
                             area(L"Sheet B", 500, 0, 920, 297, 3), area(L"Sheet B", 1000, 0, 1000, 297, 4),
                             modelArea(0, 0, 100, 100, 5)};
  runCommand(vexBatchPrintShowRanges);

  EXPECT_TRUE(gBatchPrintRangeTargets.empty());
  EXPECT_EQ(ctab(), L"Sheet B");
  EXPECT_EQ(shownNumbers(), (std::vector<std::wstring>{L"2", L"3"}));
  for (const cad::TransientEntry& entry : cad::acgiGetTransientManager()->live()) {
    EXPECT_EQ(entry.viewports, std::vector<int>{1});
  }
  // 5 % of the 920 × 297 bound around the two.
  const cad::CommandCall zoom = zoomCall();
  ASSERT_EQ(zoom.arguments.size(), 4u);
  EXPECT_DOUBLE_EQ(zoom.arguments[2].point->x, -46);
  EXPECT_DOUBLE_EQ(zoom.arguments[2].point->y, -14.85);
  EXPECT_DOUBLE_EQ(zoom.arguments[3].point->x, 966);
  EXPECT_DOUBLE_EQ(zoom.arguments[3].point->y, 311.85);
  EXPECT_EQ(lastLines(2),
            (std::vector<std::wstring>{L"[vexBatchShowReturnPanelWithMessage]",
                                       L"DUZOZAREDSHOWRANGES shown=2 hidden=3；返回批打界面后清除标记。"}));
  // The list was used up.
  runCommand(vexBatchPrintShowRanges);
  EXPECT_EQ(lastLines(2), (std::vector<std::wstring>{L"没有待标记的打印范围，请先在批打列表中勾选图框。",
                                                     L"[vexBatchPrintPanelShow]"}));
  EXPECT_TRUE(gBatchRangeOverlay.marks().empty());  // a command other than a view command took them away
}

TEST_F(PrintAreaMarksTest, TheSpaceIsTheCurrentLayoutWhenAnAreaLiesThereElseTheFirstAreas) {
  const struct {
    const char* what;
    const wchar_t* current;
    std::vector<VexBatchFocusTarget> areas;
    const wchar_t* chosen;
    std::vector<std::wstring> numbers;
  } cases[] = {
      {"current layout among them",
       L"Sheet B",
       {area(L"Layout1", 0, 0, 10, 10, 1), area(L"Sheet B", 0, 0, 10, 10, 2)},
       L"Sheet B",
       {L"2"}},
      {"neither current",
       L"Model",
       {area(L"Sheet B", 0, 0, 10, 10, 1), area(L"Layout1", 0, 0, 10, 10, 2), area(L"Sheet B", 20, 0, 30, 10, 3)},
       L"Sheet B",
       {L"1", L"3"}},
      {"model space first, a layout current",
       L"Layout1",
       {modelArea(0, 0, 10, 10, 1), area(L"Sheet B", 0, 0, 10, 10, 2)},
       L"Model",
       {L"1"}},
      {"model space current, a layout area first",
       L"Model",
       {area(L"Layout1", 0, 0, 10, 10, 1), modelArea(0, 0, 10, 10, 2)},
       L"Layout1",
       {L"1"}},
      {"names compared exactly",
       L"Sheet B",
       {area(L"Layout1", 0, 0, 10, 10, 1), area(L"sheet b", 0, 0, 10, 10, 2)},
       L"Layout1",
       {L"1"}},
      {"areas not pending stay unmarked",
       L"Layout1",
       {area(L"Layout1", 0, 0, 10, 10, 1), {VexBatchPrintSourceLayout, L"Layout1", 0, 0, 10, 10, false, 2}},
       L"Layout1",
       {L"1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(c.current));
    gBatchPrintRangeTargets = c.areas;
    runCommand(vexBatchPrintShowRanges);
    EXPECT_EQ(ctab(), c.chosen);
    EXPECT_EQ(shownNumbers(), c.numbers);
  }
}

TEST_F(PrintAreaMarksTest, ZoomMarginsAreFivePercentAndAtLeastOneUnit) {
  const struct { double w, h, mx, my; } cases[] = {{5, 5, 1, 1}, {1000, 400, 50, 20}};
  for (const auto& c : cases) {
    cad::commandCalls().reset();
    gBatchPrintRangeTargets = {area(L"Layout1", 10, 10, 10 + c.w, 10 + c.h, 1)};
    runCommand(vexBatchPrintShowRanges);
    const cad::CommandCall zoom = zoomCall();
    ASSERT_EQ(zoom.arguments.size(), 4u);
    EXPECT_DOUBLE_EQ(zoom.arguments[2].point->x, 10 - c.mx);
    EXPECT_DOUBLE_EQ(zoom.arguments[2].point->y, 10 - c.my);
    EXPECT_DOUBLE_EQ(zoom.arguments[3].point->x, 10 + c.w + c.mx);
    EXPECT_DOUBLE_EQ(zoom.arguments[3].point->y, 10 + c.h + c.my);
  }
}

TEST_F(PrintAreaMarksTest, FailuresSayWhyShowThePanelAgainAndLeaveNoMark) {
  const struct {
    const char* what;
    std::vector<VexBatchFocusTarget> areas;
    int refuseAdd;
    std::wstring message;
  } cases[] = {
      {"no areas", {}, 0, L"没有待标记的打印范围，请先在批打列表中勾选图框。"},
      {"a layout that is gone", {area(L"Gone", 0, 0, 10, 10, 1)}, 0, L"打印范围标记失败：无法切换到目标布局。"},
      {"no valid area there",
       {area(L"Layout1", 10, 0, 10, 10, 1), area(L"Sheet B", 0, 0, 10, 10, 2)},
       0,
       L"打印范围标记失败：当前空间没有有效图框。"},
      {"hostile boxes",
       {area(L"Layout1", NAN, 0, 10, 10, 1), area(L"Layout1", -INFINITY, 0, INFINITY, 10, 2)},
       0,
       L"打印范围标记失败：当前空间没有有效图框。"},
      {"the host refusing the third mark",
       {area(L"Layout1", 0, 0, 10, 10, 1)},
       3,
       L"无法创建打印范围标记，请返回批打界面重试。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    cad::TransientManager& manager = *cad::acgiGetTransientManager();
    manager.reset();
    manager.refuseCall = c.refuseAdd;
    gBatchPrintRangeTargets = c.areas;
    runCommand(vexBatchPrintShowRanges);
    EXPECT_EQ(lastLines(2), (std::vector<std::wstring>{c.message, L"[vexBatchPrintPanelShow]"}));
    EXPECT_TRUE(gBatchPrintRangeTargets.empty());
    EXPECT_TRUE(manager.live().empty());
    EXPECT_TRUE(gBatchRangeOverlay.marks().empty());
  }
}

TEST_F(PrintAreaMarksTest, AreasSpreadBeyondTheNumbersAreMarkedWithoutAZoom) {
  gBatchPrintRangeTargets = {area(L"Layout1", -1.7e308, 0, -1.6e308, 10, 1),
                             area(L"Layout1", 1.6e308, 0, 1.7e308, 10, 2)};
  runCommand(vexBatchPrintShowRanges);
  EXPECT_TRUE(cad::commandCalls().calls.empty());
  EXPECT_EQ(shownNumbers(), (std::vector<std::wstring>{L"1", L"2"}));
}

TEST_F(PrintAreaMarksTest, WithTheCompactPanelItsPagesAreMarkedAndNothingIsPrinted) {
  foundation::UserDefaults::standard().setBool(true, "Quodline.LiteMode");
  // The test drawing holds no sheet the compact export would take.
  gBatchPrintRangeTargets = {area(L"Layout1", 0, 0, 10, 10, 1)};
  runCommand(vexBatchPrintShowRanges);
  EXPECT_EQ(lines(), (std::vector<std::wstring>{L"[vexBatchLiteHide]", L"[vexBatchLitePrepareRangeTargets]",
                                                L"当前范围没有可显示的图框；整张布局无需标记图框。",
                                                L"[vexBatchPrintPanelShow]", L"[vexBatchPrintLiteShow]"}));

  PanelHandoffs pages;
  pages.prepareLiteRangeTargets = [] { gBatchPrintRangeTargets = {area(L"Sheet B", 0, 0, 420, 297, 7)}; };
  setPanelHandoffs(std::move(pages));
  runCommand(vexBatchPrintShowRanges);
  EXPECT_EQ(ctab(), L"Sheet B");
  EXPECT_EQ(shownNumbers(), std::vector<std::wstring>{L"7"});
  EXPECT_EQ(lastLines(1), std::vector<std::wstring>{L"[vexBatchShowReturnPanelWithMessage]"});
  EXPECT_EQ(transcript().find(L"DUZOZAREDSHOWRANGES"), std::wstring::npos);
}

TEST_F(PrintAreaMarksTest, WhileWorkIsActiveNothingHappens) {
  vexBatchInstallWorkActiveTest([] { return true; });
  gBatchPrintRangeTargets = {area(L"Layout1", 0, 0, 10, 10, 1)};
  runCommand(vexBatchPrintShowRanges);
  EXPECT_EQ(transcript(), L"");
  EXPECT_EQ(gBatchPrintRangeTargets.size(), 1u);
}

}  // namespace

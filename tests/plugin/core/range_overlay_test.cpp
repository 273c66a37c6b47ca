// The range overlay: the marks it draws as transient graphics, what erases them, and that it leaves nothing
// with the host once it is shut down or destroyed.
#include <cmath>

#include "cad/command_loop.h"
#include "cad/entities.h"
#include "cad/sysvars.h"
#include "cad/transient.h"
#include "core/range_overlay.h"
#include "drawing_fixture.h"

namespace {

using core_test::DrawingCommandTest;

VexBatchFocusTarget area(double minX, double minY, double maxX, double maxY, std::uint64_t number) {
  return {VexBatchPrintSourceLayout, L"Layout1", minX, minY, maxX, maxY, true, number};
}

class RangeOverlayTest : public DrawingCommandTest {
 protected:
  static const std::vector<cad::TransientEntry>& live() { return cad::acgiGetTransientManager()->live(); }
  template <class T>
  static const T& drawable(std::size_t index) {
    return dynamic_cast<const T&>(*live().at(index).drawable);
  }
  static bool registered(const QDLRangeOverlay& overlay) {
    return cad::editor().hasReactor(&overlay) || cad::docManager().hasReactor(&overlay);
  }
};

TEST_F(RangeOverlayTest, EachMarkIsAnOutlineTwoDiagonalsAndANumberInTheCurrentViewport) {
  ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 100, 60, 12)}));
  ASSERT_EQ(live().size(), 4u);
  for (const cad::TransientEntry& entry : live()) {
    EXPECT_EQ(entry.mode, cad::kAcGiDirectTopmost);
    EXPECT_EQ(entry.subMode, 128);
    EXPECT_EQ(entry.viewports, std::vector<int>{1});
  }
  const auto& outline = drawable<cad::Polyline>(0);
  ASSERT_EQ(outline.vertices.size(), 4u);
  EXPECT_EQ(outline.vertices[2].pt.x, 100);
  EXPECT_EQ(outline.vertices[2].pt.y, 60);
  EXPECT_TRUE(outline.closed);
  EXPECT_DOUBLE_EQ(outline.constantWidth, 0.24);
  EXPECT_EQ(outline.colorIndex(), 1);
  const auto& rising = drawable<cad::Polyline>(1);
  const auto& falling = drawable<cad::Polyline>(2);
  ASSERT_EQ(rising.vertices.size(), 2u);
  EXPECT_EQ(rising.vertices[1].pt.x, 100);
  EXPECT_EQ(rising.vertices[1].pt.y, 60);
  EXPECT_EQ(falling.vertices[0].pt.y, 60);
  EXPECT_EQ(falling.vertices[1].pt.y, 0);
  EXPECT_FALSE(rising.closed);
  EXPECT_DOUBLE_EQ(rising.constantWidth, 0.12);
  EXPECT_EQ(falling.colorIndex(), 2);
  const auto& number = drawable<cad::MText>(3);
  EXPECT_EQ(number.contents, L"{\\fArial|b1|i0;12}");
  EXPECT_DOUBLE_EQ(number.textHeight, 21.6);
  EXPECT_EQ(number.attachment, 5);
  EXPECT_EQ(number.location.x, 50);
  EXPECT_EQ(number.location.y, 30);
  EXPECT_EQ(number.colorIndex(), 2);
  EXPECT_TRUE(number.backgroundFill);
  EXPECT_FALSE(number.useBackgroundColor);
  EXPECT_EQ(number.backgroundRgb, (24u << 16) | (28u << 8) | 32u);
  EXPECT_DOUBLE_EQ(number.backgroundScaleFactor, 1.25);
  // Nothing of it is in the drawing.
  EXPECT_EQ(number.objectStore(), nullptr);

  // A number of three digits on a narrow area is held to the area's width.
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);
  ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 100, 123)}));
  ASSERT_EQ(live().size(), 4u);  // the earlier marks went
  EXPECT_NEAR(drawable<cad::MText>(3).textHeight, 6.5 / 2.1, 1e-12);
  EXPECT_EQ(live()[0].viewports, std::vector<int>{2});
}

TEST_F(RangeOverlayTest, AFailedShowLeavesNoMark) {
  cad::TransientManager& manager = *cad::acgiGetTransientManager();
  manager.refuseCall = 7;  // the second area's third piece
  EXPECT_FALSE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1), area(20, 0, 30, 10, 2)}));
  EXPECT_TRUE(manager.live().empty());
  EXPECT_TRUE(gBatchRangeOverlay.marks().empty());
  EXPECT_EQ(manager.destroyedWhileShown, 0);

  EXPECT_FALSE(gBatchRangeOverlay.show({}));
  cad::systemVariables().faults.get.insert(L"CVPORT");
  EXPECT_FALSE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
  cad::systemVariables().faults = {};
  cad::setTransientManagerAbsent(true);
  EXPECT_FALSE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
  cad::setTransientManagerAbsent(false);
  EXPECT_TRUE(manager.live().empty());
}

TEST_F(RangeOverlayTest, ViewCommandsKeepTheMarksAndEveryOtherCommandErasesThem) {
  const struct {
    const wchar_t* command;
    bool kept;
  } cases[] = {
      {L"ZOOM", true},     {L"'ZOOM", true},  {L"_.ZOOM", true},    {L"'_.zoom", true},
      {L"PAN", true},      {L"-PAN", true},   {L"_-PAN", true},     {L"REGEN", true},
      {L"REGENALL", true}, {L"REDRAW", true}, {L"REDRAWALL", true}, {L"LINE", false},
      {L"ZOOMX", false},   {L"", false},      {nullptr, false},     {L"DUZOZAREDFOCUS", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.command != nullptr ? c.command : L"(none)")));
    ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
    cad::editor().fireCommandWillStart(c.command);
    EXPECT_EQ(live().size(), c.kept ? 4u : 0u);
  }
  // Typed as a user types them.
  ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
  cad::commandLoop().type(L"'ZOOM\nE\nREGEN\n");
  EXPECT_EQ(live().size(), 4u);
  cad::commandLoop().type(L"PSPACE\n");
  EXPECT_TRUE(live().empty());
}

TEST_F(RangeOverlayTest, ChangingLayoutOrViewportOrLeavingTheDocumentErasesTheMarks) {
  const struct {
    const char* what;
    std::function<void()> act;
    bool kept;
  } cases[] = {
      {"a failed change of CTAB", [] { cad::editor().fireSysVarChanged(L"ctab", false); }, true},
      {"another variable", [] { cad::editor().fireSysVarChanged(L"CLAYER", true); }, true},
      {"a layout switch", [] { ASSERT_TRUE(vexBatchActivateLayout(L"Sheet B")); }, false},
      {"a viewport made active", [] { ASSERT_EQ(cad::acedMspace(), cad::RTNORM); }, false},
      {"another document activated",
       [] { cad::docManager().addDocument(cad::Database::createDefault(), L"/drawings/other.dwg"); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(cad::docManager().activateDocument(document()), cad::eOk);
    ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));
    ASSERT_EQ(cad::acedPspace(), cad::RTNORM);
    ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
    c.act();
    EXPECT_EQ(live().size(), c.kept ? 4u : 0u);
  }
  // Closing the document: the background one first (it is not deactivated, it is destroyed).
  cad::Document* other = cad::docManager().mdiActiveDocument();
  ASSERT_EQ(cad::docManager().activateDocument(document()), cad::eOk);
  ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
  ASSERT_EQ(cad::docManager().closeDocument(other), cad::eOk);
  EXPECT_TRUE(live().empty());
}

TEST_F(RangeOverlayTest, ShutdownAndDestructionLeaveNothingWithTheHost) {
  ASSERT_TRUE(gBatchRangeOverlay.show({area(0, 0, 10, 10, 1)}));
  EXPECT_TRUE(registered(gBatchRangeOverlay));
  gBatchRangeOverlay.shutdown();
  EXPECT_FALSE(registered(gBatchRangeOverlay));
  EXPECT_TRUE(live().empty());
  gBatchRangeOverlay.shutdown();  // twice is harmless

  {
    QDLRangeOverlay local;
    ASSERT_TRUE(local.show({area(0, 0, 10, 10, 1), area(20, 0, 30, 10, 2)}));
    EXPECT_EQ(live().size(), 8u);
    EXPECT_TRUE(registered(local));
  }
  EXPECT_TRUE(live().empty());
  EXPECT_EQ(cad::editor().reactorCount(), 0u);
  EXPECT_TRUE(cad::docManager().reactors().empty());
  EXPECT_EQ(cad::acgiGetTransientManager()->destroyedWhileShown, 0);
}

}  // namespace

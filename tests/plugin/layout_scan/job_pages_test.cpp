// Page specs straight from recognition, and the scope that lets a caller scan under its own settings.

#include "recognition/job_pages.h"

#include <gtest/gtest.h>

#include "layout_fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "recognition/recognition_state.h"
#include "recognition/scan_scope.h"

namespace layout_test {
namespace {

class JobPagesTest : public LayoutScanTest {
 protected:
  // Three layouts: two A3 frames on the first, a whole layout with text on the second, only the paper-space
  // viewport on the third.
  void threeLayouts() {
    first = layout(L"Layout1", 1, 900, 400);
    for (double x : {10.0, 450.0}) {
      d.rectangle(x, 10, x + 420, 307, L"图框", space(first));
      content(first, x, 10, x + 420, 307);
    }
    second = layout(L"Layout2", 2, 420, 297);
    d.text(50, 50, 5, L"总说明", L"0", space(second));
    third = layout(L"Layout3", 3);
  }
  cad::ObjectId first, second, third;
};

TEST_F(JobPagesTest, LayoutPagesCoverEveryOfferedSheetNumberedInOrder) {
  threeLayouts();
  std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectJobPages(false, false);
  ASSERT_EQ(pages.size(), 3u);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].outputIndex, i + 1);
    EXPECT_EQ(pages[i].source, VexBatchPrintSourceLayout);
    EXPECT_EQ(pages[i].contentScalePercent, 100.0);
    EXPECT_FALSE(pages[i].paperOverridden);
  }
  EXPECT_EQ(pages[0].name, L"Layout1 图框 01");
  EXPECT_EQ(pages[0].layoutName, L"Layout1");
  EXPECT_TRUE(pages[0].layoutWindow);
  EXPECT_TRUE(pages[0].exactPaperFrame);
  EXPECT_EQ(pages[0].minX, 10);
  EXPECT_EQ(pages[0].maxY, 307);
  EXPECT_EQ(pages[0].paper.name, L"A3");
  EXPECT_EQ(pages[1].name, L"Layout1 图框 02");
  EXPECT_EQ(pages[2].name, L"Layout2");
  EXPECT_FALSE(pages[2].layoutWindow);
}

TEST_F(JobPagesTest, AWholeLayoutTakesTheAutomaticPaperOfItsPlotPaper) {
  const struct {
    double w, h;
    const wchar_t* paper;
  } cases[] = {{594, 420, L"A2"}, {297, 210, L"A4"}, {0, 0, L"A3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.w);
    recognition_test::DrawingFixture drawing;
    cad::ObjectId sheet = drawing.db().layoutId(L"Layout1");
    auto& settings = drawing.object<cad::Layout>(sheet);
    settings.paperWidthMm = c.w;
    settings.paperHeightMm = c.h;
    drawing.text(10, 10, 5, L"x", L"0", drawing.layoutSpace(sheet));
    std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectJobPages(false, false);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].paper.name, c.paper);
  }
}

TEST_F(JobPagesTest, TheCurrentLayoutOnlyKeepsItsPagesAndCountsThemFromOne) {
  threeLayouts();
  d.db().setCurrentLayoutId(first);
  std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectJobPages(false, true);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].outputIndex, 2u);
  d.db().setCurrentLayoutId(second);
  pages = vexBatchCollectJobPages(false, true);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].name, L"Layout2");
  EXPECT_EQ(pages[0].outputIndex, 1u);
  // The layout with nothing but its own viewport offers nothing.
  d.db().setCurrentLayoutId(third);
  EXPECT_TRUE(vexBatchCollectJobPages(false, true).empty());
}

TEST_F(JobPagesTest, ModelSpacePagesAreItsFramesOnTheAutomaticPaperOfTheirBoxes) {
  threeLayouts();
  EXPECT_TRUE(vexBatchCollectJobPages(true, false).empty());  // the layouts' sheets are not model space

  cad::ObjectId block = d.titleBlock(L"A1图框", 841, 594);
  d.insert(block, 0, 0, 100.0);
  d.content(0, 0, 84100, 59400);
  d.rectangle(100000, 0, 100420, 297);
  d.content(100000, 0, 100420, 297);
  std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
  ASSERT_EQ(frames.size(), 2u);
  ASSERT_EQ(frames[0].paper.name, L"A1");  // recognised as A1 at 1:100 …

  std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectJobPages(true, true);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].source, VexBatchPrintSourceModel);
  EXPECT_EQ(pages[0].name, L"模型图框 01");
  EXPECT_EQ(pages[0].layoutName, L"Model");
  EXPECT_EQ(pages[0].maxX, 84100);
  EXPECT_EQ(pages[0].paper.name, L"A3");  // … but paged on the automatic paper of its box
  EXPECT_FALSE(pages[0].layoutWindow);
  EXPECT_FALSE(pages[0].exactPaperFrame);
  EXPECT_EQ(pages[1].name, L"模型图框 02");
  EXPECT_EQ(pages[1].paper.name, L"A3");
  EXPECT_EQ(pages[1].outputIndex, 2u);
}

TEST_F(JobPagesTest, WithoutADrawingThereAreNoPages) {
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_TRUE(vexBatchCollectJobPages(false, false).empty());
  EXPECT_TRUE(vexBatchCollectJobPages(true, false).empty());
}

TEST_F(JobPagesTest, AScopeRestoresSettingsDiagnosticsAndTraceButNotTheTwoOptions) {
  threeLayouts();
  cad::ObjectId picked = d.rectangle(0, 0, 420, 297);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
  gBatchDesignatedFrameLayer = L"TK";
  gBatchDesignatedFrameBlock = L"A3图框";
  gBatchSelectedFrameEntityIds = {picked};
  gBatchLayoutSelectionRange = {VexBatchPrintSourceModel, L"Model", 1, 2, 3, 4, true};
  gBatchLayoutDiagnostics.rawCandidates = 11;
  gBatchLayoutDiagnostics.excludedBlankFrames.emplace_back(L"Layout9", 1, 2, 3, 4);
  gBatchModelDiagnostics.finalCount = 22;
  gBatchLayoutCandidateTrace = {L"entity before"};

  {
    QDLScanScope scope;
    EXPECT_TRUE(gBatchSelectedFrameEntityIds.empty());
    EXPECT_FALSE(gBatchLayoutSelectionRange.active);
    EXPECT_TRUE(gBatchLayoutSelectionRange.layoutName.empty());
    EXPECT_EQ(gBatchLayoutSelectionRange.maxY, 0);
    EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionPickedEntities);
    EXPECT_EQ(gBatchDesignatedFrameLayer, L"TK");

    gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
    gBatchIncludeNonPlottableLayers = false;
    gBatchExcludeBlankRectangles = false;
    EXPECT_EQ(vexBatchCollectJobPages(false, false).size(), 3u);
    vexCollectModelFrames();
    EXPECT_NE(gBatchLayoutDiagnostics.rawCandidates, 11u);
  }

  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionPickedEntities);
  EXPECT_EQ(gBatchDesignatedFrameLayer, L"TK");
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"A3图框");
  EXPECT_EQ(gBatchSelectedFrameEntityIds, std::vector<cad::ObjectId>{picked});
  EXPECT_TRUE(gBatchLayoutSelectionRange.active);
  EXPECT_EQ(gBatchLayoutSelectionRange.layoutName, L"Model");
  EXPECT_EQ(gBatchLayoutSelectionRange.maxY, 4);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 11u);
  ASSERT_EQ(gBatchLayoutDiagnostics.excludedBlankFrames.size(), 1u);
  EXPECT_EQ(gBatchLayoutDiagnostics.excludedBlankFrames[0].layoutName, L"Layout9");
  EXPECT_EQ(gBatchModelDiagnostics.finalCount, 22u);
  EXPECT_EQ(gBatchLayoutCandidateTrace, std::vector<std::wstring>{L"entity before"});
  EXPECT_FALSE(gBatchIncludeNonPlottableLayers);
  EXPECT_FALSE(gBatchExcludeBlankRectangles);
}

TEST_F(JobPagesTest, AScopeRestoresEvenWhenItsCallerThrows) {
  gBatchDesignatedFrameBlock = L"TK";
  gBatchSelectedFrameEntityIds = {cad::ObjectId{42}};
  try {
    QDLScanScope scope;
    gBatchDesignatedFrameBlock = L"other";
    throw std::runtime_error("host refused");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(gBatchDesignatedFrameBlock, L"TK");
  EXPECT_EQ(gBatchSelectedFrameEntityIds, std::vector<cad::ObjectId>{cad::ObjectId{42}});
}

}  // namespace
}  // namespace layout_test

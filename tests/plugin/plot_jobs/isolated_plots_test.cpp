// Pages on different papers plotted one by one and merged: each page keeps its own exact size and its place,
// the private folder goes in every outcome, and a file is replaced only by a complete merged file and only when
// the user agreed to replace it.
#include "plot/isolated_plots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cad/plot/publish_engine.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "graphics/pdf_writer.h"
#include "plot/last_result.h"
#include "plot/output_commit.h"
#include "plot/queue_link.h"
#include "plot_job_fixture.h"

namespace plot_jobs_test {
namespace {

// A PDF of blank pages of these sizes in points.
void writeBlankPdf(const std::string& path, const std::vector<std::pair<double, double>>& sizes) {
  std::unique_ptr<graphics::PdfWriter> writer = graphics::PdfWriter::create(path);
  ASSERT_NE(writer, nullptr);
  for (const auto& [width, height] : sizes) {
    writer->beginPage({0, 0, width, height});
    writer->endPage();
  }
  ASSERT_TRUE(writer->close());
}

class IsolatedPlotsTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    ASSERT_TRUE(foundation::createDirectory(path("out"), true));
  }

  // The A4, A3 and A1 sheets of layouts-frames: two frames on their layouts and a window of model space.
  std::vector<VexBatchPrintPageSpec> threePapers() {
    openSample("layouts-frames.dxf");
    std::vector<VexBatchPrintPageSpec> pages;
    for (const VexBatchPrintPageSpec& page : layoutPages()) {
      if (page.layoutName == L"A4 Portrait" || page.layoutName == L"A3 Block") pages.push_back(page);
    }
    if (pages.size() != 2) throw std::runtime_error("the sample's sheets changed");
    if (pages[0].layoutName != L"A4 Portrait") std::swap(pages[0], pages[1]);
    VexBatchPrintPageSpec model;
    model.source = VexBatchPrintSourceModel;
    model.name = L"Model A1";
    model.layoutName = L"Model";
    model.minX = -500;
    model.minY = -1200;
    model.maxX = 4500;
    model.maxY = 1200;
    model.outputIndex = 3;
    model.paper = {L"A1", 594, 841};
    pages.push_back(model);
    return pages;
  }
};

TEST_F(IsolatedPlotsTest, EachPageKeepsItsOwnPaperInOrder) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();

  ASSERT_TRUE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L"")) << narrow(gBatchPrintLastError);
  const std::vector<PageSize> sizes = pageSizes(path("out/mixed.pdf"));
  ASSERT_EQ(sizes.size(), 3u);
  EXPECT_TRUE(sameSize(sizes[0], {210, 297})) << sizes[0].width << " x " << sizes[0].height;
  EXPECT_TRUE(sameSize(sizes[1], {420, 297})) << sizes[1].width << " x " << sizes[1].height;
  EXPECT_TRUE(sameSize(sizes[2], {841, 594})) << sizes[2].width << " x " << sizes[2].height;
  EXPECT_EQ(gBatchPrintLastOutput, widePath("out/mixed.pdf"));
  EXPECT_EQ(gBatchPrintLastPageCount, 3);
  EXPECT_EQ(linesStartingWith(L"DUZOZAREDMIXEDMEDIA"),
            std::vector<std::wstring>{L"DUZOZAREDMIXEDMEDIA isolated=YES pages=3 output=" + widePath("out/mixed.pdf")});
  EXPECT_EQ(workFilesLeft(), std::vector<std::string>{});
  EXPECT_EQ(entries(path("out")), std::vector<std::string>{"mixed.pdf"});
  // One window for the whole job, counting over all pages.
  ASSERT_EQ(progressWindows().size(), 1u);
  const auto window = progressWindows()[0].lock();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->totalPages(), 3);
  EXPECT_EQ(window->completedPages(), 3);
  EXPECT_TRUE(window->succeeded());
}

// However the job ends before its merge, the folder of page PDFs goes with it, and the reason stands alone.
TEST_F(IsolatedPlotsTest, AJobEndedBeforeTheMergeLeavesNoPagesBehind) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::wstring error;
    bool cancelled;
  };
  bool stop = false;
  const std::vector<Case> cases = {
      // First, while the engine counts its calls from the start: it fails the second page before drawing it.
      {"a page failed",
       [] {
         cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndGenerateGraphics, 2, cad::eNotApplicable});
       },
       L"Page plotting failed: " + pages[1].name, false},
      // The last page is drawn, then the user cancels: the run finishes that page and the merge does not start.
      {"cancelled on the last page", [this] { cancelOnPage(3); }, L"用户取消了批量打印；任务已保留，可再次执行", true},
      // Pressed while the window shows the merge stage: every page is plotted and verified, nothing is merged.
      {"cancelled at the merge", [this] { cancelOnStage("正在合并 PDF…"); }, L"Merge cancelled", true},
      {"the queue stopped",
       [this, &stop] {
         onPage(3, [&stop] { stop = true; });  // asked after the last page began: the run had already started it
         setPlotQueueLink({[] { return true; }, [&stop] { return stop; }});
       },
       L"Queue stopped before PDF merge", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restartPageCount();
    cancelOnStage("");
    setPlotQueueLink({});
    stop = false;
    ASSERT_TRUE(foundation::writeFileAtomically(path("out/mixed.pdf"), "old"));
    c.arrange();
    gBatchPrintLastCancelled = false;
    gBatchPrintLastError.clear();
    EXPECT_FALSE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L""));
    EXPECT_EQ(gBatchPrintLastCancelled, c.cancelled);
    EXPECT_EQ(gBatchPrintLastError, c.error);
    EXPECT_EQ(workFilesLeft(), std::vector<std::string>{});
    EXPECT_EQ(entries(path("out")), std::vector<std::string>{"mixed.pdf"});
    EXPECT_EQ(foundation::readFile(path("out/mixed.pdf")).data, "old");
    EXPECT_TRUE(linesStartingWith(L"DUZOZAREDMIXEDMEDIA").empty());
    cad::publishEngineFaults().steps.clear();
  }
}

TEST_F(IsolatedPlotsTest, TheMergeTakesOnePagePdfsOnlyAndLeavesNoWorkFile) {
  writeBlankPdf(path("a.pdf"), {{595.28, 841.89}});
  writeBlankPdf(path("two.pdf"), {{595.28, 841.89}, {841.89, 595.28}});
  ASSERT_TRUE(foundation::writeFileAtomically(path("out/merged.pdf"), "old"));

  EXPECT_FALSE(vexBatchMergeIsolatedPdfPages({widePath("a.pdf"), widePath("two.pdf")}, widePath("out/merged.pdf")));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot reopen isolated plot page for merge");
  EXPECT_EQ(entries(path("out")), std::vector<std::string>{"merged.pdf"});
  EXPECT_EQ(foundation::readFile(path("out/merged.pdf")).data, "old");

  gBatchPrintLastError = L"earlier";
  EXPECT_FALSE(vexBatchMergeIsolatedPdfPages({}, widePath("out/merged.pdf")));
  EXPECT_EQ(gBatchPrintLastError, L"earlier");

  EXPECT_FALSE(vexBatchMergeIsolatedPdfPages({widePath("a.pdf"), widePath("missing.pdf")}, widePath("out/merged.pdf")));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot reopen isolated plot page for merge");
}

// The merge puts its file in place as every output is: a file is replaced only when the user agreed to replace
// that very file, otherwise the next free name is written.
TEST_F(IsolatedPlotsTest, TheMergeReplacesOnlyAnAgreedTarget) {
  writeBlankPdf(path("a.pdf"), {{595.28, 841.89}});
  writeBlankPdf(path("b.pdf"), {{1190.55, 841.89}});
  struct Case {
    const char* target;
    bool agreed;
    const char* written;
  };
  for (const Case& c : {Case{"out/old.pdf", true, "out/old.pdf"}, Case{"out/kept.pdf", false, "out/kept-2.pdf"},
                        Case{"out/new.pdf", false, "out/new.pdf"}}) {
    SCOPED_TRACE(c.target);
    if (std::string(c.target) != "out/new.pdf") {
      ASSERT_TRUE(foundation::writeFileAtomically(path(c.target), "old"));
    }
    if (c.agreed) vexBatchAgreeToReplace(path(c.target));
    ASSERT_TRUE(vexBatchMergeIsolatedPdfPages({widePath("a.pdf"), widePath("b.pdf")}, widePath(c.target)))
        << narrow(gBatchPrintLastError);
    EXPECT_EQ(gBatchPrintLastOutput, widePath(c.written));
    const std::vector<PageSize> sizes = pageSizes(path(c.written));
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_TRUE(sameSize(sizes[0], {210, 297}));
    EXPECT_TRUE(sameSize(sizes[1], {420, 297}));
  }
  EXPECT_EQ(foundation::readFile(path("out/kept.pdf")).data, "old");
  EXPECT_EQ(entries(path("out")), (std::vector<std::string>{"kept-2.pdf", "kept.pdf", "new.pdf", "old.pdf"}));
}

TEST_F(IsolatedPlotsTest, ATurnedPageIsMergedUpright) {
  writeBlankPdf(path("portrait.pdf"), {{595.28, 841.89}});
  ASSERT_EQ(std::system(("qpdf --rotate=+90 '" + path("portrait.pdf") + "' '" + path("turned.pdf") + "'").c_str()), 0);
  ASSERT_TRUE(sameSize(pageSizes(path("turned.pdf"))[0], {297, 210}));

  ASSERT_TRUE(vexBatchMergeIsolatedPdfPages({widePath("turned.pdf")}, widePath("out/upright.pdf")))
      << narrow(gBatchPrintLastError);
  ASSERT_EQ(std::system(("qpdf --check '" + path("out/upright.pdf") + "' > /dev/null").c_str()), 0);
  const std::string json = path("upright.json");
  ASSERT_EQ(std::system(("qpdf --json --json-key=pages '" + path("out/upright.pdf") + "' > '" + json + "'").c_str()),
            0);
  EXPECT_EQ(foundation::readFile(json).data.find("\"/Rotate\""), std::string::npos);
  EXPECT_TRUE(sameSize(pageSizes(path("out/upright.pdf"))[0], {297, 210}));
}

}  // namespace
}  // namespace plot_jobs_test

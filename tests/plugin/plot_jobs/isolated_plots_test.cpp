// Pages on different papers plotted one by one and merged: each page keeps its own exact size and its place,
// the private folder goes on success and stays for diagnosis on failure, and the target is replaced only by a
// complete merged file.
#include "plot/isolated_plots.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cad/plot/publish_engine.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "graphics/pdf_writer.h"
#include "plot/last_result.h"
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

  std::string isolatedFolder() const {
    const std::vector<std::string> left = workFilesLeft();
    return left.size() == 1 ? path("tmp/" + left[0]) : std::string();
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

TEST_F(IsolatedPlotsTest, CancellingBeforeTheMergeKeepsThePagesForDiagnosis) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();
  ASSERT_TRUE(foundation::writeFileAtomically(path("out/mixed.pdf"), "old"));
  // The last page is drawn, then the user cancels: the run finishes that page and the merge does not start.
  cancelOnPage(3);

  EXPECT_FALSE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L""));
  EXPECT_TRUE(gBatchPrintLastCancelled);
  const std::string folder = isolatedFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(foundation::lastPathComponent(folder).starts_with("quodline-isolated-"));
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"page-0001.pdf", "page-0002.pdf"}));
  EXPECT_EQ(gBatchPrintLastError,
            L"用户取消了批量打印；任务已保留，可再次执行; diagnostic pages: " + foundation::wideFromUtf8Lossy(folder));
  EXPECT_EQ(foundation::readFile(path("out/mixed.pdf")).data, "old");
  EXPECT_TRUE(linesStartingWith(L"DUZOZAREDMIXEDMEDIA").empty());
}

TEST_F(IsolatedPlotsTest, ACancelAfterTheLastPageStopsTheMerge) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();
  // Pressed while the window shows the merge stage: every page is plotted and verified, nothing is merged.
  cancelOnStage("正在合并 PDF…");

  EXPECT_FALSE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L""));
  const std::string folder = isolatedFolder();
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError, L"Merge cancelled; diagnostic pages: " + foundation::wideFromUtf8Lossy(folder));
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"page-0001.pdf", "page-0002.pdf", "page-0003.pdf"}));
  EXPECT_FALSE(foundation::itemExists(path("out/mixed.pdf")));
}

TEST_F(IsolatedPlotsTest, AStoppedQueueStopsTheMerge) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();
  bool stop = false;
  onPage(3, [&stop] { stop = true; });  // asked after the last page began: the plot run had already started it
  setPlotQueueLink({[] { return true; }, [&stop] { return stop; }});

  EXPECT_FALSE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L""));
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError,
            L"Queue stopped before PDF merge; diagnostic pages: " + foundation::wideFromUtf8Lossy(isolatedFolder()));
  EXPECT_FALSE(foundation::itemExists(path("out/mixed.pdf")));
}

TEST_F(IsolatedPlotsTest, AFailedPageStopsThePlotsAndNamesTheFolder) {
  const std::vector<VexBatchPrintPageSpec> pages = threePapers();
  cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndGenerateGraphics, 2, cad::eNotApplicable});

  EXPECT_FALSE(vexDuzozAredIsolatedPagesAndMerge(pages, widePath("out/mixed.pdf"), L""));
  EXPECT_FALSE(gBatchPrintLastCancelled);
  const std::string folder = isolatedFolder();
  EXPECT_EQ(gBatchPrintLastError, L"Page plotting failed: " + pages[1].name + L"; diagnostic pages: " +
                                      foundation::wideFromUtf8Lossy(folder));
  EXPECT_EQ(entries(folder), std::vector<std::string>{"page-0001.pdf"});
  EXPECT_EQ(drawnPages(), 1);  // the engine failed the second page before drawing it
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

TEST_F(IsolatedPlotsTest, TheMergeReplacesAnOldTargetOrCreatesANewOne) {
  writeBlankPdf(path("a.pdf"), {{595.28, 841.89}});
  writeBlankPdf(path("b.pdf"), {{1190.55, 841.89}});
  ASSERT_TRUE(foundation::writeFileAtomically(path("out/old.pdf"), "old"));
  for (const char* target : {"out/old.pdf", "out/new.pdf"}) {
    SCOPED_TRACE(target);
    ASSERT_TRUE(vexBatchMergeIsolatedPdfPages({widePath("a.pdf"), widePath("b.pdf")}, widePath(target)))
        << narrow(gBatchPrintLastError);
    const std::vector<PageSize> sizes = pageSizes(path(target));
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_TRUE(sameSize(sizes[0], {210, 297}));
    EXPECT_TRUE(sameSize(sizes[1], {420, 297}));
  }
  EXPECT_EQ(entries(path("out")), (std::vector<std::string>{"new.pdf", "old.pdf"}));
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

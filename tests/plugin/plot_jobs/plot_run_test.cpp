// The plot run on the sample drawings: what it tells the host's dialog and the progress window, where it
// stops when the user cancels, what each failure says, and that no failure leaves a partial file under the
// output's name or harms a file already there.
#include "plot/plot_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>

#include "cad/plot/plot_progress.h"
#include "cad/plot/plot_style_table.h"
#include "cad/plot/publish_engine.h"
#include "cad/plot_state.h"
#include "cad/sysvars.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot/last_result.h"
#include "plot/queue_link.h"
#include "plot_job_fixture.h"
#include "small_volume.h"

namespace plot_jobs_test {
namespace {

using cad::PublishStep;

std::set<std::string> filesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

std::vector<std::wstring> engineCalls() {
  std::vector<std::wstring> calls;
  for (const cad::PublishCall& call : cad::publishLog().calls) calls.push_back(call.call);
  return calls;
}

class PlotRunTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    ASSERT_TRUE(foundation::createDirectory(path("out"), true));
    vexBatchSetPanelStatusWriter([this](const std::string& status) { statuses_.push_back(status); });
  }
  void TearDown() override {
    vexBatchSetPanelStatusWriter({});
    PlotJobTest::TearDown();
  }
  std::vector<std::string> statuses_;
};

TEST_F(PlotRunTest, OnePageIsTheLastPageAndEndsAtFullProgress) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_FALSE(pages.empty());
  gBatchPrintLastPageCount = 2;

  ASSERT_TRUE(vexDuzozAredDocument({pages[0]}, widePath("out/one"), L"", nullptr, 0)) << narrow(gBatchPrintLastError);
  EXPECT_EQ(gBatchPrintLastOutput, widePath("out/one.pdf"));
  EXPECT_EQ(gBatchPrintLastPageCount, 3);
  EXPECT_EQ(filesIn(path("out")), std::set<std::string>{"one.pdf"});
  ASSERT_EQ(pageSizes(path("out/one.pdf")).size(), 1u);

  ASSERT_EQ(cad::publishLog().pages.size(), 1u);
  EXPECT_TRUE(cad::publishLog().pages[0].lastPage);
  ASSERT_EQ(cad::plotProgressRecords().size(), 1u);
  const cad::PlotProgressRecord& dialog = cad::plotProgressRecords()[0];
  EXPECT_EQ(dialog.sheetCount, 1);
  EXPECT_TRUE(dialog.showCancelSheetButton);
  EXPECT_EQ(dialog.plotPos, 100);
  EXPECT_TRUE(dialog.destroyed);
  EXPECT_EQ(dialog.messages.at(0), L"Quodline 批量打印");
  EXPECT_EQ(dialog.messages.at(1), pages[0].name);
  EXPECT_EQ(dialog.messages.at(6), L"正在安全取消，请稍候…");
  EXPECT_EQ(dialog.messages.at(8), L"取消输出");
  EXPECT_EQ(dialog.messages.at(9), L"全部取消");

  // Without a window given, the run made, showed and finished its own.
  ASSERT_EQ(progressWindows().size(), 1u);
  const auto own = progressWindows()[0].lock();
  ASSERT_NE(own, nullptr);
  EXPECT_TRUE(own->succeeded());
  EXPECT_EQ(own->completedPages(), 1);
  EXPECT_EQ(statuses_, std::vector<std::string>{"正在输出第 1 / 1 页：" + narrow(pages[0].name)});
}

TEST_F(PlotRunTest, AnOffsetCountsOnFromThePagesAlreadyWritten) {
  openSample("model-a1-grid-1to100.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = modelFramePages();
  ASSERT_GE(pages.size(), 2u);
  const auto progress = VexBatchPrintProgressController::initWithTotalPages(10);

  ASSERT_TRUE(vexDuzozAredDocument({pages[0], pages[1]}, widePath("out/two.pdf"), L"", progress.get(), 4))
      << narrow(gBatchPrintLastError);
  EXPECT_EQ(progress->completedPages(), 6);
  EXPECT_FALSE(progress->closing());  // a window given is the caller's to finish
  EXPECT_EQ(statuses_, (std::vector<std::string>{"正在输出第 5 / 10 页：" + narrow(pages[0].name),
                                                 "正在输出第 6 / 10 页：" + narrow(pages[1].name)}));
  EXPECT_EQ(pageSizes(path("out/two.pdf")).size(), 2u);
}

TEST_F(PlotRunTest, CancellingDuringThePageStopsBeforeTheNextAndLeavesTheOutputAlone) {
  openSample("model-a1-grid-1to100.dxf");
  std::vector<VexBatchPrintPageSpec> pages = modelFramePages();
  ASSERT_GE(pages.size(), 5u);
  pages.resize(5);
  ASSERT_TRUE(foundation::writeFileAtomically(path("out/five.pdf"), "the user's old file"));
  const auto progress = VexBatchPrintProgressController::initWithTotalPages(5);
  cancelOnPage(2);

  EXPECT_FALSE(vexDuzozAredDocument(pages, widePath("out/five.pdf"), L"", progress.get(), 0));
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError, L"用户取消了批量打印；任务已保留，可再次执行");
  EXPECT_EQ(drawnPages(), 2);
  EXPECT_EQ(progress->completedPages(), 1);  // the cancelled page is not reported done
  EXPECT_EQ(foundation::readFile(path("out/five.pdf")).data, "the user's old file");
  EXPECT_EQ(filesIn(path("out")), std::set<std::string>{"five.pdf"});
  EXPECT_TRUE(gBatchPrintLastOutput.empty());
  const std::vector<std::wstring> calls = engineCalls();
  EXPECT_EQ(calls.back(), L"destroy");
  EXPECT_NE(std::find(calls.begin(), calls.end(), L"endPlot"), calls.end());
}

TEST_F(PlotRunTest, TheHostDialogsCancelButtonsStopTheRunToo) {
  openSample("model-a1-grid-1to100.dxf");
  std::vector<VexBatchPrintPageSpec> pages = modelFramePages();
  pages.resize(3);
  for (const bool wholeJob : {true, false}) {
    SCOPED_TRACE(wholeJob ? "cancel job" : "cancel sheet");
    cad::resetPublishEngine();
    cad::resetPlotProgress();
    gBatchPrintLastCancelled = false;
    (wholeJob ? cad::plotProgressScript().cancelPlotAfterSheet : cad::plotProgressScript().cancelSheetAfterSheet) = 1;
    EXPECT_FALSE(vexDuzozAredDocument(pages, widePath("out/three.pdf"), L"", nullptr, 0));
    EXPECT_TRUE(gBatchPrintLastCancelled);
    EXPECT_EQ(cad::publishLog().pages.size(), 1u);
    EXPECT_FALSE(foundation::itemExists(path("out/three.pdf")));
  }
}

struct FailureCase {
  const char* what;
  std::function<void()> arrange;
  std::function<std::wstring(const std::vector<VexBatchPrintPageSpec>&)> error;
};

TEST_F(PlotRunTest, EachFailureSaysWhyAndLeavesNoPartialFile) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_GE(pages.size(), 3u);
  const auto fixed = [](const wchar_t* text) { return [text](const auto&) { return std::wstring(text); }; };
  const auto step = [](PublishStep s, int occurrence) {
    return [s, occurrence] { cad::publishEngineFaults().steps.push_back({s, occurrence, cad::eNotApplicable}); };
  };
  const std::vector<FailureCase> cases = {
      {"no engine", [] { cad::publishEngineFaults().createFails = true; },
       fixed(L"Cannot create AutoCAD publish engine")},
      {"null engine", [] { cad::publishEngineFaults().createNull = true; },
       fixed(L"Cannot create AutoCAD publish engine")},
      {"beginPlot", step(PublishStep::kBeginPlot, 1), fixed(L"beginPlot failed")},
      {"host plotting", [] { cad::setProcessPlotState(true); }, fixed(L"beginPlot failed")},
      {"beginDocument", step(PublishStep::kBeginDocument, 1), fixed(L"beginDocument failed")},
      {"second page", step(PublishStep::kEndGenerateGraphics, 2),
       [](const auto& p) { return L"Page plotting failed: " + p[1].name; }},
      {"third page ends", step(PublishStep::kEndPage, 3),
       [](const auto& p) { return L"Page plotting failed: " + p[2].name; }},
      {"endDocument", step(PublishStep::kEndDocument, 1), fixed(L"endDocument failed")},
      {"endPlot", step(PublishStep::kEndPlot, 1), fixed(L"endPlot failed")},
      {"no file", [] { cad::publishEngineFaults().noFile = true; }, fixed(L"Plot engine returned without a PDF file")},
      {"second layout", [this] { onPage(1, [] { cad::systemVariables().faults.set.insert(L"CTAB"); }); },
       [](const auto& p) { return L"Cannot activate plot layout: " + p[1].layoutName; }},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    cad::resetPublishEngine();
    cad::resetPlotProgress();
    cad::setProcessPlotState(false);
    cad::systemVariables().faults.set.clear();
    restartPageCount();
    ASSERT_TRUE(foundation::writeFileAtomically(path("out/sheets.pdf"), "kept"));
    gBatchPrintLastError.clear();
    c.arrange();

    EXPECT_FALSE(vexDuzozAredDocument({pages[0], pages[1], pages[2]}, widePath("out/sheets.pdf"), L"", nullptr, 0));
    EXPECT_EQ(gBatchPrintLastError, c.error(pages));
    EXPECT_FALSE(gBatchPrintLastCancelled);
    EXPECT_EQ(foundation::readFile(path("out/sheets.pdf")).data, "kept");
    EXPECT_EQ(filesIn(path("out")), std::set<std::string>{"sheets.pdf"});
    // Whatever began was ended, and the host's dialog and the run's own window are gone.
    const auto count = [](const wchar_t* call, bool succeededOnly) {
      return std::count_if(cad::publishLog().calls.begin(), cad::publishLog().calls.end(),
                           [&](const auto& c) { return c.call == call && (!succeededOnly || c.status == cad::eOk); });
    };
    EXPECT_EQ(count(L"endDocument", false), count(L"beginDocument", true));
    EXPECT_EQ(count(L"endPlot", false), count(L"beginPlot", true));
    for (const cad::PlotProgressRecord& dialog : cad::plotProgressRecords()) EXPECT_TRUE(dialog.destroyed);
    for (const auto& window : progressWindows()) {
      if (const auto controller = window.lock()) {
        EXPECT_TRUE(controller->closing());
      }
    }
  }
  cad::setProcessPlotState(false);
  cad::systemVariables().faults.set.clear();
}

TEST_F(PlotRunTest, AStoppedQueueStopsTheRunBeforeAnythingIsPlotted) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  for (const bool running : {false, true}) {
    for (const bool stop : {false, true}) {
      SCOPED_TRACE(testing::Message() << "running=" << running << " stop=" << stop);
      cad::resetPublishEngine();
      setPlotQueueLink({[running] { return running; }, [stop] { return stop; }});
      const bool stopped = running && stop;
      EXPECT_EQ(vexDuzozAredDocument({pages[0]}, widePath("out/queue.pdf"), L"", nullptr, 0), !stopped);
      EXPECT_EQ(gBatchPrintLastError, stopped ? L"Queue stopped" : L"");
      EXPECT_EQ(cad::publishLog().calls.empty(), stopped);
      gBatchPrintLastError.clear();
    }
  }
}

TEST_F(PlotRunTest, APageOffItsValidatedPaperKeepsTheHostsPdfAsTheTextSays) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_TRUE(pages[0].layoutWindow);
  cad::publishEngineFaults().oversizedPage = 1;

  EXPECT_FALSE(vexDuzozAredDocument({pages[0]}, widePath("out/wide.pdf"), L"", nullptr, 0));
  EXPECT_EQ(gBatchPrintLastError, L"第 1 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，请提交诊断记录。");
  EXPECT_TRUE(vexBatchPlotKeptHostPdf(gBatchPrintLastError));
  EXPECT_EQ(pageSizes(path("out/wide.pdf")).size(), 1u);
  EXPECT_EQ(filesIn(path("out")), std::set<std::string>{"wide.pdf"});
  EXPECT_TRUE(gBatchPrintLastOutput.empty());
}

// A volume with a few bytes left, or none: the run says the system's reason, naming the output, and the
// earlier file stays whole with nothing beside it.
TEST_F(PlotRunTest, AFullDiskFailsWithTheSystemsReasonAndKeepsTheEarlierFile) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_GE(pages.size(), 2u);
  SmallVolume volume(path("full"), 200 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  ASSERT_TRUE(foundation::writeFileAtomically(path("full/sheets.pdf"), "kept"));
  for (const std::size_t left : {std::size_t{4096}, std::size_t{0}}) {
    SCOPED_TRACE(left);
    ASSERT_TRUE(volume.fillLeaving(left));
    gBatchPrintLastError.clear();
    EXPECT_FALSE(vexDuzozAredDocument({pages[0], pages[1]}, widePath("full/sheets.pdf"), L"", nullptr, 0));
    const std::string error = narrow(gBatchPrintLastError);
    EXPECT_NE(error.find(foundation::errorText(ENOSPC)), std::string::npos) << error;
    EXPECT_NE(error.find(path("full/sheets.pdf")), std::string::npos) << error;
    for (const char* work : {"/Plot-", "/Plotting-", "/Normalize-"}) EXPECT_EQ(error.find(work), std::string::npos) << error;
    EXPECT_EQ(foundation::readFile(path("full/sheets.pdf")).data, "kept");
    EXPECT_EQ(filesIn(path("full")), (std::set<std::string>{"filler-" + std::to_string(getpid()), "sheets.pdf"}));
    EXPECT_EQ(workFilesLeft(), std::vector<std::string>{});
  }
}

// A monochrome plot is plotted in black; a table that cannot be read, whatever is wrong with it and whenever it
// goes wrong, fails the plot with its reason and never gives a page in the objects' own colours.
TEST_F(PlotRunTest, APlotStyleTableThatCannotBeReadFailsThePlotWithItsReason) {
  openSample("layouts-frames.dxf");  // its title block has green text
  std::vector<VexBatchPrintPageSpec> pages;
  for (const VexBatchPrintPageSpec& page : layoutPages()) {
    if (page.layoutName == L"A3 Block" && pages.empty()) pages.push_back(page);
  }
  ASSERT_EQ(pages.size(), 1u);
  const std::string table = path("Plot Styles/monochrome.ctb");
  cad::PlotStyleTable black = cad::PlotStyleTable::colorDependent(L"every colour plots black");
  for (cad::PlotStyle& style : black.styles) style.color = cad::PenColor{0, 0, 0};
  const std::string good = cad::encodePlotStyleTable(black);

  // The objects have colours of their own, and the check sees them.
  ASSERT_TRUE(vexDuzozAredDocument(pages, widePath("out/colour.pdf"), L"acad.ctb", nullptr, 0))
      << narrow(gBatchPrintLastError);
  EXPECT_GT(colouredShare(path("out/colour.pdf"), 1), 0.0);
  ASSERT_TRUE(foundation::writeFileAtomically(table, good));
  ASSERT_TRUE(vexDuzozAredDocument(pages, widePath("out/mono.pdf"), L"monochrome.ctb", nullptr, 0))
      << narrow(gBatchPrintLastError);
  EXPECT_EQ(colouredShare(path("out/mono.pdf"), 1), 0.0);
  EXPECT_GT(inkShare(path("out/mono.pdf"), 1, 0, 0, 420, 420), 0.0);
  const std::string kept = foundation::readFile(path("out/mono.pdf")).data;

  const auto replace = [&table](const std::string& bytes) {
    return [&table, bytes] {
      std::filesystem::remove_all(table);
      ASSERT_TRUE(foundation::writeFileAtomically(table, bytes));
    };
  };
  std::string flipped = good;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x20);
  // A stream that inflates far beyond the text size its header gives (the largest a table may claim).
  std::string bomb = cad::packPlotStyleTable(cad::PlotStyleKind::kColorDependent, std::string(64u << 20, ' '));
  const std::uint32_t claimed = 1u << 20;
  for (int i = 0; i < 4; ++i) bomb[37 + i] = static_cast<char>((claimed >> (8 * i)) & 0xFF);

  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const std::vector<Case> cases = {
      {"empty", replace("")},
      {"truncated", replace(good.substr(0, good.size() / 2))},
      {"a flipped bit", replace(flipped)},
      {"oversized", replace(good + std::string(2u << 20, 'x'))},
      {"inflation bomb", replace(bomb)},
      {"a folder", [&] {
         std::filesystem::remove_all(table);
         std::filesystem::create_directory(table);
       }},
      {"a pipe", [&] {
         std::filesystem::remove_all(table);
         ASSERT_EQ(mkfifo(table.c_str(), 0644), 0);
       }},
      {"missing", [&] { std::filesystem::remove_all(table); }},
      {"damaged while the page is drawn", [&, damage = replace(flipped)] {
         replace(good)();
         onPage(1, damage);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    restartPageCount();
    c.arrange();
    gBatchPrintLastError.clear();
    EXPECT_FALSE(vexDuzozAredDocument(pages, widePath("out/mono.pdf"), L"monochrome.ctb", nullptr, 0));
    EXPECT_NE(narrow(gBatchPrintLastError).find("monochrome.ctb"), std::string::npos) << narrow(gBatchPrintLastError);
    EXPECT_EQ(foundation::readFile(path("out/mono.pdf")).data, kept);
    EXPECT_EQ(colouredShare(path("out/mono.pdf"), 1), 0.0);
    EXPECT_EQ(filesIn(path("out")), (std::set<std::string>{"colour.pdf", "mono.pdf"}));
  }
}

// The name is held to the verification's rules before anything is plotted, and messages name the output.
TEST_F(PlotRunTest, ATargetNameTheVerificationRefusesIsRefusedBeforePlotting) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_FALSE(pages.empty());
  EXPECT_FALSE(vexDuzozAredDocument({pages[0]}, widePath("out/.plan.pdf"), L"", nullptr, 0));
  EXPECT_EQ(narrow(gBatchPrintLastError), "PDF filename starts with a dot and is hidden in Finder: " + path("out/.plan.pdf"));
  EXPECT_TRUE(cad::publishLog().calls.empty());
  EXPECT_EQ(filesIn(path("out")), std::set<std::string>{});
}

}  // namespace
}  // namespace plot_jobs_test

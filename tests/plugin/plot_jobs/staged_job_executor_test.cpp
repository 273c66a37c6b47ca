// The staged-job executor on the sample drawings: refusals, split jobs written and recorded page by page (and
// resumed after a failure or a cancel without plotting a done page again), merged jobs in one engine document
// or in isolation, the overwrite question, the last result and the status report in each state, and what the
// panel and the main queue are told at the end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/status_report.h"
#include "app/work_flags.h"
#include "cad/plot/publish_engine.h"
#include "cad/plot_state.h"
#include "core/host_bridge.h"
#include "core/work_active.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "plot/last_result.h"
#include "plot/panel_link.h"
#include "plot/pending_job_snapshot.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "plot_job_fixture.h"
#include "queue/file_queue_state.h"
#include "toolkit/modal_responder.h"
#include "toolkit/workspace.h"

namespace plot_jobs_test {
namespace {

// When a file was last changed, to the nanosecond: a page plotted again would change it.
std::pair<long, long> changedAt(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return {-1, -1};
  return {info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

class ExecutorTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    vexBatchInstallWorkActiveTest(vexBatchPrintWorkFlagsSet);
    // What the panel is told at the end; the page-by-page progress in its status line is left out.
    vexBatchSetPanelStatusWriter([this](const std::string& status) {
      if (!status.starts_with("正在输出第")) panel_.push_back("status " + status);
    });
    setPlotPanelLink({[this] { panel_.push_back("front"); }, [this] { panel_.push_back("order out"); },
                      [this] { panel_.push_back("resume off"); }, [this](const std::string& outcome) { panel_.push_back("recovery after " + outcome); }});
  }
  void TearDown() override {
    vexBatchInstallWorkActiveTest(nullptr);
    vexBatchSetPanelStatusWriter({});
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    gBatchFileQueueRunning = false;
    cad::setProcessPlotState(false);
    PlotJobTest::TearDown();
  }

  // Ten sheets: the seven A1 frames of the model grid and the first three again under sheet names of their own.
  std::vector<VexBatchPrintPageSpec> tenSheets() {
    openSample("model-a1-grid-1to100.dxf");
    std::vector<VexBatchPrintPageSpec> pages = modelFramePages();
    if (pages.size() != 7) throw std::runtime_error("the model grid changed");
    for (int i = 0; i < 3; ++i) {
      VexBatchPrintPageSpec again = pages[i];
      again.name += L" copy";
      pages.push_back(again);
    }
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i].outputIndex = i + 1;
    return pages;
  }

  static nlohmann::json snapshot() {
    const std::string text = snapshotText();
    return text.empty() ? nlohmann::json() : nlohmann::json::parse(text);
  }

  // What DUZOZAREDSTATUS prints after the fixed fields.
  static std::string statusTail() {
    cad::commandLine().clearTranscript();
    vexBatchPrintPrintStatus();
    const std::string printed = narrow(cad::commandLine().transcript());
    const auto at = printed.find(" visible=");
    return at == std::string::npos ? printed : printed.substr(at + 1);
  }

  std::vector<std::string> panel_;
};

TEST_F(ExecutorTest, RefusesWithoutChangingTheJobOrItsSnapshot) {
  openSample("chinese-layouts.dxf");
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::wstring error;  // empty: the last result stays as it was
  };
  const std::vector<Case> cases = {
      {"queue running", [] { gBatchFileQueueRunning = true; }, L""},
      {"nothing staged", [] { gBatchPrintPendingJob.active = false; }, L"No staged batch-print job"},
      {"another drawing", [] { gBatchPrintPendingJob.drawingPath = L"/elsewhere/other.dwg"; },
       L"Pending job belongs to a different drawing"},
      {"host plotting", [] { cad::setProcessPlotState(true); }, L"Another plot job is already running"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stage(layoutPages(), false, "out");
    const std::string before = snapshotText();
    gBatchPrintLastSucceeded = true;
    gBatchPrintLastError = L"earlier";
    c.arrange();
    const VexBatchPrintPendingJob job = gBatchPrintPendingJob;

    EXPECT_FALSE(vexBatchPrintExecutePending());
    EXPECT_EQ(gBatchPrintLastError, c.error.empty() ? L"earlier" : c.error);
    EXPECT_EQ(gBatchPrintLastSucceeded, c.error.empty());
    EXPECT_EQ(gBatchPrintPendingJob.active, job.active);
    EXPECT_EQ(gBatchPrintPendingJob.drawingPath, job.drawingPath);
    EXPECT_EQ(snapshotText(), before);
    EXPECT_TRUE(cad::publishLog().calls.empty());
    EXPECT_FALSE(foundation::itemExists(path("out")));
    gBatchFileQueueRunning = false;
    cad::setProcessPlotState(false);
  }
}

TEST_F(ExecutorTest, ASplitJobWritesOnePdfPerSheetAndThenForgetsTheJob) {
  openSample("chinese-layouts.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_EQ(pages.size(), 3u);
  const std::wstring startLayout = vexBatchCurrentLayoutName();
  stage(pages, false, "out/出图");
  std::vector<std::string> states;
  onPage(1, [&] { states.push_back(snapshot().value("state", "")); });
  onPage(2, [&] {
    states.push_back(snapshot().value("state", ""));
    EXPECT_EQ(snapshot().value("completedPageCount", 0), 1);
  });

  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(states, (std::vector<std::string>{"running", "pending"}));
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < pages.size(); ++i)
    expected.push_back("00" + std::to_string(i + 1) + "-" + narrow(pages[i].name) + ".pdf");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries(path("out/出图")), expected);
  for (const std::string& name : expected) {
    const std::vector<PageSize> sizes = pageSizes(path("out/出图/" + name));
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_TRUE(sameSize(sizes[0], {420, 297})) << name;
  }

  EXPECT_TRUE(gBatchPrintLastSucceeded);
  EXPECT_EQ(gBatchPrintLastLayoutCount, 3);
  EXPECT_EQ(gBatchPrintLastPageCount, 3);
  ASSERT_EQ(gBatchPrintLastOutputs.size(), 3u);
  EXPECT_EQ(gBatchPrintLastOutput, gBatchPrintLastOutputs.back());
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_EQ(snapshotText(), "");
  EXPECT_EQ(vexBatchCurrentLayoutName(), startLayout);
  EXPECT_EQ(statusTail(),
            "visible=NO last=PASS cancelled=NO recoverable=NO remaining=0 completed=0/0 items=3 "
            "pages=3 outputs=3 output=" +
                narrow(gBatchPrintLastOutput) + " log=- error=-");
  EXPECT_EQ(panel_, (std::vector<std::string>{"order out", "resume off",
                                              "status 输出完成：3 个页面，3 页；位置：" +
                                                  narrow(gBatchPrintLastOutputs.front()) + "。DWG 未修改、未保存。"}));

  // The folder is revealed only after the command, once the outputs passed a second check.
  EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
  foundation::MainQueue::main().drain();
  ASSERT_EQ(toolkit::Workspace::shared().records().size(), 1u);
  EXPECT_EQ(toolkit::Workspace::shared().records()[0].targets, std::vector<std::string>{path("out/出图")});
  EXPECT_TRUE(toolkit::Workspace::shared().records()[0].succeeded);
}

TEST_F(ExecutorTest, AFailureOnPageFourOfTenKeepsThreeDoneAndTheResumeFinishesTheRest) {
  const std::vector<VexBatchPrintPageSpec> pages = tenSheets();
  stage(pages, false, "out");
  cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndGenerateGraphics, 4, cad::eNotApplicable});

  EXPECT_FALSE(vexBatchPrintExecutePending());
  EXPECT_EQ(gBatchPrintLastError, L"Page plotting failed: " + pages[3].name);
  EXPECT_EQ(entries(path("out")).size(), 3u);
  const nlohmann::json saved = snapshot();
  EXPECT_EQ(saved.value("state", ""), "failed");
  EXPECT_EQ(saved.value("completedPageCount", 0), 3);
  EXPECT_EQ(saved.value("totalPageCount", 0), 10);
  ASSERT_EQ(saved["pages"].size(), 7u);
  EXPECT_EQ(saved["pages"][0].value("name", ""), narrow(pages[3].name));
  EXPECT_TRUE(gBatchPrintPendingJob.active);
  EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 3u);
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 7u);
  EXPECT_EQ(statusTail(),
            "visible=NO last=NONE_OR_FAIL cancelled=NO recoverable=YES remaining=7 completed=3/10 "
            "items=10 pages=3 outputs=3 output=" +
                narrow(gBatchPrintLastOutputs.back()) + " log=- error=Page plotting failed: " + narrow(pages[3].name));
  EXPECT_EQ(panel_,
            (std::vector<std::string>{"recovery after 输出失败：Page plotting failed: " + narrow(pages[3].name)}));

  std::map<std::string, std::pair<long, long>> done;
  for (const std::string& name : entries(path("out"))) done[name] = changedAt(path("out/" + name));
  cad::publishEngineFaults() = {};
  restartPageCount();
  const auto resumedWindows = progressWindows().size();

  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(drawnPages(), 7);
  EXPECT_EQ(entries(path("out")).size(), 10u);
  for (const auto& [name, when] : done) EXPECT_EQ(changedAt(path("out/" + name)), when) << name;
  // Names keep each sheet's own number; the window counts over the whole job.
  EXPECT_EQ(gBatchPrintLastOutputs.front(), widePath("out/004-" + narrow(pages[3].name) + ".pdf"));
  ASSERT_EQ(progressWindows().size(), resumedWindows + 1);
  const auto window = progressWindows().back().lock();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->totalPages(), 10);
  EXPECT_EQ(window->completedPages(), 10);
  EXPECT_EQ(gBatchPrintLastLayoutCount, 7);
  EXPECT_EQ(snapshotText(), "");
  EXPECT_EQ(statusTail(),
            "visible=NO last=PASS cancelled=NO recoverable=NO remaining=0 completed=0/0 items=7 "
            "pages=7 outputs=7 output=" +
                narrow(gBatchPrintLastOutputs.back()) + " log=- error=-");
}

TEST_F(ExecutorTest, ACancelKeepsThePagesNotDoneAndNoPartialFile) {
  openSample("chinese-layouts.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  stage(pages, false, "out");
  cancelOnPage(2);

  EXPECT_FALSE(vexBatchPrintExecutePending());
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(entries(path("out")), std::vector<std::string>{"001-" + narrow(pages[0].name) + ".pdf"});
  EXPECT_EQ(snapshot().value("state", ""), "cancelled");
  EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 1u);
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 2u);
  EXPECT_EQ(statusTail(),
            "visible=NO last=NONE_OR_FAIL cancelled=YES recoverable=YES remaining=2 completed=1/3 "
            "items=3 pages=1 outputs=1 output=" +
                narrow(gBatchPrintLastOutputs.back()) + " log=- error=用户取消了批量打印；任务已保留，可再次执行");
  EXPECT_EQ(panel_, (std::vector<std::string>{"recovery after 输出已取消"}));
  foundation::MainQueue::main().drain();
  EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
}

TEST_F(ExecutorTest, WhenEverySplitPageWasWrittenButOneFailsItsCheckTheWholeJobStays) {
  openSample("chinese-layouts.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  stage(pages, false, "out");
  onPage(3, [this, first = path("out/001-" + narrow(pages[0].name) + ".pdf")] { (void)foundation::removeItem(first); });

  EXPECT_FALSE(vexBatchPrintExecutePending());
  EXPECT_TRUE(gBatchPrintLastError.starts_with(L"PDF output is missing or empty: ")) << narrow(gBatchPrintLastError);
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 3u);
  EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 0u);
  EXPECT_EQ(snapshot().value("state", ""), "failed");
  EXPECT_EQ(snapshot()["pages"].size(), 3u);
}

TEST_F(ExecutorTest, AResumedJobCountsOnFromItsDonePagesAndNamesByOwnIndex) {
  std::vector<VexBatchPrintPageSpec> pages = tenSheets();
  pages.erase(pages.begin(), pages.begin() + 3);
  stage(pages, false, "out");
  gBatchPrintPendingJob.totalPageCount = 10;
  gBatchPrintPendingJob.completedPageCount = 3;
  gBatchPrintPendingJob.nameTemplate = L"{index}_{source}";

  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(entries(path("out")),
            (std::vector<std::string>{"004_Model.pdf", "005_Model.pdf", "006_Model.pdf", "007_Model.pdf",
                                      "008_Model.pdf", "009_Model.pdf", "010_Model.pdf"}));
  const auto window = progressWindows().back().lock();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->totalPages(), 10);
}

TEST_F(ExecutorTest, MergedJobsShareOneEngineDocumentOnlyOnOnePaperAndLayout) {
  openSample("oversized-layout.dxf");
  const std::vector<VexBatchPrintPageSpec> sheets = layoutPages();
  std::vector<VexBatchPrintPageSpec> a3, a4;
  for (const VexBatchPrintPageSpec& page : sheets) (page.paper.name == L"A4" ? a4 : a3).push_back(page);
  ASSERT_GE(a3.size(), 2u);
  ASSERT_EQ(a4.size(), 1u);

  stage({a3[0], a3[1]}, true, "out/Sheets");
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(cad::publishLog().documents.size(), 1u);
  EXPECT_TRUE(linesStartingWith(L"DUZOZAREDMIXEDMEDIA").empty());
  EXPECT_EQ(gBatchPrintLastOutputs, std::vector<std::wstring>{widePath("out/Sheets.pdf")});
  const std::vector<PageSize> same = pageSizes(path("out/Sheets.pdf"));
  ASSERT_EQ(same.size(), 2u);
  for (const PageSize& size : same) EXPECT_TRUE(sameSize(size, {420, 297}));
  // The job plotted in one run made its own window.
  ASSERT_EQ(progressWindows().size(), 1u);

  cad::resetPublishEngine();
  stage({a3[0], a4[0]}, true, "out/Sheets");
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(cad::publishLog().documents.size(), 2u);
  EXPECT_EQ(gBatchPrintLastOutputs, std::vector<std::wstring>{widePath("out/Sheets-2.pdf")});
  const std::vector<PageSize> mixed = pageSizes(path("out/Sheets-2.pdf"));
  ASSERT_EQ(mixed.size(), 2u);
  EXPECT_TRUE(sameSize(mixed[0], {420, 297}));
  EXPECT_TRUE(sameSize(mixed[1], {297, 210}) || sameSize(mixed[1], {210, 297}));
  EXPECT_EQ(linesStartingWith(L"DUZOZAREDMIXEDMEDIA").size(), 1u);
  EXPECT_EQ(statusTail(),
            "visible=NO last=PASS cancelled=NO recoverable=NO remaining=0 completed=0/0 items=2 "
            "pages=2 outputs=1 output=" +
                path("out/Sheets-2.pdf") + " log=- error=-");

  foundation::MainQueue::main().drain();
  ASSERT_EQ(toolkit::Workspace::shared().records().size(), 2u);
  EXPECT_EQ(toolkit::Workspace::shared().records()[1].targets, std::vector<std::string>{path("out/Sheets-2.pdf")});
}

TEST_F(ExecutorTest, ReplacingAnExistingFileWaitsForTheUsersYes) {
  openSample("chinese-layouts.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  ASSERT_TRUE(foundation::createDirectory(path("out"), true));
  ASSERT_TRUE(foundation::writeFileAtomically(path("out/Sheets.pdf"), "old"));

  // Return answers the question with its default, Cancel.
  toolkit::ModalResponder::shared().answerNextAlertWithButton(0);
  stage({pages[0]}, true, "out/Sheets.pdf", true);
  EXPECT_FALSE(vexBatchPrintExecutePending());
  EXPECT_TRUE(gBatchPrintLastCancelled);
  EXPECT_EQ(foundation::readFile(path("out/Sheets.pdf")).data, "old");
  EXPECT_EQ(snapshot().value("state", ""), "cancelled");
  EXPECT_TRUE(cad::publishLog().calls.empty());

  toolkit::ModalResponder::shared().answerNextAlertWithButton(1);
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_FALSE(gBatchPrintLastCancelled);
  EXPECT_EQ(pageSizes(path("out/Sheets.pdf")).size(), 1u);
  EXPECT_EQ(entries(path("out")), std::vector<std::string>{"Sheets.pdf"});
  ASSERT_EQ(toolkit::ModalResponder::shared().alerts().size(), 2u);
}

TEST_F(ExecutorTest, TheOutputIsOpenedOnlyAfterASecondCheck) {
  openSample("chinese-layouts.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();

  stage({pages[0]}, true, "out/gone.pdf");
  ASSERT_TRUE(vexBatchPrintExecutePending());
  ASSERT_TRUE(foundation::removeItem(path("out/gone.pdf")));
  toolkit::ModalResponder::shared().answerNextAlertWithButton(0);
  foundation::MainQueue::main().drain();
  ASSERT_EQ(toolkit::ModalResponder::shared().alerts().size(), 1u);
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts()[0].messageText, "PDF 输出检查失败");
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts()[0].informativeText,
            "PDF output is missing or empty: " + path("out/gone.pdf"));
  EXPECT_TRUE(toolkit::Workspace::shared().records().empty());

  // A viewer that cannot open it: the file is shown in the file browser instead.
  panel_.clear();
  stage({pages[0]}, true, "out/seen.pdf");
  ASSERT_TRUE(vexBatchPrintExecutePending());
  toolkit::Workspace::shared().setFailure("no viewer");
  foundation::MainQueue::main().drain();
  toolkit::Workspace::shared().setFailure(std::nullopt);
  ASSERT_EQ(toolkit::Workspace::shared().records().size(), 2u);
  EXPECT_EQ(toolkit::Workspace::shared().records()[1].kind, toolkit::WorkspaceRecord::Kind::revealInFileViewer);
  EXPECT_EQ(panel_.back(), "status 输出完成，但默认应用未能打开文件；已在 Finder 中定位：" + path("out/seen.pdf"));
}

}  // namespace
}  // namespace plot_jobs_test

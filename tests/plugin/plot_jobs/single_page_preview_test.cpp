// The single-page preview: its refusals, that it is used up by the first run that starts, and that neither a
// success nor a failure changes the staged print job, its snapshot or the last result.
#include <gtest/gtest.h>

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
#include "toolkit/application.h"
#include "toolkit/workspace.h"

namespace plot_jobs_test {
namespace {

class PreviewTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    toolkit::Workspace::shared().reset();
    vexBatchInstallWorkActiveTest(vexBatchPrintWorkFlagsSet);
    vexBatchSetPanelStatusWriter([this](const std::string& status) {
      if (!status.starts_with("正在输出第")) panel_.push_back("status " + status);
    });
    setPlotPanelLink({[this] { panel_.push_back("front"); }, {}, {}, {}});
    openSample("chinese-layouts.dxf");
    pages_ = layoutPages();
    ASSERT_FALSE(pages_.empty());

    // A print job staged and partly done, and the result of an earlier job, which the preview must not touch.
    gBatchPrintPendingJob.pages = pages_;
    gBatchPrintPendingJob.outputPath = widePath("out");
    gBatchPrintPendingJob.totalPageCount = 5;
    gBatchPrintPendingJob.completedPageCount = 2;
    gBatchPrintPendingJob.active = true;
    ASSERT_TRUE(vexBatchWritePendingJobSnapshot(gBatchPrintPendingJob, "failed"));
    snapshot_ = snapshotText();
    gBatchPrintLastSucceeded = false;
    gBatchPrintLastCancelled = true;
    gBatchPrintLastError = L"earlier error";
    gBatchPrintLastOutput = L"/earlier/last.pdf";
    gBatchPrintLastOutputs = {L"/earlier/first.pdf", L"/earlier/last.pdf"};
    gBatchPrintLastLog = L"/earlier/log";
    gBatchPrintLastLayoutCount = 5;
    gBatchPrintLastPageCount = 2;
    earlier_ = vexBatchPrintSaveLastResult();
  }
  void TearDown() override {
    vexBatchInstallWorkActiveTest(nullptr);
    vexBatchSetPanelStatusWriter({});
    toolkit::Workspace::shared().reset();
    cad::setProcessPlotState(false);
    gBatchFileQueueRunning = false;
    PlotJobTest::TearDown();
  }

  void stagePreview(const std::wstring& drawingPath) {
    gBatchPrintPreviewJob.page = pages_[0];
    gBatchPrintPreviewJob.page.outputIndex = 1;
    gBatchPrintPreviewJob.pdfPath = widePath("preview/page.pdf");
    gBatchPrintPreviewJob.drawingPath = drawingPath;
    gBatchPrintPreviewJob.ready = true;
  }

  // The print job, its snapshot and the last result are as they were before the preview.
  void expectExportUntouched() {
    const VexBatchPrintLastResult now = vexBatchPrintSaveLastResult();
    EXPECT_EQ(now.succeeded, earlier_.succeeded);
    EXPECT_EQ(now.cancelled, earlier_.cancelled);
    EXPECT_EQ(now.error, earlier_.error);
    EXPECT_EQ(now.output, earlier_.output);
    EXPECT_EQ(now.outputs, earlier_.outputs);
    EXPECT_EQ(now.log, earlier_.log);
    EXPECT_EQ(now.layoutCount, earlier_.layoutCount);
    EXPECT_EQ(now.pageCount, earlier_.pageCount);
    EXPECT_EQ(snapshotText(), snapshot_);
    EXPECT_TRUE(gBatchPrintPendingJob.active);
    EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 2u);
    EXPECT_FALSE(foundation::itemExists(path("out")));
  }

  std::vector<VexBatchPrintPageSpec> pages_;
  std::string snapshot_;
  VexBatchPrintLastResult earlier_;
  std::vector<std::string> panel_;
};

TEST_F(PreviewTest, APreviewIsWrittenAndOpenedAndChangesNothingOfTheExport) {
  const std::wstring startLayout = vexBatchCurrentLayoutName();
  stagePreview(vexBatchCurrentDrawingPath());

  ASSERT_TRUE(vexBatchPrintExecutePreview());
  EXPECT_FALSE(gBatchPrintPreviewJob.ready);
  ASSERT_EQ(pageSizes(path("preview/page.pdf")).size(), 1u);
  EXPECT_EQ(vexBatchCurrentLayoutName(), startLayout);
  expectExportUntouched();
  EXPECT_EQ(panel_, std::vector<std::string>{"status 单页预览已生成；正式输出目录和恢复任务均未改变。"});
  ASSERT_EQ(toolkit::Workspace::shared().records().size(), 1u);
  EXPECT_EQ(toolkit::Workspace::shared().records()[0].targets, std::vector<std::string>{path("preview/page.pdf")});
}

TEST_F(PreviewTest, RefusalsBeforeThePreviewIsUsedUp) {
  // While other work runs: nothing at all.
  stagePreview(L"");
  gBatchFileQueueRunning = true;
  EXPECT_FALSE(vexBatchPrintExecutePreview());
  EXPECT_TRUE(gBatchPrintPreviewJob.ready);
  EXPECT_EQ(transcript(), L"");
  gBatchFileQueueRunning = false;

  // While the host plots: told on the command line and in the panel; the preview stays staged for later.
  cad::commandLine().clearTranscript();
  cad::setProcessPlotState(true);
  EXPECT_FALSE(vexBatchPrintExecutePreview());
  EXPECT_TRUE(gBatchPrintPreviewJob.ready);
  EXPECT_EQ(transcript(), L"\n预览失败：另一个打印任务正在运行。");
  EXPECT_EQ(panel_, (std::vector<std::string>{"front", "status 预览失败：另一个打印任务正在运行。"}));
  cad::setProcessPlotState(false);
  ASSERT_TRUE(vexBatchPrintExecutePreview());
  expectExportUntouched();

  // Nothing staged.
  cad::commandLine().clearTranscript();
  EXPECT_FALSE(vexBatchPrintExecutePreview());
  EXPECT_EQ(transcript(), L"\n没有待预览页面，请先在批打列表中选中一行。");
}

TEST_F(PreviewTest, APreviewOfAnotherDrawingIsUsedUpWithoutPlotting) {
  stagePreview(L"/elsewhere/other.dwg");
  EXPECT_FALSE(vexBatchPrintExecutePreview());
  EXPECT_FALSE(gBatchPrintPreviewJob.ready);
  EXPECT_EQ(panel_, (std::vector<std::string>{"front", "status 预览任务属于另一份 DWG，请返回原图纸后重试。"}));
  EXPECT_TRUE(cad::publishLog().calls.empty());
  expectExportUntouched();

  // The same drawing written another way still matches.
  panel_.clear();
  const std::string drawing = narrow(vexBatchCurrentDrawingPath());
  const auto slash = drawing.rfind('/');
  stagePreview(foundation::wideFromUtf8Lossy(drawing.substr(0, slash) + "/./" + drawing.substr(slash + 1)));
  EXPECT_TRUE(vexBatchPrintExecutePreview());
}

TEST_F(PreviewTest, AFailedOrCancelledPreviewLeavesNoFileAndSaysWhy) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"a page fails",
       [] {
         cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndPage, 1, cad::eNotApplicable});
       },
       "status 单页预览失败：Page plotting failed: " + narrow(pages_[0].name)},
      {"cancelled", [this] { cancelOnPage(1); }, "status 单页预览已取消；正式任务未改变。"},
      {"no file", [] { cad::publishEngineFaults().noFile = true; },
       "status 单页预览失败：Plot engine returned without a PDF file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cad::resetPublishEngine();
    restartPageCount();
    panel_.clear();
    // An earlier preview's file is not left standing for the new one.
    ASSERT_TRUE(foundation::createDirectory(path("preview"), true));
    ASSERT_TRUE(foundation::writeFileAtomically(path("preview/page.pdf"), "earlier preview"));
    stagePreview(L"");
    c.arrange();

    EXPECT_FALSE(vexBatchPrintExecutePreview());
    EXPECT_FALSE(gBatchPrintPreviewJob.ready);
    EXPECT_FALSE(foundation::itemExists(path("preview/page.pdf")));
    EXPECT_EQ(panel_, (std::vector<std::string>{"front", c.status}));
    expectExportUntouched();
  }
  EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
}

TEST_F(PreviewTest, APreviewOffItsValidatedPaperKeepsTheFileItSaysItKept) {
  ASSERT_TRUE(pages_[0].layoutWindow);
  stagePreview(L"");
  cad::publishEngineFaults().oversizedPage = 1;

  EXPECT_FALSE(vexBatchPrintExecutePreview());
  EXPECT_EQ(panel_, (std::vector<std::string>{
                        "front",
                        "status 单页预览失败：第 1 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，"
                        "请提交诊断记录。"}));
  EXPECT_EQ(pageSizes(path("preview/page.pdf")).size(), 1u);
  expectExportUntouched();
}

}  // namespace
}  // namespace plot_jobs_test

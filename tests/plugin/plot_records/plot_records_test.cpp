// The plot pipeline's records start as "nothing staged, nothing plotted", and a saved last result comes back
// whole.

#include <gtest/gtest.h>

#include "plot/last_result.h"
#include "plot/print_jobs.h"
#include "recognition/page_spec.h"

namespace {

TEST(PageSpec, DefaultIsAnUnnamedA4SizedLayoutSheetAtFullScale) {
  VexBatchPrintPageSpec page;
  EXPECT_EQ(page.source, VexBatchPrintSourceLayout);
  EXPECT_TRUE(page.name.empty());
  EXPECT_TRUE(page.layoutName.empty());
  EXPECT_EQ(page.minX, 0);
  EXPECT_EQ(page.maxY, 0);
  EXPECT_FALSE(page.layoutWindow);
  EXPECT_FALSE(page.exactPaperFrame);
  EXPECT_FALSE(page.paperOverridden);
  EXPECT_EQ(page.contentScalePercent, 100.0);
  EXPECT_EQ(page.outputIndex, 0u);
  EXPECT_TRUE(page.paper.name.empty());
  EXPECT_EQ(page.paper.shortSide, 210.0);
  EXPECT_EQ(page.paper.longSide, 297.0);
}

TEST(StagedJobs, NothingIsStagedAtLoad) {
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_TRUE(gBatchPrintPendingJob.merged);
  EXPECT_FALSE(gBatchPrintPendingJob.overwriteExisting);
  EXPECT_TRUE(gBatchPrintPendingJob.pages.empty());
  EXPECT_EQ(gBatchPrintPendingJob.totalPageCount, 0u);
  EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 0u);
  EXPECT_FALSE(gBatchPrintPreviewJob.ready);
  EXPECT_TRUE(gBatchPrintPreviewJob.drawingPath.empty());
}

TEST(StagedJobs, ACopyOwnsItsPages) {
  VexBatchPrintPendingJob job;
  job.pages.resize(2);
  job.pages[0].name = L"布局1 图框 01";
  VexBatchPrintPendingJob copy = job;
  job.pages[0].name = L"changed";
  job.pages.erase(job.pages.begin());
  ASSERT_EQ(copy.pages.size(), 2u);
  EXPECT_EQ(copy.pages[0].name, L"布局1 图框 01");
}

TEST(LastResult, RestoringPutsBackAllEightValues) {
  gBatchPrintLastSucceeded = true;
  gBatchPrintLastCancelled = false;
  gBatchPrintLastError = L"";
  gBatchPrintLastOutput = L"/out/b.pdf";
  gBatchPrintLastOutputs = {L"/out/a.pdf", L"/out/b.pdf"};
  gBatchPrintLastLog = L"log";
  gBatchPrintLastLayoutCount = 2;
  gBatchPrintLastPageCount = 2;
  VexBatchPrintLastResult saved = vexBatchPrintSaveLastResult();

  // What a failed, cancelled plot in between would leave.
  gBatchPrintLastSucceeded = false;
  gBatchPrintLastCancelled = true;
  gBatchPrintLastError = L"Plot engine refused the page.";
  gBatchPrintLastOutput = L"/tmp/preview.pdf";
  gBatchPrintLastOutputs.clear();
  gBatchPrintLastLog.clear();
  gBatchPrintLastLayoutCount = 1;
  gBatchPrintLastPageCount = 0;

  vexBatchPrintRestoreLastResult(saved);
  EXPECT_TRUE(gBatchPrintLastSucceeded);
  EXPECT_FALSE(gBatchPrintLastCancelled);
  EXPECT_EQ(gBatchPrintLastError, L"");
  EXPECT_EQ(gBatchPrintLastOutput, L"/out/b.pdf");
  EXPECT_EQ(gBatchPrintLastOutputs, (std::vector<std::wstring>{L"/out/a.pdf", L"/out/b.pdf"}));
  EXPECT_EQ(gBatchPrintLastLog, L"log");
  EXPECT_EQ(gBatchPrintLastLayoutCount, 2);
  EXPECT_EQ(gBatchPrintLastPageCount, 2);
}

}  // namespace

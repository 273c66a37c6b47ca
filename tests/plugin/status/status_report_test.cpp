// The status report in the plug-in's own process: the two lines as printed, field by field, with the layout
// counts of a fresh scan, the staged job and the last result.

#include "app/status_report.h"

#include <gtest/gtest.h>

#include <string>

#include "cad/command_line.h"
#include "fixture.h"
#include "plot/last_result.h"
#include "plot/print_jobs.h"
#include "recognition/recognition_state.h"

namespace {

const std::wstring kBuildLine = L"\nDUZOZAREDBUILD print_fix=mac-layout-isolation-20260918-r1";
const std::wstring kStatusHead =
    L"\nDUZOZAREDSTATUS version=1.0.0-beta.9 product=quodline ctbfix=20 "
    L"recognition=independent-physical-frame-v1+viewport-evidence-only+zero-one-many-viewports+"
    L"block-frame-absolute-priority+model-layout-parity+model-top-level-physical-candidates+scaled-iso-model-frame+"
    L"shared-block-physical-border-signature+layout-cloud-block-rejection+model-block-physical-border-signature+"
    L"revision-cloud-block-rejection+source-aware-nesting+tight-single-viewport-frame-v13+point-layer+point-range+"
    L"same-block+layout-model-range+standalone-rectangle+plain-rectangle-peers+four-line-reserved-frames+"
    L"nonplottable-toggle+blank-rectangle-toggle+blank-overlap-evidence+partial-viewport-frame+"
    L"unmatched-content-bearing-iso-frame+global-nested-frame-exclusion+parent-filter-before-viewport-pairing+"
    L"final-region-nesting-guard "
    L"ui=content-sized-columns-v3+single-page-preview+range-cross-highlight+cad-panel-front+output-location-presets+"
    L"visible-version+selected-row-paper+content-scale-percent+source-name-pdf "
    L"pdf=validated-native-window+per-page-paper+aspect-fit-no-crop+fixed-media-content-scale+source-paper-override+"
    L"source-media-aware+no-raster-border-guess "
    L"font=allinonebig-compat preflight=pdf-style-font-path-disk "
    L"recovery=user-owned-snapshot+legacy-read+split-resume+stable-index+page-paper-scale "
    L"mixed_media=source-media-aware+overall-progress ";

class StatusReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vexBatchResetRecognitionStateForTesting();
    gBatchPrintPendingJob = VexBatchPrintPendingJob();
    vexBatchPrintRestoreLastResult(VexBatchPrintLastResult());
    cad::commandLine().clearTranscript();
  }
  void TearDown() override { SetUp(); }

  // What one report printed, after the fixed head of the status line.
  static std::wstring reportTail() {
    cad::commandLine().clearTranscript();
    vexBatchPrintPrintStatus();
    const std::wstring printed = cad::commandLine().transcript();
    const std::wstring head = kBuildLine + kStatusHead;
    if (printed.compare(0, head.size(), head) != 0) {
      ADD_FAILURE() << "the report does not begin with the build line and the constant fields";
      return printed;
    }
    return printed.substr(head.size());
  }
};

TEST_F(StatusReportTest, RightAfterLoadingWithoutADrawing) {
  EXPECT_EQ(reportTail(),
            L"layout_raw=0 layout_filtered=0 layout_final=0 visible=NO last=NONE_OR_FAIL cancelled=NO recoverable=NO "
            L"remaining=0 completed=0/0 items=0 pages=0 outputs=0 output=- log=- error=-");
}

TEST_F(StatusReportTest, AfterASuccessfulSplitJobOfTwelveSheets) {
  gBatchPrintLastSucceeded = true;
  gBatchPrintLastLayoutCount = 12;
  gBatchPrintLastPageCount = 12;
  for (int i = 1; i <= 12; ++i)
    gBatchPrintLastOutputs.push_back(L"/Users/王工/出图/sheet-" + std::to_wstring(i) + L".pdf");
  gBatchPrintLastOutput = gBatchPrintLastOutputs.back();
  EXPECT_EQ(reportTail(),
            L"layout_raw=0 layout_filtered=0 layout_final=0 visible=NO last=PASS cancelled=NO recoverable=NO "
            L"remaining=0 completed=0/0 items=12 pages=12 outputs=12 output=/Users/王工/出图/sheet-12.pdf log=- "
            L"error=-");
}

TEST_F(StatusReportTest, AfterASplitJobThatFailedOnItsFourthPageOfTen) {
  gBatchPrintPendingJob.active = true;
  gBatchPrintPendingJob.totalPageCount = 10;
  gBatchPrintPendingJob.completedPageCount = 3;
  gBatchPrintPendingJob.pages.resize(7);
  gBatchPrintLastLayoutCount = 10;
  gBatchPrintLastPageCount = 3;
  gBatchPrintLastOutputs = {L"/out/a 1.pdf", L"/out/a 2.pdf", L"/out/a 3.pdf"};
  gBatchPrintLastOutput = L"/out/a 3.pdf";
  gBatchPrintLastError = L"The plot engine refused page 4 (%s %ls).";
  EXPECT_EQ(reportTail(),
            L"layout_raw=0 layout_filtered=0 layout_final=0 visible=NO last=NONE_OR_FAIL cancelled=NO recoverable=YES "
            L"remaining=7 completed=3/10 items=10 pages=3 outputs=3 output=/out/a 3.pdf log=- "
            L"error=The plot engine refused page 4 (%s %ls).");
  // The report changes nothing of what it reads.
  EXPECT_TRUE(gBatchPrintPendingJob.active);
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 7u);
  EXPECT_EQ(gBatchPrintLastError, L"The plot engine refused page 4 (%s %ls).");
}

TEST_F(StatusReportTest, ACancelledRunSaysSo) {
  gBatchPrintLastCancelled = true;
  gBatchPrintLastLog = L"/tmp/plot.log";
  std::wstring tail = reportTail();
  EXPECT_NE(tail.find(L" cancelled=YES "), std::wstring::npos) << tail;
  EXPECT_NE(tail.find(L" log=/tmp/plot.log "), std::wstring::npos) << tail;
}

TEST_F(StatusReportTest, TheLayoutCountsComeFromAFreshScanAndRepeatAlike) {
  recognition_test::DrawingFixture d;
  cad::ObjectId sheet = d.db().layoutId(L"Layout1");
  d.viewport(sheet, 500, 200, 1000, 400);
  d.rectangle(0, 0, 420, 297, L"0", d.layoutSpace(sheet));  // a blank A3: counted, then filtered out
  d.insert(d.titleBlock(L"A3图框", 420, 297), 500, 0, 1.0, L"0", d.layoutSpace(sheet));
  cad::ObjectId second = d.layout(L"Layout2", 2);
  d.text(10, 10, 5, L"说明", L"0", d.layoutSpace(second));
  gBatchLayoutDiagnostics.rawCandidates = 99;  // a stale count that the report must not show

  const std::wstring first = reportTail();
  EXPECT_TRUE(first.starts_with(L"layout_raw=2 layout_filtered=1 layout_final=2 visible=NO ")) << first;
  EXPECT_EQ(reportTail(), first);
  EXPECT_EQ(gBatchLayoutDiagnostics.rawCandidates, 2u);
  EXPECT_TRUE(d.db().openObjects().empty());
}

}  // namespace

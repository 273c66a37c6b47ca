// DUZOZAREDEXEC as the full panel will use it: the plug-in loaded into the stand-in host in this process, a
// job staged in the process-wide record, the command queued to the drawing and run by the host's command line.
// On the sample drawings, split and merged, on one paper and on several, model-space frames at 1:100 and
// layouts: the PDFs carry the right names, page counts and exact sizes, each page shows its sheet's frame, and
// the status report follows every state of the job.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/entry_point.h"
#include "cad/doc_manager.h"
#include "cad/plot/publish_engine.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "plot/last_result.h"
#include "plot/pending_job_snapshot.h"
#include "plot/print_jobs.h"
#include "plot_job_fixture.h"

namespace plot_jobs_test {
namespace {

// The frames of the samples are title blocks with an inner border 25 mm from the sheet's left edge; the strip
// between the sheet's edge and that border holds nothing else.
void expectFrameInk(const std::string& pdf, int page, PageSize size) {
  SCOPED_TRACE(pdf + " page " + std::to_string(page));
  EXPECT_GT(inkShare(pdf, page, 23, 40, 4, size.height - 80), 0.05);
  EXPECT_LT(inkShare(pdf, page, 8, 40, 10, size.height - 80), 0.02);
}

class PlotCommandTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    foundation::UserDefaults::setRootForTesting(path("defaults"));
    ASSERT_EQ(acrxEntryPoint(1, &appId_), 0);
  }
  void TearDown() override {
    EXPECT_EQ(acrxEntryPoint(2, &appId_), 0);
    foundation::UserDefaults::setRootForTesting("");
    PlotJobTest::TearDown();
  }

  // Queues the command as the panel does and lets the host run it; what it printed.
  static std::string run(std::string_view command) {
    cad::commandLine().clearTranscript();
    if (!queueCommand(command)) return "not queued";
    foundation::MainQueue::main().drain();
    return narrow(transcript());
  }

  static std::string field(const std::string& printed, const std::string& key) {
    const auto at = printed.rfind(" " + key + "=");
    if (at == std::string::npos) return "?";
    const auto start = at + key.size() + 2;
    return printed.substr(start, printed.find(' ', start) - start);
  }

  int appId_ = 0;
};

struct DrawingCase {
  const char* drawing;
  bool model;
  std::vector<PageSize> sizes;  // of the sheets, in order
};

TEST_F(PlotCommandTest, SplitAndMergedJobsOnTheSamples) {
  const std::vector<DrawingCase> cases = {
      {"chinese-layouts.dxf", false, {{420, 297}, {420, 297}, {420, 297}}},
      {"layouts-frames.dxf", false, {{420, 297}, {420, 297}, {210, 297}}},
      {"model-a1-grid-1to100.dxf", true, std::vector<PageSize>(7, {841, 594})},
  };
  int folder = 0;
  for (const DrawingCase& c : cases) {
    openSample(c.drawing);
    const std::vector<VexBatchPrintPageSpec> pages = c.model ? modelFramePages() : layoutPages();
    ASSERT_EQ(pages.size(), c.sizes.size()) << c.drawing;
    for (const bool merged : {false, true}) {
      SCOPED_TRACE(std::string(c.drawing) + (merged ? " merged" : " split"));
      const std::string out = "out" + std::to_string(++folder);
      stage(pages, merged, merged ? out + "/Sheets" : out);

      const std::string printed = run("DUZOZAREDEXEC");
      ASSERT_NE(printed.find("\nDUZOZAREDEXEC=PASS"), std::string::npos) << printed;
      EXPECT_EQ(printed.find("DUZOZAREDSTATUS"), std::string::npos);

      std::vector<std::string> files;
      if (merged) {
        files = {path(out + "/Sheets.pdf")};
        EXPECT_EQ(entries(path(out)), std::vector<std::string>{"Sheets.pdf"});
      } else {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < pages.size(); ++i) {
          names.push_back(foundation::format("%03zu-%@.pdf", pages[i].outputIndex, narrow(pages[i].name)));
          files.push_back(path(out + "/" + names.back()));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(entries(path(out)), names);
      }
      std::vector<std::pair<std::string, int>> shown;  // file and page of each sheet
      for (std::size_t i = 0; i < pages.size(); ++i) {
        shown.emplace_back(merged ? files[0] : files[i], merged ? static_cast<int>(i) + 1 : 1);
      }
      for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::vector<PageSize> sizes = pageSizes(shown[i].first);
        ASSERT_EQ(sizes.size(), merged ? pages.size() : 1u);
        const PageSize size = sizes[static_cast<std::size_t>(shown[i].second) - 1];
        EXPECT_TRUE(sameSize(size, c.sizes[i])) << narrow(pages[i].name) << ": " << size.width << " x " << size.height;
        expectFrameInk(shown[i].first, shown[i].second, c.sizes[i]);
      }

      const std::string status = run("DUZOZAREDSTATUS");
      EXPECT_EQ(field(status, "last"), "PASS");
      EXPECT_EQ(field(status, "recoverable"), "NO");
      EXPECT_EQ(field(status, "items"), std::to_string(pages.size()));
      EXPECT_EQ(field(status, "pages"), std::to_string(pages.size()));
      EXPECT_EQ(field(status, "outputs"), std::to_string(merged ? 1 : pages.size()));
      EXPECT_EQ(field(status, "error"), "-");
      EXPECT_EQ(snapshotText(), "");
    }
    ASSERT_EQ(cad::docManager().closeDocument(cad::docManager().mdiActiveDocument()), cad::eOk);
  }
}

TEST_F(PlotCommandTest, AFailedJobIsReportedAndResumedAfterARestartFromItsSnapshot) {
  openSample("model-a1-grid-1to100.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = modelFramePages();
  stage(pages, false, "out");
  cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndGenerateGraphics, 4, cad::eNotApplicable});

  const std::string failed = run("DUZOZAREDEXEC");
  const auto fail = failed.find(
      "\nDUZOZAREDEXEC=FAIL\nDUZOZAREDBUILD print_fix=mac-layout-isolation-20260918-r1\n"
      "DUZOZAREDSTATUS ");
  ASSERT_NE(fail, std::string::npos) << failed;
  EXPECT_EQ(field(failed, "last"), "NONE_OR_FAIL");
  EXPECT_EQ(field(failed, "recoverable"), "YES");
  EXPECT_EQ(field(failed, "remaining"), "4");
  EXPECT_EQ(field(failed, "completed"), "3/7");
  EXPECT_EQ(field(failed, "outputs"), "3");
  EXPECT_EQ(failed.substr(failed.rfind(" error=")), " error=Page plotting failed: " + narrow(pages[3].name));
  EXPECT_EQ(entries(path("out")).size(), 3u);

  // A restart of the host forgets the staged job; the panel finds it again in the snapshot.
  cad::publishEngineFaults() = {};
  gBatchPrintPendingJob = {};
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 4u);
  const int before = drawnPages();

  const std::string resumed = run("DUZOZAREDEXEC");
  ASSERT_NE(resumed.find("\nDUZOZAREDEXEC=PASS"), std::string::npos) << resumed;
  EXPECT_EQ(drawnPages() - before, 4);
  EXPECT_EQ(entries(path("out")).size(), 7u);
  const std::string status = run("DUZOZAREDSTATUS");
  EXPECT_EQ(field(status, "last"), "PASS");
  EXPECT_EQ(field(status, "items"), "4");
  EXPECT_EQ(field(status, "completed"), "0/0");
  EXPECT_EQ(snapshotText(), "");
}

TEST_F(PlotCommandTest, APreviewThroughTheCommandLineLeavesTheStatusAsItWas) {
  openSample("layouts-frames.dxf");
  const std::vector<VexBatchPrintPageSpec> pages = layoutPages();
  stage(pages, true, "out/Sheets");
  ASSERT_NE(run("DUZOZAREDEXEC").find("\nDUZOZAREDEXEC=PASS"), std::string::npos);
  const std::string before = run("DUZOZAREDSTATUS");

  gBatchPrintPreviewJob.page = pages[2];
  gBatchPrintPreviewJob.page.outputIndex = 1;
  gBatchPrintPreviewJob.pdfPath = widePath("preview/quodline-preview.pdf");
  gBatchPrintPreviewJob.drawingPath = vexBatchCurrentDrawingPath();
  gBatchPrintPreviewJob.ready = true;
  const std::string printed = run("DUZOZAREDPREVIEW");
  EXPECT_TRUE(printed.ends_with("\nDUZOZAREDPREVIEW=PASS")) << printed;
  const std::vector<PageSize> sizes = pageSizes(path("preview/quodline-preview.pdf"));
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_TRUE(sameSize(sizes[0], {210, 297}));
  expectFrameInk(path("preview/quodline-preview.pdf"), 1, sizes[0]);
  EXPECT_EQ(run("DUZOZAREDSTATUS"), before);

  // Used up: a second run has nothing to show.
  EXPECT_EQ(run("DUZOZAREDPREVIEW"), "\n没有待预览页面，请先在批打列表中选中一行。\nDUZOZAREDPREVIEW=FAIL");
}

}  // namespace
}  // namespace plot_jobs_test

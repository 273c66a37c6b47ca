// A host that dies in the middle of a job: cadhost plots a staged split job until the helper plug-in makes it
// hang inside page 4, and the test kills it there. The PDFs of the pages before stay complete, no file stands
// under the name of the page that was being plotted, and the snapshot says what is left; this process then
// reads the snapshot as the panel will after a restart and finishes the job without plotting a done page again.
// Killed right after an output took its name, the resume takes it as done.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/plot/publish_engine.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/text.h"
#include "graphics/pdf_document.h"
#include "host_fixture.h"
#include "interactive_program.h"
#include "plot/last_result.h"
#include "plot/pending_job_snapshot.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "recognition/recognition_state.h"
#include "staged_job_lines.h"
#include "staged_pages.h"

namespace {

const std::string kDrawing = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";

std::string narrow(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::size_t pdfPages(const std::string& file) {
  const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(file);
  return document ? document->pageCount() : 0;
}

std::pair<long, long> changedAt(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return {-1, -1};
  return {info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

class InterruptedPlotTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    for (const char* folder : {"data", "tmp", "out"}) ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    // This process and the killed host share the per-user folders, so both see the one snapshot.
    setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
    setenv("TMPDIR", (home_ / "tmp").c_str(), 1);
    vexBatchResetRecognitionStateForTesting();
    vexBatchPrintRestoreLastResult({});
    gBatchPrintPendingJob = {};
  }
  void TearDown() override {
    gBatchPrintPendingJob = {};
    vexBatchPrintRestoreLastResult({});
    vexBatchResetRecognitionStateForTesting();
    HostTest::TearDown();
    unsetenv("XDG_DATA_HOME");
    unsetenv("TMPDIR");
  }

  void openDrawing() {
    cad::DxfReadResult read = cad::readDxfFile(kDrawing);
    ASSERT_NE(read.database, nullptr) << read.error;
    ASSERT_NE(cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(kDrawing)),
              nullptr);
  }

  // Stages the seven model sheets in cadhost, split into the output folder or merged into out/job.pdf, and kills
  // the host right after its `commit`-th output took its final name, before the job's snapshot says it is done.
  void killAfterCommit(bool merged, int commit) {
    pages_ = stagedModelFramePages();
    ASSERT_EQ(pages_.size(), 7u);
    RunOptions options;
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_ / ".config"},
                           {"XDG_DATA_HOME", home_ / "data"},
                           {"TMPDIR", home_ / "tmp"}};
    InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kDrawing},
                            options);
    const std::string output = merged ? home_ / "out/job.pdf" : home_ / "out";
    host.writeLine("QDLPROBESTAGE");
    host.writeLine(std::string(merged ? "1|" : "0|") + stagedJobText(foundation::wideFromUtf8Lossy(output)) + "|");
    for (const VexBatchPrintPageSpec& page : pages_) host.writeLine(stagedJobPageLine(page));
    host.writeLine("");
    ASSERT_TRUE(host.waitForOutput("PROBE staged 7 pages")) << host.output();
    host.writeLine("QDLPROBEPAUSEAT");
    host.writeLine("output committed");
    host.writeLine(std::to_string(commit));
    host.writeLine(home_ / "never");
    ASSERT_TRUE(host.waitForOutput("PROBE will pause at output committed")) << host.output();
    host.writeLine("DUZOZAREDEXEC");
    ASSERT_TRUE(host.waitForOutput("PROBE paused at output committed")) << host.output();
    host.kill();
  }

  std::string splitName(std::size_t index) const {
    return foundation::format("%03lu-%@.pdf", pages_[index].outputIndex, narrow(pages_[index].name));
  }

  ScratchHome home_;
  std::vector<VexBatchPrintPageSpec> pages_;
};

// A kill between a page's rename into place and the snapshot's record of it: the resume takes the page as done
// and plots the rest, so no page is written twice ("003-…-2.pdf").
TEST_F(InterruptedPlotTest, ASplitPageInPlaceWhenTheHostIsKilledIsNotPlottedAgain) {
  openDrawing();
  killAfterCommit(false, 3);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < pages_.size(); ++i) names.push_back(splitName(i));
  EXPECT_EQ(entries(home_ / "out"), std::vector<std::string>(names.begin(), names.begin() + 3));
  const std::pair<long, long> third = changedAt(home_ / ("out/" + names[2]));

  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  EXPECT_EQ(gBatchPrintPendingJob.completedPageCount, 3u);
  ASSERT_EQ(gBatchPrintPendingJob.pages.size(), 4u);
  EXPECT_EQ(gBatchPrintPendingJob.pages[0].name, pages_[3].name);
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(cad::publishLog().pages.size(), 4u);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(entries(home_ / "out"), names);
  for (const std::string& name : names) EXPECT_EQ(pdfPages(home_ / ("out/" + name)), 1u) << name;
  EXPECT_EQ(changedAt(home_ / ("out/" + names[2])), third);
  EXPECT_FALSE(foundation::itemExists(vexBatchPendingJobSnapshotPath()));
}

// The merged PDF in place when the host is killed: the job is finished, nothing is offered for a resume, and no
// "job-2.pdf" is written. The same snapshot with the PDF gone since (the user removed it) plots it again.
TEST_F(InterruptedPlotTest, AMergedPdfInPlaceWhenTheHostIsKilledFinishesTheJob) {
  openDrawing();
  killAfterCommit(true, 1);
  EXPECT_EQ(entries(home_ / "out"), std::vector<std::string>{"job.pdf"});
  EXPECT_EQ(pdfPages(home_ / "out/job.pdf"), 7u);
  const foundation::ReadResult saved = foundation::readFile(vexBatchPendingJobSnapshotPath());
  ASSERT_TRUE(saved) << saved.error;

  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_FALSE(foundation::itemExists(vexBatchPendingJobSnapshotPath()));
  EXPECT_EQ(entries(home_ / "out"), std::vector<std::string>{"job.pdf"});
  EXPECT_EQ(pdfPages(home_ / "out/job.pdf"), 7u);

  ASSERT_TRUE(foundation::writeFileAtomically(vexBatchPendingJobSnapshotPath(), saved.data, foundation::Flush::none));
  ASSERT_TRUE(foundation::removeFile(home_ / "out/job.pdf"));
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  EXPECT_EQ(gBatchPrintPendingJob.pages.size(), 7u);
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(entries(home_ / "out"), std::vector<std::string>{"job.pdf"});
  EXPECT_EQ(pdfPages(home_ / "out/job.pdf"), 7u);
}

TEST_F(InterruptedPlotTest, AHostKilledInAPageLeavesTheEarlierPdfsAndAResumableJob) {
  openDrawing();
  const std::vector<VexBatchPrintPageSpec> pages = stagedModelFramePages();
  ASSERT_EQ(pages.size(), 7u);
  std::vector<std::string> names;
  for (const VexBatchPrintPageSpec& page : pages) {
    names.push_back(foundation::format("%03lu-%@.pdf", page.outputIndex, narrow(page.name)));
  }

  RunOptions options;
  options.environment = {{"HOME", home_.path()},
                         {"XDG_CONFIG_HOME", home_ / ".config"},
                         {"XDG_DATA_HOME", home_ / "data"},
                         {"TMPDIR", home_ / "tmp"}};
  InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kDrawing},
                          options);
  host.writeLine("QDLPROBESTAGE");
  host.writeLine("0|" + stagedJobText(foundation::wideFromUtf8Lossy(home_ / "out")) + "|");
  for (const VexBatchPrintPageSpec& page : pages) host.writeLine(stagedJobPageLine(page));
  host.writeLine("");
  ASSERT_TRUE(host.waitForOutput("PROBE staged 7 pages")) << host.output();
  host.writeLine("QDLPROBEHANG");
  host.writeLine("4");
  host.writeLine("DUZOZAREDEXEC");
  ASSERT_TRUE(host.waitForOutput("PROBE hanging on page 4")) << host.output();
  host.kill();

  // The three pages done are whole PDFs under their names; nothing stands under the fourth's, or later ones'.
  const std::vector<std::string> left = entries(home_ / "out");
  std::map<std::string, std::pair<long, long>> done;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const std::string file = home_ / ("out/" + names[i]);
    EXPECT_EQ(foundation::itemExists(file), i < 3) << names[i];
    if (i < 3) {
      EXPECT_EQ(pdfPages(file), 1u) << names[i];
      done[file] = changedAt(file);
    }
  }
  // What else is there is the host's own claim on a file name, still empty: no page of it was written.
  for (const std::string& name : left) {
    if (std::find(names.begin(), names.begin() + 3, name) != names.begin() + 3) continue;
    EXPECT_EQ(foundation::readFile(home_ / ("out/" + name)).data, "") << name;
  }

  const foundation::ReadResult saved = foundation::readFile(vexBatchPendingJobSnapshotPath());
  ASSERT_TRUE(saved) << saved.error;
  const nlohmann::json snapshot = nlohmann::json::parse(saved.data);
  EXPECT_EQ(snapshot.value("state", ""), "pending");
  EXPECT_EQ(snapshot.value("completedPageCount", 0), 3);
  EXPECT_EQ(snapshot.value("totalPageCount", 0), 7);
  ASSERT_EQ(snapshot["pages"].size(), 4u);
  EXPECT_EQ(snapshot["pages"][0].value("name", ""), narrow(pages[3].name));

  // After the restart: the panel offers the job from its snapshot, and the executor finishes it.
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(cad::publishLog().pages.size(), 4u);
  for (std::size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(pdfPages(home_ / ("out/" + names[i])), 1u) << names[i];
  for (const auto& [file, when] : done) EXPECT_EQ(changedAt(file), when) << file;
  EXPECT_FALSE(foundation::itemExists(vexBatchPendingJobSnapshotPath()));
}

}  // namespace

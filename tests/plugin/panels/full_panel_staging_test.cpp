// Staging from the full panel: the output path it resolves and saves, the job it builds from the rows, the
// snapshot and the command it leaves for the host, the preview, the recovery of an unfinished job and its
// resume, and the refusals: nothing ticked, no path, rows of another drawing, a plot running.

#include <nlohmann/json.hpp>

#include "core/host_bridge.h"
#include "foundation/file_faults.h"
#include "foundation/paths.h"
#include "foundation/user_defaults.h"
#include "full_panel_output_fixture.h"
#include "panels/output_path.h"
#include "plot/pending_job_snapshot.h"
#include "plot/staged_job_activity.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"

namespace panels_test {
namespace {

std::string narrow(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

nlohmann::json snapshot() {
  const foundation::ReadResult read = foundation::readFile(vexBatchPendingJobSnapshotPath());
  return read ? nlohmann::json::parse(read.data) : nlohmann::json();
}

TEST(OutputPathTest, EachLocationResolvesForTheDrawingAndTheOutputMode) {
  setenv("XDG_DESKTOP_DIR", "/home/u/Desk", 1);
  setenv("XDG_DOCUMENTS_DIR", "/home/u/Docs", 1);
  setenv("XDG_DOWNLOAD_DIR", "/home/u/Down", 1);
  struct Case {
    long location;
    bool merged;
    std::string drawing, shown, expected;
  } cases[] = {
      {0, true, "/a/b/site.dwg", "", "/a/b/site.pdf"},
      {1, true, "/a/b/site.dwg", "", "/a/b/PDF/site.pdf"},
      {1, false, "/a/b/site.dwg", "/old", "/a/b/PDF"},
      // A drawing never saved has no folder: never a path relative to wherever the host runs.
      {0, true, "Drawing1.dwg", "", ""},
      {1, false, "Drawing1.dwg", "", ""},
      {1, true, "", "/kept", ""},
      {2, true, "", "", "/home/u/Desk/Quodline.pdf"},
      {3, false, "/a/site.dwg", "", "/home/u/Docs"},
      {4, true, "/a/site.dwg", "", "/home/u/Down/site.pdf"},
      {5, false, "", "/x/y/report.PDF", "/x/y"},
      {5, true, "", "/x/y", "/x/y/Ferrolin批打工具-批量打印.pdf"},
      {5, true, "", "/x/y/a.pdf", "/x/y/a.pdf"},
      {5, false, "", "/x/y", "/x/y"},
      {5, true, "", "", "/home/u/Docs/Ferrolin批打工具-批量打印.pdf"},
      {5, false, "", "", "/home/u/Docs"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(resolvedOutputPath(c.location, c.merged, c.drawing, c.shown), c.expected)
        << c.location << " " << c.merged << " " << c.drawing << " " << c.shown;
  }
  for (const char* name : {"XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"}) unsetenv(name);
}

TEST_F(FullPanelOutputTest, TheOutputOptionsAreSavedAsTheUserChangesThem) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  useCustomPath("/x/y/a.pdf");
  EXPECT_TRUE(p.browseOutputButton()->isEnabled());
  EXPECT_EQ(defaults.integerForKey("Quodline.OutputLocationMode"), 5);
  choose(*p.outputMode(), 1);
  EXPECT_EQ(p.outputPath()->stringValue(), "/x/y");
  EXPECT_TRUE(p.nameTemplate()->isEnabled());
  choose(*p.outputMode(), 0);
  EXPECT_EQ(p.outputPath()->stringValue(), "/x/y/Ferrolin批打工具-批量打印.pdf");
  EXPECT_FALSE(p.nameTemplate()->isEnabled());
  EXPECT_EQ(p.nameTemplate()->stringValue(), "{序号}-{页面}");
  EXPECT_EQ(defaults.integerForKey("Quodline.OutputMode"), 0);

  // A cancelled browse still saves what the field shows, with its location.
  toolkit::ModalResponder::shared().answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
  ASSERT_EQ(toolkit::clickView(*p.browseOutputButton()), "");
  EXPECT_EQ(defaults.stringForKey("Quodline.OutputPath"), "/x/y/Ferrolin批打工具-批量打印.pdf");
  const toolkit::FilePanelRecord& dialog = toolkit::ModalResponder::shared().filePanels().back();
  EXPECT_TRUE(dialog.isSavePanel);
  EXPECT_EQ(dialog.allowedFileTypes, std::vector<std::string>{"pdf"});
  EXPECT_EQ(dialog.nameFieldStringValue, "Ferrolin批打工具-批量打印.pdf");
  // Per sheet, a folder is chosen.
  choose(*p.outputMode(), 1);
  toolkit::ModalResponder::shared().answerNextFilePanel({true, {out()}});
  ASSERT_EQ(toolkit::clickView(*p.browseOutputButton()), "");
  EXPECT_EQ(p.outputPath()->stringValue(), out());
  EXPECT_TRUE(toolkit::ModalResponder::shared().filePanels().back().canChooseDirectories);
  EXPECT_EQ(defaults.stringForKey("Quodline.OutputPath"), out());

  // Another location resolves afresh; the browse button is only for the custom folder.
  ASSERT_TRUE(p.outputLocationMode()->userSelectItem(1));
  EXPECT_EQ(p.outputPath()->stringValue(), foundation::deletingLastPathComponent(kLayoutsSample) + "/PDF");
  EXPECT_FALSE(p.browseOutputButton()->isEnabled());

  type(*p.nameTemplate(), "{page}");
  EXPECT_EQ(defaults.stringForKey("Quodline.NameTemplate"), "{page}");
  // The box sits under the further options; as ticking it does.
  p.overwriteButton()->setState(toolkit::control_state::on);
  p.overwriteChanged();
  EXPECT_EQ(defaults.boolForKey("Quodline.Overwrite"), true);
  ASSERT_TRUE(p.plotStyleMode()->userSelectItem(1));
  EXPECT_EQ(defaults.stringForKey("Quodline.PlotStyle"), p.plotStyleMode()->itemAtIndex(1)->representedObject());
  ASSERT_TRUE(p.plotStyleMode()->userSelectItem(0));
  EXPECT_EQ(defaults.stringForKey("Quodline.PlotStyle"), "");
}

TEST_F(FullPanelOutputTest, StagingBuildsTheJobFromTheTickedRowsInOutputOrderAndQueuesIt) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  choose(*p.layoutScope(), 1);
  ASSERT_EQ(p.allRows().size(), 3u);
  choose(*p.sortMode(), 1);  // reversed
  p.allRows()[1]->selected = false;
  p.allRows()[0]->contentScalePercent = 0;
  p.allRows()[2]->contentScalePercent = 250;
  // A ticked row that the filter hides is staged all the same.
  type(*p.filterField(), "A4");
  ASSERT_EQ(p.rows().size(), 1u);
  choose(*p.outputMode(), 1);
  useCustomPath(out());
  type(*p.nameTemplate(), "{index}-{page}");

  ASSERT_EQ(toolkit::clickView(*p.exportButton()), "");
  EXPECT_EQ(p.statusLabel()->stringValue(), "任务已提交，正在由 CAD 原生打印引擎输出…");
  EXPECT_EQ(queued(), "\x1b\x1b_DUZOZAREDEXEC ");
  const VexBatchPrintPendingJob& job = gBatchPrintPendingJob;
  ASSERT_TRUE(job.active);
  ASSERT_EQ(job.pages.size(), 2u);
  const VexBatchPrintRows order = p.orderedOutputRows();
  EXPECT_EQ(narrow(job.pages[0].name), order[0]->layoutName);
  EXPECT_EQ(narrow(job.pages[1].name), order[2]->layoutName);
  EXPECT_EQ(job.pages[0].outputIndex, 1u);
  EXPECT_EQ(job.pages[1].outputIndex, 2u);
  EXPECT_EQ(job.pages[0].contentScalePercent, 100.0);  // 250
  EXPECT_EQ(job.pages[1].contentScalePercent, 1.0);    // 0
  EXPECT_EQ(narrow(job.pages[0].layoutName), order[0]->sourceName);
  EXPECT_EQ(narrow(job.pages[0].paper.name), "A4");
  EXPECT_EQ(job.pages[0].paper.shortSide, order[0]->paperShortSide);
  EXPECT_EQ(narrow(job.outputPath), out());
  EXPECT_EQ(narrow(job.nameTemplate), "{index}-{page}");
  EXPECT_EQ(narrow(job.drawingPath), kLayoutsSample);
  EXPECT_FALSE(job.merged);
  EXPECT_EQ(job.totalPageCount, 2u);

  const nlohmann::json saved = snapshot();
  EXPECT_EQ(saved.value("state", ""), "pending");
  EXPECT_EQ(saved["pages"].size(), 2u);
  EXPECT_EQ(foundation::UserDefaults::standard().stringForKey("Quodline.OutputPath"), out());
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.OutputLocationMode"), 5);
}

TEST_F(FullPanelOutputTest, AModelSpaceRowIsPlottedFromModelSpace) {
  open(kModelSample);
  VexBatchPrintPanelController& p = shown();
  ASSERT_FALSE(p.allRows().empty());
  const VexBatchPrintPageSpec page = p.pageSpecForRow(*p.allRows()[0], 7);
  EXPECT_EQ(page.source, VexBatchPrintSourceModel);
  EXPECT_EQ(narrow(page.layoutName), "Model");
  EXPECT_EQ(page.outputIndex, 7u);
  EXPECT_EQ(page.maxX - page.minX, p.allRows()[0]->maxX - p.allRows()[0]->minX);
}

TEST_F(FullPanelOutputTest, StagingRefusesAndLeavesNoJobWhenItCannotGoAhead) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  useCustomPath(out() + "/job.pdf");
  const auto refused = [&](const std::string& status) {
    const long beeps = toolkit::beepCount();
    p.stagePrint();
    EXPECT_EQ(p.statusLabel()->stringValue(), status);
    EXPECT_EQ(toolkit::beepCount(), beeps + 1);
    EXPECT_FALSE(gBatchPrintPendingJob.active);
    EXPECT_EQ(queued(), "");
    EXPECT_FALSE(foundation::fileExists(vexBatchPendingJobSnapshotPath()));
  };
  {
    // While a plot runs, its progress window pumps the panel's events: a job staged now would be overwritten.
    const VexBatchStagedJobActivity running;
    refused("正在输出 PDF，请等当前任务结束后再试。");
  }
  // The snapshot cannot be written: nothing stays staged.
  foundation::failNextFileOperation(foundation::FileOperation::rename, EACCES, 3);
  refused("任务提交失败：无法保存恢复快照：Cannot write \"" + vexBatchPendingJobSnapshotPath() + "\": Permission denied");
  foundation::clearFileFaults();

  // Rows of one drawing are never plotted from another.
  open(kModelSample);
  refused("页面列表不属于当前图纸，请点击“重新扫描”后再试。");
  while (!cad::docManager().documents().empty()) {
    static_cast<void>(cad::docManager().closeDocument(cad::docManager().documents().front()));
  }
  refused("页面列表不属于当前图纸，请点击“重新扫描”后再试。");

  open(kLayoutsSample);
  p.reloadFromActiveDrawing();
  p.selectNone();
  refused("请至少选择一个页面。");
  p.selectAll();
  p.outputPath()->setStringValue("");
  refused("请选择输出位置。");
}

TEST_F(FullPanelOutputTest, PreviewStagesTheHighlightedSheetAndRemovesTheLastPreview) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  choose(*p.layoutScope(), 1);
  const long beeps = toolkit::beepCount();
  p.previewSelected();
  EXPECT_EQ(p.statusLabel()->stringValue(), "请先在列表中选中一个页面，再点击“预览选中页”。");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_FALSE(gBatchPrintPreviewJob.ready);

  p.rows()[1]->selected = false;  // the tick does not matter
  highlight({1});
  ASSERT_EQ(toolkit::clickView(*p.previewButton()), "");
  ASSERT_TRUE(gBatchPrintPreviewJob.ready);
  EXPECT_EQ(narrow(gBatchPrintPreviewJob.page.name), p.rows()[1]->layoutName);
  const std::string first = narrow(gBatchPrintPreviewJob.pdfPath);
  EXPECT_EQ(foundation::deletingLastPathComponent(first), folder_ / "tmp");
  EXPECT_TRUE(foundation::lastPathComponent(first).starts_with("CAD批打预览-"));
  EXPECT_FALSE(p.panel()->isVisible());
  EXPECT_EQ(queued(), "\x1b\x1b_DUZOZAREDPREVIEW ");
  EXPECT_FALSE(gBatchPrintPendingJob.active);

  ASSERT_TRUE(foundation::writeFileAtomically(first, "%PDF"));
  p.previewSelected();
  EXPECT_FALSE(foundation::fileExists(first));
  EXPECT_NE(narrow(gBatchPrintPreviewJob.pdfPath), first);
}

TEST_F(FullPanelOutputTest, AnUnfinishedJobOfThisDrawingIsOfferedWithItsOptionsAndResumed) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  choose(*p.layoutScope(), 1);
  useCustomPath(out());
  choose(*p.outputMode(), 1);
  // The box sits under the further options; as ticking it does.
  p.overwriteButton()->setState(toolkit::control_state::on);
  p.overwriteChanged();
  p.stagePrint();
  ASSERT_TRUE(gBatchPrintPendingJob.active);
  VexBatchPrintPendingJob left = gBatchPrintPendingJob;
  left.pages.erase(left.pages.begin());
  left.completedPageCount = 1;
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(left, "cancelled"));

  // As after a restart: the panel has its own options, and the job comes back from the snapshot.
  gBatchPrintPendingJob = {};
  vexBatchFullPanelShutdown();
  VexBatchPrintPanelController& again = shown();
  choose(*again.outputMode(), 0);
  ASSERT_TRUE(again.outputLocationMode()->userSelectItem(2));
  EXPECT_EQ(again.outputPath()->stringValue(), folder_ / "Desktop/layouts-frames.pdf");
  again.reloadFromActiveDrawing();
  EXPECT_TRUE(again.resumeButton()->isEnabled());
  EXPECT_EQ(again.outputPath()->stringValue(), out());
  EXPECT_EQ(again.outputMode()->selectedSegment(), 1);
  EXPECT_TRUE(again.nameTemplate()->isEnabled());
  EXPECT_EQ(again.overwriteButton()->state(), toolkit::control_state::on);
  EXPECT_EQ(again.outputLocationMode()->indexOfSelectedItem(), 2);
  EXPECT_EQ(again.statusLabel()->stringValue(), "发现未完成任务：已完成 1 / 3 页，剩余 2 页。可点击“继续未完成任务”。");
  // Nothing of it was stored.
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.OutputMode"), 0);

  ASSERT_EQ(toolkit::clickView(*again.resumeButton()), "");
  EXPECT_FALSE(again.resumeButton()->isEnabled());
  EXPECT_EQ(again.statusLabel()->stringValue(), "正在恢复未完成任务：剩余 2 页…");
  EXPECT_EQ(snapshot().value("state", ""), "resuming");
  // The first was the staging's own.
  EXPECT_EQ(queued(), "\x1b\x1b_DUZOZAREDEXEC \x1b\x1b_DUZOZAREDEXEC ");
}

TEST_F(FullPanelOutputTest, AJobOfAnotherDrawingIsNeitherAdoptedNorResumed) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  useCustomPath(out() + "/a.pdf");
  p.stagePrint();
  ASSERT_TRUE(gBatchPrintPendingJob.active);
  gBatchPrintPendingJob = {};

  open(kModelSample);
  p.reloadFromActiveDrawing();
  EXPECT_FALSE(gBatchPrintPendingJob.active);
  EXPECT_FALSE(p.resumeButton()->isEnabled());
  const long beeps = toolkit::beepCount();
  p.resumePendingJob();
  EXPECT_EQ(p.statusLabel()->stringValue(), "没有可恢复的未完成任务。");
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);

  // Adopted while its drawing was in front, then another drawing brought forward.
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(gBatchPrintPendingJob));
  p.resumePendingJob();
  EXPECT_EQ(p.statusLabel()->stringValue(), "未完成任务属于另一份 DWG，请打开原图纸后恢复。");
  EXPECT_EQ(queued(), "");
}

}  // namespace
}  // namespace panels_test

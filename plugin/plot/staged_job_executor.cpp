// The staged-job executor of DUZOZAREDEXEC.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/command_line.h"
#include "cad/plot_state.h"
#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "core/work_active.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "pdf/output_verification.h"
#include "plot/isolated_plots.h"
#include "plot/last_result.h"
#include "plot/merged_job_checks.h"
#include "plot/output_commit.h"
#include "plot/output_naming.h"
#include "plot/output_placement.h"
#include "plot/panel_link.h"
#include "plot/pending_job_snapshot.h"
#include "plot/plot_run.h"
#include "plot/print_jobs.h"
#include "plot/progress_controller.h"
#include "plot/staged_jobs.h"
#include "toolkit/alert.h"
#include "toolkit/workspace.h"

namespace {

// What the job wrote, each file with the pages it must hold.
struct Outputs {
  std::vector<std::string> paths;
  std::vector<std::uint64_t> pageCounts;
};

// The job's snapshot, rewritten as it advances; one that cannot be written is said once a run with the reason,
// since a resume after a crash would then find an older one or none.
class SnapshotSaver {
 public:
  void save(const VexBatchPrintPendingJob& job, const char* state) {
    std::string error;
    if (vexBatchWritePendingJobSnapshot(job, state, &error) || told_) return;
    told_ = true;
    cad::acutPrintf(L"\nQuodline: the pending job cannot be saved for a resume: %ls",
                    vexBatchWideString(error).c_str());
  }

 private:
  bool told_ = false;
};

bool refused() {
  if (vexBatchPrintWorkActive()) return true;
  const auto refuse = [](const wchar_t* reason) {
    gBatchPrintLastSucceeded = false;
    gBatchPrintLastError = reason;
    return true;
  };
  if (!gBatchPrintPendingJob.active) return refuse(L"No staged batch-print job");
  if (!vexBatchPendingJobMatchesCurrentDrawing(gBatchPrintPendingJob)) {
    return refuse(L"Pending job belongs to a different drawing");
  }
  if (cad::acplProcessPlotState() != 0) return refuse(L"Another plot job is already running");
  return false;
}

// The job from its `done`-th page on.
VexBatchPrintPendingJob remainingFrom(const VexBatchPrintPendingJob& run, std::size_t done) {
  VexBatchPrintPendingJob rest = run;
  rest.completedPageCount = run.completedPageCount + done;
  rest.pages.assign(run.pages.begin() + static_cast<std::ptrdiff_t>(done), run.pages.end());
  return rest;
}

// Before `job`'s output (at `target`) takes its name, the snapshot says which file takes which name: a kill right
// after the rename leaves a snapshot from which the resume knows the output is in place, and plots it not again.
VexBatchCommitWatch recordingCommits(const VexBatchPrintPendingJob& job, const std::wstring& target,
                                     SnapshotSaver& snapshot) {
  return VexBatchCommitWatch([job, output = vexBatchNSString(target), &snapshot](
                                 const std::string& workTarget, const std::string& path, dev_t device, ino_t inode) {
    if (workTarget != output) return;  // an isolated page on its way to the merge
    VexBatchPrintPendingJob committing = job;
    committing.committing = VexBatchPrintPendingCommit{vexBatchWideString(path), device, inode};
    snapshot.save(committing, "running");
  });
}

// One PDF per page, each recorded as done in the staged job and its snapshot as soon as it is written.
bool runSplit(const VexBatchPrintPendingJob& run, std::shared_ptr<VexBatchPrintProgressController>& progress,
              SnapshotSaver& snapshot) {
  if (!vexBatchEnsureOutputDirectory(run.outputPath, true)) return false;
  const std::uint64_t total = run.totalPageCount != 0 ? run.totalPageCount : run.completedPageCount + run.pages.size();
  progress = VexBatchPrintProgressController::initWithTotalPages(static_cast<std::int64_t>(total));
  progress->show();

  const std::string folder = vexBatchNSString(run.outputPath);
  for (std::size_t i = 0; i < run.pages.size(); ++i) {
    const VexBatchPrintPageSpec& page = run.pages[i];
    const std::wstring name = vexBatchApplyNameTemplate(run.nameTemplate, page, i + 1) + L".pdf";
    const std::wstring path = vexBatchUniqueOutputPath(
        vexBatchWideString(foundation::appendingPathComponent(folder, vexBatchNSString(name))), run.overwriteExisting);
    if (!vexBatchConfirmOutputReplacement(path, run.overwriteExisting)) return false;
    const VexBatchCommitWatch watch = recordingCommits(remainingFrom(run, i), path, snapshot);
    if (!vexDuzozAredDocument({page}, path, run.styleSheet, progress.get(),
                              static_cast<std::int64_t>(run.completedPageCount + i))) {
      return false;
    }
    gBatchPrintLastOutputs.push_back(gBatchPrintLastOutput);  // a name taken meanwhile gave the next free one
    gBatchPrintPendingJob = remainingFrom(run, i + 1);
    if (!gBatchPrintPendingJob.pages.empty()) snapshot.save(gBatchPrintPendingJob, "pending");
  }
  return true;
}

// All pages into one PDF: in one engine document when they share paper and layout, else page by page and merged.
bool runMerged(const VexBatchPrintPendingJob& run, SnapshotSaver& snapshot) {
  const std::wstring target =
      vexBatchUniqueOutputPath(vexBatchEnsurePdfExtension(run.outputPath), run.overwriteExisting);
  const bool isolated = vexBatchMergedJobHasMixedMedia(run.pages) || vexBatchMergedJobCrossesLayouts(run.pages);
  // Before its folder is made and a page plotted: the verification would refuse the name at the end.
  if (const std::optional<std::string> refusal = quodl::pdfOutputNameRefusal(vexBatchNSString(target))) {
    gBatchPrintLastError = vexBatchWideString(*refusal);
    return false;
  }
  if (!vexBatchConfirmOutputReplacement(target, run.overwriteExisting)) return false;
  if (!vexBatchEnsureOutputDirectory(target, false)) return false;
  const VexBatchCommitWatch watch = recordingCommits(run, target, snapshot);
  const bool plotted = isolated ? vexDuzozAredIsolatedPagesAndMerge(run.pages, target, run.styleSheet)
                                : vexDuzozAredDocument(run.pages, target, run.styleSheet, nullptr, 0);
  if (plotted) gBatchPrintLastOutputs.push_back(gBatchPrintLastOutput);
  return plotted;
}

Outputs writtenOutputs(const VexBatchPrintPendingJob& run) {
  Outputs outputs;
  for (const std::wstring& path : gBatchPrintLastOutputs) {
    outputs.paths.push_back(vexBatchNSString(path));
    outputs.pageCounts.push_back(run.merged ? run.pages.size() : 1);
  }
  return outputs;
}

void showVerificationFailure(const std::string& error) {
  toolkit::Alert alert;
  alert.setMessageText(chosenText("PDF 输出检查失败", "PDF output check failed", "PDF 輸出檢查失敗"));
  alert.setInformativeText(error);
  (void)alert.runModal();
}

// After the command has returned: verify once more, then open the PDF or reveal the folder.
void openOutput(const std::string& path, const Outputs& outputs) {
  std::string error;
  if (!quodl::finalizePdfOutputs(outputs.paths, outputs.pageCounts, &error)) {
    showVerificationFailure(error);
    return;
  }
  toolkit::Workspace& workspace = toolkit::Workspace::shared();
  if (workspace.openURL(path)) return;
  workspace.activateFileViewerSelectingURLs({path});
  vexBatchUpdatePanelStatus(
      foundation::format(translatedText("输出完成，但默认应用未能打开文件；已在 Finder 中定位：%@"), path));
}

void tellPanel(bool success, const std::string& openPath, const Outputs& outputs) {
  if (!success) {
    plotPanelRefreshRecoveryState(gBatchPrintLastCancelled
                                      ? translatedText("输出已取消")
                                      : foundation::format(translatedText("输出失败：%@"), gBatchPrintLastError));
  } else {
    plotPanelOrderOut();
    plotPanelDisableResume();
    const std::wstring first = gBatchPrintLastOutputs.empty() ? L"-" : gBatchPrintLastOutputs.front();
    vexBatchUpdatePanelStatus(
        foundation::format(translatedText("输出完成：%d 个页面，%d 页；位置：%@。DWG 未修改、未保存。"),
                           gBatchPrintLastLayoutCount, gBatchPrintLastPageCount, first));
  }
  if (success && !openPath.empty()) {
    foundation::dispatchAsync([openPath, outputs] { openOutput(openPath, outputs); });
  }
}

}  // namespace

bool vexBatchPrintExecutePending() {
  quodlTraceCall("vexBatchPrintExecutePending");
  if (refused()) return false;

  gBatchPrintLastCancelled = false;
  VexBatchPrintPendingJob run = gBatchPrintPendingJob;
  SnapshotSaver snapshot;
  snapshot.save(run, "running");
  gBatchPrintLastError.clear();
  gBatchPrintLastFailedOnLayout = false;
  gBatchPrintLastOutput.clear();
  gBatchPrintLastLog.clear();
  gBatchPrintLastOutputs.clear();
  gBatchPrintLastLayoutCount = static_cast<std::int32_t>(run.pages.size());
  gBatchPrintLastPageCount = 0;
  const std::wstring startLayout = vexBatchCurrentLayoutName();

  std::shared_ptr<VexBatchPrintProgressController> progress;
  bool success = false;
  // A job staged with "~" or kept from before writes where the path means; a relative one writes nowhere.
  const std::optional<std::wstring> absolute =
      run.outputPath.empty() ? std::optional(run.outputPath) : vexBatchAbsoluteOutputPath(run.outputPath);
  if (absolute) {
    run.outputPath = *absolute;
    success = run.merged ? runMerged(run, snapshot) : runSplit(run, progress, snapshot);
  }

  if (!startLayout.empty()) (void)vexBatchActivateLayout(startLayout);
  const Outputs outputs = writtenOutputs(run);
  if (success) {
    std::string error;
    success = quodl::finalizePdfOutputs(outputs.paths, outputs.pageCounts, &error);
    if (!success) gBatchPrintLastError = vexBatchWideString(error);
  }
  if (progress) progress->finishWithSuccess(success);

  if (success) {
    gBatchPrintPendingJob = VexBatchPrintPendingJob();
    vexBatchRemovePendingJobSnapshot();
  } else {
    // Every split page written but not verified: the whole job is plotted again on resume.
    if (!gBatchPrintPendingJob.active || gBatchPrintPendingJob.pages.empty()) gBatchPrintPendingJob = run;
    gBatchPrintPendingJob.blockedReason =
        gBatchPrintLastFailedOnLayout ? gBatchPrintLastError : std::wstring();
    snapshot.save(gBatchPrintPendingJob, gBatchPrintLastCancelled ? "cancelled" : "failed");
  }
  gBatchPrintLastSucceeded = success;

  std::string openPath;
  if (success && run.merged && !outputs.paths.empty()) openPath = outputs.paths.front();
  if (success && !run.merged) openPath = vexBatchNSString(run.outputPath);
  runOnMainThread([success, openPath, outputs] { tellPanel(success, openPath, outputs); });
  return success;
}

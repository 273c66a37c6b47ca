#pragma once
// The staged print job of the full panel and the staged one-page preview. Both live for as long as the
// plug-in is loaded and are only touched on the host's main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recognition/page_spec.h"

// An output being put in place under its final name: the work file (device and inode, which the rename keeps)
// and the name it is about to take.
struct VexBatchPrintPendingCommit {
  std::wstring path;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

struct VexBatchPrintPendingJob {
  std::vector<VexBatchPrintPageSpec> pages;  // still to plot, in output order
  std::wstring outputPath;                   // the folder of a split job, the target PDF of a merged one
  std::wstring nameTemplate;                 // file names of a split job; empty means the default template
  std::wstring styleSheet;                   // empty means each layout's own plot style
  std::wstring drawingPath;                  // the drawing the job belongs to
  std::uint64_t totalPageCount = 0;
  std::uint64_t completedPageCount = 0;  // written by earlier runs of this job (split jobs)
  bool merged = true;
  bool overwriteExisting = false;
  // Set only in the snapshot written just before an output takes its name (the first page left, or the merged
  // PDF): a resume after a kill then knows whether that output is already in place.
  std::optional<VexBatchPrintPendingCommit> committing;
  bool active = false;  // a job is staged; never part of the snapshot
  // Why its last run failed where running it again fails the same way (a layout the drawing cannot make
  // current); empty otherwise. Never part of the snapshot: after a restart the next run finds it again.
  std::wstring blockedReason;
};

struct VexBatchPrintPreviewJob {
  VexBatchPrintPageSpec page;
  std::wstring styleSheet;   // empty means the layout's own plot style
  std::wstring pdfPath;      // the temporary PDF the preview writes
  std::wstring drawingPath;  // empty accepts any drawing
  bool ready = false;
};

extern VexBatchPrintPendingJob gBatchPrintPendingJob;
extern VexBatchPrintPreviewJob gBatchPrintPreviewJob;

// At unload: the preview's temporary PDF is deleted (a failure to delete leaves it) and both jobs are reset to
// nothing staged. The pending-job snapshot on disk stays, so that the job can still be resumed later.
void vexBatchPrintDiscardStagedJobs();

#pragma once
// Running the jobs that the full panel stages, inside the host's command context on the main thread: the print
// job of DUZOZAREDEXEC and the one-page preview of DUZOZAREDPREVIEW. Both refuse while a file-queue run or a
// compact export is active.

// Runs gBatchPrintPendingJob: one PDF per page (a split job, resumable page by page) or one PDF for all pages.
// Keeps the pending-job snapshot in step, verifies the outputs, records the last result, makes the starting
// layout current again and tells the panel; opening the output is left to the main queue. True when every
// output was written and verified; the staged job is then empty and the snapshot gone. On failure the job keeps
// the pages still to plot and the snapshot says "cancelled" or "failed".
[[nodiscard]] bool vexBatchPrintExecutePending();

// Plots gBatchPrintPreviewJob's page into its temporary PDF and opens it. The staged print job, its snapshot
// and the last result are the same afterwards as before. True when the preview PDF was written.
[[nodiscard]] bool vexBatchPrintExecutePreview();

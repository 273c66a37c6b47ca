#include "plot/print_jobs.h"

#include "core/host_bridge.h"
#include "foundation/files.h"

VexBatchPrintPendingJob gBatchPrintPendingJob;
VexBatchPrintPreviewJob gBatchPrintPreviewJob;

void vexBatchPrintDiscardStagedJobs() {
  gBatchPrintPendingJob = VexBatchPrintPendingJob();
  if (!gBatchPrintPreviewJob.pdfPath.empty()) {
    static_cast<void>(foundation::removeFile(vexBatchNSString(gBatchPrintPreviewJob.pdfPath)));
  }
  gBatchPrintPreviewJob = VexBatchPrintPreviewJob();
}

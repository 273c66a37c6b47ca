#include "plot/print_jobs.h"

VexBatchPrintPendingJob gBatchPrintPendingJob;
VexBatchPrintPreviewJob gBatchPrintPreviewJob;

#include "plot/staged_jobs.h"

#include "core/call_trace.h"

bool vexBatchPrintExecutePending() {
  quodlTraceCall("vexBatchPrintExecutePending");
  return false;
}

bool vexBatchPrintExecutePreview() {
  quodlTraceCall("vexBatchPrintExecutePreview");
  return false;
}

#include "core/status_report.h"

#include "core/call_trace.h"

void vexBatchPrintPrintStatus() { quodlTraceCall("vexBatchPrintPrintStatus"); }

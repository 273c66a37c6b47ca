#include "core/sheet_locate.h"

#include "core/call_trace.h"

void vexBatchPrintFocusPending() { quodlTraceCall("vexBatchPrintFocusPending"); }

#include "panels/lite_panel.h"

#include "core/call_trace.h"

bool gBatchLitePrinting = false;

void vexBatchPrintLiteShow() { quodlTraceCall("vexBatchPrintLiteShow"); }

void vexBatchPrintLiteExecute() { quodlTraceCall("vexBatchPrintLiteExecute"); }

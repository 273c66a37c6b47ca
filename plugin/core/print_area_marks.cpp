#include "core/print_area_marks.h"

#include "core/call_trace.h"

void vexBatchPrintShowRanges() { quodlTraceCall("vexBatchPrintShowRanges"); }

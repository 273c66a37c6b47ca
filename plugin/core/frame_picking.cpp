#include "core/frame_picking.h"

#include "core/call_trace.h"

void vexBatchPrintAddManualFrame() { quodlTraceCall("vexBatchPrintAddManualFrame"); }

void vexBatchPrintPickLayer() { quodlTraceCall("vexBatchPrintPickLayer"); }

void vexBatchPrintPickFrames() { quodlTraceCall("vexBatchPrintPickFrames"); }

void vexBatchPrintPickBlock() { quodlTraceCall("vexBatchPrintPickBlock"); }

void vexBatchPrintSelectRange() { quodlTraceCall("vexBatchPrintSelectRange"); }

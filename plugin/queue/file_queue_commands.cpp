#include "queue/file_queue_commands.h"

#include "core/call_trace.h"

void vexBatchPrintFilesShow() { quodlTraceCall("vexBatchPrintFilesShow"); }

void vexBatchPrintFilesStart() { quodlTraceCall("vexBatchPrintFilesStart"); }

void vexBatchPrintFileExecute() { quodlTraceCall("vexBatchPrintFileExecute"); }

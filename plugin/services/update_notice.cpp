#include "services/update_notice.h"

#include "core/call_trace.h"

void vexBatchPrintUpdatesStart() { quodlTraceCall("vexBatchPrintUpdatesStart"); }

void qdl_updates_check() { quodlTraceCall("qdl_updates_check"); }

void qdl_updates_shutdown() { quodlTraceCall("qdl_updates_shutdown"); }

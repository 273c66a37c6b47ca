#include "services/update_notice.h"

#include "core/call_trace.h"
#include "services/host_year.h"
#include "services/update_notice_object.h"

void vexBatchPrintUpdatesStart() {
  quodlTraceCall("vexBatchPrintUpdatesStart");
  qdl_updates_start(kQuodlVersion, currentHostYear());
}

#include "panels/lite_work.h"

#include "core/host_bridge.h"
#include "toolkit/beep.h"

bool gBatchLitePrinting = false;

namespace {

bool gExportQueued = false;

}  // namespace

void vexBatchLiteQueueExport() {
  if (gExportQueued || gBatchLitePrinting) {
    toolkit::beep();
    return;
  }
  gExportQueued = queueCommand("DUZOZAREDLITEEXEC");
}

bool vexBatchLiteExportQueued() { return gExportQueued; }

void vexBatchLiteForgetQueuedExport() { gExportQueued = false; }

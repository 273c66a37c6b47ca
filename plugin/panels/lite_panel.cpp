#include "panels/lite_panel.h"

#include "core/call_trace.h"
#include "core/print_area_marks.h"
#include "core/work_active.h"
#include "panels/return_controller.h"

bool gBatchLitePrinting = false;

void vexBatchPrintLiteShow() {
  quodlTraceCall("vexBatchPrintLiteShow");
  if (vexBatchPrintWorkActive()) return;
  vexBatchReturnWindowHide();
}

void vexBatchPrintLiteExecute() { quodlTraceCall("vexBatchPrintLiteExecute"); }

void vexBatchLiteHide() { quodlTraceCall("vexBatchLiteHide"); }

void vexBatchLiteSaveRange(const VexBatchLayoutSelectionRange&) { quodlTraceCall("vexBatchLiteSaveRange"); }

void vexBatchLitePrepareRangeTargets() {
  quodlTraceCall("vexBatchLitePrepareRangeTargets");
  gBatchPrintRangeTargets.clear();
}

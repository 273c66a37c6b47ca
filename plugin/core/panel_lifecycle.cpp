#include "core/panel_lifecycle.h"

#include "core/call_trace.h"
#include "core/range_overlay.h"
#include "core/work_active.h"
#include "foundation/user_defaults.h"

bool vexBatchWantsLite() {
  const foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  return defaults.hasKey("Quodline.LiteMode") && defaults.boolForKey("Quodline.LiteMode");
}

void vexBatchPrintPanelShow() {
  quodlTraceCall("vexBatchPrintPanelShow");
  if (vexBatchPrintWorkActive()) return;
  gBatchRangeOverlay.clear();
}

void vexBatchPrintPanelReload() { quodlTraceCall("vexBatchPrintPanelReload"); }

void vexBatchPrintPanelShutdown() {
  quodlTraceCall("vexBatchPrintPanelShutdown");
  gBatchRangeOverlay.shutdown();
}

void vexBatchPrintReturn() {
  quodlTraceCall("vexBatchPrintReturn");
  if (vexBatchPrintWorkActive()) return;
  gBatchRangeOverlay.clear();
}

void vexBatchPrintProShow() { quodlTraceCall("vexBatchPrintProShow"); }

bool vexBatchPrintPanelIsVisible() { return false; }

void vexBatchShowReturnPanel() { quodlTraceCall("vexBatchShowReturnPanel"); }

void vexBatchShowReturnPanelWithMessage(std::string_view, std::string_view) {
  quodlTraceCall("vexBatchShowReturnPanelWithMessage");
}

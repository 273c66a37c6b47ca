#include "panels/batch_print_panel_controller.h"

#include "core/call_trace.h"

VexBatchPrintPanelController* gBatchPrintPanelController = nullptr;

void addManualFrameToFullPanel(VexBatchPrintSource, const std::string&, double, double, double, double) {
  quodlTraceCall("addManualFrameWithSource");
}

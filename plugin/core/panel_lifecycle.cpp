#include "core/panel_lifecycle.h"

#include "core/call_trace.h"

void vexBatchPrintPanelShow() { quodlTraceCall("vexBatchPrintPanelShow"); }

void vexBatchPrintPanelReload() { quodlTraceCall("vexBatchPrintPanelReload"); }

void vexBatchPrintPanelShutdown() { quodlTraceCall("vexBatchPrintPanelShutdown"); }

void vexBatchPrintReturn() { quodlTraceCall("vexBatchPrintReturn"); }

void vexBatchPrintProShow() { quodlTraceCall("vexBatchPrintProShow"); }

bool vexBatchPrintPanelIsVisible() { return false; }

#include "queue/file_queue_commands.h"

#include "core/call_trace.h"
#include "core/host_bridge.h"
#include "panels/lite_work.h"
#include "plot/plot_style_queries.h"
#include "queue/file_queue_panel.h"
#include "ui/application_panel.h"

void vexBatchPrintFilesShow() {
  quodlTraceCall("vexBatchPrintFilesShow");
  if (gBatchLitePrinting) return;
  if (!gBatchFilePanel) {
    gBatchFilePanel = std::make_shared<QDLFileQueuePanel>();
    // The run starts in the host's application context, never from the window itself.
    gBatchFilePanel->setStartHandler([] { static_cast<void>(queueCommand("DUZOZAREDFILESTART")); });
  }
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  if (!panel.running() && !panel.discovery()) {
    panel.configureModel(false, 1, 0, 100, "", vexBatchAvailablePlotStyles(true));
  }
  panel.panel()->makeKeyAndOrderFront();
}

void vexBatchPrintFilesStart() { quodlTraceCall("vexBatchPrintFilesStart"); }

void vexBatchPrintFileExecute() { quodlTraceCall("vexBatchPrintFileExecute"); }

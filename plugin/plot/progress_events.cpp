#include "plot/progress_events.h"

#include "toolkit/application.h"

void vexBatchPumpProgressEvents() {
  toolkit::Application& application = toolkit::Application::shared();
  if (!application.isMainThread()) return;
  application.updateWindows();
  // The pump runs inside the plot loops, which a window's failing handler must not tear down; the rest of the
  // queue waits for the next call.
  try {
    application.pumpEvents(kVexBatchProgressEventLimit);
  } catch (...) {
  }
  application.updateWindows();
}

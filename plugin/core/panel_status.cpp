#include "core/host_bridge.h"

#include "panels/batch_print_panel_controller.h"

// The status line belongs to the full panel; a status that arrives before the panel exists is dropped rather
// than creating a panel for it.
void vexBatchUpdatePanelStatus(std::string_view text) {
  if (text.empty()) return;
  runOnMainThread([status = std::string(text)] {
    if (gBatchPrintPanelController == nullptr) return;
    // The controller's status label is written here once the full panel exists (batch-print panels).
    static_cast<void>(status);
  });
}

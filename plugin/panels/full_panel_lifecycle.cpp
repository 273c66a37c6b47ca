// The full panel's side of core's panel lifecycle, and the panel following the drawing the user works in: while
// it shows, another drawing brought to the front, the current drawing closed, or another layout or space the
// user makes current turns its source to that space and reloads its rows once the host is idle again.

#include "core/host_bridge.h"
#include "core/work_active.h"
#include "foundation/main_queue.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/host_change_follower.h"
#include "toolkit/application.h"
#include "toolkit/segmented_control.h"
#include "ui/application_panel.h"

#include <cwchar>

namespace {

// The source the user works in; left as it is when the space cannot be told (no drawing).
void followCurrentSpace(VexBatchPrintPanelController& panel) {
  const std::int64_t space = vexBatchPrintSourceForCurrentSpace();
  if (space == 0 || space == 1) panel.sourceMode()->setSelectedSegment(static_cast<long>(space));
}

// One reload for however many host changes arrive before the host is idle.
void reloadShownPanel() {
  if (!gBatchPrintPanelController || vexBatchPrintWorkActive()) return;
  VexBatchPrintPanelController& panel = *gBatchPrintPanelController;
  if (!panel.panel()->isVisible()) return;
  followCurrentSpace(panel);
  panel.reloadFromActiveDrawing();
}

std::unique_ptr<HostChangeFollower>& follower() {
  static std::unique_ptr<HostChangeFollower> instance;
  return instance;
}

}  // namespace

void vexBatchFullPanelShow(bool followSpace) {
  VexBatchPrintPanelController& controller = ensureBatchPrintPanel();
  if (!follower()) follower() = std::make_unique<HostChangeFollower>(reloadShownPanel);
  if (followSpace) followCurrentSpace(controller);
  controller.reloadFromActiveDrawing();
  if (followSpace) toolkit::Application::shared().activateIgnoringOtherApps(true);
  controller.panel()->makeKeyAndOrderFront();
  controller.panel()->layoutIfNeeded();
  controller.updateTableColumnWidths();
}

void vexBatchFullPanelHide() {
  if (gBatchPrintPanelController) gBatchPrintPanelController->panel()->orderOut();
}

bool vexBatchFullPanelVisible() {
  return gBatchPrintPanelController && gBatchPrintPanelController->panel()->isVisible();
}

void vexBatchFullPanelShowHome() { ensureBatchPrintPanel().workspace()->showPage(0); }

void vexBatchFullPanelShutdown() {
  follower().reset();
  if (!gBatchPrintPanelController) return;
  QDLApplicationPanel& window = *gBatchPrintPanelController->panel();
  window.setDelegate(nullptr);
  window.orderOut();
  window.close();
  gBatchPrintPanelController.reset();
}

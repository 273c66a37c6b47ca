#include "panels/core_link.h"

#include <utility>

#include "core/panel_handoffs.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/lite_panel.h"
#include "panels/return_controller.h"
#include "plot/panel_link.h"
#include "toolkit/button.h"
#include "ui/application_panel.h"
#include "ui/modern_button.h"

void linkPanelsIntoCore() {
  PanelHandoffs handoffs;
  handoffs.showFull = vexBatchFullPanelShow;
  handoffs.hideFull = vexBatchFullPanelHide;
  handoffs.fullVisible = vexBatchFullPanelVisible;
  handoffs.showFullHome = vexBatchFullPanelShowHome;
  handoffs.closeFull = vexBatchFullPanelShutdown;
  handoffs.hideLite = vexBatchLiteHide;
  handoffs.liteVisible = vexBatchLiteVisible;
  handoffs.closeLite = vexBatchLiteShutdown;
  handoffs.showLite = vexBatchPrintLiteShow;
  handoffs.saveLiteRange = [](const PickedRange& range) { vexBatchLiteSaveRange(selectionRangeOf(range)); };
  handoffs.prepareLiteRangeTargets = vexBatchLitePrepareRangeTargets;
  handoffs.addManualFrame = addManualFrameToFullPanel;
  handoffs.showReturn = vexBatchReturnWindowShow;
  handoffs.showReturnWithMessage = vexBatchReturnWindowShowWithTitle;
  handoffs.returnToLite = vexBatchReturnWindowWantsLite;
  handoffs.hideReturn = vexBatchReturnWindowHide;
  handoffs.closeReturn = vexBatchReturnWindowShutdown;
  setPanelHandoffs(std::move(handoffs));

  // What the plot pipeline does to the full panel when a job ends; nothing while the panel does not exist.
  PlotPanelLink plot;
  plot.bringToFront = [] {
    if (gBatchPrintPanelController) gBatchPrintPanelController->panel()->makeKeyAndOrderFront();
  };
  plot.orderOut = [] {
    if (gBatchPrintPanelController) gBatchPrintPanelController->panel()->orderOut();
  };
  plot.disableResume = [] {
    if (gBatchPrintPanelController) gBatchPrintPanelController->resumeButton()->setEnabled(false);
  };
  plot.refreshRecoveryState = [](const std::string& outcome) {
    if (gBatchPrintPanelController) gBatchPrintPanelController->refreshRecoveryState(outcome);
  };
  setPlotPanelLink(std::move(plot));
}

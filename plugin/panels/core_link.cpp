#include "panels/core_link.h"

#include <utility>

#include "core/panel_handoffs.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/lite_panel.h"
#include "panels/return_controller.h"

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
}

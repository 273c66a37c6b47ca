// The actions of the full panel's output, staging and recognition controls and of its ways to other windows,
// given once the workspace holds them.

#include "panels/batch_print_panel_controller.h"
#include "toolkit/control.h"

void VexBatchPrintPanelController::wireActions() {
  using Self = VexBatchPrintPanelController;
  const auto wire = [this](const char* key, void (Self::*method)()) {
    const auto it = workspace_->controls().find(key);
    auto* control = it == workspace_->controls().end() ? nullptr : dynamic_cast<toolkit::Control*>(it->second.get());
    // The controls live in the window, which lives no longer than the controller.
    if (control != nullptr) control->setAction([this, method](toolkit::Control&) { (this->*method)(); });
  };
  wire("outputMode", &Self::outputModeChanged);
  wire("style", &Self::plotStyleChanged);
  wire("location", &Self::outputLocationChanged);
  wire("browse", &Self::browseOutput);
  wire("name", &Self::nameTemplateChanged);
  wire("overwrite", &Self::overwriteChanged);
  wire("preflight", &Self::preflight);
  wire("export", &Self::stagePrint);
  wire("preview", &Self::previewSelected);
  wire("resume", &Self::resumePendingJob);
  wire("refresh", &Self::refreshRecognition);
  wire("automatic", &Self::automaticRecognition);
  wire("pickLayer", &Self::pickFrameLayer);
  wire("pickFrames", &Self::pickFrames);
  wire("pickBlock", &Self::pickFrameBlock);
  wire("range", &Self::selectPrintRange);
  wire("clearRange", &Self::clearPrintRange);
  wire("nonplot", &Self::recognitionOptionChanged);
  wire("blank", &Self::recognitionOptionChanged);
  wire("focus", &Self::focusSelected);
  wire("showRanges", &Self::showPrintRanges);
  wire("add", &Self::addManualFrame);
  wire("diagnostics", &Self::exportDiagnostics);
  wire("lite", &Self::switchToLite);
  wire("files", &Self::showFileQueue);
  wire("update", &Self::checkUpdates);
  wire("command", &Self::showCommandSettings);
  wire("uninstall", &Self::uninstallPlugin);
}

#include "core/panel_handoffs.h"

#include <utility>

namespace {

PanelHandoffs& installedHandoffs() {
  static PanelHandoffs instance;
  return instance;
}

}  // namespace

void setPanelHandoffs(PanelHandoffs handoffs) { installedHandoffs() = std::move(handoffs); }

void showFullPanel(bool followSpace) {
  if (installedHandoffs().showFull) installedHandoffs().showFull(followSpace);
}

void hideFullPanel() {
  if (installedHandoffs().hideFull) installedHandoffs().hideFull();
}

bool fullPanelVisible() { return installedHandoffs().fullVisible && installedHandoffs().fullVisible(); }

void showFullPanelHome() {
  if (installedHandoffs().showFullHome) installedHandoffs().showFullHome();
}

void closeFullPanel() {
  if (installedHandoffs().closeFull) installedHandoffs().closeFull();
}

void hideLitePanel() {
  if (installedHandoffs().hideLite) installedHandoffs().hideLite();
}

bool litePanelVisible() { return installedHandoffs().liteVisible && installedHandoffs().liteVisible(); }

void closeLitePanel() {
  if (installedHandoffs().closeLite) installedHandoffs().closeLite();
}

void showLitePanel() {
  if (installedHandoffs().showLite) installedHandoffs().showLite();
}

void saveLiteRange(const PickedRange& range) {
  if (installedHandoffs().saveLiteRange) installedHandoffs().saveLiteRange(range);
}

void prepareLiteRangeTargets() {
  if (installedHandoffs().prepareLiteRangeTargets) installedHandoffs().prepareLiteRangeTargets();
}

void addManualFrameToPanel(VexBatchPrintSource source, const std::string& layoutName, double minX, double minY,
                           double maxX, double maxY) {
  if (installedHandoffs().addManualFrame)
    installedHandoffs().addManualFrame(source, layoutName, minX, minY, maxX, maxY);
}

void showReturnWindow() {
  if (installedHandoffs().showReturn) installedHandoffs().showReturn();
}

void showReturnWindowWithMessage(const std::optional<std::string>& title, const std::optional<std::string>& message) {
  if (installedHandoffs().showReturnWithMessage) installedHandoffs().showReturnWithMessage(title, message);
}

bool returnWindowLeadsToLite() { return installedHandoffs().returnToLite && installedHandoffs().returnToLite(); }

void hideReturnWindow() {
  if (installedHandoffs().hideReturn) installedHandoffs().hideReturn();
}

void closeReturnWindow() {
  if (installedHandoffs().closeReturn) installedHandoffs().closeReturn();
}

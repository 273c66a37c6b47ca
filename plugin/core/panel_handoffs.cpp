#include "core/panel_handoffs.h"

#include <utility>

namespace {

PanelHandoffs& installedHandoffs() {
  static PanelHandoffs instance;
  return instance;
}

}  // namespace

void setPanelHandoffs(PanelHandoffs handoffs) { installedHandoffs() = std::move(handoffs); }

void hideLitePanel() {
  if (installedHandoffs().hideLite) installedHandoffs().hideLite();
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

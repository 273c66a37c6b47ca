#include "plot/panel_link.h"

#include <utility>

namespace {

PlotPanelLink& installedLink() {
  static PlotPanelLink link;
  return link;
}

void call(const std::function<void()>& action) {
  if (action) action();
}

}  // namespace

void setPlotPanelLink(PlotPanelLink link) { installedLink() = std::move(link); }

void plotPanelBringToFront() { call(installedLink().bringToFront); }
void plotPanelOrderOut() { call(installedLink().orderOut); }
void plotPanelDisableResume() { call(installedLink().disableResume); }
void plotPanelRefreshRecoveryState(const std::string& outcome) {
  if (installedLink().refreshRecoveryState) installedLink().refreshRecoveryState(outcome);
}

#include "plot/queue_link.h"

#include <utility>

namespace {

PlotQueueLink& installedLink() {
  static PlotQueueLink link;
  return link;
}

}  // namespace

void setPlotQueueLink(PlotQueueLink link) { installedLink() = std::move(link); }

bool plotQueueRunning() { return installedLink().running && installedLink().running(); }

bool plotQueueShouldStop() { return plotQueueRunning() && installedLink().shouldStop && installedLink().shouldStop(); }

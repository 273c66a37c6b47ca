#include "queue/plot_link.h"

#include <utility>

#include "plot/queue_link.h"
#include "queue/file_queue_state.h"
#include "queue/queue_run.h"

void linkQueueIntoPlot() {
  PlotQueueLink link;
  link.running = [] { return gBatchFileQueueRunning; };
  link.shouldStop = vexBatchQueueShouldStop;
  setPlotQueueLink(std::move(link));
}

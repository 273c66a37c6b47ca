#include "queue/plot_link.h"

#include <utility>

#include "plot/queue_link.h"
#include "queue/file_queue_state.h"

// The stop request belongs to the queue's run record, which joins with the queue's run; until then a run
// cannot be asked to stop.
void linkQueueIntoPlot() {
  PlotQueueLink link;
  link.running = [] { return gBatchFileQueueRunning; };
  setPlotQueueLink(std::move(link));
}

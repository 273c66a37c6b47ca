#pragma once
// The drawing-file queue's run as the plot pipeline sees it: whether a run is active and whether its user asked
// it to stop. The queue stands above the plot pipeline and installs its side when the plug-in starts; until
// then no queue runs and nothing asks to stop.

#include <functional>

struct PlotQueueLink {
  std::function<bool()> running;     // a queue run is active
  std::function<bool()> shouldStop;  // its user asked it to stop
};

void setPlotQueueLink(PlotQueueLink link);

bool plotQueueRunning();
// Asked only while a run is active; false otherwise.
bool plotQueueShouldStop();

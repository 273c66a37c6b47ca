#pragma once
// Serves the plot pipeline, which stands below the queue: whether a queue run is active, so that the plot run
// and the isolated-page merge heed the queue's stop request only then.

// Installs the queue's side of the plot pipeline's link; the module calls it at start-up.
void linkQueueIntoPlot();

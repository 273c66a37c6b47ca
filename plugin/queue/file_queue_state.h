#pragma once
// The drawing-file queue's work-active flag.

// True while a drawing-file queue run is active; false at load. Plain bool, main thread only.
extern bool gBatchFileQueueRunning;

#pragma once
// How a queue run moves from drawing to drawing. The advance step runs in the host's application context, where
// drawings may be opened and closed: it closes the drawing the run opened last, opens the next one read-only
// and sends it the per-drawing command, which plots it and schedules the next step. When nothing is left, or
// the run is to stop, the same step ends the run: the rest of the rows marked, the user's drawing active again,
// every output verified once more (and merged in output mode 2), the summary shown and the run folder opened.
// Main thread only.

#include <cstdint>

struct QDLQueueItem;

// Schedules one advance step; at most one waits at a time. When the host refuses, the run is asked to stop
// with its message, and ends at once when no drawing of the run is open and nothing plots.
void vexBatchQueueSchedule();

// The advance step, as the host calls it; `data` is not used.
void vexBatchQueueAdvance(void* data);

// Verifies every row's outputs again. A row whose output fails loses it from its outputs (the file goes to
// "Unverified-PDF"), counts only the pages that verified and says why.
void vexBatchQueueVerifyCompletedOutputs();

// Reloads the queue panel's rows.
void vexBatchQueueReport();

// The queue panel's row at `index`, the run's row for the path at the same index; null when there is none.
QDLQueueItem* QDLQueueRunRow(std::uint64_t index);

#pragma once
// Plotting runs on the main thread inside a host command, so windows see nothing of the user until the plot
// hands them control between pages and stages: this pump does that.

#include <cstddef>

// The most events one call hands on.
inline constexpr std::size_t kVexBatchProgressEventLimit = 24;

// Updates the windows, hands on the events already queued (at most kVexBatchProgressEventLimit, never waiting
// for one), and updates the windows again. Does nothing off the main thread and lets nothing escape.
void vexBatchPumpProgressEvents();

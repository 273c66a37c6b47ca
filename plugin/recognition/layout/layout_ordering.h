#pragma once
// The third stage of the layout scan: one layout's frames are cleaned and put in order, and its viewports are
// matched to them. Blank frames go (when the option says so), then duplicates and nested frames; the rest
// are sorted in reading order, every viewport is matched to the frame that holds it best, and the viewport
// counters of the diagnostics are filled.

#include "recognition/layout/layout_candidates.h"

// Reads gBatchExcludeBlankRectangles; blank frames left out are listed in diagnostics.excludedBlankFrames
// under the base record's layout name.
void vexBatchSettleLayoutFrames(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics);

// Rows from top to bottom, left to right within a row; two items share a row while their centres lie within
// a fifth of the smaller paper's short side (at least one unit) of the row's first item. Returns indices.
[[nodiscard]] std::vector<std::size_t> vexBatchLayoutReadingOrder(const std::vector<double>& centerY,
                                                                  const std::vector<double>& leftX,
                                                                  const std::vector<double>& paperShortSide);

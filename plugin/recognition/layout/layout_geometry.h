#pragma once
// What the stages of the layout scan add to the shared box arithmetic: a viewport tile's box is its centre ±
// half its size, and a frame reaches a little beyond its box to hold a viewport.

#include <algorithm>

#include "recognition/box.h"
#include "recognition/layout/layout_candidates.h"

inline VexBatchBox vexBatchBoxOf(const ViewportTile& tile) {
  return {tile.centerX - tile.width / 2, tile.centerY - tile.height / 2, tile.centerX + tile.width / 2,
          tile.centerY + tile.height / 2};
}

// How far a frame of this paper reaches to hold a viewport: 1 % of the paper's short side, at least one unit.
[[nodiscard]] inline double vexBatchFrameTolerance(const VexBatchPrintPaperSpec& paper) {
  return std::max(0.01 * paper.shortSide, 1.0);
}

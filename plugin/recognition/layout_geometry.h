#pragma once
// Box arithmetic that the stages of the layout scan share. A box is anything with minX, minY, maxX, maxY; a
// viewport tile's box is its centre ± half its size.

#include <algorithm>

#include "recognition/layout_candidates.h"

struct VexBatchLayoutBox {
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
};

template <class T>
VexBatchLayoutBox vexBatchBoxOf(const T& item) {
  return {item.minX, item.minY, item.maxX, item.maxY};
}
inline VexBatchLayoutBox vexBatchBoxOf(const ViewportTile& tile) {
  return {tile.centerX - tile.width / 2, tile.centerY - tile.height / 2, tile.centerX + tile.width / 2,
          tile.centerY + tile.height / 2};
}

inline double vexBatchWidth(const VexBatchLayoutBox& b) { return b.maxX - b.minX; }
inline double vexBatchHeight(const VexBatchLayoutBox& b) { return b.maxY - b.minY; }
inline double vexBatchShortSide(const VexBatchLayoutBox& b) { return std::min(vexBatchWidth(b), vexBatchHeight(b)); }
inline double vexBatchLongSide(const VexBatchLayoutBox& b) { return std::max(vexBatchWidth(b), vexBatchHeight(b)); }
inline double vexBatchArea(const VexBatchLayoutBox& b) { return vexBatchWidth(b) * vexBatchHeight(b); }
inline double vexBatchCenterX(const VexBatchLayoutBox& b) { return (b.minX + b.maxX) / 2; }
inline double vexBatchCenterY(const VexBatchLayoutBox& b) { return (b.minY + b.maxY) / 2; }

// inner lies inside outer grown by t on every side.
inline bool vexBatchInsideGrown(const VexBatchLayoutBox& inner, const VexBatchLayoutBox& outer, double t) {
  return inner.minX >= outer.minX - t && inner.maxX <= outer.maxX + t && inner.minY >= outer.minY - t &&
         inner.maxY <= outer.maxY + t;
}

inline VexBatchLayoutBox vexBatchShrunk(const VexBatchLayoutBox& b, double t) {
  return {b.minX + t, b.minY + t, b.maxX - t, b.maxY - t};
}

// b overlaps a with an interior in common (touching edges do not count).
inline bool vexBatchOverlapsStrictly(const VexBatchLayoutBox& b, const VexBatchLayoutBox& a) {
  return b.maxX > a.minX && b.minX < a.maxX && b.maxY > a.minY && b.minY < a.maxY;
}

inline double vexBatchOverlapArea(const VexBatchLayoutBox& a, const VexBatchLayoutBox& b) {
  double w = std::max(0.0, std::min(a.maxX, b.maxX) - std::max(a.minX, b.minX));
  double h = std::max(0.0, std::min(a.maxY, b.maxY) - std::max(a.minY, b.minY));
  return w * h;
}

// A point inside a box, bounds included.
inline bool vexBatchContainsPoint(const VexBatchLayoutBox& b, double x, double y) {
  return x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY;
}

// How far a frame reaches to hold a viewport: 1 % of its paper's short side, at least one unit.
inline double vexBatchFrameTolerance(const PaperFrame& frame) { return std::max(0.01 * frame.paper.shortSide, 1.0); }

// The usual slack around a box: half a percent of its short side, at least one unit.
inline double vexBatchEdgeTolerance(const VexBatchLayoutBox& b) { return std::max(0.005 * vexBatchShortSide(b), 1.0); }

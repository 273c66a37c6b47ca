#pragma once
// An axis-aligned box and the box arithmetic that both scans share. Anything with minX, minY, maxX, maxY (a
// frame, a record, an entity's extents) has a box.

#include <algorithm>

struct [[nodiscard]] VexBatchBox {
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
};

template <class T>
VexBatchBox vexBatchBoxOf(const T& item) {
  return {item.minX, item.minY, item.maxX, item.maxY};
}
template <class T>
void vexBatchSetBox(T& item, const VexBatchBox& b) {
  item.minX = b.minX;
  item.minY = b.minY;
  item.maxX = b.maxX;
  item.maxY = b.maxY;
}

[[nodiscard]] inline double vexBatchWidth(const VexBatchBox& b) { return b.maxX - b.minX; }
[[nodiscard]] inline double vexBatchHeight(const VexBatchBox& b) { return b.maxY - b.minY; }
[[nodiscard]] inline double vexBatchShortSide(const VexBatchBox& b) {
  return std::min(vexBatchWidth(b), vexBatchHeight(b));
}
[[nodiscard]] inline double vexBatchLongSide(const VexBatchBox& b) {
  return std::max(vexBatchWidth(b), vexBatchHeight(b));
}
[[nodiscard]] inline double vexBatchArea(const VexBatchBox& b) { return vexBatchWidth(b) * vexBatchHeight(b); }
[[nodiscard]] inline double vexBatchCenterX(const VexBatchBox& b) { return (b.minX + b.maxX) / 2; }
[[nodiscard]] inline double vexBatchCenterY(const VexBatchBox& b) { return (b.minY + b.maxY) / 2; }

inline VexBatchBox vexBatchGrown(const VexBatchBox& b, double t) {
  return {b.minX - t, b.minY - t, b.maxX + t, b.maxY + t};
}
inline VexBatchBox vexBatchShrunk(const VexBatchBox& b, double t) {
  return {b.minX + t, b.minY + t, b.maxX - t, b.maxY - t};
}

// inner lies inside outer grown by t on every side.
[[nodiscard]] inline bool vexBatchInsideGrown(const VexBatchBox& inner, const VexBatchBox& outer, double t) {
  return inner.minX >= outer.minX - t && inner.maxX <= outer.maxX + t && inner.minY >= outer.minY - t &&
         inner.maxY <= outer.maxY + t;
}

// b overlaps a with an interior in common (touching edges do not count).
[[nodiscard]] inline bool vexBatchOverlapsStrictly(const VexBatchBox& b, const VexBatchBox& a) {
  return b.maxX > a.minX && b.minX < a.maxX && b.maxY > a.minY && b.minY < a.maxY;
}

[[nodiscard]] inline double vexBatchOverlapArea(const VexBatchBox& a, const VexBatchBox& b) {
  double w = std::max(0.0, std::min(a.maxX, b.maxX) - std::max(a.minX, b.minX));
  double h = std::max(0.0, std::min(a.maxY, b.maxY) - std::max(a.minY, b.minY));
  return w * h;
}

// A point inside a box, bounds included.
[[nodiscard]] inline bool vexBatchContainsPoint(const VexBatchBox& b, double x, double y) {
  return x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY;
}

// Drawn content of a frame: the item reaches into the frame shrunk by t, and does not cover that inner box (a
// background hatch or a larger border covers it and is no content).
[[nodiscard]] inline bool vexBatchIsContentOf(const VexBatchBox& item, const VexBatchBox& frame, double t) {
  const bool covers = item.minX <= frame.minX + t && item.maxX >= frame.maxX - t && item.minY <= frame.minY + t &&
                      item.maxY >= frame.maxY - t;
  return !covers && vexBatchOverlapsStrictly(item, vexBatchShrunk(frame, t));
}

// The usual slack around a frame: half a percent of its short side, at least one unit.
[[nodiscard]] inline double vexBatchEdgeTolerance(double shortSide) { return std::max(0.005 * shortSide, 1.0); }
[[nodiscard]] inline double vexBatchEdgeTolerance(const VexBatchBox& b) {
  return vexBatchEdgeTolerance(vexBatchShortSide(b));
}

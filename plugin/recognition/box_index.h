#pragma once
// A uniform grid over axis-aligned boxes, so that "which boxes touch this one" costs a few cells instead of
// a pass over all of them. Used to test drawn content against frames without a quadratic loop.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recognition/box.h"

class VexBatchBoxIndex {
 public:
  // Boxes must be finite with min ≤ max; others are never reported.
  explicit VexBatchBoxIndex(std::vector<VexBatchBox> boxes);

  // Calls visit(index) once for every box that touches `query` (closed boxes), in no particular order.
  // visit returns false to stop early.
  template <class Visit>
  void forEachTouching(const VexBatchBox& query, Visit&& visit) const;

  [[nodiscard]] std::size_t size() const { return boxes_.size(); }
  [[nodiscard]] const VexBatchBox& box(std::size_t index) const { return boxes_[index]; }

 private:
  struct CellRange {
    std::int64_t x0, y0, x1, y1;
  };
  CellRange cellsOf(const VexBatchBox& box) const;
  static bool touches(const VexBatchBox& a, const VexBatchBox& b) {
    return a.minX <= b.maxX && b.minX <= a.maxX && a.minY <= b.maxY && b.minY <= a.maxY;
  }

  std::vector<VexBatchBox> boxes_;
  std::vector<CellRange> ranges_;  // cells of each box, taken at build
  double originX_ = 0, originY_ = 0, inverseCellW_ = 1, inverseCellH_ = 1;
  std::int64_t columns_ = 0, rows_ = 0;
  std::vector<std::uint32_t> cellStart_;  // CSR: items of cell c are items_[cellStart_[c] .. cellStart_[c+1])
  std::vector<std::uint32_t> items_;
  std::vector<std::uint32_t> oversize_;  // boxes spanning too many cells, tested directly
};

template <class Visit>
void VexBatchBoxIndex::forEachTouching(const VexBatchBox& query, Visit&& visit) const {
  for (std::uint32_t i : oversize_) {
    if (touches(boxes_[i], query) && !visit(static_cast<std::size_t>(i))) return;
  }
  if (columns_ == 0) return;
  CellRange q = cellsOf(query);
  bool singleCell = q.x0 == q.x1 && q.y0 == q.y1;
  for (std::int64_t cy = q.y0; cy <= q.y1; ++cy) {
    for (std::int64_t cx = q.x0; cx <= q.x1; ++cx) {
      std::size_t cell = static_cast<std::size_t>(cy * columns_ + cx);
      for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
        std::uint32_t i = items_[k];
        // Report a box only in the first cell that it shares with the query, so each comes once.
        if (!singleCell) {
          const CellRange& b = ranges_[i];
          if (cx != (b.x0 > q.x0 ? b.x0 : q.x0) || cy != (b.y0 > q.y0 ? b.y0 : q.y0)) continue;
        }
        if (touches(boxes_[i], query) && !visit(static_cast<std::size_t>(i))) return;
      }
    }
  }
}

#include "recognition/box_index.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t kMaxCellsPerBox = 64;

bool validBox(const VexBatchBox& b) {
  return std::isfinite(b.minX) && std::isfinite(b.minY) && std::isfinite(b.maxX) && std::isfinite(b.maxY) &&
         b.minX <= b.maxX && b.minY <= b.maxY;
}

std::int64_t cellIndex(double value, double origin, double inverseSize, std::int64_t count) {
  double cell = (value - origin) * inverseSize;
  if (!(cell > 0)) return 0;  // also NaN
  if (cell >= static_cast<double>(count - 1)) return count - 1;
  return static_cast<std::int64_t>(cell);  // truncation is floor for positive values
}

}  // namespace

VexBatchBoxIndex::CellRange VexBatchBoxIndex::cellsOf(const VexBatchBox& box) const {
  return {cellIndex(box.minX, originX_, inverseCellW_, columns_), cellIndex(box.minY, originY_, inverseCellH_, rows_),
          cellIndex(box.maxX, originX_, inverseCellW_, columns_), cellIndex(box.maxY, originY_, inverseCellH_, rows_)};
}

VexBatchBoxIndex::VexBatchBoxIndex(std::vector<VexBatchBox> boxes) : boxes_(std::move(boxes)) {
  std::vector<std::uint32_t> valid;
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const VexBatchBox& b = boxes_[i];
    if (!validBox(b)) continue;
    valid.push_back(static_cast<std::uint32_t>(i));
    minX = std::min(minX, b.minX);
    minY = std::min(minY, b.minY);
    maxX = std::max(maxX, b.maxX);
    maxY = std::max(maxY, b.maxY);
  }
  if (valid.empty()) return;

  // About one cell per box, shaped like the covered area.
  double spanX = maxX - minX;
  double spanY = maxY - minY;
  double n = static_cast<double>(valid.size());
  double columns = 1, rows = 1;
  if (spanX > 0 && spanY > 0 && std::isfinite(spanX * spanY)) {
    columns = std::clamp(std::round(std::sqrt(n * spanX / spanY)), 1.0, 4096.0);
    rows = std::clamp(std::round(n / columns), 1.0, 4096.0);
  } else if (spanX > 0 && std::isfinite(spanX)) {
    columns = std::min(n, 4096.0);
  } else if (spanY > 0 && std::isfinite(spanY)) {
    rows = std::min(n, 4096.0);
  }
  columns_ = static_cast<std::int64_t>(columns);
  rows_ = static_cast<std::int64_t>(rows);
  originX_ = minX;
  originY_ = minY;
  inverseCellW_ = spanX > 0 && std::isfinite(spanX) ? columns / spanX : 1.0;
  inverseCellH_ = spanY > 0 && std::isfinite(spanY) ? rows / spanY : 1.0;

  std::size_t cells = static_cast<std::size_t>(columns_ * rows_);
  std::vector<std::uint32_t> counts(cells + 1, 0);
  std::vector<std::uint32_t> gridded;
  gridded.reserve(valid.size());
  ranges_.assign(boxes_.size(), CellRange{0, 0, -1, -1});
  for (std::uint32_t i : valid) {
    CellRange r = cellsOf(boxes_[i]);
    ranges_[i] = r;
    if ((r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1) > kMaxCellsPerBox) {
      oversize_.push_back(i);
      continue;
    }
    gridded.push_back(i);
    for (std::int64_t cy = r.y0; cy <= r.y1; ++cy)
      for (std::int64_t cx = r.x0; cx <= r.x1; ++cx) ++counts[static_cast<std::size_t>(cy * columns_ + cx) + 1];
  }
  for (std::size_t c = 0; c < cells; ++c) counts[c + 1] += counts[c];
  cellStart_ = counts;
  items_.resize(cellStart_[cells]);
  std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
  for (std::uint32_t i : gridded) {
    const CellRange& r = ranges_[i];
    for (std::int64_t cy = r.y0; cy <= r.y1; ++cy)
      for (std::int64_t cx = r.x0; cx <= r.x1; ++cx) items_[fill[static_cast<std::size_t>(cy * columns_ + cx)]++] = i;
  }
}

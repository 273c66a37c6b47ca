#pragma once
// Reading order of sheets: rows from top to bottom, left to right within a row. Rows are formed by
// clustering after one sort by height, never by handing a sort a "same row" test (that test is not
// transitive, and a sort given one may misorder or worse).

#include <cstddef>
#include <functional>
#include <vector>

struct VexBatchReadingOrderKey {
  double centerY = 0;
  double minX = 0;
};

// Sorts by centre y, greatest first (equal heights: smaller minX first), then walks the sorted list: a row
// starts at the first record not yet placed and takes the records that follow while
// sameRow(rowStart, candidate) holds (indices into `keys`); each row is ordered by minX. Returns indices into
// `keys`. Keys must be finite.
[[nodiscard]] std::vector<std::size_t> vexBatchReadingOrder(
    const std::vector<VexBatchReadingOrderKey>& keys, const std::function<bool(std::size_t, std::size_t)>& sameRow);

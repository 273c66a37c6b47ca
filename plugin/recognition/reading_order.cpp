#include "recognition/reading_order.h"

#include <algorithm>
#include <numeric>

std::vector<std::size_t> vexBatchReadingOrder(const std::vector<VexBatchReadingOrderKey>& keys,
                                              const std::function<bool(std::size_t, std::size_t)>& sameRow) {
  std::vector<std::size_t> sorted(keys.size());
  std::iota(sorted.begin(), sorted.end(), std::size_t{0});
  std::stable_sort(sorted.begin(), sorted.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].centerY != keys[b].centerY) return keys[a].centerY > keys[b].centerY;
    return keys[a].minX < keys[b].minX;
  });

  std::vector<std::size_t> order;
  order.reserve(sorted.size());
  std::size_t start = 0;
  while (start < sorted.size()) {
    std::size_t end = start + 1;
    while (end < sorted.size() && sameRow(sorted[start], sorted[end])) ++end;
    std::size_t rowBegin = order.size();
    order.insert(order.end(), sorted.begin() + static_cast<std::ptrdiff_t>(start),
                 sorted.begin() + static_cast<std::ptrdiff_t>(end));
    std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(rowBegin), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].minX < keys[b].minX; });
    start = end;
  }
  return order;
}

#include <gtest/gtest.h>

#include <cmath>

#include "recognition/reading_order.h"

namespace {

TEST(ReadingOrder, RowsTopToBottomThenLeftToRight) {
  // Two rows of three, with a little jitter in height, given in scrambled order.
  std::vector<VexBatchReadingOrderKey> keys{
      {98, 200}, {100, 0}, {0, 100}, {102, 100}, {3, 0}, {-2, 200},
  };
  auto order = vexBatchReadingOrder(
      keys, [&](std::size_t a, std::size_t b) { return std::fabs(keys[a].centerY - keys[b].centerY) <= 20; });
  EXPECT_EQ(order, (std::vector<std::size_t>{1, 3, 0, 4, 2, 5}));
}

TEST(ReadingOrder, RowIsMeasuredFromItsFirstRecordNotChained) {
  // Each step is within the tolerance of the previous one, but the third is too far from the first: a
  // chained ("transitive") comparison would put all three in one row.
  std::vector<VexBatchReadingOrderKey> keys{{100, 50}, {92, 0}, {84, 10}};
  auto order = vexBatchReadingOrder(keys, [&](std::size_t rowStart, std::size_t b) {
    return std::fabs(keys[rowStart].centerY - keys[b].centerY) <= 10;
  });
  EXPECT_EQ(order, (std::vector<std::size_t>{1, 0, 2}));
}

TEST(ReadingOrder, EqualHeightsOrderByMinXAndEmptyInputIsEmpty) {
  std::vector<VexBatchReadingOrderKey> keys{{5, 30}, {5, 10}, {5, 20}};
  auto never = [](std::size_t, std::size_t) { return false; };
  EXPECT_EQ(vexBatchReadingOrder(keys, never), (std::vector<std::size_t>{1, 2, 0}));
  EXPECT_TRUE(vexBatchReadingOrder({}, never).empty());
}

}  // namespace

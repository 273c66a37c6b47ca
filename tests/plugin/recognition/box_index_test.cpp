#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

#include "recognition/box_index.h"

namespace {

std::set<std::size_t> touching(const VexBatchBoxIndex& index, const VexBatchBox& query) {
  std::set<std::size_t> found;
  index.forEachTouching(query, [&](std::size_t i) {
    EXPECT_TRUE(found.insert(i).second) << "box " << i << " reported twice";
    return true;
  });
  return found;
}

bool touches(const VexBatchBox& a, const VexBatchBox& b) {
  return a.minX <= b.maxX && b.minX <= a.maxX && a.minY <= b.maxY && b.minY <= a.maxY;
}

TEST(BoxIndex, FindsExactlyTheTouchingBoxesOnce) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> position(-5000, 5000);
  std::uniform_real_distribution<double> size(0, 300);
  std::vector<VexBatchBox> boxes;
  for (int i = 0; i < 2000; ++i) {
    double x = position(random), y = position(random);
    boxes.push_back({x, y, x + size(random), y + size(random)});
  }
  boxes.push_back({-6000, -6000, 6000, 6000});  // spans every cell
  boxes.push_back({100, 100, 100, 100});        // a point
  VexBatchBoxIndex index(boxes);
  for (int q = 0; q < 200; ++q) {
    double x = position(random) * 1.2, y = position(random) * 1.2;
    VexBatchBox query{x, y, x + size(random) * 3, y + size(random) * 3};
    std::set<std::size_t> expected;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (touches(boxes[i], query)) expected.insert(i);
    }
    ASSERT_EQ(touching(index, query), expected);
  }
}

TEST(BoxIndex, InvalidBoxesAreNeverReportedAndVisitCanStop) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  VexBatchBoxIndex index({{0, 0, 10, 10}, {kNaN, 0, 10, 10}, {5, 5, 1, 1}, {2, 2, 3, 3}});
  EXPECT_EQ(touching(index, {-100, -100, 100, 100}), (std::set<std::size_t>{0, 3}));
  int visits = 0;
  index.forEachTouching({-100, -100, 100, 100}, [&](std::size_t) { return ++visits < 1; });
  EXPECT_EQ(visits, 1);
  EXPECT_TRUE(touching(VexBatchBoxIndex({}), {0, 0, 1, 1}).empty());
}

TEST(BoxIndex, BoxesOnOneLineOrPoint) {
  VexBatchBoxIndex row({{0, 0, 1, 0}, {10, 0, 11, 0}, {20, 0, 21, 0}});
  EXPECT_EQ(touching(row, {9, -1, 12, 1}), (std::set<std::size_t>{1}));
  VexBatchBoxIndex point({{3, 3, 3, 3}, {3, 3, 3, 3}});
  EXPECT_EQ(touching(point, {0, 0, 5, 5}), (std::set<std::size_t>{0, 1}));
  EXPECT_TRUE(touching(point, {4, 4, 5, 5}).empty());
}

}  // namespace

// Paths and transforms: the shapes the views draw must land where their numbers say.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "graphics/bezier_path.h"
#include "graphics/geometry.h"

namespace graphics {
namespace {

void expectNear(Point a, Point b) {
  EXPECT_NEAR(a.x, b.x, 1e-9);
  EXPECT_NEAR(a.y, b.y, 1e-9);
}

TEST(AffineTransform, ConcatAppliesTheFirstThenTheSecondAndInvertsBack) {
  const AffineTransform move = AffineTransform::translation(10, 0);
  const AffineTransform turn = AffineTransform::rotation(std::numbers::pi / 2);
  // Move, then turn a quarter: (1, 0) → (11, 0) → (0, 11).
  expectNear(AffineTransform::concat(move, turn).apply(Point{1, 0}), {0, 11});
  // Turn, then move: (1, 0) → (0, 1) → (10, 1).
  expectNear(AffineTransform::concat(turn, move).apply(Point{1, 0}), {10, 1});
  const AffineTransform t = AffineTransform::concat(AffineTransform::scaling(2, -3), AffineTransform::translation(5, 7));
  expectNear(t.inverted().apply(t.apply(Point{4, -2})), {4, -2});
  EXPECT_TRUE(AffineTransform::scaling(0, 1).inverted().isIdentity());
}

TEST(Rect, IntersectionUnionAndHalfOpenContainment) {
  const Rect a{0, 0, 10, 10}, b{5, 5, 10, 10};
  EXPECT_EQ(a.intersection(b), (Rect{5, 5, 5, 5}));
  EXPECT_EQ(a.unionWith(b), (Rect{0, 0, 15, 15}));
  EXPECT_TRUE(a.contains({0, 0}));
  EXPECT_FALSE(a.contains({10, 5}));  // the neighbour at x 10 owns it
  EXPECT_TRUE((Rect{0, 0, 10, 10}).intersection(Rect{10, 0, 5, 5}).isEmpty());
}

TEST(BezierPath, RoundedRectRadiiAreClampedToHalfTheSide) {
  // A radius larger than half the height makes a pill, never a path that overshoots the rectangle.
  const BezierPath pill = BezierPath::roundedRect({0, 0, 100, 20}, 50, 50);
  EXPECT_EQ(pill.bounds(), (Rect{0, 0, 100, 20}));
  const auto outline = pill.flattened(0.01).front();
  for (const Point& p : outline) {
    EXPECT_GE(p.x, -1e-9);
    EXPECT_LE(p.x, 100 + 1e-9);
  }
  // Radius 0 and negative radii give the plain rectangle: four lines.
  for (double r : {0.0, -3.0}) {
    const BezierPath plain = BezierPath::roundedRect({0, 0, 10, 10}, r, r);
    EXPECT_EQ(plain.elements().size(), 5u) << r;
  }
}

TEST(BezierPath, ArcsTurnTheWayAskedAndAWholeTurnStaysWhole) {
  // From the top, clockwise (y up), a whole turn: the track of a progress ring.
  BezierPath track;
  track.addArc({100, 100}, 61, std::numbers::pi / 2, -3 * std::numbers::pi / 2, true);
  const auto points = track.flattened(0.01).front();
  expectNear(points.front(), {100, 161});
  EXPECT_NEAR(points.back().x, 100, 1e-6);
  EXPECT_NEAR(points.back().y, 161, 1e-6);
  // A quarter of the way along, a clockwise arc from the top is at the right.
  const BezierPath quarter = track.trimmed(0, 0.25);
  const auto q = quarter.flattened().front();
  EXPECT_NEAR(q.back().x, 161, 0.05);
  EXPECT_NEAR(q.back().y, 100, 0.05);
  // Counter-clockwise from the same start goes left.
  BezierPath other;
  other.addArc({0, 0}, 1, std::numbers::pi / 2, std::numbers::pi, false);
  const auto o = other.flattened(0.001).front();
  EXPECT_NEAR(o.back().x, -1, 1e-6);
  EXPECT_NEAR(o.back().y, 0, 1e-6);
}

TEST(BezierPath, TrimmedKeepsTheFractionOfTheLength) {
  BezierPath l;
  l.moveTo({0, 0});
  l.lineTo({10, 0});
  l.lineTo({10, 10});
  const auto half = l.trimmed(0.25, 0.75).flattened().front();
  expectNear(half.front(), {5, 0});
  expectNear(half.back(), {10, 5});
  EXPECT_TRUE(l.trimmed(0.6, 0.6).isEmpty());
  EXPECT_TRUE(l.trimmed(1, 0).isEmpty());
}

}  // namespace
}  // namespace graphics

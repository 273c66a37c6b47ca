#include "graphics/pdf_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using graphics::PdfMatrix;
using graphics::PdfPoint;
using graphics::PdfRect;

namespace {

void expectPoint(PdfPoint actual, PdfPoint expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

// Where the corners of a 200 × 100 box at (10, 20) land when it is shown turned, in a rectangle of exactly
// its upright size: the corner a viewer shows at the upright page's lower left, and so on.
struct TurnCase {
  int pageRotation;
  int rotate;
  PdfRect rect;
  PdfPoint lowerLeft, lowerRight, upperLeft;  // images of the box's own corners (10,20), (210,20), (10,120)
};

TEST(PdfDrawingTransform, TurnsTheBoxClockwiseAsAViewerShowsIt) {
  const PdfRect box{10, 20, 200, 100};
  const TurnCase cases[] = {
      {0, 0, {0, 0, 200, 100}, {0, 0}, {200, 0}, {0, 100}},
      {90, 0, {0, 0, 100, 200}, {0, 200}, {0, 0}, {100, 200}},
      {180, 0, {0, 0, 200, 100}, {200, 100}, {0, 100}, {200, 0}},
      {270, 0, {0, 0, 100, 200}, {100, 0}, {100, 200}, {0, 0}},
      {-90, 0, {0, 0, 100, 200}, {100, 0}, {100, 200}, {0, 0}},
      {450, 0, {0, 0, 100, 200}, {0, 200}, {0, 0}, {100, 200}},
      // The extra rotation adds to the page's own.
      {90, 90, {0, 0, 200, 100}, {200, 100}, {0, 100}, {200, 0}},
      {0, -90, {0, 0, 100, 200}, {100, 0}, {100, 200}, {0, 0}},
      // A rectangle elsewhere on the page only moves the result.
      {90, 0, {50, 60, 100, 200}, {50, 260}, {50, 60}, {150, 260}},
  };
  for (const TurnCase& c : cases) {
    const PdfMatrix m = graphics::drawingTransform(box, c.pageRotation, c.rect, c.rotate, false);
    const std::string what = "rotation " + std::to_string(c.pageRotation) + " + " + std::to_string(c.rotate);
    expectPoint(graphics::apply(m, {10, 20}), c.lowerLeft, what.c_str());
    expectPoint(graphics::apply(m, {210, 20}), c.lowerRight, what.c_str());
    expectPoint(graphics::apply(m, {10, 120}), c.upperLeft, what.c_str());
  }
}

TEST(PdfDrawingTransform, ScalesDownToFitButNeverUpAndCentres) {
  const PdfRect box{0, 0, 200, 100};
  // Half the size each way: scaled by a half.
  PdfMatrix m = graphics::drawingTransform(box, 0, {0, 0, 100, 50}, 0, false);
  expectPoint(graphics::apply(m, {200, 100}), {100, 50}, "half");
  // Narrower only: each direction on its own, or both by the tighter one and centred.
  m = graphics::drawingTransform(box, 0, {0, 0, 100, 100}, 0, false);
  expectPoint(graphics::apply(m, {0, 0}), {0, 0}, "stretch");
  expectPoint(graphics::apply(m, {200, 100}), {100, 100}, "stretch");
  m = graphics::drawingTransform(box, 0, {0, 0, 100, 100}, 0, true);
  expectPoint(graphics::apply(m, {0, 0}), {0, 25}, "aspect");
  expectPoint(graphics::apply(m, {200, 100}), {100, 75}, "aspect");
  // A larger rectangle: natural size, centred.
  m = graphics::drawingTransform(box, 0, {0, 0, 400, 300}, 0, false);
  expectPoint(graphics::apply(m, {0, 0}), {100, 100}, "no scale-up");
  expectPoint(graphics::apply(m, {200, 100}), {300, 200}, "no scale-up");
}

TEST(PdfDrawingTransform, UnusableBoxOrRectGivesIdentity) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const PdfRect unusable[] = {{0, 0, 0, 100}, {0, 0, nan, 100}, {0, 0, 100, std::numeric_limits<double>::infinity()}};
  for (const PdfRect& r : unusable) {
    const PdfMatrix fromBox = graphics::drawingTransform(r, 90, {0, 0, 10, 10}, 0, false);
    const PdfMatrix intoRect = graphics::drawingTransform({0, 0, 10, 10}, 90, r, 0, false);
    for (const PdfMatrix& m : {fromBox, intoRect}) {
      EXPECT_EQ(m.a, 1);
      EXPECT_EQ(m.b, 0);
      EXPECT_EQ(m.c, 0);
      EXPECT_EQ(m.d, 1);
      EXPECT_EQ(m.tx, 0);
      EXPECT_EQ(m.ty, 0);
    }
  }
}

TEST(PdfRects, BoxesGivenInAnyCornerOrderAreStandardizedAndIntersected) {
  const PdfRect r = graphics::standardized({200, 100, -200, -100});
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.width, 200);
  EXPECT_EQ(r.height, 100);
  const PdfRect both = graphics::intersection({0, 0, 200, 100}, {150, 50, -100, 100});
  EXPECT_EQ(both.x, 50);
  EXPECT_EQ(both.y, 50);
  EXPECT_EQ(both.width, 100);
  EXPECT_EQ(both.height, 50);
  EXPECT_FALSE(graphics::isUsable(graphics::intersection({0, 0, 10, 10}, {10, 0, 10, 10})));
}

}  // namespace

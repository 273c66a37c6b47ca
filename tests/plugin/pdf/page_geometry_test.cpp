// Where a plot window lies on a plotted page and where it goes on the exact paper: worked cases for every
// rotation, the 1 mm tolerance, the clamped content scale and the all-zero answer to impossible input.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "pdf/page_geometry.h"

namespace {

using quodl::PdfPlacement;
using quodl::PdfPlotWindow;
using quodl::PdfRect;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectRect(const PdfRect& r, double x, double y, double w, double h) {
  EXPECT_DOUBLE_EQ(r.x, x);
  EXPECT_DOUBLE_EQ(r.y, y);
  EXPECT_DOUBLE_EQ(r.width, w);
  EXPECT_DOUBLE_EQ(r.height, h);
}

bool allZero(const PdfRect& r) { return r.x == 0 && r.y == 0 && r.width == 0 && r.height == 0; }

TEST(PdfRect, ValidNeedsFiniteValuesAndPositiveSides) {
  EXPECT_TRUE((PdfRect{-5, -5, 1, 1}.valid()));
  for (const PdfRect& r : {PdfRect{}, PdfRect{0, 0, 0, 1}, PdfRect{0, 0, 1, -1}, PdfRect{kNaN, 0, 1, 1},
                           PdfRect{0, kInf, 1, 1}, PdfRect{0, 0, kInf, 1}, PdfRect{0, 0, 1, kNaN}}) {
    EXPECT_FALSE(r.valid()) << r.x << " " << r.y << " " << r.width << " " << r.height;
  }
  EXPECT_TRUE((PdfPlotWindow{210, 297, {10, 10, 50, 50}}.valid()));
  EXPECT_FALSE((PdfPlotWindow{0, 297, {10, 10, 50, 50}}.valid()));
  EXPECT_FALSE((PdfPlotWindow{210, 297, {10, 10, 0, 50}}.valid()));
  EXPECT_FALSE(PdfPlacement{}.valid());
  // A valid source and target do not make a placement without a scale.
  EXPECT_FALSE((PdfPlacement{{0, 0, 1, 1}, {0, 0, 1, 1}, 0, 0, 0}.valid()));
  EXPECT_TRUE((PdfPlacement{{0, 0, 1, 1}, {0, 0, 1, 1}, 1, 0, 0}.valid()));
  const quodl::PdfPageTarget target;
  EXPECT_EQ(target.contentScalePercent, 100.0);
  EXPECT_FALSE(target.placeWindow);
}

TEST(FitWindow, CentresTheLargestRectangleOfTheProportions) {
  expectRect(quodl::fitWindow({0, 0, 100, 50}, 10, 10), 25, 0, 50, 50);
  expectRect(quodl::fitWindow({10, 20, 100, 50}, 40, 10), 10, 32.5, 100, 25);
  for (const auto& [w, h] : {std::pair{0.0, 10.0}, {10.0, -1.0}, {kNaN, 10.0}}) {
    EXPECT_TRUE(allZero(quodl::fitWindow({0, 0, 100, 50}, w, h)));
  }
  EXPECT_TRUE(allZero(quodl::fitWindow({0, 0, 0, 50}, 10, 10)));
}

// The unturned paper's point (x, y) as it lies on the page turned `r` quarter turns clockwise.
std::pair<double, double> turned(double pw, double ph, int r, double x, double y) {
  switch (r) {
    case 1: return {y, pw - x};
    case 2: return {pw - x, ph - y};
    case 3: return {ph - y, x};
    default: return {x, y};
  }
}

TEST(UprightPrintableArea, IsThePrintableAreaTurnedWithThePaperForEveryRotation) {
  // Asymmetric margins, so that a margin landing on the wrong side shows.
  const double pw = 210, ph = 297, l = 5, b = 6, r = 7, t = 8;
  struct Case {
    int rotation;
    PdfRect expected;
  };
  const Case cases[] = {{0, {5, 6, 198, 283}},  {1, {6, 7, 283, 198}}, {2, {7, 8, 198, 283}}, {3, {8, 5, 283, 198}},
                        {-1, {8, 5, 283, 198}}, {5, {6, 7, 283, 198}}, {-6, {7, 8, 198, 283}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rotation);
    const PdfRect area = quodl::uprightPrintableArea(pw, ph, l, b, r, t, c.rotation);
    expectRect(area, c.expected.x, c.expected.y, c.expected.width, c.expected.height);
    // The same area found by turning the printable corners of the unturned paper.
    const int q = ((c.rotation % 4) + 4) % 4;
    const auto [x0, y0] = turned(pw, ph, q, l, b);
    const auto [x1, y1] = turned(pw, ph, q, pw - r, ph - t);
    expectRect(area, std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
  }
}

TEST(UprightPrintableArea, MarginsThatLeaveNothingOrAreNegativeOrNaNGiveZero) {
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(210, 297, 100, 6, 111, 8, 0)));
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(210, 297, 100, 6, 110, 8, 1)));  // exactly nothing left
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(210, 297, 5, 150, 7, 147, 0)));
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(210, 297, -0.1, 6, 7, 8, 0)));
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(210, 297, 5, 6, 7, kNaN, 2)));
  EXPECT_TRUE(allZero(quodl::uprightPrintableArea(kNaN, 297, 5, 6, 7, 8, 0)));
  expectRect(quodl::uprightPrintableArea(420, 297, 0, 0, 0, 0, 1), 0, 0, 297, 420);
}

TEST(PdfWindow, ScalesTheWindowOntoAPageWithinOneMillimetreOfThePaper) {
  const PdfPlotWindow window{210, 297, {10, 20, 100, 200}};
  expectRect(quodl::pdfWindow(window, 210, 297), 10, 20, 100, 200);
  // 1.0 mm larger is still the paper; the window stretches with it.
  expectRect(quodl::pdfWindow(window, 211, 297), 10 * 211.0 / 210, 20, 100 * 211.0 / 210, 200);
  expectRect(quodl::pdfWindow(window, 210, 296), 10, 20 * 296.0 / 297, 100, 200 * 296.0 / 297);
  EXPECT_TRUE(allZero(quodl::pdfWindow(window, 211.01, 297)));
  EXPECT_TRUE(allZero(quodl::pdfWindow(window, 210, 295.99)));
  // A page turned the other way is not the paper.
  EXPECT_TRUE(allZero(quodl::pdfWindow(window, 297, 210)));
  EXPECT_TRUE(allZero(quodl::pdfWindow(window, 0, 297)));
  EXPECT_TRUE(allZero(quodl::pdfWindow(window, kNaN, 297)));
  EXPECT_TRUE(allZero(quodl::pdfWindow(PdfPlotWindow{}, 210, 297)));
}

TEST(PlaceWindow, CentresTheWindowAtTheContentScaleOfTheFittedSize) {
  const PdfRect source{10, 20, 100, 50};
  struct Case {
    double percent;
    double scale;
  };
  // The tighter direction is the width: 400 / 100 = 4 against 300 / 50 = 6.
  const Case cases[] = {{100, 4}, {50, 2}, {0, 0.04}, {-20, 0.04}, {1, 0.04}, {250, 4}, {99.5, 3.98}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    const PdfPlacement p = quodl::placeWindow(source, 400, 300, c.percent);
    ASSERT_TRUE(p.valid());
    EXPECT_DOUBLE_EQ(p.scale, c.scale);
    const double w = 100 * c.scale, h = 50 * c.scale;
    expectRect(p.target, (400 - w) / 2, (300 - h) / 2, w, h);
    expectRect(p.source, 10, 20, 100, 50);
    // The target is the source carried by the transform.
    EXPECT_DOUBLE_EQ(source.x * p.scale + p.translateX, p.target.x);
    EXPECT_DOUBLE_EQ(source.y * p.scale + p.translateY, p.target.y);
    EXPECT_DOUBLE_EQ((source.x + source.width) * p.scale + p.translateX, p.target.x + p.target.width);
  }
  // At 100 % the window touches the page's edges in the tighter direction.
  const PdfPlacement tall = quodl::placeWindow({0, 0, 50, 100}, 400, 300, 100);
  expectRect(tall.target, 125, 0, 150, 300);
}

TEST(PlaceWindow, ImpossibleInputGivesAnInvalidPlacement) {
  const PdfRect source{10, 20, 100, 50};
  for (double percent : {kNaN, kInf, -kInf}) EXPECT_FALSE(quodl::placeWindow(source, 400, 300, percent).valid());
  EXPECT_FALSE(quodl::placeWindow(source, 0, 300, 100).valid());
  EXPECT_FALSE(quodl::placeWindow(source, 400, -1, 100).valid());
  EXPECT_FALSE(quodl::placeWindow({0, 0, 0, 10}, 400, 300, 100).valid());
  const PdfPlacement none = quodl::placeWindow(source, 400, kNaN, 100);
  EXPECT_TRUE(allZero(none.source) && allZero(none.target));
  EXPECT_EQ(none.scale, 0);
}

}  // namespace

// The renderer's parts on their own: the colour index, text codes, linetype dashes, curve paths and where a
// plot lands on the sheet.
#include <gtest/gtest.h>

#include <cmath>

#include "cad/curve_entities.h"
#include "cad/entities.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_settings.h"
#include "cad/render/colors.h"
#include "cad/render/curve_paths.h"
#include "cad/render/linetypes.h"
#include "cad/render/placement.h"
#include "cad/render/text_codes.h"

namespace {

using namespace cad::render;
using graphics::BezierPath;

TEST(RenderParts, ColourIndexPalette) {
  struct Case {
    int index;
    int r, g, b;
  };
  const Case cases[] = {
      {1, 255, 0, 0},      {2, 255, 255, 0},  {5, 0, 0, 255},       {7, 0, 0, 0},  // 7 plots black on white paper
      {8, 128, 128, 128},  {10, 255, 0, 0},   {11, 255, 127, 127},  {12, 165, 0, 0}, {20, 255, 63, 0},
      {21, 255, 159, 127}, {250, 51, 51, 51}, {255, 255, 255, 255}, {0, 0, 0, 0},    {256, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(aciColor(c.index), (cad::PenColor{static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                                                static_cast<std::uint8_t>(c.b)}));
  }
  EXPECT_EQ(nearestAci(0xFF0000), 1);
  EXPECT_EQ(nearestAci(0x0000FE), 5);
  EXPECT_EQ(nearestAci(0xFFFFFF), 7);
  EXPECT_EQ(nearestAci(0x00A000), 92);  // green at the second value of its hue
}

TextRun run(const wchar_t* text, double height, double widthFactor, std::optional<int> aci = std::nullopt,
            std::optional<std::uint32_t> rgb = std::nullopt) {
  return {text, height, widthFactor, aci, rgb};
}

TEST(RenderParts, TextCodes) {
  EXPECT_EQ(withSpecialCharacters(L"%%c50 %%p0.1 45%%d 100%%% %%uUnder%%u %%065"),
            L"\u230050 \u00B10.1 45\u00B0 100% Under A");

  struct Case {
    const wchar_t* contents;
    std::vector<std::vector<TextRun>> paragraphs;
  };
  const Case cases[] = {
      {L"plain", {{run(L"plain", 2, 1)}}},
      {L"one\\Ptwo\\P", {{run(L"one", 2, 1)}, {run(L"two", 2, 1)}, {}}},
      {L"{\\H2x;big}small", {{run(L"big", 4, 1), run(L"small", 2, 1)}}},
      {L"\\H5;five\\W0.5;narrow", {{run(L"five", 5, 1), run(L"narrow", 5, 0.5)}}},
      {L"{\\C1;red}\\c255;rgb", {{run(L"red", 2, 1, 1), run(L"rgb", 2, 1, std::nullopt, 0xFF0000)}}},
      {L"{\\fArial|b1|i0;bold}\\Lunder\\l \\Q15;x\\A1;y", {{run(L"boldunder xy", 2, 1)}}},
      {L"1\\S1/2;\\S+0.1^-0.2;", {{run(L"11/2+0.1/-0.2", 2, 1)}}},
      {L"a\\~b \\\\ \\{c\\}", {{run(L"a\u00A0b \\ {c}", 2, 1)}}},
      {L"\\H0;\\Hx;\\Hnonsense;kept", {{run(L"kept", 2, 1)}}},
      {L"dangling\\", {{run(L"dangling\\", 2, 1)}}},
      {L"%%d\\C256;x", {{run(L"\u00B0x", 2, 1)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.contents, c.contents + std::wcslen(c.contents)));
    EXPECT_EQ(mtextParagraphs(c.contents, 2, 1), c.paragraphs);
  }
}

TEST(RenderParts, LinetypesBecomeTheStrokesDashes) {
  struct Case {
    const char* name;
    std::vector<double> pattern;
    double unit;
    std::vector<double> dashes;
    double phase;
  };
  const Case cases[] = {
      {"dash and gap", {10, -5}, 1, {10, 5}, 0},
      {"in units of 2 points", {10, -5}, 2, {20, 10}, 0},
      {"dots", {0, -10}, 1, {0, 10}, 0},
      {"starting with a gap", {-2, 5}, 1, {5, 2}, 5},
      {"ending with a dash", {5, -2, 3}, 1, {8, 2}, 3},
      {"a gap at both ends", {-1, 5, -2}, 1, {5, 3}, 7},
      {"neighbours of a kind", {2, 3, -1, -1}, 1, {5, 2}, 0},
      {"continuous", {5}, 1, {}, 0},
      {"too fine to see", {0.1, -0.1}, 1, {}, 0},
      {"nothing", {}, 1, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BezierPath path;
    path.moveTo({0, 0});
    path.lineTo({100, 0});
    path.dashes = {1, 1};  // whatever it had goes
    applyLinetype(path, c.pattern, c.unit);
    EXPECT_EQ(path.dashes, c.dashes);
    EXPECT_DOUBLE_EQ(path.dashPhase, c.phase);
  }
}

TEST(RenderParts, BulgesWidthsAndMirroring) {
  // A bulge of 1 is a half circle; positive turns counter-clockwise, so from (0,0) to (10,0) it dips below.
  for (double bulge : {1.0, -1.0}) {
    SCOPED_TRACE(bulge);
    cad::Polyline pline;
    pline.vertices = {{{0, 0}, bulge}, {{10, 0}}};
    BezierPath path;
    ASSERT_TRUE(curvePath(pline, {}, path));
    const graphics::Rect bounds = path.bounds();
    EXPECT_NEAR(bulge > 0 ? bounds.minY() : bounds.maxY(), bulge > 0 ? -5 : 5, 1e-9);
    // Mirrored (x scaled by -1), the half circle keeps its side of the chord.
    BezierPath mirrored;
    ASSERT_TRUE(curvePath(pline, {-1, 0, 0, 1, 0, 0}, mirrored));
    EXPECT_NEAR(mirrored.bounds().minX(), -10, 1e-9);
    EXPECT_NEAR(bulge > 0 ? mirrored.bounds().minY() : mirrored.bounds().maxY(), bulge > 0 ? -5 : 5, 1e-9);
  }

  // One width throughout is a stroke that wide on the sheet; a taper is filled.
  cad::Polyline wide;
  wide.vertices = {{{0, 0}}, {{10, 0}}};
  wide.constantWidth = 2;
  WidePolyline shape;
  ASSERT_TRUE(widePolyline(wide, {3, 0, 0, 3, 0, 0}, shape));
  EXPECT_DOUBLE_EQ(shape.strokeWidth, 6);
  cad::Polyline taper;
  taper.vertices = {{{0, 0}, 0, 4, 0}, {{10, 0}}};
  WidePolyline arrow;
  ASSERT_TRUE(widePolyline(taper, {}, arrow));
  EXPECT_EQ(arrow.strokeWidth, 0);
  const graphics::Rect filled = arrow.fill.bounds();
  EXPECT_NEAR(filled.minY(), -2, 1e-9);
  EXPECT_NEAR(filled.maxY(), 2, 1e-9);
  EXPECT_NEAR(filled.maxX(), 10, 1e-9);
  cad::Polyline thin;
  thin.vertices = {{{0, 0}}, {{10, 0}}};
  EXPECT_FALSE(widePolyline(thin, {}, arrow));
}

// A circle far larger than the sheet is drawn only where it crosses the part that shows, within the chord
// tolerance of the true curve; one that shows whole is drawn whole and closed.
TEST(RenderParts, CurvesAreDrawnOnlyWhereTheyReachTheSheet) {
  const graphics::Rect reach{0, 0, 1190, 842};  // A3 in points
  cad::Circle huge;
  huge.center = {1e12 + 100, 400, 0};
  huge.radius = 1e12;  // passes x = 100 upright across the sheet
  cad::Circle offSheet;
  offSheet.center = {1e12 + 5000, 400, 0};
  offSheet.radius = 1e12;
  cad::Circle partly;
  partly.center = {1000, 400, 0};
  partly.radius = 600;
  cad::Circle inside;
  inside.center = {500, 400, 0};
  inside.radius = 300;
  cad::Arc hugeArc;
  hugeArc.center = {600, -1e12, 0};
  hugeArc.radius = 1e12;
  hugeArc.startAngle = 1.5;
  hugeArc.endAngle = 1.7;  // its top crosses the sheet at y = 0
  cad::Ellipse hugeEllipse;
  hugeEllipse.center = {600, 400 - 1e9, 0};
  hugeEllipse.majorAxis = {1e12, 0, 0};
  hugeEllipse.radiusRatio = 1e-3;  // its top runs along y = 400
  struct Case {
    const char* name;
    const cad::Entity& entity;
    cad::Point3d centre;
    double rx, ry;  // the true curve: ((x - cx) / rx)² + ((y - cy) / ry)² = 1
    std::size_t mostCurves;
    bool closed;
  };
  const Case cases[] = {
      {"a circle of radius 1e12 across the sheet", huge, huge.center, 1e12, 1e12, 2, false},
      {"one beside the sheet", offSheet, offSheet.center, 1e12, 1e12, 0, false},
      {"a circle partly off the sheet", partly, partly.center, 600, 600, 64, false},
      {"a circle on the sheet", inside, inside.center, 300, 300, 64, true},
      {"an arc of radius 1e12 across the sheet", hugeArc, hugeArc.center, 1e12, 1e12, 2, false},
      {"an ellipse of 1e12 by 1e9 along the sheet", hugeEllipse, hugeEllipse.center, 1e12, 1e9, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BezierPath path;
    curvePath(c.entity, {}, path, &reach);
    std::size_t curves = 0;
    bool closed = false;
    graphics::Point current;
    // How far a point strays from the true curve, in points (along the normal, to first order).
    const auto stray = [&](graphics::Point p) {
      const double dx = (p.x - c.centre.x) / c.rx, dy = (p.y - c.centre.y) / c.ry;
      const double gradient = std::hypot(2 * dx / c.rx, 2 * dy / c.ry);
      return std::fabs(dx * dx + dy * dy - 1) / gradient;
    };
    for (const BezierPath::Element& e : path.elements()) {
      if (e.kind == BezierPath::Element::Kind::close) closed = true;
      if (e.kind != BezierPath::Element::Kind::curveTo) {
        if (e.kind != BezierPath::Element::Kind::close) current = e.points[0];
        continue;
      }
      ++curves;
      const graphics::Point end = e.points[2];
      // Each piece ends near the sheet, and its middle stays within the tolerance of the curve.
      EXPECT_TRUE(end.x > -100 && end.x < 1290 && end.y > -100 && end.y < 942) << end.x << ", " << end.y;
      const graphics::Point middle{(current.x + 3 * e.points[0].x + 3 * e.points[1].x + end.x) / 8,
                                   (current.y + 3 * e.points[0].y + 3 * e.points[1].y + end.y) / 8};
      EXPECT_LT(stray(middle), kSheetFlatness + 0.01);
      EXPECT_LT(stray(end), 0.01);
      current = end;
    }
    EXPECT_LE(curves, c.mostCurves);
    if (c.mostCurves > 0) {
      EXPECT_GT(curves, 0u);
    }
    EXPECT_EQ(closed, c.closed);
  }
}

TEST(RenderParts, StandardScales) {
  EXPECT_FALSE(standardScale(0));  // scale to fit
  EXPECT_EQ(*standardScale(16), 1);
  EXPECT_EQ(*standardScale(27), 0.01);     // 1:100
  EXPECT_EQ(*standardScale(8), 1.0 / 48);  // 1/4" = 1'
  EXPECT_EQ(*standardScale(34), 1.0 / 8);  // 1 1/2" = 1'
  EXPECT_EQ(*standardScale(33), 1000);
  EXPECT_FALSE(standardScale(35));
  EXPECT_FALSE(standardScale(-1));
}

TEST(RenderParts, PlotPlacement) {
  cad::PlotSettings s;
  s.paperWidthMm = 420;
  s.paperHeightMm = 297;
  s.marginLeft = 5, s.marginBottom = 6, s.marginRight = 7, s.marginTop = 8;
  const cad::PageTarget target = cad::pageTargetFor(s);
  constexpr double kPt = 72.0 / 25.4;

  // Scale to fit, centred: a 200 × 100 window fills the printable width (408 mm) and sits in the middle.
  s.useStdScale = true;
  s.standardScaleType = 0;
  s.centered = true;
  auto fit = placePlot(s, target, {0, 0, 200, 100}, false);
  ASSERT_TRUE(fit);
  EXPECT_NEAR(fit->paperUnitsPerUnit, 408.0 / 200, 1e-9);
  const graphics::Point middle = fit->plotToSheet.apply(graphics::Point{100, 50});
  EXPECT_NEAR(middle.x, (5 + 408.0 / 2) * kPt, 1e-6);
  EXPECT_NEAR(middle.y, (6 + 283.0 / 2) * kPt, 1e-6);

  // 1:100 in millimetres, not centred: the window's corner at the plot origin, from the printable corner.
  s.standardScaleType = 27;
  s.centered = false;
  s.plotOrigin = {10, 20};
  auto hundred = placePlot(s, target, {1000, 2000, 5000, 4000}, false);
  ASSERT_TRUE(hundred);
  const graphics::Point corner = hundred->plotToSheet.apply(graphics::Point{1000, 2000});
  EXPECT_NEAR(corner.x, (5 + 10) * kPt, 1e-6);
  EXPECT_NEAR(corner.y, (6 + 20) * kPt, 1e-6);
  EXPECT_NEAR(hundred->pointsPerUnit, 0.01 * kPt, 1e-12);
  // A layout plot is placed by paper space's origin.
  auto layout = placePlot(s, target, {-5, -6, 415, 291}, true);
  ASSERT_TRUE(layout);
  EXPECT_NEAR(layout->plotToSheet.apply(graphics::Point{0, 0}).x, 15 * kPt, 1e-6);

  // A custom scale in inches: one paper inch for four drawing units.
  s.useStdScale = false;
  s.customScaleNumerator = 1;
  s.customScaleDenominator = 4;
  s.paperUnits = cad::PlotPaperUnits::kInches;
  auto inches = placePlot(s, target, {0, 0, 10, 10}, false);
  ASSERT_TRUE(inches);
  EXPECT_NEAR(inches->pointsPerUnit, 18, 1e-12);

  // A custom scale of nothing fits the area; an area of no width cannot be fitted.
  s.customScaleNumerator = 0;
  auto fallback = placePlot(s, target, {0, 0, 10, 10}, false);
  ASSERT_TRUE(fallback);
  EXPECT_NEAR(fallback->pointsPerUnit, 283.0 / 10 * kPt, 1e-9);
  EXPECT_FALSE(placePlot(s, target, {3, 3, 3, 9}, false));
}

}  // namespace

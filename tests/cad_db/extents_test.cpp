// Extents of the plain entity kinds: curves with bulges and object coordinates, texts by the metric estimate.
#include <cmath>
#include <limits>
#include <numbers>

#include "test_support.h"

using namespace cad;
using cadtest::expectBox;
using cadtest::extentsOf;

namespace {

constexpr double kPi = std::numbers::pi;

std::unique_ptr<Polyline> polyline(std::vector<Polyline::Vertex> vertices, bool closed) {
  auto p = std::make_unique<Polyline>();
  p->vertices = std::move(vertices);
  p->closed = closed;
  return p;
}

}  // namespace

TEST(Extents, LineAndViewportAreBoxesOfTheirPoints) {
  Line line;
  line.start = {10, -5, 0};
  line.end = {-3, 7, 2};
  auto box = extentsOf(line);
  expectBox(box, -3, -5, 10, 7);
  EXPECT_EQ(box.maxPoint.z, 2);

  Viewport viewport;
  viewport.center = {100, 50, 0};
  viewport.width_ = 40;
  viewport.height_ = 20;
  expectBox(extentsOf(viewport), 80, 40, 120, 60);
}

TEST(Extents, PolylineBulgesAddTheirArcs) {
  struct Case {
    const char* name;
    std::vector<Polyline::Vertex> vertices;
    bool closed;
    double x0, y0, x1, y1;
  };
  const Case cases[] = {
      // A positive bulge of 1 is a counter-clockwise half circle: from (0,0) to (10,0) it dips below.
      {"half circle below", {{{0, 0}, 1}, {{10, 0}}}, false, 0, -5, 10, 0},
      {"negative bulge bulges above", {{{0, 0}, -1}, {{10, 0}}}, false, 0, 0, 10, 5},
      // The last vertex's bulge only counts when the polyline is closed.
      {"closing segment open", {{{0, 0}}, {{10, 0}}, {{10, 10}, 1}}, false, 0, 0, 10, 10},
      {"closing segment closed", {{{0, 0}}, {{10, 0}}, {{10, 10}, 1}}, true, -2.0710678, 0, 10, 12.0710678},
      // A quarter arc (bulge tan(22.5°)) from (10,0) to (0,10) about the origin reaches no extreme beyond its ends.
      {"quarter arc", {{{10, 0}, std::tan(kPi / 8)}, {{0, 10}}}, false, 0, 0, 10, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    expectBox(extentsOf(*polyline(c.vertices, c.closed)), c.x0, c.y0, c.x1, c.y1);
  }
}

TEST(Extents, PolylineInObjectCoordinatesOfItsNormal) {
  // Normal -Z mirrors X: object (10, 5) is world (-10, 5); the elevation becomes -z.
  auto p = polyline({{{0, 0}}, {{10, 5}}}, false);
  p->normal = {0, 0, -1};
  p->elevation = 3;
  auto box = extentsOf(*p);
  expectBox(box, -10, 0, 0, 5);
  EXPECT_NEAR(box.minPoint.z, -3, 1e-12);
  Point3d world;
  ASSERT_EQ(p->getPointAt(1, world), eOk);
  EXPECT_NEAR(world.x, -10, 1e-12);
}

TEST(Extents, CirclesAndArcsAreExact) {
  Circle circle;
  circle.center = {5, 5, 0};
  circle.radius = 2;
  expectBox(extentsOf(circle), 3, 3, 7, 7);

  struct Case {
    double start, end;
    double x0, y0, x1, y1;
  };
  // Radius 10 about the origin; angles in degrees.
  const Case cases[] = {
      {0, 90, 0, 0, 10, 10},
      {350, 10, 9.8480775, -1.7364818, 10, 1.7364818},  // crosses 0°
      {90, 270, -10, -10, 0, 10},
      {45, 45, -10, -10, 10, 10},  // equal angles: a whole turn
  };
  for (const auto& c : cases) {
    Arc arc;
    arc.radius = 10;
    arc.startAngle = c.start * kPi / 180;
    arc.endAngle = c.end * kPi / 180;
    SCOPED_TRACE(c.start);
    expectBox(extentsOf(arc), c.x0, c.y0, c.x1, c.y1, 1e-6);
  }

  // An arc of a plane seen from below runs clockwise in world terms: 0..90° lies at world x ≤ 0.
  Arc mirrored;
  mirrored.radius = 10;
  mirrored.normal = {0, 0, -1};
  mirrored.endAngle = kPi / 2;
  expectBox(extentsOf(mirrored), -10, 0, 0, 10, 1e-9);
}

TEST(Extents, LegacyPolylineSkipsSplineFrameVertices) {
  auto db = Database::createDefault();
  auto pline = std::make_unique<Polyline2d>();
  Polyline2d* raw = pline.get();
  const ObjectId id = db->appendEntity(db->modelSpaceId(), std::move(pline));
  const double points[][3] = {{0, 0, 0}, {10, 0, 0}, {500, 500, 16}, {10, 10, 0}};  // x, y, flags
  for (const auto& p : points) {
    auto vertex = std::make_unique<Vertex2d>();
    vertex->position = {p[0], p[1], 0};
    vertex->vertexFlags = static_cast<int>(p[2]);
    raw->vertexIds.push_back(db->addObject(std::move(vertex), id));
  }
  expectBox(extentsOf(*raw), 0, 0, 10, 10);
  double area = 0;
  raw->closed = true;
  ASSERT_EQ(raw->getArea(area), eOk);
  EXPECT_NEAR(area, 50, 1e-9);
}

TEST(Extents, TextByFontMetricEstimate) {
  struct Case {
    const char* name;
    std::wstring contents;
    int h, v;
    double rotationDegrees, widthFactor;
    double x0, y0, x1, y1;
  };
  // Height 10 at position (0,0) / alignment (100,100): Latin 6 wide per character, CJK 8.
  const Case cases[] = {
      {"latin left baseline", L"ABCD", 0, 0, 0, 1, 0, 0, 24, 10},
      {"cjk", L"图框", 0, 0, 0, 1, 0, 0, 16, 10},
      {"width factor", L"AB", 0, 0, 0, 2, 0, 0, 24, 10},
      {"special characters count once", L"%%c50%%u", 0, 0, 0, 1, 0, 0, 18, 10},
      {"centred on alignment", L"ABCD", 1, 0, 0, 1, 88, 100, 112, 110},
      {"right top", L"ABCD", 2, 3, 0, 1, 76, 90, 100, 100},
      {"middle", L"ABCD", 4, 0, 0, 1, 88, 95, 112, 105},
      {"rotated a quarter turn", L"ABCD", 0, 0, 90, 1, -10, 0, 0, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Text text;
    text.contents = c.contents;
    text.height = 10;
    text.position = {0, 0, 0};
    text.alignment = {100, 100, 0};
    text.horizontalMode = c.h;
    text.verticalMode = c.v;
    text.rotation = c.rotationDegrees * kPi / 180;
    text.widthFactor = c.widthFactor;
    expectBox(extentsOf(text), c.x0, c.y0, c.x1, c.y1, 1e-9);
  }
  Text empty;
  Extents3d box;
  EXPECT_EQ(empty.getGeomExtents(box), eInvalidExtents);
}

TEST(Extents, AlignedTextSpansItsTwoPoints) {
  Text text;
  text.contents = L"ABCDE";  // natural width 30 at height 10
  text.height = 10;
  text.horizontalMode = 3;
  text.position = {0, 0, 0};
  text.alignment = {60, 0, 0};
  expectBox(extentsOf(text), 0, 0, 60, 20, 1e-9);  // aligned keeps the aspect: twice as long, twice as high
  text.horizontalMode = 5;
  expectBox(extentsOf(text), 0, 0, 60, 10, 1e-9);  // fit keeps the height
}

TEST(Extents, MTextLinesWrappingAndAttachment) {
  MText text;
  text.textHeight = 10;
  text.location = {0, 0, 0};
  // Formatting codes show nothing; \P breaks lines; two lines are 10 + 5/3·10 high.
  text.contents = L"{\\fArial|b1;\\H2x;ABCD}\\PAB";
  expectBox(extentsOf(text), 0, -26.666666667, 24, 0, 1e-6);

  text.attachment = 9;  // bottom right
  expectBox(extentsOf(text), -24, 0, 0, 26.666666667, 1e-6);

  text.attachment = 1;
  text.contents = L"ABCDEFGHIJ";  // 60 wide, wrapped at 25: three lines
  text.width = 25;
  expectBox(extentsOf(text), 0, -43.333333333, 25, 0, 1e-6);

  text.contents = L"{\\C1;}";
  Extents3d box;
  EXPECT_EQ(text.getGeomExtents(box), eInvalidExtents);
}

TEST(Extents, HatchLoopsInTheirPlane) {
  Hatch hatch;
  hatch.loops = {{{0, 0}, {10, 0}, {10, 5}}, {{-5, -5}, {-4, -4}}};
  expectBox(extentsOf(hatch), -5, -5, 10, 5);
  hatch.loops.clear();
  Extents3d box;
  EXPECT_EQ(hatch.getGeomExtents(box), eInvalidExtents);
}

TEST(Extents, NonFiniteGeometryHasNoExtents) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Line line;
  line.end = {nan, 0, 0};
  Circle circle;
  circle.radius = inf;
  auto pline = polyline({{{0, 0}, nan}, {{1, 1}}}, false);
  Viewport viewport;
  viewport.width_ = inf;
  const Entity* entities[] = {&line, &circle, pline.get(), &viewport};
  for (const Entity* e : entities) {
    Extents3d box;
    box.addPoint({1, 2, 3});
    EXPECT_EQ(e->getGeomExtents(box), eInvalidExtents) << cadtest::utf8(e->isA()->name());
    EXPECT_EQ(box.minPoint.x, 1);  // a failed call leaves the caller's box alone
  }
}

TEST(Extents, FaultHookFailsTheCall) {
  Line line;
  line.end = {1, 1, 0};
  line.entityFaults.extents = true;
  Extents3d box;
  EXPECT_NE(line.getGeomExtents(box), eOk);
}

TEST(Area, PolylineWithBulgesAndCircle) {
  // Two half circles of radius 5 make a full circle: counter-clockwise, so positive.
  auto round = polyline({{{0, 0}, 1}, {{10, 0}, 1}}, true);
  double area = 0;
  ASSERT_EQ(round->getArea(area), eOk);
  EXPECT_NEAR(area, 25 * kPi, 1e-9);
  EXPECT_FALSE(round->isOnlyLines());

  auto square = polyline({{{0, 0}}, {{0, 10}}, {{10, 10}}, {{10, 0}}}, true);  // clockwise
  ASSERT_EQ(square->getArea(area), eOk);
  EXPECT_NEAR(area, -100, 1e-9);
  EXPECT_TRUE(square->isOnlyLines());

  Circle circle;
  circle.radius = 2;
  ASSERT_EQ(circle.getArea(area), eOk);
  EXPECT_NEAR(area, 4 * kPi, 1e-12);

  square->entityFaults.area = true;
  EXPECT_NE(square->getArea(area), eOk);
  Line line;
  EXPECT_NE(line.getArea(area), eOk);
}

// Which single polylines on a layout are rectangles.

#include "recognition/layout/layout_rectangles.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace {

using recognition_test::Corner;
using recognition_test::DrawingFixture;

struct PolylineCase {
  const char* what;
  std::vector<Corner> points;
  bool closedFlag;
  bool rectangle;
  bool closedByGeometry;
};

TEST(PaperRectanglePolyline, TellsRectanglesFromOtherOutlines) {
  const PolylineCase cases[] = {
      {"closed four corners", {{0, 0}, {420, 0}, {420, 297}, {0, 297}}, true, true, false},
      {"open, fifth vertex on the first", {{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}}, false, true, true},
      {"closed, fifth vertex on the first", {{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}}, true, true, false},
      {"open, three sides drawn", {{0, 0}, {420, 0}, {420, 297}, {0, 297}}, false, false, false},
      {"open, fifth vertex elsewhere", {{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 10}}, false, false, false},
      {"clockwise from the top left", {{0, 297}, {420, 297}, {420, 0}, {0, 0}}, true, true, false},
      {"corner repeated (a bow tie)", {{0, 0}, {420, 297}, {420, 0}, {0, 297}}, true, false, false},
      {"turned by 10 degrees", {{0, 0}, {413.6, 72.9}, {362.0, 365.4}, {-51.6, 292.5}}, true, false, false},
      {"three vertices", {{0, 0}, {420, 0}, {420, 297}}, true, false, false},
      {"six vertices", {{0, 0}, {200, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}}, true, false, false},
      {"flat", {{0, 0}, {420, 0}, {420, 0}, {0, 0}}, true, false, false},
      {"corners within the tolerance", {{0, 0}, {420.00001, 0}, {420, 297.00002}, {0.00001, 297}}, true, true, false},
  };
  DrawingFixture d;
  for (const PolylineCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto& polyline = d.object<cad::Polyline>(d.polyline(c.points, c.closedFlag));
    bool closedByGeometry = !c.closedByGeometry;
    EXPECT_EQ(vexBatchIsPaperRectanglePolyline(&polyline, &closedByGeometry), c.rectangle);
    EXPECT_EQ(closedByGeometry, c.closedByGeometry);
  }
}

TEST(PaperRectanglePolyline, AnArcOrAnUnreadableVertexIsNoRectangle) {
  DrawingFixture d;
  auto& arc = d.object<cad::Polyline>(d.rectangle(0, 0, 420, 297));
  arc.vertices[1].bulge = 0.2;
  EXPECT_FALSE(vexBatchIsPaperRectanglePolyline(&arc, nullptr));
  auto& unreadable = d.object<cad::Polyline>(d.rectangle(0, 0, 420, 297));
  unreadable.failVertexReads = {2};
  EXPECT_FALSE(vexBatchIsPaperRectanglePolyline(&unreadable, nullptr));
  EXPECT_FALSE(vexBatchIsPaperRectanglePolyline(nullptr, nullptr));
}

TEST(LegacyRectangle, AcceptsOnlyClosedStraightFourSidedOutlinesThatFillTheirBox) {
  struct Case {
    const char* what;
    std::vector<Corner> points;
    bool closed;
    std::vector<double> bulges;
    bool rectangle;
  };
  const std::vector<Corner> box{{0, 0}, {420, 0}, {420, 297}, {0, 297}};
  const Case cases[] = {
      {"closed rectangle", box, true, {}, true},
      {"a bulge of 1e-10 is straight", box, true, {0, 1e-10, 0, 0}, true},
      {"a bulge of 1e-8 is an arc", box, true, {0, 1e-8, 0, 0}, false},
      {"not closed", box, false, {}, false},
      {"fifth vertex on the first", {{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}}, true, {}, true},
      {"six vertices", {{0, 0}, {200, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 1}}, true, {}, false},
      {"a triangle's area misses the box", {{0, 0}, {420, 0}, {420, 297}, {0, 0.5}}, true, {}, false},
      {"wider than 2000", {{0, 0}, {2001, 0}, {2001, 297}, {0, 297}}, true, {}, false},
  };
  DrawingFixture d;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cad::ObjectId id = d.legacyPolyline(c.points, c.closed, c.bulges);
    EXPECT_EQ(vexBatchIsLegacyRectangle(&d.object<cad::Entity>(id)), c.rectangle);
  }
  EXPECT_TRUE(d.db().openObjects().empty());
}

TEST(LegacyRectangle, AVertexOrAnAreaThatCannotBeReadEndsTheTest) {
  DrawingFixture d;
  const std::vector<Corner> box{{0, 0}, {420, 0}, {420, 297}, {0, 297}};
  auto& vertexFails = d.object<cad::Polyline2d>(d.legacyPolyline(box, true));
  d.object<cad::Vertex2d>(vertexFails.vertexIds[2]).faults.open = true;
  EXPECT_FALSE(vexBatchIsLegacyRectangle(&vertexFails));
  auto& areaFails = d.object<cad::Polyline2d>(d.legacyPolyline(box, true));
  areaFails.entityFaults.area = true;
  EXPECT_FALSE(vexBatchIsLegacyRectangle(&areaFails));
  EXPECT_FALSE(vexBatchIsLegacyRectangle(&d.object<cad::Entity>(d.rectangle(0, 0, 420, 297))));
  EXPECT_TRUE(d.db().openObjects().empty());
}

}  // namespace

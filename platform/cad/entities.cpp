#include "cad/entities.h"

#include <cmath>
#include <numbers>

#include "cad/rx_class_definition.h"

namespace cad {
namespace {

// Signed area of a closed chain of vertices with bulges: the shoelace sum plus each bulge's circular segment.
double bulgedArea(const std::vector<Point2d>& points, const std::vector<double>& bulges) {
  const std::size_t n = points.size();
  double area = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point2d& a = points[i];
    const Point2d& b = points[(i + 1) % n];
    area += (a.x * b.y - b.x * a.y) / 2;
    const double bulge = bulges[i];
    if (bulge == 0) continue;
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    const double theta = 4 * std::atan(bulge);
    const double sine = std::sin(theta / 2);
    if (chord == 0 || sine == 0) continue;
    const double r = chord / (2 * std::fabs(sine));
    // The segment lies outside the chord for a counter-clockwise bulge on a counter-clockwise chain.
    area += r * r / 2 * (theta - std::sin(theta));
  }
  return area;
}

}  // namespace

const Name& standardStyle() {
  static const Name standard(L"Standard");
  return standard;
}

ErrorStatus Curve::getArea(double& area) const {
  if (entityFaults.area) return eNotApplicable;
  area = 0;
  return eNotApplicable;
}

bool Polyline::isOnlyLines() const {
  for (const auto& v : vertices) {
    if (v.bulge != 0) return false;
  }
  return true;
}

ErrorStatus Polyline::getPointAt(unsigned index, Point3d& pt) const {
  Point2d p;
  const ErrorStatus es = getPointAt(index, p);
  if (es != eOk) return es;
  pt = Matrix3d::planeToWorld(normal).apply({p.x, p.y, elevation});
  return eOk;
}

ErrorStatus Polyline::getPointAt(unsigned index, Point2d& pt) const {
  if (index >= vertices.size()) return eOutOfRange;
  for (unsigned failing : failVertexReads) {
    if (failing == index) return eInvalidIndex;
  }
  pt = vertices[index].pt;
  return eOk;
}

ErrorStatus Polyline::getBulgeAt(unsigned index, double& bulge) const {
  if (index >= vertices.size()) return eOutOfRange;
  bulge = vertices[index].bulge;
  return eOk;
}

ErrorStatus Polyline::getArea(double& area) const {
  if (entityFaults.area) return eNotApplicable;
  std::vector<Point2d> points;
  std::vector<double> bulges;
  for (const auto& v : vertices) {
    points.push_back(v.pt);
    bulges.push_back(v.bulge);
  }
  area = bulgedArea(points, bulges);
  return eOk;
}

ErrorStatus Polyline2d::getArea(double& area) const {
  if (entityFaults.area) return eNotApplicable;
  const ObjectStore* store = objectStore();
  if (store == nullptr) return eNotApplicable;
  std::vector<Point2d> points;
  std::vector<double> bulges;
  for (ObjectId id : vertexIds) {
    auto* v = Vertex2d::cast(store->objectAt(id));
    if (v == nullptr || v->isErased() || (v->vertexFlags & 16) != 0) continue;
    points.push_back({v->position.x, v->position.y});
    bulges.push_back(v->bulge());
  }
  area = bulgedArea(points, bulges);
  return eOk;
}

ErrorStatus Circle::getArea(double& area) const {
  if (entityFaults.area) return eNotApplicable;
  area = std::numbers::pi * radius * radius;
  return eOk;
}

QUODL_RX_CLASS(Line, L"AcDbLine")
QUODL_RX_CLASS(Polyline, L"AcDbPolyline")
QUODL_RX_CLASS(Vertex2d, L"AcDb2dVertex")
QUODL_RX_CLASS(Polyline2d, L"AcDb2dPolyline")
QUODL_RX_CLASS(Circle, L"AcDbCircle")
QUODL_RX_CLASS(Arc, L"AcDbArc")
QUODL_RX_CLASS(Text, L"AcDbText")
QUODL_RX_CLASS(AttributeReference, L"AcDbAttribute")
QUODL_RX_CLASS(MText, L"AcDbMText")
QUODL_RX_CLASS(BlockReference, L"AcDbBlockReference")
QUODL_RX_CLASS(Viewport, L"AcDbViewport")
QUODL_RX_CLASS(Hatch, L"AcDbHatch")

}  // namespace cad

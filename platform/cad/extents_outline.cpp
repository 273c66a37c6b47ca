#include "cad/extents_outline.h"

#include <cmath>
#include <numbers>

#include "cad/annotation_entities.h"

namespace cad {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

Point3d at(const ArcPiece& a, double t) {
  const double c = std::cos(t), s = std::sin(t);
  return {a.c.x + a.u.x * c + a.v.x * s, a.c.y + a.u.y * c + a.v.y * s, a.c.z + a.u.z * c + a.v.z * s};
}

bool withinSweep(const ArcPiece& a, double t) {
  if (!(a.sweep < kTwoPi)) return true;
  double d = std::fmod(t - a.t0, kTwoPi);
  if (d < 0) d += kTwoPi;
  return d <= a.sweep || d >= kTwoPi - 1e-12;
}

}  // namespace

ArcPiece planeArc(const Point3d& centre, double r, const Vector3d& normal, double t0, double sweep) {
  const Matrix3d plane = Matrix3d::planeToWorld(normal);
  return {centre, applyLinear(plane, {r, 0, 0}), applyLinear(plane, {0, r, 0}), t0, sweep};
}

bool bulgeArc(const Point2d& p1, const Point2d& p2, double bulge, double z, ArcPiece& out) {
  const double dx = p2.x - p1.x, dy = p2.y - p1.y;
  const double chord = std::hypot(dx, dy);
  if (chord == 0) return false;
  const double theta = 4 * std::atan(bulge);
  // Signed distance from the chord's midpoint to the centre, along the chord's left normal.
  const double d = (chord / 2) / std::tan(theta / 2);
  const double cx = (p1.x + p2.x) / 2 - dy / chord * d;
  const double cy = (p1.y + p2.y) / 2 + dx / chord * d;
  const double r = std::hypot(p1.x - cx, p1.y - cy);
  const double a1 = std::atan2(p1.y - cy, p1.x - cx);
  const double a2 = std::atan2(p2.y - cy, p2.x - cx);
  // A negative bulge runs clockwise: the same arc counter-clockwise from the end vertex.
  out = {{cx, cy, z}, {r, 0, 0}, {0, r, 0}, bulge > 0 ? a1 : a2, std::fabs(theta)};
  return true;
}

namespace {

struct PlaneVertex {
  Point2d pt;
  double bulge;
};

void outlineOfVertices(const std::vector<PlaneVertex>& vertices, bool closed, double elevation,
                       const Vector3d& normal, OutlineSink& sink) {
  const Matrix3d plane = Matrix3d::planeToWorld(normal);
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const PlaneVertex& v = vertices[i];
    sink.point(plane.apply({v.pt.x, v.pt.y, elevation}));
    const bool lastSegment = i + 1 == n;
    // A bulge too small to matter would give a centre far away and an arc lost in rounding: a straight segment.
    if (std::fabs(v.bulge) < 1e-9 || (lastSegment && !closed)) continue;
    ArcPiece arc;
    if (bulgeArc(v.pt, vertices[lastSegment ? 0 : i + 1].pt, v.bulge, elevation, arc)) {
      sink.arc(transformed(arc, plane));
    }
  }
}

void outlineOfPolyline(const Polyline& pline, OutlineSink& sink) {
  std::vector<PlaneVertex> vertices;
  vertices.reserve(pline.vertices.size());
  for (const auto& v : pline.vertices) vertices.push_back({v.pt, v.bulge});
  outlineOfVertices(vertices, pline.closed, pline.elevation, pline.normal, sink);
}

void outlineOfPolyline2d(const Polyline2d& pline, OutlineSink& sink) {
  const ObjectStore* store = pline.objectStore();
  if (store == nullptr) return;
  std::vector<PlaneVertex> vertices;
  for (ObjectId id : pline.vertexIds) {
    auto* vertex = Vertex2d::cast(store->objectAt(id));
    // Spline frame control points (flag 16) shape the curve but are not on it.
    if (vertex == nullptr || vertex->isErased() || (vertex->vertexFlags & 16) != 0) continue;
    vertices.push_back({{vertex->position.x, vertex->position.y}, vertex->bulge()});
  }
  outlineOfVertices(vertices, pline.closed, pline.elevation, pline.normal, sink);
}

void outlineOfViewport(const Viewport& viewport, OutlineSink& sink) {
  const double hw = viewport.width() / 2, hh = viewport.height() / 2;
  const Point3d c = viewport.centerPoint();
  for (double sx : {-1.0, 1.0}) {
    for (double sy : {-1.0, 1.0}) sink.point({c.x + sx * hw, c.y + sy * hh, c.z});
  }
}

void outlineOfHatch(const Hatch& hatch, OutlineSink& sink) {
  const Matrix3d plane = Matrix3d::planeToWorld(hatch.normal);
  for (const auto& loop : hatch.loops) {
    for (const auto& p : loop) sink.point(plane.apply({p.x, p.y, hatch.elevation}));
  }
}

}  // namespace

double arcSweep(double start, double end) {
  double sweep = std::fmod(end - start, kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;  // equal angles: a whole turn
  return sweep;
}

Vector3d applyLinear(const Matrix3d& m, const Vector3d& v) {
  return {m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z, m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
          m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
}

ArcPiece transformed(const ArcPiece& a, const Matrix3d& m) {
  return {m.apply(a.c), applyLinear(m, a.u), applyLinear(m, a.v), a.t0, a.sweep};
}

void addArcBox(const ArcPiece& a, Extents3d& box) {
  box.addPoint(at(a, a.t0));
  box.addPoint(at(a, a.t0 + a.sweep));
  const double us[3] = {a.u.x, a.u.y, a.u.z};
  const double vs[3] = {a.v.x, a.v.y, a.v.z};
  for (int k = 0; k < 3; ++k) {
    if (us[k] == 0 && vs[k] == 0) continue;
    // u·cos t + v·sin t peaks at atan2(v, u) and bottoms half a turn later.
    const double peak = std::atan2(vs[k], us[k]);
    for (double t : {peak, peak + std::numbers::pi}) {
      if (withinSweep(a, t)) box.addPoint(at(a, t));
    }
  }
}

void BoxSink::point(const Point3d& p) { box_.addPoint(transform_ ? transform_->apply(p) : p); }

void BoxSink::arc(const ArcPiece& a) { addArcBox(transform_ ? transformed(a, *transform_) : a, box_); }

void outlineOf(const Entity& entity, OutlineSink& sink) {
  switch (entity.kind()) {
    case ObjectKind::kLine: {
      const auto& line = static_cast<const Line&>(entity);
      sink.point(line.start);
      sink.point(line.end);
      break;
    }
    case ObjectKind::kPolyline: outlineOfPolyline(static_cast<const Polyline&>(entity), sink); break;
    case ObjectKind::kPolyline2d: outlineOfPolyline2d(static_cast<const Polyline2d&>(entity), sink); break;
    case ObjectKind::kCircle: {
      const auto& circle = static_cast<const Circle&>(entity);
      sink.arc(planeArc(circle.center, circle.radius, circle.normal, 0, kTwoPi));
      break;
    }
    case ObjectKind::kArc: {
      const auto& arc = static_cast<const Arc&>(entity);
      sink.arc(planeArc(arc.center, arc.radius, arc.normal, arc.startAngle, arcSweep(arc.startAngle, arc.endAngle)));
      break;
    }
    case ObjectKind::kText:
    case ObjectKind::kAttributeReference: outlineOfText(static_cast<const Text&>(entity), sink); break;
    case ObjectKind::kAttributeDefinition:
      outlineOfAttributeDefinition(static_cast<const AttributeDefinition&>(entity), sink);
      break;
    case ObjectKind::kMText: outlineOfMText(static_cast<const MText&>(entity), sink); break;
    case ObjectKind::kViewport: outlineOfViewport(static_cast<const Viewport&>(entity), sink); break;
    case ObjectKind::kHatch: outlineOfHatch(static_cast<const Hatch&>(entity), sink); break;
    default: outlineOfOtherKind(entity, sink); break;
  }
}

namespace {
ErrorStatus boxOf(const Entity& entity, Extents3d& e) {
  BoxSink sink(e);
  outlineOf(entity, sink);
  return e.isEmpty() ? eInvalidExtents : eOk;
}
}  // namespace

ErrorStatus Line::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Polyline::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Polyline2d::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Circle::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Arc::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Text::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus MText::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Viewport::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Hatch::computeExtents(Extents3d& e) const { return boxOf(*this, e); }

}  // namespace cad

#include "cad/render/curve_paths.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "cad/curve_entities.h"
#include "cad/drawn_work.h"
#include "cad/extents_outline.h"
#include "cad/solid_entities.h"

namespace cad::render {
namespace {

using graphics::AffineTransform;
using graphics::BezierPath;
using graphics::Point;

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMostSplineSamplesPerSpan = 1024;

// Curves are drawn within this many points of the part of the sheet that shows: wider than any pen.
constexpr double kReachMargin = 72;

// Drawing coordinates onto the sheet, and the part of the sheet that shows (null: all of it).
class SheetMap {
 public:
  explicit SheetMap(const AffineTransform& t, const graphics::Rect* reach = nullptr) : t_(t) {
    if (reach != nullptr && !reach->isEmpty()) reach_ = reach->insetBy(-kReachMargin, -kReachMargin);
  }
  Point point(const Point3d& p) const { return t_.apply(Point{p.x, p.y}); }
  Point vector(const Vector3d& v) const { return {t_.a * v.x + t_.c * v.y, t_.b * v.x + t_.d * v.y}; }
  const std::optional<graphics::Rect>& reach() const { return reach_; }

 private:
  AffineTransform t_;
  std::optional<graphics::Rect> reach_;
};

bool inside(const graphics::Rect& r, Point p) {
  return p.x >= r.minX() && p.x <= r.maxX() && p.y >= r.minY() && p.y <= r.maxY();
}

// The stretches [s0, s1] of c + u·cos(from ± s) + v·sin(from ± s), 0 ≤ s ≤ |sweep|, that lie in `box`: the
// curve meets the box's sides where a·cos t + b·sin t = d, and between two meetings it is wholly in or out.
std::vector<std::pair<double, double>> stretchesIn(const graphics::Rect& box, Point c, Point u, Point v, double from,
                                                   double sweep) {
  const double length = std::fabs(sweep), sign = sweep < 0 ? -1 : 1;
  std::vector<double> cuts{0, length};
  const auto meet = [&](double a, double b, double d) {
    const double r = std::hypot(a, b);
    if (!(r > 0) || std::fabs(d) > r) return;
    const double phase = std::atan2(b, a), half = std::acos(std::clamp(d / r, -1.0, 1.0));
    for (double t : {phase + half, phase - half}) {
      const double s = std::fmod(std::fmod(sign * (t - from), kTwoPi) + kTwoPi, kTwoPi);
      if (s > 0 && s < length) cuts.push_back(s);
    }
  };
  meet(u.x, v.x, box.minX() - c.x);
  meet(u.x, v.x, box.maxX() - c.x);
  meet(u.y, v.y, box.minY() - c.y);
  meet(u.y, v.y, box.maxY() - c.y);
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::pair<double, double>> in;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    if (!(cuts[i + 1] > cuts[i])) continue;
    const double t = from + sign * (cuts[i] + cuts[i + 1]) / 2;
    if (!inside(box, {c.x + u.x * std::cos(t) + v.x * std::sin(t), c.y + u.y * std::cos(t) + v.y * std::sin(t)}))
      continue;
    if (!in.empty() && in.back().second == cuts[i]) in.back().second = cuts[i + 1];
    else in.emplace_back(cuts[i], cuts[i + 1]);
  }
  return in;
}

// c + u·cos t + v·sin t from `from` over `sweep` (negative: the other way round) as cubic Béziers, which stay
// exact under the affine map. Each piece is short enough to stay within the flatness of the true curve.
void appendArcPieces(BezierPath& path, Point c, Point u, Point v, double from, double sweep, bool start) {
  const auto at = [&](double t) {
    return Point{c.x + u.x * std::cos(t) + v.x * std::sin(t), c.y + u.y * std::cos(t) + v.y * std::sin(t)};
  };
  const auto tangent = [&](double t) {
    return Point{-u.x * std::sin(t) + v.x * std::cos(t), -u.y * std::sin(t) + v.y * std::cos(t)};
  };
  // A cubic's quarter turn strays 2.7e-4 of the radius from the circle, the stray growing with the sixth power
  // of the sweep: large arcs take shorter pieces.
  const double radius = std::max(std::hypot(u.x, u.y), std::hypot(v.x, v.y));
  double piece = std::numbers::pi / 2;
  if (radius * 2.7e-4 > kSheetFlatness && std::isfinite(radius))
    piece *= std::pow(kSheetFlatness / (radius * 2.7e-4), 1.0 / 6);
  const double pieces = std::ceil(std::fabs(sweep) / piece - 1e-9);
  const int steps = std::clamp(std::isfinite(pieces) ? static_cast<int>(std::min(pieces, 64.0)) : 1, 1, 64);
  const double step = sweep / steps;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  Point p0 = at(from);
  if (start) path.moveTo(p0);
  else path.lineTo(p0);
  for (int i = 0; i < steps; ++i) {
    const double t0 = from + step * i, t1 = t0 + step;
    const Point d0 = tangent(t0), d1 = tangent(t1), p1 = at(t1);
    path.curveTo(p1, {p0.x + k * d0.x, p0.y + k * d0.y}, {p1.x - k * d1.x, p1.y - k * d1.y});
    p0 = p1;
  }
}

// The arc onto the sheet. A line joins the current point to the start unless `start` begins a subpath. An arc
// that runs off the part of the sheet that shows is drawn only where it shows, each stretch a subpath of its
// own, the path's current point left at the arc's end; false then, so that the caller does not close it.
bool appendArc(BezierPath& path, const SheetMap& map, const ArcPiece& a, double from, double sweep, bool start) {
  const Point c = map.point(a.c), u = map.vector(a.u), v = map.vector(a.v);
  const double halfWidth = std::hypot(u.x, v.x), halfHeight = std::hypot(u.y, v.y);
  const graphics::Rect bounds{c.x - halfWidth, c.y - halfHeight, 2 * halfWidth, 2 * halfHeight};
  const std::optional<graphics::Rect>& reach = map.reach();
  if (!reach || (inside(*reach, bounds.origin) && inside(*reach, {bounds.maxX(), bounds.maxY()}))) {
    appendArcPieces(path, c, u, v, from, sweep, start);
    return true;
  }
  const double sign = sweep < 0 ? -1 : 1;
  const std::vector<std::pair<double, double>> shown = stretchesIn(*reach, c, u, v, from, sweep);
  for (const auto& [s0, s1] : shown) {
    appendArcPieces(path, c, u, v, from + sign * s0, sign * (s1 - s0), start || s0 > 0);
  }
  const double length = std::fabs(sweep);
  if (shown.empty() || shown.back().second < length) {
    const double end = from + sweep;
    path.moveTo({c.x + u.x * std::cos(end) + v.x * std::sin(end), c.y + u.y * std::cos(end) + v.y * std::sin(end)});
  }
  return shown.size() == 1 && shown.front().first == 0 && shown.front().second == length;
}

struct PlaneVertex {
  Point2d pt;
  double bulge = 0, startWidth = 0, endWidth = 0;
};

struct PlanePolyline {
  std::vector<PlaneVertex> vertices;
  bool closed = false;
  double elevation = 0, constantWidth = 0;
  Vector3d normal{0, 0, 1};
};

bool planePolyline(const Entity& entity, PlanePolyline& out) {
  if (auto* pline = dynamic_cast<const Polyline*>(&entity)) {
    out.vertices.reserve(pline->vertices.size());
    for (const auto& v : pline->vertices) out.vertices.push_back({v.pt, v.bulge, v.startWidth, v.endWidth});
    out.closed = pline->closed;
    out.elevation = pline->elevation;
    out.constantWidth = pline->constantWidth;
    out.normal = pline->normal;
    return true;
  }
  auto* legacy = dynamic_cast<const Polyline2d*>(&entity);
  if (legacy == nullptr) return false;
  const ObjectStore* store = legacy->objectStore();
  if (store == nullptr) return false;
  for (ObjectId id : legacy->vertexIds) {
    auto* v = dynamic_cast<const Vertex2d*>(store->objectAt(id));
    // A spline frame's control points (flag 16) shape the curve but are not on it.
    if (v == nullptr || v->isErased() || (v->vertexFlags & 16) != 0) continue;
    out.vertices.push_back({{v->position.x, v->position.y}, v->bulge(), v->startWidth, v->endWidth});
  }
  out.closed = legacy->closed;
  out.elevation = legacy->elevation;
  out.normal = legacy->normal;
  return true;
}

bool isPlan(const Vector3d& normal) { return normal.x == 0 && normal.y == 0 && normal.z > 0; }

// Plane coordinates of a polyline's vertex onto the sheet.
class PlaneMap {
 public:
  PlaneMap(const PlanePolyline& pline, const AffineTransform& toSheet, const graphics::Rect* reach)
      : map_(toSheet, reach),
        plan_(isPlan(pline.normal)),
        plane_(Matrix3d::planeToWorld(pline.normal)),
        elevation_(pline.elevation) {}
  Point point(const Point2d& p) const {
    return map_.point(plan_ ? Point3d{p.x, p.y, elevation_} : plane_.apply({p.x, p.y, elevation_}));
  }
  ArcPiece toWorld(const ArcPiece& a) const { return plan_ ? a : transformed(a, plane_); }
  const SheetMap& sheet() const { return map_; }

 private:
  SheetMap map_;
  bool plan_;
  Matrix3d plane_;
  double elevation_;
};

// The arc of a bulged segment, in the order the segment runs.
bool segmentArc(const PlaneVertex& a, const PlaneVertex& b, const PlaneMap& map, ArcPiece& arc, double& from,
                double& sweep) {
  if (std::fabs(a.bulge) < 1e-9 || !bulgeArc(a.pt, b.pt, a.bulge, 0, arc)) return false;
  arc = map.toWorld(arc);
  from = a.bulge > 0 ? arc.t0 : arc.t0 + arc.sweep;
  sweep = a.bulge > 0 ? arc.sweep : -arc.sweep;
  return true;
}

void polylinePath(const PlanePolyline& pline, const PlaneMap& map, BezierPath& out) {
  const std::size_t n = pline.vertices.size();
  if (n == 0) return;
  out.moveTo(map.point(pline.vertices[0].pt));
  const std::size_t segments = pline.closed ? n : n - 1;
  bool whole = true;
  for (std::size_t i = 0; i < segments; ++i) {
    const PlaneVertex& a = pline.vertices[i];
    const PlaneVertex& b = pline.vertices[(i + 1) % n];
    ArcPiece arc;
    double from = 0, sweep = 0;
    if (segmentArc(a, b, map, arc, from, sweep)) {
      whole = appendArc(out, map.sheet(), arc, from, sweep, false) && whole;
    } else {
      out.lineTo(map.point(b.pt));
    }
  }
  if (pline.closed && whole) out.close();
  if (n == 1) out.lineTo(map.point(pline.vertices[0].pt));  // a lone vertex: a dot
}

void polylineOf(const std::vector<Point3d>& points, bool closed, const SheetMap& map, BezierPath& out) {
  if (points.empty()) return;
  out.moveTo(map.point(points[0]));
  for (std::size_t i = 1; i < points.size(); ++i) out.lineTo(map.point(points[i]));
  if (points.size() == 1) out.lineTo(map.point(points[0]));
  if (closed) out.close();
}

// The outline of one wide segment, widths running from `a`'s start width to its end width.
void wideSegment(const PlaneVertex& a, const PlaneVertex& b, const PlaneMap& map, BezierPath& fill) {
  const double w0 = a.startWidth / 2, w1 = a.endWidth / 2;
  std::vector<Point2d> left, right;
  ArcPiece arc;
  if (std::fabs(a.bulge) >= 1e-9 && bulgeArc(a.pt, b.pt, a.bulge, 0, arc)) {
    const double r = arc.u.x;
    const double from = a.bulge > 0 ? arc.t0 : arc.t0 + arc.sweep;
    const double sweep = a.bulge > 0 ? arc.sweep : -arc.sweep;
    // Chords within the flatness on the sheet: a chord over angle a strays r·(1 − cos a/2) from its arc.
    const Point u = map.sheet().vector({r + std::max(w0, w1), 0, 0}), v = map.sheet().vector({0, r + std::max(w0, w1), 0});
    const double onSheet = std::max(std::hypot(u.x, u.y), std::hypot(v.x, v.y));
    double step = std::numbers::pi / 32;
    if (onSheet > kSheetFlatness && onSheet < 1e5) step = std::min(step, 2 * std::acos(1 - kSheetFlatness / onSheet));
    const int samples =
        std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / step)), 8, 4096);
    for (int i = 0; i <= samples; ++i) {
      const double f = static_cast<double>(i) / samples, t = from + sweep * f;
      const double w = w0 + (w1 - w0) * f;
      // Outward from the centre is to the right of a counter-clockwise run.
      const double side = sweep > 0 ? -1 : 1;
      const double c = std::cos(t), s = std::sin(t);
      left.push_back({arc.c.x + (r + side * w) * c, arc.c.y + (r + side * w) * s});
      right.push_back({arc.c.x + (r - side * w) * c, arc.c.y + (r - side * w) * s});
    }
  } else {
    const double dx = b.pt.x - a.pt.x, dy = b.pt.y - a.pt.y, length = std::hypot(dx, dy);
    if (length == 0) return;
    const double nx = -dy / length, ny = dx / length;
    left = {{a.pt.x + nx * w0, a.pt.y + ny * w0}, {b.pt.x + nx * w1, b.pt.y + ny * w1}};
    right = {{a.pt.x - nx * w0, a.pt.y - ny * w0}, {b.pt.x - nx * w1, b.pt.y - ny * w1}};
  }
  fill.moveTo(map.point(left[0]));
  for (std::size_t i = 1; i < left.size(); ++i) fill.lineTo(map.point(left[i]));
  for (std::size_t i = right.size(); i-- > 0;) fill.lineTo(map.point(right[i]));
  fill.close();
}

// Enough samples between knots for the chords to stay within the flatness: a chord strays about an eighth of
// the second difference of its samples, which shrinks with the square of their spacing.
int splineSamplesPerSpan(const Spline& spline, const SheetMap& map) {
  const std::vector<Point3d> first = spline.sampled(kSplineSamplesPerSpan);
  double bend = 0;
  for (std::size_t i = 1; i + 1 < first.size(); ++i) {
    const Point a = map.point(first[i - 1]), b = map.point(first[i]), c = map.point(first[i + 1]);
    bend = std::max(bend, std::hypot(a.x - 2 * b.x + c.x, a.y - 2 * b.y + c.y));
  }
  const double stray = bend / 8;
  if (!(stray > kSheetFlatness)) return kSplineSamplesPerSpan;
  const double factor = std::sqrt(stray / kSheetFlatness);
  if (!std::isfinite(factor)) return kSplineSamplesPerSpan;
  // However many knots it has, a spline is drawn through at most about a million points.
  const double spans = std::max<double>(1, static_cast<double>(first.size()) / kSplineSamplesPerSpan);
  const double most = std::max<double>(kSplineSamplesPerSpan, std::min<double>(kMostSplineSamplesPerSpan, 1e6 / spans));
  return static_cast<int>(std::min(most, std::ceil(kSplineSamplesPerSpan * factor)));
}

}  // namespace

double sheetScale(const AffineTransform& t) { return std::sqrt(std::fabs(t.a * t.d - t.b * t.c)); }

bool curvePath(const Entity& entity, const AffineTransform& toSheet, BezierPath& out, const graphics::Rect* reach) {
  const SheetMap map(toSheet, reach);
  if (auto* line = dynamic_cast<const Line*>(&entity)) {
    out.moveTo(map.point(line->start));
    out.lineTo(map.point(line->end));
  } else if (auto* circle = dynamic_cast<const Circle*>(&entity)) {
    if (!(circle->radius > 0)) return false;
    if (appendArc(out, map, planeArc(circle->center, circle->radius, circle->normal, 0, kTwoPi), 0, kTwoPi, true)) {
      out.close();
    }
  } else if (auto* arc = dynamic_cast<const Arc*>(&entity)) {
    if (!(arc->radius > 0)) return false;
    const double sweep = arcSweep(arc->startAngle, arc->endAngle);
    appendArc(out, map, planeArc(arc->center, arc->radius, arc->normal, arc->startAngle, sweep), arc->startAngle, sweep,
              true);
  } else if (auto* ellipse = dynamic_cast<const Ellipse*>(&entity)) {
    const ArcPiece piece{ellipse->center, ellipse->majorAxis, ellipse->minorAxis(), 0, 0};
    if (appendArc(out, map, piece, ellipse->startParam, ellipse->sweep(), true) && ellipse->isClosed()) out.close();
  } else if (auto* spline = dynamic_cast<const Spline*>(&entity)) {
    polylineOf(spline->sampled(splineSamplesPerSpan(*spline, map)), false, map, out);
  } else if (auto* pline3d = dynamic_cast<const Polyline3d*>(&entity)) {
    polylineOf(pline3d->points, pline3d->closed, map, out);
  } else {
    PlanePolyline pline;
    if (!planePolyline(entity, pline)) return false;
    polylinePath(pline, PlaneMap(pline, toSheet, reach), out);
  }
  return !out.isEmpty();
}

bool widePolyline(const Entity& entity, const AffineTransform& toSheet, WidePolyline& out,
                  const graphics::Rect* reach) {
  PlanePolyline pline;
  if (!planePolyline(entity, pline) || pline.vertices.empty()) return false;
  bool any = pline.constantWidth > 0, uniform = true;
  const double first = pline.vertices[0].startWidth;
  for (const PlaneVertex& v : pline.vertices) {
    any = any || v.startWidth > 0 || v.endWidth > 0;
    uniform = uniform && v.startWidth == first && v.endWidth == first;
  }
  if (!any) return false;
  const PlaneMap map(pline, toSheet, reach);
  // A constant width applies where the vertices give none; one width throughout is a stroke of that width.
  const double constant = uniform ? (first > 0 ? first : pline.constantWidth) : 0;
  if (constant > 0) {
    polylinePath(pline, map, out.stroke);
    out.strokeWidth = constant * sheetScale(toSheet);
    return true;
  }
  const std::size_t n = pline.vertices.size();
  const std::size_t segments = pline.closed ? n : n - 1;
  for (std::size_t i = 0; i < segments; ++i) {
    PlaneVertex a = pline.vertices[i];
    const PlaneVertex& b = pline.vertices[(i + 1) % n];
    if (a.startWidth == 0 && a.endWidth == 0 && pline.constantWidth > 0)
      a.startWidth = a.endWidth = pline.constantWidth;
    if (a.startWidth > 0 || a.endWidth > 0) {
      wideSegment(a, b, map, out.fill);
      continue;
    }
    out.thin.moveTo(map.point(a.pt));
    ArcPiece arc;
    double from = 0, sweep = 0;
    if (segmentArc(a, b, map, arc, from, sweep)) appendArc(out.thin, map.sheet(), arc, from, sweep, false);
    else out.thin.lineTo(map.point(b.pt));
  }
  return true;
}

BezierPath hatchPath(const Hatch& hatch, const AffineTransform& toSheet) {
  BezierPath path;
  path.windingRule = graphics::WindingRule::evenOdd;
  const SheetMap map(toSheet);
  const bool plan = isPlan(hatch.normal);
  const Matrix3d plane = Matrix3d::planeToWorld(hatch.normal);
  for (const auto& loop : hatch.loops) {
    if (loop.size() < 2) continue;
    for (std::size_t i = 0; i < loop.size(); ++i) {
      const Point3d p{loop[i].x, loop[i].y, hatch.elevation};
      const Point q = map.point(plan ? p : plane.apply(p));
      if (i == 0) path.moveTo(q);
      else path.lineTo(q);
    }
    path.close();
  }
  return path;
}

BezierPath solidPath(const Solid& solid, const AffineTransform& toSheet) {
  const SheetMap map(toSheet);
  BezierPath path;
  // The third and fourth corners swap places round the outline.
  path.moveTo(map.point(solid.corners[0]));
  path.lineTo(map.point(solid.corners[1]));
  path.lineTo(map.point(solid.corners[3]));
  path.lineTo(map.point(solid.corners[2]));
  path.close();
  return path;
}

}  // namespace cad::render

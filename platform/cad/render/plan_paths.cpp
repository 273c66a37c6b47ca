#include "cad/render/plan_paths.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "cad/plan_entities.h"

namespace cad::render {

using graphics::AffineTransform;
using graphics::BezierPath;
using graphics::Point;

namespace {

Point onSheet(const AffineTransform& t, const Point3d& p) { return t.apply(Point{p.x, p.y}); }

void polyline(const std::vector<Point3d>& points, bool closed, const AffineTransform& t, BezierPath& out) {
  if (points.empty()) return;
  out.moveTo(onSheet(t, points[0]));
  for (std::size_t i = 1; i < points.size(); ++i) out.lineTo(onSheet(t, points[i]));
  if (closed) out.close();
}

}  // namespace

void wirePaths(const WireEntity& wire, const AffineTransform& toSheet, BezierPath& strokes, BezierPath& fills) {
  for (const WireEntity::Path& path : wire.paths) polyline(path.points, path.closed || path.filled, toSheet, path.filled ? fills : strokes);
}

BezierPath pointFigure(const PointEntity& point, const AffineTransform& toSheet, int mode, double size) {
  BezierPath path;
  const Point c = onSheet(toSheet, point.position);
  const double r = size / 2;
  const auto line = [&](double x0, double y0, double x1, double y1) {
    path.moveTo({c.x + x0, c.y + y0});
    path.lineTo({c.x + x1, c.y + y1});
  };
  switch (mode & 7) {
    case 0: line(0, 0, 0, 0); break;  // a dot
    case 1: break;                    // nothing
    case 2: line(-r, 0, r, 0); line(0, -r, 0, r); break;
    case 3: line(-r, -r, r, r); line(-r, r, r, -r); break;
    case 4: line(0, 0, 0, r); break;
    default: line(0, 0, 0, 0); break;
  }
  if ((mode & 32) != 0) path.appendOval({c.x - r, c.y - r, size, size});
  if ((mode & 64) != 0) path.appendRect({c.x - r, c.y - r, size, size});
  return path;
}

bool xlinePath(const Xline& line, const AffineTransform& toSheet, const graphics::Rect& window, BezierPath& out) {
  const Point p = onSheet(toSheet, line.basePoint);
  const Point q = onSheet(toSheet, {line.basePoint.x + line.direction.x, line.basePoint.y + line.direction.y, 0});
  const double dx = q.x - p.x, dy = q.y - p.y;
  if ((dx == 0 && dy == 0) || !std::isfinite(dx) || !std::isfinite(dy)) return false;
  // The line p + t·d within the window's slabs; a ray starts at t = 0.
  double t0 = line.isRay() ? 0 : -std::numeric_limits<double>::infinity();
  double t1 = std::numeric_limits<double>::infinity();
  const auto slab = [&](double origin, double d, double low, double high) {
    if (d == 0) return origin >= low && origin <= high;
    double a = (low - origin) / d, b = (high - origin) / d;
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    return t0 <= t1;
  };
  if (!slab(p.x, dx, window.minX(), window.maxX()) || !slab(p.y, dy, window.minY(), window.maxY())) return false;
  out.moveTo({p.x + dx * t0, p.y + dy * t0});
  out.lineTo({p.x + dx * t1, p.y + dy * t1});
  return true;
}

BezierPath wipeoutPath(const Wipeout& wipeout, const AffineTransform& toSheet) {
  BezierPath path;
  if (wipeout.boundary.size() >= 3) polyline(wipeout.boundary, true, toSheet, path);
  return path;
}

}  // namespace cad::render

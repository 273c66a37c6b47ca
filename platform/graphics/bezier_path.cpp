#include "graphics/bezier_path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace graphics {

namespace {

using Kind = BezierPath::Element::Kind;

// The control-point distance of a quarter circle of radius 1 drawn as one cubic curve.
constexpr double kQuarterArc = 0.5522847498307936;

double distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

void flattenCurve(Point p0, Point p1, Point p2, Point p3, double tolerance, int depth, std::vector<Point>& out) {
  // Flat enough when the control points lie within tolerance of the chord.
  const double dx = p3.x - p0.x, dy = p3.y - p0.y;
  const double chord = std::hypot(dx, dy);
  auto offChord = [&](Point p) {
    return chord > 0 ? std::abs((p.x - p0.x) * dy - (p.y - p0.y) * dx) / chord : distance(p, p0);
  };
  if (depth >= 16 || std::max(offChord(p1), offChord(p2)) <= tolerance) {
    out.push_back(p3);
    return;
  }
  auto mid = [](Point a, Point b) { return Point{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  const Point a = mid(p0, p1), b = mid(p1, p2), c = mid(p2, p3);
  const Point d = mid(a, b), e = mid(b, c), m = mid(d, e);
  flattenCurve(p0, a, d, m, tolerance, depth + 1, out);
  flattenCurve(m, e, c, p3, tolerance, depth + 1, out);
}

}  // namespace

BezierPath BezierPath::rect(const Rect& r) {
  BezierPath p;
  p.appendRect(r);
  return p;
}

BezierPath BezierPath::roundedRect(const Rect& r, double xRadius, double yRadius) {
  BezierPath p;
  p.appendRoundedRect(r, xRadius, yRadius);
  return p;
}

BezierPath BezierPath::oval(const Rect& r) {
  BezierPath p;
  p.appendOval(r);
  return p;
}

void BezierPath::ensureStart(Point p) {
  if (!hasCurrent_) moveTo(p);
}

void BezierPath::moveTo(Point p) {
  elements_.push_back({Kind::moveTo, {p, {}, {}}});
  current_ = subpathStart_ = p;
  hasCurrent_ = true;
}

void BezierPath::lineTo(Point p) {
  ensureStart(p);
  elements_.push_back({Kind::lineTo, {p, {}, {}}});
  current_ = p;
}

void BezierPath::curveTo(Point end, Point control1, Point control2) {
  ensureStart(end);
  elements_.push_back({Kind::curveTo, {control1, control2, end}});
  current_ = end;
}

void BezierPath::close() {
  if (!hasCurrent_) return;
  elements_.push_back({Kind::close, {}});
  current_ = subpathStart_;
}

void BezierPath::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
  if (!(radius >= 0) || !std::isfinite(startAngle) || !std::isfinite(endAngle)) return;
  constexpr double kTwoPi = 2 * std::numbers::pi;
  double sweep = endAngle - startAngle;
  // Clockwise runs towards smaller angles. A sweep of a whole turn or more stays one whole turn.
  if (clockwise) {
    if (sweep > 0) sweep = std::fmod(sweep, kTwoPi) - kTwoPi;
    sweep = std::max(sweep, -kTwoPi);
  } else {
    if (sweep < 0) sweep = kTwoPi + std::fmod(sweep, kTwoPi);
    sweep = std::min(sweep, kTwoPi);
  }
  auto at = [&](double angle) { return Point{center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)}; };
  const Point start = at(startAngle);
  if (hasCurrent_) lineTo(start);
  else moveTo(start);
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
  const double step = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4) * radius;
  double a = startAngle;
  for (int i = 0; i < pieces; ++i) {
    const double b = a + step;
    const Point p0 = at(a), p3 = at(b);
    const Point c1{p0.x - k * std::sin(a), p0.y + k * std::cos(a)};
    const Point c2{p3.x + k * std::sin(b), p3.y - k * std::cos(b)};
    curveTo(p3, c1, c2);
    a = b;
  }
}

void BezierPath::appendRect(const Rect& r) {
  moveTo({r.minX(), r.minY()});
  lineTo({r.maxX(), r.minY()});
  lineTo({r.maxX(), r.maxY()});
  lineTo({r.minX(), r.maxY()});
  close();
}

void BezierPath::appendRoundedRect(const Rect& r, double xRadius, double yRadius) {
  const double rx = std::clamp(std::isfinite(xRadius) ? xRadius : 0.0, 0.0, std::max(0.0, r.width() / 2));
  const double ry = std::clamp(std::isfinite(yRadius) ? yRadius : 0.0, 0.0, std::max(0.0, r.height() / 2));
  if (rx <= 0 || ry <= 0) {
    appendRect(r);
    return;
  }
  const double kx = rx * kQuarterArc, ky = ry * kQuarterArc;
  const double x0 = r.minX(), x1 = r.maxX(), y0 = r.minY(), y1 = r.maxY();
  moveTo({x0 + rx, y0});
  lineTo({x1 - rx, y0});
  curveTo({x1, y0 + ry}, {x1 - rx + kx, y0}, {x1, y0 + ry - ky});
  lineTo({x1, y1 - ry});
  curveTo({x1 - rx, y1}, {x1, y1 - ry + ky}, {x1 - rx + kx, y1});
  lineTo({x0 + rx, y1});
  curveTo({x0, y1 - ry}, {x0 + rx - kx, y1}, {x0, y1 - ry + ky});
  lineTo({x0, y0 + ry});
  curveTo({x0 + rx, y0}, {x0, y0 + ry - ky}, {x0 + rx - kx, y0});
  close();
}

void BezierPath::appendOval(const Rect& r) {
  const double rx = r.width() / 2, ry = r.height() / 2;
  const double kx = rx * kQuarterArc, ky = ry * kQuarterArc;
  const double cx = r.midX(), cy = r.midY();
  moveTo({cx + rx, cy});
  curveTo({cx, cy + ry}, {cx + rx, cy + ky}, {cx + kx, cy + ry});
  curveTo({cx - rx, cy}, {cx - kx, cy + ry}, {cx - rx, cy + ky});
  curveTo({cx, cy - ry}, {cx - rx, cy - ky}, {cx - kx, cy - ry});
  curveTo({cx + rx, cy}, {cx + kx, cy - ry}, {cx + rx, cy - ky});
  close();
}

void BezierPath::append(const BezierPath& other) {
  for (const Element& e : other.elements_) {
    switch (e.kind) {
      case Kind::moveTo: moveTo(e.points[0]); break;
      case Kind::lineTo: lineTo(e.points[0]); break;
      case Kind::curveTo: curveTo(e.points[2], e.points[0], e.points[1]); break;
      case Kind::close: close(); break;
    }
  }
}

Rect BezierPath::bounds() const {
  bool any = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (const Element& e : elements_) {
    const int n = e.kind == Kind::curveTo ? 3 : e.kind == Kind::close ? 0 : 1;
    for (int i = 0; i < n; ++i) {
      const Point p = e.points[i];
      if (!any) {
        x0 = x1 = p.x;
        y0 = y1 = p.y;
        any = true;
      }
      x0 = std::min(x0, p.x);
      x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y);
      y1 = std::max(y1, p.y);
    }
  }
  return any ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{};
}

BezierPath BezierPath::transformed(const AffineTransform& t) const {
  BezierPath out = *this;
  for (Element& e : out.elements_) {
    for (Point& p : e.points) p = t.apply(p);
  }
  out.current_ = t.apply(current_);
  out.subpathStart_ = t.apply(subpathStart_);
  return out;
}

std::vector<std::vector<Point>> BezierPath::flattened(double tolerance) const {
  std::vector<std::vector<Point>> out;
  Point current, start;
  for (const Element& e : elements_) {
    switch (e.kind) {
      case Kind::moveTo:
        out.push_back({e.points[0]});
        current = start = e.points[0];
        break;
      case Kind::lineTo:
        out.back().push_back(e.points[0]);
        current = e.points[0];
        break;
      case Kind::curveTo:
        flattenCurve(current, e.points[0], e.points[1], e.points[2], std::max(tolerance, 1e-6), 0, out.back());
        current = e.points[2];
        break;
      case Kind::close:
        out.back().push_back(start);
        current = start;
        break;
    }
  }
  return out;
}

BezierPath BezierPath::trimmed(double start, double end) const {
  BezierPath out;
  out.lineWidth = lineWidth;
  out.lineCap = lineCap;
  out.lineJoin = lineJoin;
  out.windingRule = windingRule;
  out.dashes = dashes;
  out.dashPhase = dashPhase;
  start = std::clamp(std::isnan(start) ? 0.0 : start, 0.0, 1.0);
  end = std::clamp(std::isnan(end) ? 0.0 : end, 0.0, 1.0);
  if (end <= start) return out;
  const auto polylines = flattened(0.05);
  double total = 0;
  for (const auto& line : polylines) {
    for (std::size_t i = 1; i < line.size(); ++i) total += distance(line[i - 1], line[i]);
  }
  if (total <= 0) return start == 0 && end == 1 ? *this : out;
  const double from = start * total, to = end * total;
  double walked = 0;
  for (const auto& line : polylines) {
    bool open = false;
    for (std::size_t i = 1; i < line.size(); ++i) {
      const Point a = line[i - 1], b = line[i];
      const double len = distance(a, b);
      const double s0 = walked, s1 = walked + len;
      walked = s1;
      if (s1 < from || s0 > to || len == 0) continue;
      auto lerp = [&](double s) {
        const double f = std::clamp((s - s0) / len, 0.0, 1.0);
        return Point{a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
      };
      if (!open) {
        out.moveTo(lerp(std::max(from, s0)));
        open = true;
      }
      out.lineTo(lerp(std::min(to, s1)));
    }
  }
  return out;
}

}  // namespace graphics

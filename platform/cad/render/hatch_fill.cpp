#include "cad/render/hatch_fill.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "cad/entities.h"

namespace cad::render {

using graphics::AffineTransform;
using graphics::Point;

namespace {

// The hatch's plane onto the sheet: object coordinates at its elevation, through its normal, then the map.
Point toPlane(const Hatch& hatch, const Matrix3d& plane, bool plan, const AffineTransform& t, double x, double y) {
  const Point3d p{x, y, hatch.elevation};
  const Point3d w = plan ? p : plane.apply(p);
  return t.apply(Point{w.x, w.y});
}

bool isPlan(const Vector3d& n) { return n.x == 0 && n.y == 0 && n.z > 0; }

graphics::Color rgb(std::uint32_t value) {
  return graphics::Color::srgb(((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0);
}

}  // namespace

bool patternPath(const Hatch& hatch, const AffineTransform& toSheet, std::size_t mostDashes, graphics::BezierPath& out) {
  if (hatch.patternLines.empty() || hatch.loops.empty()) return false;
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (const auto& loop : hatch.loops) {
    for (const Point2d& p : loop) {
      x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
  }
  if (!(x0 <= x1) || !(y0 <= y1) || !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0)) return false;
  const double unit = std::sqrt(std::fabs(toSheet.a * toSheet.d - toSheet.b * toSheet.c));  // points per unit
  const bool plan = isPlan(hatch.normal);
  const Matrix3d plane = Matrix3d::planeToWorld(hatch.normal);
  std::size_t dashes = 0;
  std::vector<double> crossings;
  for (const Hatch::PatternLine& family : hatch.patternLines) {
    const double dx = std::cos(family.angle), dy = std::sin(family.angle);
    const double nx = -dy, ny = dx;  // across the lines
    const double spacing = family.offset.x * nx + family.offset.y * ny;
    const double shift = family.offset.x * dx + family.offset.y * dy;  // along, from one line to the next
    // Lines closer than a tenth of a point on the sheet print as a tone, not as lines.
    if (!(std::fabs(spacing) * unit >= 0.1)) return false;
    // The lines that meet the boundary's box: their numbers k from its corners' distances across.
    double s0 = INFINITY, s1 = -INFINITY;
    for (double cx : {x0, x1}) {
      for (double cy : {y0, y1}) {
        const double s = ((cx - family.base.x) * nx + (cy - family.base.y) * ny) / spacing;
        s0 = std::min(s0, s), s1 = std::max(s1, s);
      }
    }
    const double first = std::ceil(s0), last = std::floor(s1);
    if (last - first > static_cast<double>(mostDashes)) return false;
    double period = 0;
    for (double d : family.dashes) period += std::fabs(d);
    for (double k = first; k <= last; ++k) {
      // The line through o + t·d, its pattern starting at t = 0.
      const double ox = family.base.x + family.offset.x * k, oy = family.base.y + family.offset.y * k;
      crossings.clear();
      for (const auto& loop : hatch.loops) {
        for (std::size_t i = 0; i < loop.size(); ++i) {
          const Point2d a = loop[i], b = loop[(i + 1) % loop.size()];
          const double sa = (a.x - ox) * nx + (a.y - oy) * ny, sb = (b.x - ox) * nx + (b.y - oy) * ny;
          // Half-open at each end, so that a line through a vertex crosses once.
          if ((sa > 0) == (sb > 0)) continue;
          const double f = sa / (sa - sb);
          const double px = a.x + (b.x - a.x) * f, py = a.y + (b.y - a.y) * f;
          crossings.push_back((px - ox) * dx + (py - oy) * dy);
        }
      }
      std::sort(crossings.begin(), crossings.end());
      // Even-odd: inside between the first and second crossing, the third and fourth, …
      for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const double from = crossings[i], to = crossings[i + 1];
        const auto emit = [&](double a, double b) {
          out.moveTo(toPlane(hatch, plane, plan, toSheet, ox + dx * a, oy + dy * a));
          out.lineTo(toPlane(hatch, plane, plan, toSheet, ox + dx * b, oy + dy * b));
          ++dashes;
        };
        if (family.dashes.empty() || !(period > 0)) {
          emit(from, to);
        } else {
          // The dashes repeat every period, the line's pattern shifted by k times the offset along it.
          const double start = shift * k;
          double t = start + std::floor((from - start) / period) * period;
          while (t < to && dashes <= mostDashes) {
            for (double d : family.dashes) {
              const double a = t, b = t + std::fabs(d);
              if (d >= 0 && b >= from && a <= to) emit(std::max(a, from), d == 0 ? std::max(a, from) : std::min(b, to));
              t = b;
              if (t >= to) break;
            }
          }
        }
        if (dashes > mostDashes) return false;
      }
    }
  }
  return true;
}

bool hatchGradient(const Hatch& hatch, const AffineTransform& toSheet, graphics::Gradient& out) {
  if (!hatch.gradient || hatch.loops.empty()) return false;
  const Hatch::Gradient& g = *hatch.gradient;
  std::vector<std::uint32_t> colours = g.colours;
  if (colours.empty()) colours = {0x0000FF};
  if (g.oneColour || colours.size() == 1) {
    // The second colour is the first darkened (tint 0) or lightened (tint 1).
    const std::uint32_t c = colours[0];
    const double k = std::clamp(g.tint, 0.0, 1.0);
    std::uint32_t other = 0;
    for (int shift : {16, 8, 0}) {
      const double v = (c >> shift) & 0xFF;
      const double mixed = k < 0.5 ? v * (k * 2) : v + (255 - v) * (k - 0.5) * 2;
      other |= static_cast<std::uint32_t>(std::lround(std::clamp(mixed, 0.0, 255.0))) << shift;
    }
    colours = {c, other};
  }
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  const bool plan = isPlan(hatch.normal);
  const Matrix3d plane = Matrix3d::planeToWorld(hatch.normal);
  for (const auto& loop : hatch.loops) {
    for (const Point2d& p : loop) {
      const Point q = toPlane(hatch, plane, plan, toSheet, p.x, p.y);
      x0 = std::min(x0, q.x), y0 = std::min(y0, q.y), x1 = std::max(x1, q.x), y1 = std::max(y1, q.y);
    }
  }
  if (!(x0 <= x1) || !(y0 <= y1)) return false;
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, half = std::hypot(x1 - x0, y1 - y0) / 2;
  // The angle turns with the sheet's map (a mirrored or turned block turns its gradient).
  const Point along{toSheet.a * std::cos(g.angle) + toSheet.c * std::sin(g.angle),
                    toSheet.b * std::cos(g.angle) + toSheet.d * std::sin(g.angle)};
  const double length = std::hypot(along.x, along.y);
  const double ux = length > 0 ? along.x / length : 1, uy = length > 0 ? along.y / length : 0;
  const std::wstring name = g.name;
  const bool inverted = name.rfind(L"INV", 0) == 0;
  const std::wstring shape = inverted ? name.substr(3) : name;
  const graphics::Color first = rgb(colours[inverted ? 1 : 0]), second = rgb(colours[inverted ? 0 : 1]);
  if (shape == L"SPHERICAL" || shape == L"HEMISPHERICAL" || shape == L"CURVED") {
    out.radial = true;
    out.centre = {cx - ux * half * g.shift, cy - uy * half * g.shift};
    out.radius = half * (1 + std::fabs(g.shift));
    out.stops = {{0, second}, {1, first}};
    return true;
  }
  out.radial = false;
  out.from = {cx - ux * half, cy - uy * half};
  out.to = {cx + ux * half, cy + uy * half};
  if (shape == L"CYLINDER") {
    // Light in the middle, the colour at both sides.
    out.stops = {{0, first}, {0.5, second}, {1, first}};
  } else {
    const double middle = std::clamp(0.5 + g.shift / 2, 0.0, 1.0);
    out.stops = {{0, first}, {middle, graphics::Color::srgb((first.red() + second.red()) / 2,
                                                           (first.green() + second.green()) / 2,
                                                           (first.blue() + second.blue()) / 2)},
                 {1, second}};
  }
  return true;
}

}  // namespace cad::render

#include "cad/curve_entities.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/rx_class_definition.h"

namespace cad {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Homogeneous {
  double x, y, z, w;
};

bool usableKnots(const std::vector<double>& knots, std::size_t count) {
  if (knots.size() != count) return false;
  for (std::size_t i = 0; i < knots.size(); ++i) {
    if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return false;
  }
  return knots.front() < knots.back();
}

// De Boor's algorithm in homogeneous coordinates, for t in the span [knots[k], knots[k + 1]).
Point3d deBoor(const std::vector<Homogeneous>& points, const std::vector<double>& knots, int p, std::size_t k,
               double t, std::vector<Homogeneous>& d) {
  d.assign(points.begin() + static_cast<std::ptrdiff_t>(k - p), points.begin() + static_cast<std::ptrdiff_t>(k + 1));
  for (int r = 1; r <= p; ++r) {
    for (int j = p; j >= r; --j) {
      const double lo = knots[j + k - p], hi = knots[j + 1 + k - r];
      const double alpha = hi > lo ? (t - lo) / (hi - lo) : 0;
      Homogeneous& a = d[j];
      const Homogeneous& b = d[j - 1];
      a = {b.x + alpha * (a.x - b.x), b.y + alpha * (a.y - b.y), b.z + alpha * (a.z - b.z), b.w + alpha * (a.w - b.w)};
    }
  }
  const Homogeneous& r = d[p];
  const double w = r.w != 0 ? r.w : 1;
  return {r.x / w, r.y / w, r.z / w};
}

// A curve through the fit points (Catmull-Rom), for splines the file gives by fit points alone.
std::vector<Point3d> throughFitPoints(const std::vector<Point3d>& fit, bool closed, int perSpan) {
  const std::size_t n = fit.size();
  if (n < 3) return fit;
  const auto at = [&](std::ptrdiff_t i) {
    const auto count = static_cast<std::ptrdiff_t>(n);
    if (closed) return fit[static_cast<std::size_t>(((i % count) + count) % count)];
    return fit[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, count - 1))];
  };
  std::vector<Point3d> out;
  const std::size_t spans = closed ? n : n - 1;
  for (std::size_t s = 0; s < spans; ++s) {
    const auto i = static_cast<std::ptrdiff_t>(s);
    const Point3d p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    for (int k = 0; k < perSpan; ++k) {
      const double t = static_cast<double>(k) / perSpan, t2 = t * t, t3 = t2 * t;
      const auto blend = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
      };
      out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y), blend(p0.z, p1.z, p2.z, p3.z)});
    }
  }
  out.push_back(closed ? fit.front() : fit.back());
  return out;
}

}  // namespace

Vector3d Ellipse::minorAxis() const {
  const Vector3d& n = normal;
  const Vector3d& a = majorAxis;
  const double length = std::hypot(n.x, n.y, n.z);
  const double k = length > 0 ? radiusRatio / length : 0;
  return {(n.y * a.z - n.z * a.y) * k, (n.z * a.x - n.x * a.z) * k, (n.x * a.y - n.y * a.x) * k};
}

double Ellipse::sweep() const {
  double s = std::fmod(endParam - startParam, kTwoPi);
  if (!(s > 1e-12)) s += kTwoPi;
  return s;
}

bool Ellipse::isClosed() const { return sweep() >= kTwoPi - 1e-9; }

std::vector<Point3d> Spline::sampled(int perSpan) const {
  perSpan = std::max(perSpan, 1);
  std::vector<Point3d> points = controlPoints;
  if (points.size() < 2) return throughFitPoints(fitPoints, isClosed(), perSpan);
  const bool weighted = weights.size() == points.size();
  std::vector<Homogeneous> h;
  h.reserve(points.size() + 16);
  for (std::size_t i = 0; i < points.size(); ++i) {
    double w = weighted ? weights[i] : 1;
    if (!(w > 0) || !std::isfinite(w)) w = 1;
    h.push_back({points[i].x * w, points[i].y * w, points[i].z * w, w});
  }
  int p = std::clamp(degree, 1, 15);
  if (static_cast<std::size_t>(p) >= h.size()) p = static_cast<int>(h.size()) - 1;
  std::vector<double> u = knots;
  if (!usableKnots(u, h.size() + p + 1)) {
    u.clear();
    if (isClosed()) {
      // A closed curve from its control points alone: wrap the first p round and run uniform knots.
      for (int i = 0; i < p; ++i) h.push_back(h[static_cast<std::size_t>(i)]);
      for (std::size_t i = 0; i < h.size() + p + 1; ++i) u.push_back(static_cast<double>(i));
    } else {
      // Clamped uniform: the curve starts and ends on the end control points.
      const std::size_t n = h.size();
      for (std::size_t i = 0; i < n + p + 1; ++i) {
        const double v = static_cast<double>(std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(i) - p, 0,
                                                                       static_cast<std::ptrdiff_t>(n) - p));
        u.push_back(v);
      }
    }
  }
  std::vector<Point3d> out;
  std::vector<Homogeneous> work;
  const std::size_t n = h.size();
  std::size_t lastSpan = static_cast<std::size_t>(p);
  for (std::size_t k = static_cast<std::size_t>(p); k < n; ++k) {
    if (!(u[k] < u[k + 1])) continue;
    lastSpan = k;
    for (int s = 0; s < perSpan; ++s) {
      const double t = u[k] + (u[k + 1] - u[k]) * s / perSpan;
      out.push_back(deBoor(h, u, p, k, t, work));
    }
  }
  out.push_back(deBoor(h, u, p, lastSpan, u[n], work));
  return out;
}

QUODL_RX_CLASS(Ellipse, L"AcDbEllipse")
QUODL_RX_CLASS(Spline, L"AcDbSpline")
QUODL_RX_CLASS(Polyline3d, L"AcDb3dPolyline")

}  // namespace cad

#include "cad/geometry.h"


namespace cad {

namespace {
// A NaN coordinate must survive into the box so that the finiteness check sees it; std::min would drop it.
double lower(double current, double v) { return (v < current || std::isnan(v)) ? v : current; }
double upper(double current, double v) { return (v > current || std::isnan(v)) ? v : current; }
}  // namespace

void Extents3d::addPoint(const Point3d& p) {
  minPoint.x = lower(minPoint.x, p.x);
  minPoint.y = lower(minPoint.y, p.y);
  minPoint.z = lower(minPoint.z, p.z);
  maxPoint.x = upper(maxPoint.x, p.x);
  maxPoint.y = upper(maxPoint.y, p.y);
  maxPoint.z = upper(maxPoint.z, p.z);
}

void Extents3d::addExt(const Extents3d& e) {
  if (e.isEmpty()) return;
  addPoint(e.minPoint);
  addPoint(e.maxPoint);
}

Point3d Matrix3d::apply(const Point3d& p) const {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Matrix3d Matrix3d::operator*(const Matrix3d& o) const {
  Matrix3d r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      double v = j == 3 ? m[i][3] : 0.0;
      for (int k = 0; k < 3; ++k) v += m[i][k] * o.m[k][j];
      r.m[i][j] = v;
    }
  }
  return r;
}

Matrix3d Matrix3d::translation(const Vector3d& v) {
  Matrix3d r;
  r.m[0][3] = v.x;
  r.m[1][3] = v.y;
  r.m[2][3] = v.z;
  return r;
}

Matrix3d Matrix3d::scaling(double sx, double sy, double sz) {
  Matrix3d r;
  r.m[0][0] = sx;
  r.m[1][1] = sy;
  r.m[2][2] = sz;
  return r;
}

Matrix3d Matrix3d::rotationZ(double radians) {
  Matrix3d r;
  const double c = std::cos(radians), s = std::sin(radians);
  r.m[0][0] = c;
  r.m[0][1] = -s;
  r.m[1][0] = s;
  r.m[1][1] = c;
  return r;
}

Matrix3d Matrix3d::planeToWorld(const Vector3d& normal) {
  const double length = std::hypot(normal.x, normal.y, normal.z);
  // A zero normal (damaged data) means the world plane; a non-finite one stays non-finite so that the
  // entity ends up without extents rather than somewhere arbitrary.
  if (length == 0) return Matrix3d{};
  const Vector3d n{normal.x / length, normal.y / length, normal.z / length};
  if (n.x == 0 && n.y == 0 && n.z > 0) return Matrix3d{};
  // The arbitrary-axis rule: near the world Z axis the object X axis derives from world Y, else from world Z.
  constexpr double kThreshold = 1.0 / 64.0;
  Vector3d ax;
  if (std::fabs(n.x) < kThreshold && std::fabs(n.y) < kThreshold) {
    ax = {n.z, 0, -n.x};  // (0,1,0) × n
  } else {
    ax = {-n.y, n.x, 0};  // (0,0,1) × n
  }
  const double axLength = std::hypot(ax.x, ax.y, ax.z);
  ax = {ax.x / axLength, ax.y / axLength, ax.z / axLength};
  const Vector3d ay{n.y * ax.z - n.z * ax.y, n.z * ax.x - n.x * ax.z, n.x * ax.y - n.y * ax.x};
  Matrix3d r;
  r.m[0][0] = ax.x;
  r.m[1][0] = ax.y;
  r.m[2][0] = ax.z;
  r.m[0][1] = ay.x;
  r.m[1][1] = ay.y;
  r.m[2][1] = ay.z;
  r.m[0][2] = n.x;
  r.m[1][2] = n.y;
  r.m[2][2] = n.z;
  return r;
}

}  // namespace cad

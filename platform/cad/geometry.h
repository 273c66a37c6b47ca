#pragma once
// Plain geometry values of the drawing database: points, vectors, boxes and the block transform.

#include <cmath>

namespace cad {

struct Point2d {
  double x = 0, y = 0;
};

struct Vector3d {
  double x = 0, y = 0, z = 0;
};

struct Point3d {
  double x = 0, y = 0, z = 0;
  double distanceTo(const Point3d& o) const { return std::hypot(x - o.x, y - o.y, z - o.z); }
};

// Axis-aligned box as the host's getGeomExtents gives it. A default box is empty (min > max).
struct Extents3d {
  Point3d minPoint{HUGE_VAL, HUGE_VAL, HUGE_VAL};
  Point3d maxPoint{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  bool isEmpty() const { return minPoint.x > maxPoint.x || minPoint.y > maxPoint.y; }
  void addPoint(const Point3d& p);
  void addExt(const Extents3d& e);
};

// Affine transform in 3D (rotation/scale 3x3 plus translation), enough for block references and the UCS.
struct Matrix3d {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  Point3d apply(const Point3d& p) const;
  Matrix3d operator*(const Matrix3d& o) const;
  static Matrix3d translation(const Vector3d& v);
  static Matrix3d scaling(double sx, double sy, double sz);
  static Matrix3d rotationZ(double radians);
  // The arbitrary-axis algorithm: object coordinates of an entity with this normal to world coordinates.
  static Matrix3d planeToWorld(const Vector3d& normal);
};

}  // namespace cad

#pragma once
// Curves beyond lines, polylines, circles and arcs: ellipses, splines and 3D polylines.

#include <vector>

#include "cad/entities.h"

namespace cad {

// center + majorAxis·cos t + minorAxis·sin t for t from startParam to endParam (radians, counter-clockwise
// about the normal); the minor axis is normal × majorAxis scaled by the radius ratio.
class Ellipse : public Curve {
 public:
  Ellipse() : Curve(ObjectKind::kEllipse) {}
  static auto cast(auto* object) { return kindCast<Ellipse>(object, ObjectKind::kEllipse); }
  Point3d center;
  Vector3d majorAxis{1, 0, 0};  // world, from the centre to the end of the major axis
  Vector3d normal{0, 0, 1};
  double radiusRatio = 1;       // minor / major, 0 < ratio ≤ 1
  double startParam = 0, endParam = 0;
  Vector3d minorAxis() const;
  // The sweep from start to end, in (0, 2π]; equal parameters give a whole turn.
  double sweep() const;
  bool isClosed() const override;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// A B-spline (rational when it has weights) by its control points, or by its fit points alone.
class Spline : public Curve {
 public:
  Spline() : Curve(ObjectKind::kSpline) {}
  static auto cast(auto* object) { return kindCast<Spline>(object, ObjectKind::kSpline); }
  int degree = 3;
  bool closed = false, periodic = false, rational = false;
  std::vector<double> knots;
  std::vector<Point3d> controlPoints;  // world
  std::vector<double> weights;         // one a control point when rational, else empty
  std::vector<Point3d> fitPoints;      // world
  bool isClosed() const override { return closed || periodic; }
  // Points along the curve in order, `perSpan` between knots (fit points: between fit points).
  std::vector<Point3d> sampled(int perSpan) const;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// A polyline of 3D vertices. It is drawn in plan, flattened onto the XY plane.
class Polyline3d : public Curve {
 public:
  Polyline3d() : Curve(ObjectKind::kPolyline3d) {}
  static auto cast(auto* object) { return kindCast<Polyline3d>(object, ObjectKind::kPolyline3d); }
  std::vector<Point3d> points;  // world, the curve's vertices (a spline frame's control points left out)
  bool closed = false;
  bool isClosed() const override { return closed; }
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

}  // namespace cad

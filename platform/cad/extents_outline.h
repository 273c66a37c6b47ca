#pragma once
// What extents are computed from: the points and elliptical arcs that bound an entity, in its own space
// (world coordinates, or block coordinates inside a definition). The renderer draws curves from the same pieces.

#include <vector>

#include "cad/entities.h"

namespace cad {

class AttributeDefinition;

// c + u·cos t + v·sin t for t in [t0, t0 + sweep]. Circles, arcs and polyline bulges take this form and keep
// it under any affine map, so a box taken after a block transform stays exact whatever the rotation.
struct ArcPiece {
  Point3d c;
  Vector3d u, v;
  double t0 = 0, sweep = 0;
};

class OutlineSink {
 public:
  virtual void point(const Point3d& p) = 0;
  virtual void arc(const ArcPiece& a) = 0;

 protected:
  ~OutlineSink() = default;
};

// What a sink was given, kept, with the box around it.
struct Outline {
  std::vector<Point3d> points;
  std::vector<ArcPiece> arcs;
  Extents3d box;
  std::size_t size() const { return points.size() + arcs.size(); }
};

// Grows a box by what it is given, through an optional transform.
class BoxSink final : public OutlineSink {
 public:
  explicit BoxSink(Extents3d& box, const Matrix3d* transform = nullptr) : box_(box), transform_(transform) {}
  void point(const Point3d& p) override;
  void arc(const ArcPiece& a) override;

 private:
  Extents3d& box_;
  const Matrix3d* transform_;
};

// A circle of radius r in the plane of `normal`, its angles measured from the plane's X axis.
ArcPiece planeArc(const Point3d& centre, double r, const Vector3d& normal, double t0, double sweep);
// The arc a bulge puts between two object-coordinate vertices, counter-clockwise (from the end vertex when the
// bulge is negative); false for a zero-length segment.
bool bulgeArc(const Point2d& p1, const Point2d& p2, double bulge, double z, ArcPiece& out);
// The counter-clockwise sweep from one angle to another, in (0, 2π]: equal angles give a whole turn.
double arcSweep(double start, double end);

Vector3d applyLinear(const Matrix3d& m, const Vector3d& v);
ArcPiece transformed(const ArcPiece& a, const Matrix3d& m);
// Exact box of the arc: its ends and, per axis, the extreme angles that fall inside the sweep.
void addArcBox(const ArcPiece& a, Extents3d& box);

// The outline of any kind but block references (a reference's outline is its definition's, see
// block_extents.h). Texts' outlines are font-metric estimates.
void outlineOf(const Entity& entity, OutlineSink& sink);
void outlineOfText(const Text& text, OutlineSink& sink);
void outlineOfMText(const MText& text, OutlineSink& sink);
// The kinds beyond those (extents_other.cpp): ellipses, splines, 3D polylines, solids, attribute definitions,
// and dimensions by their defining points (their blocks are taken where block geometry is built). False for
// any other kind.
bool outlineOfOtherKind(const Entity& entity, OutlineSink& sink);
void outlineOfAttributeDefinition(const AttributeDefinition& definition, OutlineSink& sink);

}  // namespace cad

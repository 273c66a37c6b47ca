#pragma once
// What extents are computed from: the points and elliptical arcs that bound an entity, in its own space
// (world coordinates, or block coordinates inside a definition). Internal to the drawing database.

#include <vector>

#include "cad/entities.h"

namespace cad {

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

Vector3d applyLinear(const Matrix3d& m, const Vector3d& v);
ArcPiece transformed(const ArcPiece& a, const Matrix3d& m);
// Exact box of the arc: its ends and, per axis, the extreme angles that fall inside the sweep.
void addArcBox(const ArcPiece& a, Extents3d& box);

// The outline of any kind but block references (a reference's outline is its definition's, see
// block_extents.h). Texts' outlines are font-metric estimates.
void outlineOf(const Entity& entity, OutlineSink& sink);
void outlineOfText(const Text& text, OutlineSink& sink);
void outlineOfMText(const MText& text, OutlineSink& sink);

}  // namespace cad

#pragma once
// Filled outlines of three or four corners: solids and traces.

#include "cad/entities.h"

namespace cad {

// A filled triangle or quadrilateral; the corners come in the order 1, 2, 4, 3 round its outline.
class Solid : public Entity {
 public:
  Solid() : Entity(ObjectKind::kSolid) {}
  static auto cast(auto* object) { return kindCast<Solid>(object, ObjectKind::kSolid, ObjectKind::kDimension); }
  Point3d corners[4];  // world
  Vector3d normal{0, 0, 1};
  const RxClass& rxClass() const override;

 protected:
  explicit Solid(ObjectKind kind) : Entity(kind) {}
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// The filled segment the old TRACE command drew; as a solid.
class Trace : public Solid {
 public:
  Trace() : Solid(ObjectKind::kTrace) {}
  static auto cast(auto* object) { return kindCast<Trace>(object, ObjectKind::kTrace); }
  const RxClass& rxClass() const override;
};

}  // namespace cad

#pragma once
// Entities the plot draws in plan from geometry worked out as the drawing is read: points, wipeouts,
// construction lines and rays, and the kinds drawn as their wire (3D faces, leaders, multileaders, multilines,
// helixes, meshes); and shapes, which are kept but not drawn (they need a shape file).

#include <memory>
#include <string>
#include <vector>

#include "cad/entities.h"

namespace cad {

// Drawn as the drawing's point style says (PDMODE and PDSIZE).
class PointEntity : public Entity {
 public:
  PointEntity() : Entity(ObjectKind::kPoint) {}
  static auto cast(auto* object) { return kindCast<PointEntity>(object, ObjectKind::kPoint); }
  Point3d position;  // world
  double rotation = 0;  // radians, of the figure about the point
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// Hides what lies under it: a polygon filled in the paper's colour, its frame drawn as WIPEOUTFRAME says.
class Wipeout : public Entity {
 public:
  Wipeout() : Entity(ObjectKind::kWipeout) {}
  static auto cast(auto* object) { return kindCast<Wipeout>(object, ObjectKind::kWipeout); }
  std::vector<Point3d> boundary;  // world, closed
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// A line through a point without end; as a ray, from the point on. It has no extents, as in the host.
class Xline : public Entity {
 public:
  Xline() : Entity(ObjectKind::kXline) {}
  static auto cast(auto* object) { return kindCast<Xline>(object, ObjectKind::kXline, ObjectKind::kWire); }
  Point3d basePoint;  // world
  Vector3d direction{1, 0, 0};
  bool isRay() const { return kind() == ObjectKind::kRay; }
  const RxClass& rxClass() const override;

 protected:
  explicit Xline(ObjectKind kind) : Entity(kind) {}
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Ray : public Xline {
 public:
  Ray() : Xline(ObjectKind::kRay) {}
  static auto cast(auto* object) { return kindCast<Ray>(object, ObjectKind::kRay); }
  const RxClass& rxClass() const override;
};

// An entity drawn as polylines (stroked, or filled) in world coordinates, seen in plan.
class WireEntity : public Entity {
 public:
  static auto cast(auto* object) { return kindCast<WireEntity>(object, ObjectKind::kWire, ObjectKind::kShape); }
  struct Path {
    std::vector<Point3d> points;
    bool closed = false;
    bool filled = false;  // an arrowhead
  };
  std::vector<Path> paths;

 protected:
  explicit WireEntity(ObjectKind kind) : Entity(kind) {}
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// Its visible edges.
class Face3d : public WireEntity {
 public:
  Face3d() : WireEntity(ObjectKind::kFace3d) {}
  static auto cast(auto* object) { return kindCast<Face3d>(object, ObjectKind::kFace3d); }
  const RxClass& rxClass() const override;
};

// Its path and arrowhead.
class Leader : public WireEntity {
 public:
  Leader() : WireEntity(ObjectKind::kLeader) {}
  static auto cast(auto* object) { return kindCast<Leader>(object, ObjectKind::kLeader); }
  const RxClass& rxClass() const override;
};

// Its leaders and arrowheads as wire, with its text or its block.
class MLeader : public WireEntity {
 public:
  MLeader();
  ~MLeader() override;
  static auto cast(auto* object) { return kindCast<MLeader>(object, ObjectKind::kMLeader); }
  std::unique_ptr<MText> text;  // null without text content
  ObjectId blockId;             // the block content, else null
  Matrix3d blockTransform;      // the block content's definition coordinates to world
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// The lines of its style, offset along its vertices.
class MLine : public WireEntity {
 public:
  MLine() : WireEntity(ObjectKind::kMLine) {}
  static auto cast(auto* object) { return kindCast<MLine>(object, ObjectKind::kMLine); }
  const RxClass& rxClass() const override;
};

class Helix : public WireEntity {
 public:
  Helix() : WireEntity(ObjectKind::kHelix) {}
  static auto cast(auto* object) { return kindCast<Helix>(object, ObjectKind::kHelix); }
  const RxClass& rxClass() const override;
};

// The edges of its faces.
class SubDMesh : public WireEntity {
 public:
  SubDMesh() : WireEntity(ObjectKind::kSubDMesh) {}
  static auto cast(auto* object) { return kindCast<SubDMesh>(object, ObjectKind::kSubDMesh); }
  const RxClass& rxClass() const override;
};

// A symbol from a shape file, which the stand-in host does not carry: kept, with its insertion point as its
// extents, and left out of plots.
class Shape : public Entity {
 public:
  Shape() : Entity(ObjectKind::kShape) {}
  static auto cast(auto* object) { return kindCast<Shape>(object, ObjectKind::kShape); }
  Point3d position;  // world
  double size = 1;
  std::wstring name;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

}  // namespace cad

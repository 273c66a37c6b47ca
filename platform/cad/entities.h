#pragma once
// The entity kinds the drawing database holds. Each passes its kind to its base (object_kind.h); cast() tests
// it as the host's cast() tests the class.

#include <optional>
#include <string>
#include <vector>

#include "cad/object.h"

namespace cad {

// "Standard", the style texts have when they name none.
const Name& standardStyle();

class Curve : public Entity {
 public:
  virtual bool isClosed() const = 0;
  // Enclosed area (absolute value not taken: sign follows the direction, as the host's).
  virtual ErrorStatus getArea(double& area) const;
  static auto cast(auto* object) { return kindCast<Curve>(object, ObjectKind::kCurve, ObjectKind::kText); }

 protected:
  explicit Curve(ObjectKind kind = ObjectKind::kCurve) : Entity(kind) {}
};

class Line : public Curve {
 public:
  Line() : Curve(ObjectKind::kLine) {}
  static auto cast(auto* object) { return kindCast<Line>(object, ObjectKind::kLine); }
  Point3d start, end;
  Vector3d normal{0, 0, 1};
  Point3d startPoint() const { return start; }
  Point3d endPoint() const { return end; }
  bool isClosed() const override { return false; }
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// Lightweight polyline: 2D vertices in object coordinates with bulges and widths.
class Polyline : public Curve {
 public:
  Polyline() : Curve(ObjectKind::kPolyline) {}
  static auto cast(auto* object) { return kindCast<Polyline>(object, ObjectKind::kPolyline); }
  struct Vertex {
    Point2d pt;
    double bulge = 0, startWidth = 0, endWidth = 0;
  };
  std::vector<Vertex> vertices;
  bool closed = false;
  double elevation = 0;
  double constantWidth = 0;
  Vector3d normal{0, 0, 1};
  std::vector<unsigned> failVertexReads;  // test hook: getPointAt fails for these indices

  unsigned numVerts() const { return static_cast<unsigned>(vertices.size()); }
  bool isOnlyLines() const;
  ErrorStatus getPointAt(unsigned index, Point3d& pt) const;  // world coordinates
  ErrorStatus getPointAt(unsigned index, Point2d& pt) const;  // object coordinates
  ErrorStatus getBulgeAt(unsigned index, double& bulge) const;
  bool isClosed() const override { return closed; }
  ErrorStatus getArea(double& area) const override;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// Legacy 2D polyline: its vertices are objects of their own, opened one by one.
class Vertex2d : public Object {
 public:
  Vertex2d() : Object(ObjectKind::kVertex2d) {}
  static auto cast(auto* object) { return kindCast<Vertex2d>(object, ObjectKind::kVertex2d); }
  Point3d position;  // object coordinates, z = the polyline's elevation
  double bulge_ = 0;
  double startWidth = 0, endWidth = 0;
  int vertexFlags = 0;  // DXF 70 of the vertex
  double bulge() const { return bulge_; }
  const RxClass& rxClass() const override;
};

class Polyline2d : public Curve {
 public:
  Polyline2d() : Curve(ObjectKind::kPolyline2d) {}
  static auto cast(auto* object) { return kindCast<Polyline2d>(object, ObjectKind::kPolyline2d); }
  std::vector<ObjectId> vertexIds;  // stored order
  bool closed = false;
  double elevation = 0;
  Vector3d normal{0, 0, 1};
  bool isClosed() const override { return closed; }
  ErrorStatus getArea(double& area) const override;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Circle : public Curve {
 public:
  Circle() : Curve(ObjectKind::kCircle) {}
  static auto cast(auto* object) { return kindCast<Circle>(object, ObjectKind::kCircle); }
  Point3d center;
  double radius = 0;
  Vector3d normal{0, 0, 1};
  bool isClosed() const override { return true; }
  ErrorStatus getArea(double& area) const override;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Arc : public Curve {
 public:
  Arc() : Curve(ObjectKind::kArc) {}
  static auto cast(auto* object) { return kindCast<Arc>(object, ObjectKind::kArc); }
  Point3d center;
  double radius = 0;
  double startAngle = 0, endAngle = 0;  // radians, counter-clockwise
  Vector3d normal{0, 0, 1};
  bool isClosed() const override { return false; }
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Text : public Entity {
 public:
  Text() : Entity(ObjectKind::kText) {}
  static auto cast(auto* object) { return kindCast<Text>(object, ObjectKind::kText, ObjectKind::kMText); }
  Point3d position;
  Point3d alignment;
  double height = 2.5;
  double rotation = 0;      // radians
  double widthFactor = 1;
  int horizontalMode = 0;   // DXF 72
  int verticalMode = 0;     // DXF 73
  std::wstring contents;
  Name styleName = standardStyle();
  Vector3d normal{0, 0, 1};
  const RxClass& rxClass() const override;

 protected:
  explicit Text(ObjectKind kind) : Entity(kind) {}
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class AttributeReference : public Text {
 public:
  AttributeReference() : Text(ObjectKind::kAttributeReference) {}
  static auto cast(auto* object) { return kindCast<AttributeReference>(object, ObjectKind::kAttributeReference); }
  std::wstring tag;
  bool invisible = false;
  const RxClass& rxClass() const override;
};

class MText : public Entity {
 public:
  MText() : Entity(ObjectKind::kMText) {}
  static auto cast(auto* object) { return kindCast<MText>(object, ObjectKind::kMText); }
  Point3d location;
  double textHeight = 2.5;
  double width = 0;  // reference rectangle width; 0 = no wrapping
  double rotation = 0;
  int attachment = 1;  // 1 top left … 9 bottom right
  std::wstring contents;
  Name styleName = standardStyle();
  Vector3d normal{0, 0, 1};
  bool backgroundFill = false;
  bool useBackgroundColor = false;
  std::optional<unsigned> backgroundRgb;
  double backgroundScaleFactor = 1.5;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class BlockReference : public Entity {
 public:
  BlockReference() : Entity(ObjectKind::kBlockReference) {}
  static auto cast(auto* object) { return kindCast<BlockReference>(object, ObjectKind::kBlockReference); }
  ObjectId blockId;  // the definition (block table record)
  Point3d position_;
  Vector3d scale{1, 1, 1};
  double rotation_ = 0;  // radians
  Vector3d normal_{0, 0, 1};
  std::vector<ObjectId> attributes;
  ObjectId dynamicBlockId;  // the dynamic definition of an anonymous representation, else null
  // An array of references (MINSERT): rows × columns of the block, spaced in the reference's rotated plane.
  int rows = 1, columns = 1;
  double rowSpacing = 0, columnSpacing = 0;

  ObjectId blockTableRecord() const { return blockId; }
  ObjectId dynamicBlockTableRecord() const { return dynamicBlockId.isNull() ? blockId : dynamicBlockId; }
  Point3d position() const { return position_; }
  Vector3d scaleFactors() const { return scale; }
  double rotation() const { return rotation_; }
  Vector3d normal() const { return normal_; }
  // Definition coordinates to world coordinates (base point, scale, rotation, normal, position).
  Matrix3d blockTransform() const;
  // The same for one instance of an array (row and column from 0); instance 0, 0 is blockTransform().
  Matrix3d instanceTransform(int row, int column) const;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Viewport : public Entity {
 public:
  Viewport() : Entity(ObjectKind::kViewport) {}
  static auto cast(auto* object) { return kindCast<Viewport>(object, ObjectKind::kViewport); }
  Point3d center;
  double width_ = 0, height_ = 0;
  Point2d viewCenter;  // display coordinates of the model view
  double viewHeight = 0;
  Point3d viewTarget;
  Vector3d viewDirection{0, 0, 1};
  double twistAngle = 0;
  bool on = true;
  int number_ = -1;  // 1 = the layout's own paper-space viewport; assigned by the database
  int fileId = 0;    // the viewport id a file gave (1 marks the layout's own viewport); 0 when built

  int number() const { return number_; }
  double width() const { return width_; }
  double height() const { return height_; }
  Point3d centerPoint() const { return center; }
  bool isOn() const { return on; }
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

class Hatch : public Entity {
 public:
  Hatch() : Entity(ObjectKind::kHatch) {}
  static auto cast(auto* object) { return kindCast<Hatch>(object, ObjectKind::kHatch); }
  std::wstring patternName = L"SOLID";
  std::vector<std::vector<Point2d>> loops;  // boundary loops as polygons, object coordinates
  bool solidFill = false;
  // The pattern's lines as the hatch carries them, in object coordinates, its scale and angle applied.
  struct PatternLine {
    double angle = 0;  // radians
    Point2d base, offset;
    std::vector<double> dashes;  // > 0 drawn, < 0 a gap, 0 a dot
  };
  std::vector<PatternLine> patternLines;
  struct Gradient {
    std::wstring name;  // LINEAR, CYLINDER, SPHERICAL, CURVED, HEMISPHERICAL and their INV… forms
    double angle = 0;   // radians
    double shift = 0;   // 0 centred … 1
    double tint = 0;    // a one-colour gradient's second colour: 0 dark … 1 light
    bool oneColour = false;
    std::vector<std::uint32_t> colours;  // RGB, first to last
  };
  std::optional<Gradient> gradient;
  double elevation = 0;
  Vector3d normal{0, 0, 1};
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

}  // namespace cad

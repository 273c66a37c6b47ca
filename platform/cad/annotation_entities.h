#pragma once
// Dimensions, drawn through the anonymous blocks that hold their lines, arrows and text, and attribute
// definitions, the templates of a block's attributes.

#include <string>

#include "cad/entities.h"

namespace cad {

class Dimension : public Entity {
 public:
  Dimension() : Entity(ObjectKind::kDimension) {}
  static auto cast(auto* object) { return kindCast<Dimension>(object, ObjectKind::kDimension); }
  ObjectId blockId;  // the anonymous block ("*D…") that draws it; null when the file gives none
  int dimensionType = 0;  // DXF 70 without its flag bits: 0 rotated … 6 ordinate
  Point3d dimLinePoint;   // DXF 10, world
  Point3d textPosition;   // DXF 11, world
  Point3d defPoint1, defPoint2, defPoint3, defPoint4;  // DXF 13, 14, 15 and 16, world; unused ones stay 0
  double measurement = 0;
  std::wstring textOverride;  // "" shows the measurement, "<>" stands for it
  std::wstring styleName;
  Vector3d normal{0, 0, 1};

  Point3d blockInsertion;  // DXF 12: where the block's origin is placed, usually the world origin

  ObjectId dimBlockId() const { return blockId; }
  // Block coordinates to world coordinates.
  Matrix3d blockTransform() const;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

// Shows its tag where it stands in a layout; inside a block definition it shows nothing, unless it is
// constant: then it shows its value wherever the block is referenced.
class AttributeDefinition : public Text {
 public:
  AttributeDefinition() : Text(ObjectKind::kAttributeDefinition) {}
  static auto cast(auto* object) { return kindCast<AttributeDefinition>(object, ObjectKind::kAttributeDefinition); }
  std::wstring tag;
  std::wstring prompt;
  bool invisible = false;
  bool constant = false;
  // Whether it stands in a block definition (not in model or paper space).
  bool inBlockDefinition() const;
  const RxClass& rxClass() const override;

 protected:
  ErrorStatus computeExtents(Extents3d& e) const override;
};

}  // namespace cad

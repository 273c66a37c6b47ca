// Outlines and extents of the kinds beyond lines, polylines, circles, arcs, texts, viewports and hatches.
#include <cmath>

#include "cad/annotation_entities.h"
#include "cad/block_extents.h"
#include "cad/curve_entities.h"
#include "cad/extents_outline.h"
#include "cad/solid_entities.h"

namespace cad {
namespace {

// Samples between a spline's knots: enough for a box within a small fraction of a span.
constexpr int kSplineSamplesPerSpan = 16;

ErrorStatus boxOf(const Entity& entity, Extents3d& e) {
  BoxSink sink(e);
  outlineOf(entity, sink);
  return e.isEmpty() ? eInvalidExtents : eOk;
}

void outlineOfDimensionPoints(const Dimension& dimension, OutlineSink& sink) {
  sink.point(dimension.dimLinePoint);
  sink.point(dimension.textPosition);
  for (const Point3d* p : {&dimension.defPoint1, &dimension.defPoint2, &dimension.defPoint3, &dimension.defPoint4}) {
    // Points the dimension's type leaves unused stay at the origin.
    if (p->x != 0 || p->y != 0 || p->z != 0) sink.point(*p);
  }
}

}  // namespace

bool outlineOfOtherKind(const Entity& entity, OutlineSink& sink) {
  if (auto* ellipse = dynamic_cast<const Ellipse*>(&entity)) {
    sink.arc({ellipse->center, ellipse->majorAxis, ellipse->minorAxis(), ellipse->startParam, ellipse->sweep()});
  } else if (auto* spline = dynamic_cast<const Spline*>(&entity)) {
    for (const Point3d& p : spline->sampled(kSplineSamplesPerSpan)) sink.point(p);
  } else if (auto* pline = dynamic_cast<const Polyline3d*>(&entity)) {
    for (const Point3d& p : pline->points) sink.point(p);
  } else if (auto* solid = dynamic_cast<const Solid*>(&entity)) {
    for (const Point3d& p : solid->corners) sink.point(p);
  } else if (auto* dimension = dynamic_cast<const Dimension*>(&entity)) {
    outlineOfDimensionPoints(*dimension, sink);
  } else {
    return false;
  }
  return true;
}

void outlineOfAttributeDefinition(const AttributeDefinition& definition, OutlineSink& sink) {
  const bool inBlock = definition.inBlockDefinition();
  // A non-constant definition shows in references as their attributes, not itself.
  if (inBlock && !definition.constant) return;
  Text shown;
  shown.position = definition.position;
  shown.alignment = definition.alignment;
  shown.height = definition.height;
  shown.rotation = definition.rotation;
  shown.widthFactor = definition.widthFactor;
  shown.horizontalMode = definition.horizontalMode;
  shown.verticalMode = definition.verticalMode;
  shown.normal = definition.normal;
  shown.contents = inBlock ? definition.contents : definition.tag;
  outlineOfText(shown, sink);
}

bool AttributeDefinition::inBlockDefinition() const {
  const ObjectStore* store = objectStore();
  if (store == nullptr) return false;
  auto* owner = dynamic_cast<const BlockTableRecord*>(store->objectAt(ownerId()));
  return owner != nullptr && !owner->isLayout();
}

Matrix3d Dimension::blockTransform() const {
  Point3d origin;
  if (const ObjectStore* store = objectStore()) {
    if (auto* record = dynamic_cast<const BlockTableRecord*>(store->objectAt(blockId))) origin = record->origin();
  }
  return Matrix3d::translation({blockInsertion.x - origin.x, blockInsertion.y - origin.y, blockInsertion.z - origin.z});
}

ErrorStatus Dimension::computeExtents(Extents3d& e) const {
  const ObjectStore* store = objectStore();
  std::shared_ptr<const Outline> geometry = store == nullptr ? nullptr : blockGeometry(*store, blockId);
  if (!geometry) return boxOf(*this, e);
  BoxSink sink(e);
  const Matrix3d m = blockTransform();
  for (const Point3d& p : geometry->points) sink.point(m.apply(p));
  for (const ArcPiece& a : geometry->arcs) sink.arc(transformed(a, m));
  return e.isEmpty() ? eInvalidExtents : eOk;
}

ErrorStatus Ellipse::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Spline::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Polyline3d::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Solid::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus AttributeDefinition::computeExtents(Extents3d& e) const { return boxOf(*this, e); }

}  // namespace cad

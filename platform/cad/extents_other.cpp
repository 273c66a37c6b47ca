// Outlines and extents of the kinds beyond lines, polylines, circles, arcs, texts, viewports and hatches.
#include <cmath>

#include "cad/annotation_entities.h"
#include "cad/block_extents.h"
#include "cad/curve_entities.h"
#include "cad/extents_outline.h"
#include "cad/plan_entities.h"
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
  } else if (auto* wire = WireEntity::cast(&entity)) {
    for (const WireEntity::Path& path : wire->paths) {
      for (const Point3d& p : path.points) sink.point(p);
    }
    if (auto* leader = MLeader::cast(wire); leader != nullptr && leader->text) outlineOfMText(*leader->text, sink);
  } else if (auto* point = PointEntity::cast(&entity)) {
    sink.point(point->position);
  } else if (auto* wipeout = Wipeout::cast(&entity)) {
    for (const Point3d& p : wipeout->boundary) sink.point(p);
  } else if (auto* shape = Shape::cast(&entity)) {
    sink.point(shape->position);
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
ErrorStatus PointEntity::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Wipeout::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus WireEntity::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
ErrorStatus Shape::computeExtents(Extents3d& e) const { return boxOf(*this, e); }
// Without end, as the host's: no box.
ErrorStatus Xline::computeExtents(Extents3d&) const { return eInvalidExtents; }

ErrorStatus MLeader::computeExtents(Extents3d& e) const {
  BoxSink sink(e);
  outlineOf(*this, sink);
  if (const ObjectStore* store = objectStore(); store != nullptr && !blockId.isNull()) {
    if (auto g = blockGeometry(*store, blockId)) {
      for (const Point3d& p : g->points) sink.point(blockTransform.apply(p));
      for (const ArcPiece& a : g->arcs) sink.arc(transformed(a, blockTransform));
    }
  }
  return e.isEmpty() ? eInvalidExtents : eOk;
}

}  // namespace cad

#include "recognition/entity_kind.h"

#include "cad/entities.h"

VexBatchEntityKind VexBatchEntityKinds::of(const cad::Entity& entity) const {
  // Most entities of a drawing are lines: they are asked about first.
  if (cad::Line::cast(&entity) != nullptr) return VexBatchEntityKind::Line;
  if (cad::Polyline::cast(&entity) != nullptr) return VexBatchEntityKind::Polyline;
  if (cad::BlockReference::cast(&entity) != nullptr) return VexBatchEntityKind::BlockReference;
  if (cad::Polyline2d::cast(&entity) != nullptr) return VexBatchEntityKind::LegacyPolyline;
  if (cad::Viewport::cast(&entity) != nullptr) return VexBatchEntityKind::Viewport;
  return VexBatchEntityKind::Other;
}

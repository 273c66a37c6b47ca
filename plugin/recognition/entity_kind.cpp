#include "recognition/entity_kind.h"

#include "cad/entities.h"

namespace {

VexBatchEntityKind kindByType(const cad::Entity& entity) {
  if (dynamic_cast<const cad::Polyline*>(&entity)) return VexBatchEntityKind::Polyline;
  if (dynamic_cast<const cad::BlockReference*>(&entity)) return VexBatchEntityKind::BlockReference;
  if (dynamic_cast<const cad::Line*>(&entity)) return VexBatchEntityKind::Line;
  if (dynamic_cast<const cad::Polyline2d*>(&entity)) return VexBatchEntityKind::LegacyPolyline;
  if (dynamic_cast<const cad::Viewport*>(&entity)) return VexBatchEntityKind::Viewport;
  return VexBatchEntityKind::Other;
}

}  // namespace

VexBatchEntityKind VexBatchEntityKinds::of(const cad::Entity& entity) {
  const cad::RxClass* type = entity.isA();
  if (type == nullptr) return kindByType(entity);
  for (const auto& [known, kind] : known_) {
    if (known == type) return kind;
  }
  VexBatchEntityKind kind = kindByType(entity);
  known_.emplace_back(type, kind);
  return kind;
}

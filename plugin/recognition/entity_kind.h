#pragma once
// The kind of an entity as the scans need it. A scan of a large drawing asks this for every entity: the host's
// cast() answers from the entity's kind tag, so no answer needs keeping.

namespace cad {
class Entity;
}  // namespace cad

enum class VexBatchEntityKind {
  Other,
  Polyline,        // lightweight polyline
  LegacyPolyline,  // legacy two-dimensional polyline
  Line,
  BlockReference,
  Viewport,
};

class VexBatchEntityKinds {
 public:
  [[nodiscard]] VexBatchEntityKind of(const cad::Entity& entity) const;
};

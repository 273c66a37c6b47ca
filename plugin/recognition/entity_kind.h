#pragma once
// The kind of an entity as the scans need it. A scan of a large drawing asks this for every entity: the
// host's kind tag answers it in one switch, inline, so no answer needs keeping.

#include "cad/object.h"

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
  // The kinds the host's cast() of each class takes: none of these classes has subclasses of other kinds.
  [[nodiscard]] VexBatchEntityKind of(const cad::Entity& entity) const {
    switch (entity.kind()) {
      case cad::ObjectKind::kLine: return VexBatchEntityKind::Line;
      case cad::ObjectKind::kPolyline: return VexBatchEntityKind::Polyline;
      case cad::ObjectKind::kBlockReference: return VexBatchEntityKind::BlockReference;
      case cad::ObjectKind::kPolyline2d: return VexBatchEntityKind::LegacyPolyline;
      case cad::ObjectKind::kViewport: return VexBatchEntityKind::Viewport;
      default: return VexBatchEntityKind::Other;
    }
  }
};

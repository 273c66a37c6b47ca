#pragma once
// The box of an entity as every scan reads it.

#include <cmath>

#include "cad/object.h"

// True when the host gives the entity's extents and they form a finite, non-empty box. `extents` holds what
// the host gave either way. Inline: every scan asks it of every entity.
[[nodiscard]] inline bool vexBatchFiniteExtents(const cad::Entity& entity, cad::Extents3d& extents) {
  if (entity.getGeomExtents(extents) != cad::eOk) return false;
  return !extents.isEmpty() && std::isfinite(extents.minPoint.x) && std::isfinite(extents.minPoint.y) &&
         std::isfinite(extents.maxPoint.x) && std::isfinite(extents.maxPoint.y);
}

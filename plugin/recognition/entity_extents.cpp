#include "recognition/entity_extents.h"

#include <cmath>

#include "cad/database.h"

bool vexBatchFiniteExtents(const cad::Entity& entity, cad::Extents3d& extents) {
  if (entity.getGeomExtents(extents) != cad::eOk) return false;
  return !extents.isEmpty() && std::isfinite(extents.minPoint.x) && std::isfinite(extents.minPoint.y) &&
         std::isfinite(extents.maxPoint.x) && std::isfinite(extents.maxPoint.y);
}

#pragma once
// The box of an entity as every scan reads it.

namespace cad {
class Entity;
struct Extents3d;
}  // namespace cad

// True when the host gives the entity's extents and they form a finite, non-empty box. `extents` holds what
// the host gave either way.
[[nodiscard]] bool vexBatchFiniteExtents(const cad::Entity& entity, cad::Extents3d& extents);

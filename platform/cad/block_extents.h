#pragma once
// Block definitions' geometry, from which block references take their extents. Internal to the drawing
// database: each definition keeps a memo of its own, which any change to the database makes stale.

#include <cstddef>
#include <memory>

#include "cad/extents_outline.h"
#include "cad/tables.h"

namespace cad {

// Nesting deeper than this, and definitions that contain themselves, add nothing.
inline constexpr int kMaxBlockNesting = 32;
// Beyond this many pieces a definition takes nested definitions by their transformed boxes: exact for
// quarter-turn rotations, a little loose otherwise, and never exponential in the nesting.
inline constexpr std::size_t kBlockInlineLimit = 20000;

// The definition's geometry in its own coordinates; null when it has none (empty, unknown, a cycle).
std::shared_ptr<const Outline> blockGeometry(const ObjectStore& store, ObjectId blockId);

// Adds a reference's visible attributes (they live in the reference's own space).
void outlineOfAttributes(const BlockReference& reference, OutlineSink& sink);
// True when every output coordinate depends on one input coordinate only: then the box of transformed
// geometry is the transformed box.
bool isAxisAligned(const Matrix3d& m);

// Adds a reference's visible attributes (they live in the reference's own space).
void outlineOfAttributes(const BlockReference& reference, OutlineSink& sink);
// True when every output coordinate depends on one input coordinate only: then the box of transformed
// geometry is the transformed box.
bool isAxisAligned(const Matrix3d& m);

}  // namespace cad

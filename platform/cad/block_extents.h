#pragma once
// Memo of block definitions' geometry, from which block references take their extents. Internal to the
// drawing database: one per database, dropped whenever the database sees a change.

#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/extents_outline.h"

namespace cad {

struct BlockGeometry {
  std::vector<Point3d> points;
  std::vector<ArcPiece> arcs;
  Extents3d box;  // block coordinates
  std::size_t size() const { return points.size() + arcs.size(); }
};

class BlockExtentsCache {
 public:
  // Nesting deeper than this, and definitions that contain themselves, add nothing.
  static constexpr int kMaxDepth = 32;
  // Beyond this many pieces a definition takes nested definitions by their transformed boxes: exact for
  // quarter-turn rotations, a little loose otherwise, and never exponential in the nesting.
  static constexpr std::size_t kInlineLimit = 20000;

  // The definition's geometry in its own coordinates; null when it has none (empty, unknown, a cycle).
  std::shared_ptr<const BlockGeometry> geometry(const Database& db, ObjectId blockId);
  void invalidate();

 private:
  std::shared_ptr<const BlockGeometry> build(const Database& db, ObjectId blockId, int depth);
  std::mutex mutex_;
  std::unordered_map<ObjectId, std::shared_ptr<const BlockGeometry>> memo_;
  std::unordered_set<ObjectId> building_;
};

// Adds a reference's visible attributes (they live in the reference's own space).
void outlineOfAttributes(const BlockReference& reference, OutlineSink& sink);
// True when every output coordinate depends on one input coordinate only: then the box of transformed
// geometry is the transformed box.
bool isAxisAligned(const Matrix3d& m);

}  // namespace cad

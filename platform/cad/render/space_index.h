#pragma once
// Which entities of a space a page's window reaches: the boxes of a block table record's entities on a grid,
// built once per drawing state and kept while the drawing stays as it is, so that a hundred windows on one
// model space do not each walk all of it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "cad/object_id.h"

namespace cad {
class Database;
class BlockTableRecord;
}  // namespace cad

namespace cad::render {

struct Box2 {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool meets(const Box2& o) const { return x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1; }
};

class SpaceIndex {
 public:
  SpaceIndex(const Database& db, const BlockTableRecord& record);
  // Positions in the record's stored order of the entities whose boxes meet `area`, ascending. Entities
  // without extents show nothing and are never given, but for construction lines, which every query meets.
  std::vector<std::uint32_t> query(const Box2& area) const;
  // The extents of every entity with extents; nothing when there is none.
  bool bounds(Box2& out) const;

 private:
  std::vector<std::uint32_t> boxesMeeting(const Box2& area) const;
  std::vector<Box2> boxes_;
  std::vector<std::uint32_t> withBox_;  // positions of entities with a box
  Box2 bounds_;                         // of the boxes, texts' grown
  Box2 extents_;                        // of the entities' own extents
  int columns_ = 0, rows_ = 0;
  double cellWidth_ = 1, cellHeight_ = 1;
  std::vector<std::vector<std::uint32_t>> cells_;
  std::vector<std::uint32_t> large_;  // boxes over many cells, met by every query that meets them
  std::vector<std::uint32_t> unbounded_;  // construction lines and rays
};

// The indexes of the spaces pages were drawn from, while their drawings stay unchanged.
class SpaceIndexCache {
 public:
  std::shared_ptr<const SpaceIndex> indexOf(const Database& db, ObjectId record);

 private:
  struct Entry {
    const Database* database = nullptr;
    std::uint16_t serial = 0;
    ObjectId record;
    std::uint64_t generation = 0;
    std::shared_ptr<const SpaceIndex> index;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;  // the most recently used last
};

}  // namespace cad::render

#include "cad/render/space_index.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "cad/database.h"
#include "cad/plan_entities.h"

namespace cad::render {
namespace {

// About this many entities a cell, and no more cells a side than this.
constexpr double kEntitiesPerCell = 8;
constexpr int kMaxCellsPerSide = 1024;
// A box over more cells than this is kept aside and tried by every query.
constexpr long kMaxCellsPerBox = 64;
constexpr std::size_t kMostEntries = 8;

// Texts are boxed by an estimate of their glyphs; the font that draws them may reach further.
Box2 drawnBox(const Entity& entity, const Extents3d& e) {
  Box2 box{e.minPoint.x, e.minPoint.y, e.maxPoint.x, e.maxPoint.y};
  if (dynamic_cast<const Text*>(&entity) != nullptr || dynamic_cast<const MText*>(&entity) != nullptr) {
    const double grow = std::max(box.x1 - box.x0, box.y1 - box.y0);
    box = {box.x0 - grow, box.y0 - grow, box.x1 + grow, box.y1 + grow};
  }
  return box;
}

Box2 united(const Box2& a, const Box2& b) {
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool finite(const Box2& b) {
  return std::isfinite(b.x0) && std::isfinite(b.y0) && std::isfinite(b.x1) && std::isfinite(b.y1);
}

}  // namespace

SpaceIndex::SpaceIndex(const Database& db, const BlockTableRecord& record) {
  const std::size_t n = record.entityIds.size();
  boxes_.resize(n);
  bool any = false;
  for (std::size_t i = 0; i < n; ++i) {
    auto* entity = dynamic_cast<const Entity*>(db.objectAt(record.entityIds[i]));
    Extents3d e;
    if (entity != nullptr && !entity->isErased() && Xline::cast(entity) != nullptr) {
      unbounded_.push_back(static_cast<std::uint32_t>(i));
      continue;
    }
    if (entity == nullptr || entity->isErased() || entity->getGeomExtents(e) != eOk || e.isEmpty()) continue;
    const Box2 box = drawnBox(*entity, e);
    if (!finite(box)) continue;
    boxes_[i] = box;
    withBox_.push_back(static_cast<std::uint32_t>(i));
    const Box2 own{e.minPoint.x, e.minPoint.y, e.maxPoint.x, e.maxPoint.y};
    bounds_ = any ? united(bounds_, box) : box;
    extents_ = any ? united(extents_, own) : own;
    any = true;
  }
  if (!any) return;
  const double cells = std::max(1.0, static_cast<double>(withBox_.size()) / kEntitiesPerCell);
  const double w = std::max(bounds_.x1 - bounds_.x0, 1e-9), h = std::max(bounds_.y1 - bounds_.y0, 1e-9);
  const double side = std::sqrt(w * h / cells);
  columns_ = std::clamp(static_cast<int>(std::ceil(w / side)), 1, kMaxCellsPerSide);
  rows_ = std::clamp(static_cast<int>(std::ceil(h / side)), 1, kMaxCellsPerSide);
  cellWidth_ = w / columns_;
  cellHeight_ = h / rows_;
  cells_.resize(static_cast<std::size_t>(columns_) * rows_);
  for (std::uint32_t i : withBox_) {
    const Box2& b = boxes_[i];
    const int c0 = std::clamp(static_cast<int>((b.x0 - bounds_.x0) / cellWidth_), 0, columns_ - 1);
    const int c1 = std::clamp(static_cast<int>((b.x1 - bounds_.x0) / cellWidth_), 0, columns_ - 1);
    const int r0 = std::clamp(static_cast<int>((b.y0 - bounds_.y0) / cellHeight_), 0, rows_ - 1);
    const int r1 = std::clamp(static_cast<int>((b.y1 - bounds_.y0) / cellHeight_), 0, rows_ - 1);
    if (static_cast<long>(c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerBox) {
      large_.push_back(i);
      continue;
    }
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) cells_[static_cast<std::size_t>(r) * columns_ + c].push_back(i);
    }
  }
}

bool SpaceIndex::bounds(Box2& out) const {
  if (withBox_.empty()) return false;
  out = extents_;
  return true;
}

std::vector<std::uint32_t> SpaceIndex::query(const Box2& area) const {
  std::vector<std::uint32_t> found = boxesMeeting(area);
  if (unbounded_.empty()) return found;
  std::vector<std::uint32_t> all;
  all.reserve(found.size() + unbounded_.size());
  std::merge(found.begin(), found.end(), unbounded_.begin(), unbounded_.end(), std::back_inserter(all));
  return all;
}

std::vector<std::uint32_t> SpaceIndex::boxesMeeting(const Box2& area) const {
  std::vector<std::uint32_t> found;
  if (withBox_.empty() || !area.meets(bounds_)) return found;
  if (area.x0 <= bounds_.x0 && area.y0 <= bounds_.y0 && area.x1 >= bounds_.x1 && area.y1 >= bounds_.y1) {
    return withBox_;
  }
  const int c0 = std::clamp(static_cast<int>(std::floor((area.x0 - bounds_.x0) / cellWidth_)), 0, columns_ - 1);
  const int c1 = std::clamp(static_cast<int>(std::floor((area.x1 - bounds_.x0) / cellWidth_)), 0, columns_ - 1);
  const int r0 = std::clamp(static_cast<int>(std::floor((area.y0 - bounds_.y0) / cellHeight_)), 0, rows_ - 1);
  const int r1 = std::clamp(static_cast<int>(std::floor((area.y1 - bounds_.y0) / cellHeight_)), 0, rows_ - 1);
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      for (std::uint32_t i : cells_[static_cast<std::size_t>(r) * columns_ + c]) {
        if (boxes_[i].meets(area)) found.push_back(i);
      }
    }
  }
  for (std::uint32_t i : large_) {
    if (boxes_[i].meets(area)) found.push_back(i);
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

std::shared_ptr<const SpaceIndex> SpaceIndexCache::indexOf(const Database& db, ObjectId recordId) {
  auto* record = dynamic_cast<const BlockTableRecord*>(db.objectAt(recordId));
  if (record == nullptr) return nullptr;
  std::lock_guard lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->database == &db && it->serial == db.serial() && it->record == recordId &&
        it->generation == db.geometryGeneration()) {
      Entry hit = *it;
      entries_.erase(it);
      entries_.push_back(hit);
      return hit.index;
    }
  }
  const std::uint64_t generation = db.geometryGeneration();
  auto index = std::make_shared<const SpaceIndex>(db, *record);
  if (entries_.size() >= kMostEntries) entries_.erase(entries_.begin());
  entries_.push_back({&db, db.serial(), recordId, generation, index});
  return index;
}

}  // namespace cad::render

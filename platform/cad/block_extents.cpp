#include "cad/block_extents.h"

#include <cmath>
#include <numbers>

#include "cad/database.h"

namespace cad {
namespace {

class CollectSink final : public OutlineSink {
 public:
  explicit CollectSink(BlockGeometry& g) : g_(g) {}
  void point(const Point3d& p) override { g_.points.push_back(p); }
  void arc(const ArcPiece& a) override { g_.arcs.push_back(a); }

 private:
  BlockGeometry& g_;
};

void forEachCorner(const Extents3d& box, const Matrix3d& m, OutlineSink& sink) {
  for (double x : {box.minPoint.x, box.maxPoint.x}) {
    for (double y : {box.minPoint.y, box.maxPoint.y}) {
      for (double z : {box.minPoint.z, box.maxPoint.z}) sink.point(m.apply({x, y, z}));
    }
  }
}

// Puts a definition's geometry through a transform into a sink.
void emitGeometry(const BlockGeometry& g, const Matrix3d& m, OutlineSink& sink) {
  if (isAxisAligned(m)) {
    forEachCorner(g.box, m, sink);
    return;
  }
  for (const auto& p : g.points) sink.point(m.apply(p));
  for (const auto& a : g.arcs) sink.arc(transformed(a, m));
}

// Cos and sin of a rotation, exact at quarter turns so that such references keep exact boxes.
void cosSin(double radians, double& c, double& s) {
  const double quarters = radians / (std::numbers::pi / 2);
  const double nearest = std::nearbyint(quarters);
  if (std::isfinite(nearest) && std::fabs(quarters - nearest) < 1e-9) {
    double turn = std::fmod(nearest, 4.0);
    if (turn < 0) turn += 4;
    static constexpr double kCos[4] = {1, 0, -1, 0};
    static constexpr double kSin[4] = {0, 1, 0, -1};
    const int index = turn < 0.5 ? 0 : turn < 1.5 ? 1 : turn < 2.5 ? 2 : 3;
    c = kCos[index];
    s = kSin[index];
    return;
  }
  c = std::cos(radians);
  s = std::sin(radians);
}

}  // namespace

bool isAxisAligned(const Matrix3d& m) {
  for (const auto& row : m.m) {
    if ((row[0] != 0) + (row[1] != 0) + (row[2] != 0) > 1) return false;
  }
  return true;
}

std::shared_ptr<const BlockGeometry> BlockExtentsCache::geometry(const Database& db, ObjectId blockId) {
  std::lock_guard lock(mutex_);
  auto g = build(db, blockId, 0);
  return g && g->size() > 0 ? g : nullptr;
}

void BlockExtentsCache::invalidate() {
  std::lock_guard lock(mutex_);
  if (!memo_.empty()) memo_.clear();
}

std::shared_ptr<const BlockGeometry> BlockExtentsCache::build(const Database& db, ObjectId blockId, int depth) {
  if (auto it = memo_.find(blockId); it != memo_.end()) return it->second;
  if (depth > kMaxDepth || building_.count(blockId) != 0) return nullptr;
  auto* record = dynamic_cast<const BlockTableRecord*>(db.objectAt(blockId));
  if (record == nullptr) return nullptr;

  building_.insert(blockId);
  auto g = std::make_shared<BlockGeometry>();
  CollectSink sink(*g);
  for (ObjectId id : record->entityIds) {
    auto* entity = dynamic_cast<const Entity*>(db.objectAt(id));
    if (entity == nullptr || entity->isErased() || entity->entityFaults.extents) continue;
    auto* reference = dynamic_cast<const BlockReference*>(entity);
    if (reference == nullptr) {
      outlineOf(*entity, sink);
      continue;
    }
    const auto child = build(db, reference->blockTableRecord(), depth + 1);
    if (child && child->size() > 0) {
      const Matrix3d m = reference->blockTransform();
      if (g->size() + child->size() <= kInlineLimit) {
        for (const auto& p : child->points) sink.point(m.apply(p));
        for (const auto& a : child->arcs) sink.arc(transformed(a, m));
      } else {
        forEachCorner(child->box, m, sink);
      }
    }
    outlineOfAttributes(*reference, sink);
  }
  building_.erase(blockId);

  BoxSink boxSink(g->box);
  for (const auto& p : g->points) boxSink.point(p);
  for (const auto& a : g->arcs) boxSink.arc(a);
  memo_[blockId] = g;
  return g;
}

void outlineOfAttributes(const BlockReference& reference, OutlineSink& sink) {
  const Database* db = reference.database();
  if (db == nullptr) return;
  for (ObjectId id : reference.attributes) {
    auto* attribute = dynamic_cast<const AttributeReference*>(db->objectAt(id));
    if (attribute == nullptr || attribute->isErased() || attribute->invisible || attribute->entityFaults.extents) {
      continue;
    }
    outlineOfText(*attribute, sink);
  }
}

Matrix3d BlockReference::blockTransform() const {
  Point3d origin;
  if (const Database* db = database()) {
    if (auto* record = dynamic_cast<const BlockTableRecord*>(db->objectAt(blockId))) origin = record->origin();
  }
  Matrix3d rotation;
  double c = 1, s = 0;
  cosSin(rotation_, c, s);
  rotation.m[0][0] = c;
  rotation.m[0][1] = -s;
  rotation.m[1][0] = s;
  rotation.m[1][1] = c;
  return Matrix3d::translation({position_.x, position_.y, position_.z}) * Matrix3d::planeToWorld(normal_) *
         rotation * Matrix3d::scaling(scale.x, scale.y, scale.z) *
         Matrix3d::translation({-origin.x, -origin.y, -origin.z});
}

ErrorStatus BlockReference::computeExtents(Extents3d& e) const {
  const Database* db = database();
  if (db == nullptr) return eInvalidExtents;
  BoxSink sink(e);
  if (auto g = db->blockExtentsCache().geometry(*db, blockId)) emitGeometry(*g, blockTransform(), sink);
  outlineOfAttributes(*this, sink);
  return e.isEmpty() ? eInvalidExtents : eOk;
}

}  // namespace cad

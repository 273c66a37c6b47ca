#include "cad/block_extents.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <unordered_set>

#include "cad/annotation_entities.h"

namespace cad {
namespace {

class CollectSink final : public OutlineSink {
 public:
  explicit CollectSink(Outline& g) : g_(g) {}
  void point(const Point3d& p) override { g_.points.push_back(p); }
  void arc(const ArcPiece& a) override { g_.arcs.push_back(a); }

 private:
  Outline& g_;
};

void forEachCorner(const Extents3d& box, const Matrix3d& m, OutlineSink& sink) {
  for (double x : {box.minPoint.x, box.maxPoint.x}) {
    for (double y : {box.minPoint.y, box.maxPoint.y}) {
      for (double z : {box.minPoint.z, box.maxPoint.z}) sink.point(m.apply({x, y, z}));
    }
  }
}

// Puts a definition's geometry through a transform into a sink.
void emitGeometry(const Outline& g, const Matrix3d& m, OutlineSink& sink) {
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

namespace {

// Builds the definition's geometry, nested definitions first, and leaves each a memo. `building` holds the
// definitions being built further up, so a definition inside itself stops there.
std::shared_ptr<const Outline> build(const ObjectStore& store, ObjectId blockId, int depth,
                                     std::unordered_set<ObjectId>& building) {
  auto* record = BlockTableRecord::cast(store.objectAt(blockId));
  if (record == nullptr) return nullptr;
  if (record->geometryMemoGeneration == store.geometryGeneration()) return record->geometryMemo;
  if (depth > kMaxBlockNesting || building.count(blockId) != 0) return nullptr;

  building.insert(blockId);
  auto g = std::make_shared<Outline>();
  CollectSink sink(*g);
  for (ObjectId id : record->entityIds) {
    auto* entity = Entity::cast(store.objectAt(id));
    if (entity == nullptr || entity->isErased() || entity->entityFaults.extents) continue;
    // References and dimensions draw a block of their own.
    auto* reference = BlockReference::cast(entity);
    auto* dimension = reference == nullptr ? Dimension::cast(entity) : nullptr;
    if (reference == nullptr && (dimension == nullptr || dimension->blockId.isNull())) {
      outlineOf(*entity, sink);
      continue;
    }
    const auto child =
        build(store, reference ? reference->blockTableRecord() : dimension->blockId, depth + 1, building);
    if (child && child->size() > 0) {
      // An array's corner instances bound it; one reference is its own corners.
      const int lastRow = reference ? std::max(reference->rows, 1) - 1 : 0;
      const int lastColumn = reference ? std::max(reference->columns, 1) - 1 : 0;
      for (int row : {0, lastRow}) {
        for (int column : {0, lastColumn}) {
          const Matrix3d m = reference ? reference->instanceTransform(row, column) : dimension->blockTransform();
          if (g->size() + child->size() <= kBlockInlineLimit) {
            for (const auto& p : child->points) sink.point(m.apply(p));
            for (const auto& a : child->arcs) sink.arc(transformed(a, m));
          } else {
            forEachCorner(child->box, m, sink);
          }
          if (lastColumn == 0) break;
        }
        if (lastRow == 0) break;
      }
    }
    if (reference != nullptr) outlineOfAttributes(*reference, sink);
  }
  building.erase(blockId);

  BoxSink boxSink(g->box);
  for (const auto& p : g->points) boxSink.point(p);
  for (const auto& a : g->arcs) boxSink.arc(a);
  record->geometryMemo = g;
  record->geometryMemoGeneration = store.geometryGeneration();
  return g;
}

}  // namespace

std::shared_ptr<const Outline> blockGeometry(const ObjectStore& store, ObjectId blockId) {
  // Extents are not computed from several threads in practice; one lock for every drawing's memos keeps
  // them sound if they ever are.
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::unordered_set<ObjectId> building;
  auto g = build(store, blockId, 0, building);
  return g && g->size() > 0 ? g : nullptr;
}

void outlineOfAttributes(const BlockReference& reference, OutlineSink& sink) {
  const ObjectStore* store = reference.objectStore();
  if (store == nullptr) return;
  for (ObjectId id : reference.attributes) {
    auto* attribute = AttributeReference::cast(store->objectAt(id));
    if (attribute == nullptr || attribute->isErased() || attribute->invisible || attribute->entityFaults.extents) {
      continue;
    }
    outlineOfText(*attribute, sink);
  }
}

Matrix3d BlockReference::blockTransform() const { return instanceTransform(0, 0); }

Matrix3d BlockReference::instanceTransform(int row, int column) const {
  Point3d origin;
  if (const ObjectStore* store = objectStore()) {
    if (auto* record = BlockTableRecord::cast(store->objectAt(blockId))) origin = record->origin();
  }
  Matrix3d rotation;
  double c = 1, s = 0;
  cosSin(rotation_, c, s);
  rotation.m[0][0] = c;
  rotation.m[0][1] = -s;
  rotation.m[1][0] = s;
  rotation.m[1][1] = c;
  return Matrix3d::translation({position_.x, position_.y, position_.z}) * Matrix3d::planeToWorld(normal_) *
         rotation * Matrix3d::translation({column * columnSpacing, row * rowSpacing, 0}) *
         Matrix3d::scaling(scale.x, scale.y, scale.z) *
         Matrix3d::translation({-origin.x, -origin.y, -origin.z});
}

ErrorStatus BlockReference::computeExtents(Extents3d& e) const {
  const ObjectStore* store = objectStore();
  if (store == nullptr) return eInvalidExtents;
  BoxSink sink(e);
  if (auto g = blockGeometry(*store, blockId)) {
    // The instances of an array lie on a grid: the corner instances bound them all.
    const int lastRow = std::max(rows, 1) - 1, lastColumn = std::max(columns, 1) - 1;
    for (int row : {0, lastRow}) {
      for (int column : {0, lastColumn}) emitGeometry(*g, instanceTransform(row, column), sink);
    }
  }
  outlineOfAttributes(*this, sink);
  return e.isEmpty() ? eInvalidExtents : eOk;
}

}  // namespace cad

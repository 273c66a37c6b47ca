// Block references take their extents from their definitions through the block transform, nested blocks
// included, with cycles, depth and width of nesting bounded.
#include <chrono>
#include <cmath>
#include <numbers>

#include "cad/block_extents.h"
#include "test_support.h"

using namespace cad;
using cadtest::as;
using cadtest::expectBox;
using cadtest::extentsOf;

namespace {

constexpr double kPi = std::numbers::pi;

class BlockExtents : public ::testing::Test {
 protected:
  std::unique_ptr<Database> db = Database::createDefault();

  ObjectId addLine(ObjectId block, Point3d a, Point3d b) {
    auto line = std::make_unique<Line>();
    line->start = a;
    line->end = b;
    return db->appendEntity(block, std::move(line));
  }
  ObjectId addCircle(ObjectId block, Point3d c, double r) {
    auto circle = std::make_unique<Circle>();
    circle->center = c;
    circle->radius = r;
    return db->appendEntity(block, std::move(circle));
  }
  BlockReference* addReference(ObjectId space, ObjectId block, Point3d at, Vector3d scale = {1, 1, 1},
                               double degrees = 0) {
    auto ref = std::make_unique<BlockReference>();
    ref->blockId = block;
    ref->position_ = at;
    ref->scale = scale;
    ref->rotation_ = degrees * kPi / 180;
    BlockReference* raw = ref.get();
    db->appendEntity(space, std::move(ref));
    return raw;
  }
  // A 420 × 297 frame whose base point is its lower left corner.
  ObjectId frameBlock(const std::wstring& name) {
    const ObjectId block = db->addBlock(name);
    addLine(block, {0, 0, 0}, {420, 0, 0});
    addLine(block, {420, 0, 0}, {420, 297, 0});
    addLine(block, {420, 297, 0}, {0, 297, 0});
    addLine(block, {0, 297, 0}, {0, 0, 0});
    return block;
  }
};

}  // namespace

TEST_F(BlockExtents, TransformOfTheDefinition) {
  const ObjectId frame = frameBlock(L"FRAME");
  struct Case {
    const char* name;
    Point3d at;
    Vector3d scale;
    double degrees;
    double x0, y0, x1, y1;
  };
  const Case cases[] = {
      {"moved", {100, 200, 0}, {1, 1, 1}, 0, 100, 200, 520, 497},
      {"scaled 100", {0, 0, 0}, {100, 100, 100}, 0, 0, 0, 42000, 29700},
      {"quarter turn", {1000, 0, 0}, {1, 1, 1}, 90, 703, 0, 1000, 420},
      {"half turn", {0, 0, 0}, {1, 1, 1}, 180, -420, -297, 0, 0},
      {"three quarters", {0, 0, 0}, {1, 1, 1}, 270, 0, -420, 297, 0},
      {"mirrored", {1000, 0, 0}, {-1, 1, 1}, 0, 580, 0, 1000, 297},
      {"non-uniform", {0, 0, 0}, {100, 50, 1}, 0, 0, 0, 42000, 14850},
      // 30°: the corners (420,0), (0,297) and (420,297) turned about the origin.
      {"thirty degrees", {0, 0, 0}, {1, 1, 1}, 30, -148.5, 0, 363.7306696, 467.2095449},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* ref = addReference(db->modelSpaceId(), frame, c.at, c.scale, c.degrees);
    expectBox(extentsOf(*ref), c.x0, c.y0, c.x1, c.y1, 1e-6);
  }
}

TEST_F(BlockExtents, BasePointAndNormal) {
  const ObjectId block = db->addBlock(L"BASED", {10, 20, 0});
  addLine(block, {10, 20, 0}, {30, 30, 0});
  auto* ref = addReference(db->modelSpaceId(), block, {0, 0, 0});
  expectBox(extentsOf(*ref), 0, 0, 20, 10);
  ref->normal_ = {0, 0, -1};  // seen from below: X mirrored
  expectBox(extentsOf(*ref), -20, 0, 0, 10);
}

TEST_F(BlockExtents, RotatedCirclesStayTight) {
  // A circle is a circle at any rotation: its box must not grow to the rotated box of its box.
  const ObjectId block = db->addBlock(L"ROUND");
  addCircle(block, {100, 0, 0}, 10);
  auto* ref = addReference(db->modelSpaceId(), block, {0, 0, 0}, {1, 1, 1}, 45);
  const double c = 100 / std::sqrt(2.0);
  expectBox(extentsOf(*ref), c - 10, c - 10, c + 10, c + 10, 1e-9);
  // Non-uniform scale then rotation: an ellipse with semi-axes 20 and 10 turned by 90°.
  auto* stretched = addReference(db->modelSpaceId(), block, {0, 0, 0}, {2, 1, 1}, 90);
  expectBox(extentsOf(*stretched), -10, 180, 10, 220, 1e-9);
}

TEST_F(BlockExtents, NestedBlocksAndAttributes) {
  const ObjectId inner = db->addBlock(L"INNER");
  addLine(inner, {0, 0, 0}, {10, 0, 0});
  const ObjectId outer = db->addBlock(L"OUTER");
  addReference(outer, inner, {100, 0, 0}, {2, 2, 2}, 90);  // (100,0)-(100,20)
  addLine(outer, {0, 0, 0}, {0, 5, 0});
  auto* ref = addReference(db->modelSpaceId(), outer, {1000, 1000, 0}, {1, 1, 1}, 0);
  expectBox(extentsOf(*ref), 1000, 1000, 1100, 1020);

  // A visible attribute extends the box; an invisible or erased one does not.
  auto attribute = std::make_unique<AttributeReference>();
  attribute->contents = L"AB";
  attribute->height = 10;
  attribute->position = {1200, 1000, 0};
  AttributeReference* raw = attribute.get();
  ref->attributes.push_back(db->addObject(std::move(attribute), ref->objectId()));
  expectBox(extentsOf(*ref), 1000, 1000, 1212, 1020);
  raw->invisible = true;
  expectBox(extentsOf(*ref), 1000, 1000, 1100, 1020);
}

TEST_F(BlockExtents, EmptyUnknownAndErasedContentsHaveNoExtents) {
  const ObjectId empty = db->addBlock(L"EMPTY");
  Extents3d box;
  EXPECT_EQ(addReference(db->modelSpaceId(), empty, {0, 0, 0})->getGeomExtents(box), eInvalidExtents);
  EXPECT_EQ(addReference(db->modelSpaceId(), ObjectId{}, {0, 0, 0})->getGeomExtents(box), eInvalidExtents);

  const ObjectId block = db->addBlock(L"ONE");
  const ObjectId line = addLine(block, {0, 0, 0}, {5, 5, 0});
  auto* ref = addReference(db->modelSpaceId(), block, {0, 0, 0});
  expectBox(extentsOf(*ref), 0, 0, 5, 5);
  db->objectAt(line)->setErased(true);
  EXPECT_EQ(ref->getGeomExtents(box), eInvalidExtents);
}

TEST_F(BlockExtents, DefinitionChangesAreSeen) {
  const ObjectId block = db->addBlock(L"GROWS");
  addLine(block, {0, 0, 0}, {1, 1, 0});
  auto* ref = addReference(db->modelSpaceId(), block, {0, 0, 0});
  expectBox(extentsOf(*ref), 0, 0, 1, 1);
  addLine(block, {0, 0, 0}, {7, 7, 0});
  expectBox(extentsOf(*ref), 0, 0, 7, 7);

  // Edited through an open for write: the close drops the memo.
  Line* line = nullptr;
  const ObjectId lineId = as<BlockTableRecord>(*db, block)->entityIds.back();
  ASSERT_EQ(acdbOpenObject(line, lineId, kForWrite), eOk);
  line->end = {9, 9, 0};
  line->close();
  expectBox(extentsOf(*ref), 0, 0, 9, 9);

  // Edited in place: the builder says so.
  line->end = {11, 11, 0};
  db->noteGeometryChanged();
  expectBox(extentsOf(*ref), 0, 0, 11, 11);
}

TEST_F(BlockExtents, CyclesAndDepthEndTheRecursion) {
  // A contains B, B contains A: each adds its own line and stops at the cycle.
  const ObjectId a = db->addBlock(L"A");
  const ObjectId b = db->addBlock(L"B");
  addLine(a, {0, 0, 0}, {1, 0, 0});
  addLine(b, {0, 0, 0}, {0, 2, 0});
  addReference(a, b, {10, 0, 0});
  addReference(b, a, {0, 10, 0});
  auto* ref = addReference(db->modelSpaceId(), a, {0, 0, 0});
  Extents3d box;
  EXPECT_EQ(ref->getGeomExtents(box), eOk);
  EXPECT_GE(box.maxPoint.x, 10);

  // A block containing itself.
  const ObjectId self = db->addBlock(L"SELF");
  addLine(self, {0, 0, 0}, {3, 3, 0});
  addReference(self, self, {100, 100, 0});
  expectBox(extentsOf(*addReference(db->modelSpaceId(), self, {0, 0, 0})), 0, 0, 3, 3);

  // A chain of 100 blocks, each with a line and the next block moved by 1: cut at the depth guard.
  ObjectId next = db->addBlock(L"LEAF");
  addLine(next, {0, 0, 0}, {1, 1, 0});
  for (int k = 0; k < 100; ++k) {
    const ObjectId level = db->addBlock(L"LEVEL" + std::to_wstring(k));
    addLine(level, {0, 0, 0}, {0, 1, 0});
    addReference(level, next, {1, 0, 0});
    next = level;
  }
  box = extentsOf(*addReference(db->modelSpaceId(), next, {0, 0, 0}));
  EXPECT_TRUE(std::isfinite(box.maxPoint.x));
  EXPECT_LE(box.maxPoint.x, kMaxBlockNesting + 3);
}

TEST_F(BlockExtents, WideNestingStaysLinear) {
  // Each level holds the previous one four times: 4^12 leaf lines if expanded. The memo and the inline
  // limit keep it to moments, and quarter-turn placements keep the box exact.
  ObjectId previous = frameBlock(L"BASE");
  for (int level = 0; level < 12; ++level) {
    const ObjectId block = db->addBlock(L"WIDE" + std::to_wstring(level));
    const double step = 500 * std::pow(2.0, level);
    addReference(block, previous, {0, 0, 0});
    addReference(block, previous, {step, 0, 0});
    addReference(block, previous, {0, step, 0}, {1, 1, 1}, 180);
    addReference(block, previous, {step, step, 0}, {1, 1, 1}, 90);
    previous = block;
  }
  const auto started = std::chrono::steady_clock::now();
  Extents3d box = extentsOf(*addReference(db->modelSpaceId(), previous, {0, 0, 0}));
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
  EXPECT_TRUE(std::isfinite(box.minPoint.x) && std::isfinite(box.maxPoint.y));
  EXPECT_LT(box.minPoint.x, 0);
}

#include <gtest/gtest.h>

#include "fixture.h"
#include "recognition/frame_geometry.h"
#include "recognition/recognition_state.h"

namespace {

using recognition_test::Corner;
using recognition_test::DrawingFixture;

class FrameGeometry : public testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(drawing.db().openObjects().empty()); }

  struct Extraction {
    bool accepted = false;
    bool rotated = false;
    double angle = -1;
    VexBatchPrintFrameRecord frame;
  };

  Extraction extract(cad::ObjectId id, bool wideRatio = true, const std::wstring& inherited = L"",
                     const cad::Matrix3d& transform = {}) {
    Extraction out;
    out.frame.minX = out.frame.minY = out.frame.maxX = out.frame.maxY = -7;  // shows whether the box was written
    out.accepted = vexBatchExtractAxisAlignedFrame(&drawing.object<cad::Polyline>(id), transform, inherited, wideRatio,
                                                   out.frame, &out.rotated, &out.angle);
    return out;
  }

  bool signature(cad::ObjectId blockId) {
    return vexBatchBlockDefinitionHasFrameSignature(&drawing.object<cad::BlockTableRecord>(blockId), 0);
  }

  DrawingFixture drawing;
};

TEST_F(FrameGeometry, AxisAlignedRectangleGivesItsBoxAndLayer) {
  Extraction e = extract(drawing.rectangle(100, 50, 520, 347, L"图框"));
  ASSERT_TRUE(e.accepted);
  EXPECT_FALSE(e.rotated);
  EXPECT_DOUBLE_EQ(e.angle, 0);
  EXPECT_DOUBLE_EQ(e.frame.minX, 100);
  EXPECT_DOUBLE_EQ(e.frame.minY, 50);
  EXPECT_DOUBLE_EQ(e.frame.maxX, 520);
  EXPECT_DOUBLE_EQ(e.frame.maxY, 347);
  EXPECT_EQ(e.frame.layer, L"图框");
  // Only the box and the layer are written.
  EXPECT_EQ(e.frame.sourceKind, L"");
  EXPECT_TRUE(e.frame.entityId.isNull());
}

TEST_F(FrameGeometry, TurnedRectangleIsFlaggedAndRefused) {
  for (double degrees : {30.0, 60.0, -30.0, 120.0}) {
    SCOPED_TRACE(degrees);
    Extraction e = extract(drawing.turnedRectangle(0, 0, 420, 297, degrees));
    EXPECT_FALSE(e.accepted);
    EXPECT_TRUE(e.rotated);
    EXPECT_NEAR(e.angle, 30, 1e-9);
  }
  Extraction slight = extract(drawing.turnedRectangle(0, 0, 420, 297, 0.05));
  EXPECT_FALSE(slight.rotated);  // 0.05 degrees is within the 0.1 allowance, but the corners are off
  EXPECT_NEAR(slight.angle, 0.05, 1e-9);
  EXPECT_FALSE(slight.accepted);
}

TEST_F(FrameGeometry, SideRatioBounds) {
  struct Case {
    double w, h;
    bool wide;
    bool accepted;
  };
  const Case cases[] = {
      {100, 700, true, false}, {100, 600, true, true},   {420, 420, true, true},  {100, 600, false, false},
      {297, 420, false, true}, {420, 420, false, false}, {200, 400, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << (c.wide ? " wide" : " narrow"));
    EXPECT_EQ(extract(drawing.rectangle(0, 0, c.w, c.h), c.wide).accepted, c.accepted);
  }
}

TEST_F(FrameGeometry, NonRectangularPolylinesAreRefusedBeforeTheBoxIsWritten) {
  cad::ObjectId arc = drawing.rectangle(0, 0, 420, 297);
  drawing.object<cad::Polyline>(arc).vertices[1].bulge = 0.3;
  cad::ObjectId three = drawing.polyline({{0, 0}, {420, 0}, {420, 297}}, true);
  cad::ObjectId pentagon = drawing.polyline({{0, 0}, {420, 0}, {420, 297}, {200, 350}, {0, 297}}, true);
  cad::ObjectId open = drawing.polyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}}, false);
  cad::ObjectId unreadable = drawing.rectangle(0, 0, 420, 297);
  drawing.object<cad::Polyline>(unreadable).failVertexReads = {2};
  for (cad::ObjectId id : {arc, three, pentagon, open, unreadable}) {
    Extraction e = extract(id);
    EXPECT_FALSE(e.accepted);
    EXPECT_DOUBLE_EQ(e.frame.minX, -7);
    EXPECT_DOUBLE_EQ(e.angle, 0);
  }
  VexBatchPrintFrameRecord frame;
  EXPECT_FALSE(vexBatchExtractAxisAlignedFrame(nullptr, {}, L"", true, frame, nullptr, nullptr));
}

TEST_F(FrameGeometry, FifthVertexOnTheFirstClosesThePolyline) {
  std::vector<Corner> corners{{0, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 0}};
  Extraction open = extract(drawing.polyline(corners, false));
  ASSERT_TRUE(open.accepted);
  EXPECT_DOUBLE_EQ(open.frame.maxX, 420);
  EXPECT_TRUE(extract(drawing.polyline(corners, true)).accepted);
  corners.back() = {0, 5};  // stops short of the first vertex
  EXPECT_FALSE(extract(drawing.polyline(corners, false)).accepted);
}

TEST_F(FrameGeometry, SkewedQuadrilateralKeepsItsBoxButIsRefused) {
  Extraction e = extract(drawing.polyline({{0, 0}, {420, 0}, {430, 297}, {0, 297}}, true));
  EXPECT_FALSE(e.accepted);
  EXPECT_FALSE(e.rotated);
  EXPECT_DOUBLE_EQ(e.frame.maxX, 430);
  EXPECT_DOUBLE_EQ(e.frame.maxY, 297);
}

TEST_F(FrameGeometry, DegenerateRectangleIsRefused) {
  EXPECT_FALSE(extract(drawing.polyline({{0, 0}, {420, 0}, {420, 0}, {0, 0}}, true)).accepted);
}

TEST_F(FrameGeometry, LayerZeroTakesTheInheritedLayer) {
  cad::ObjectId onZero = drawing.rectangle(0, 0, 420, 297, L"0");
  EXPECT_EQ(extract(onZero, true, L"tk").frame.layer, L"tk");
  EXPECT_EQ(extract(onZero, true, L"0").frame.layer, L"0");
  EXPECT_EQ(extract(onZero, true, L"").frame.layer, L"0");
  EXPECT_EQ(extract(drawing.rectangle(0, 0, 420, 297, L"Own"), true, L"tk").frame.layer, L"Own");
  cad::ObjectId nameless = drawing.rectangle(0, 0, 420, 297, L"Own");
  drawing.object<cad::Entity>(nameless).entityFaults.layerName = true;
  EXPECT_EQ(extract(nameless, true, L"tk").frame.layer, L"tk");
}

TEST_F(FrameGeometry, TransformIsAppliedToTheVertices) {
  cad::Matrix3d transform = cad::Matrix3d::translation({1000, 2000, 0}) * cad::Matrix3d::scaling(100, 100, 1);
  Extraction e = extract(drawing.rectangle(0, 0, 420, 297), true, L"", transform);
  ASSERT_TRUE(e.accepted);
  EXPECT_NEAR(e.frame.minX, 1000, 1e-6);
  EXPECT_NEAR(e.frame.maxX, 43000, 1e-6);
  EXPECT_NEAR(e.frame.maxY, 2000 + 29700, 1e-6);
}

TEST_F(FrameGeometry, SignatureOfABorderedTitleBlock) {
  EXPECT_TRUE(signature(drawing.titleBlock(L"A3", 420, 297)));
  EXPECT_FALSE(vexBatchBlockDefinitionHasFrameSignature(nullptr, 0));
}

TEST_F(FrameGeometry, TitleBlockTableWithoutBorderHasNoSignature) {
  cad::ObjectId table = drawing.block(L"TABLE");
  // Inner rules of a title table whose outer lines are missing: no line pair spans the block.
  for (double y : {10.0, 20.0, 30.0}) drawing.line(5, y, 175, y, L"0", table);
  for (double x : {40.0, 90.0, 140.0}) drawing.line(x, 0, x, 40, L"0", table);
  drawing.text(10, 12, 3, L"审核", L"0", table);
  drawing.text(10, 22, 3, L"设计", L"0", table);
  EXPECT_FALSE(signature(table));
}

TEST_F(FrameGeometry, FourSeparateBorderLinesFormASignature) {
  cad::ObjectId lines = drawing.block(L"LINES");
  drawing.line(0, 0, 420, 0, L"0", lines);
  drawing.line(420, 297, 0, 297, L"0", lines);  // drawn right to left
  drawing.line(0, 0, 0, 297, L"0", lines);
  drawing.line(420, 297, 420, 0, L"0", lines);
  drawing.text(300, 20, 5, L"图名", L"0", lines);
  EXPECT_TRUE(signature(lines));

  cad::ObjectId three = drawing.block(L"THREE");
  drawing.line(0, 0, 420, 0, L"0", three);
  drawing.line(0, 297, 420, 297, L"0", three);
  drawing.line(0, 0, 0, 297, L"0", three);
  EXPECT_FALSE(signature(three));
}

TEST_F(FrameGeometry, BorderCoveringTooLittleOfTheBlockHasNoSignature) {
  cad::ObjectId notes = drawing.block(L"NOTES");
  drawing.rectangle(0, 0, 420, 297, L"0", notes);
  // Notes beside the border stretch the block so that the border covers 60 % of it.
  drawing.line(0, 0, 700, 0, L"0", notes);
  drawing.text(600, 150, 5, L"说明", L"0", notes);
  EXPECT_FALSE(signature(notes));

  cad::ObjectId margin = drawing.block(L"MARGIN");
  drawing.rectangle(0, 0, 420, 297, L"0", margin);
  drawing.line(0, 0, 460, 0, L"0", margin);  // 91 % covered, within 12 % of every side
  EXPECT_TRUE(signature(margin));
}

TEST_F(FrameGeometry, LegacyPolylineBorder) {
  cad::ObjectId legacy = drawing.block(L"LEGACY");
  drawing.legacyPolyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}}, true, {0, 1e-10, 0, 0}, L"0", legacy);
  EXPECT_TRUE(signature(legacy));

  cad::ObjectId bulged = drawing.block(L"BULGED");
  drawing.legacyPolyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}}, true, {0, 0.2, 0, 0}, L"0", bulged);
  EXPECT_FALSE(signature(bulged));

  cad::ObjectId open = drawing.block(L"OPEN");
  drawing.legacyPolyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}}, false, {}, L"0", open);
  EXPECT_FALSE(signature(open));

  cad::ObjectId six = drawing.block(L"SIX");
  drawing.legacyPolyline({{0, 0}, {210, 0}, {420, 0}, {420, 297}, {0, 297}, {0, 100}}, true, {}, L"0", six);
  EXPECT_FALSE(signature(six));

  cad::ObjectId unreadable = drawing.block(L"UNREADABLE");
  cad::ObjectId poly = drawing.legacyPolyline({{0, 0}, {420, 0}, {420, 297}, {0, 297}}, true, {}, L"0", unreadable);
  drawing.object<cad::Vertex2d>(drawing.object<cad::Polyline2d>(poly).vertexIds[2]).faults.open = true;
  EXPECT_FALSE(signature(unreadable));
}

TEST_F(FrameGeometry, NestedFrameBlocksAreFollowedTwoLevelsDown) {
  // chain[0] holds a reference to chain[1], and so on; only the last one has a border.
  auto chain = [&](int levels, const std::wstring& prefix) {
    std::vector<cad::ObjectId> blocks;
    for (int i = 0; i <= levels; ++i) blocks.push_back(drawing.block(prefix + std::to_wstring(i)));
    for (int i = 0; i < levels; ++i) drawing.insert(blocks[i + 1], 0, 0, 1, L"0", blocks[i]);
    drawing.rectangle(0, 0, 420, 297, L"0", blocks[levels]);
    return blocks;
  };
  EXPECT_TRUE(signature(chain(1, L"ONE")[0]));
  EXPECT_TRUE(signature(chain(2, L"TWO")[0]));     // the definition at depth 2 is examined
  EXPECT_FALSE(signature(chain(3, L"THREE")[0]));  // its references are not followed
}

TEST_F(FrameGeometry, SelfReferenceAndUnopenableNestedDefinition) {
  cad::ObjectId self = drawing.block(L"SELF");
  drawing.insert(self, 0, 0, 1, L"0", self);
  drawing.line(0, 0, 100, 50, L"0", self);
  EXPECT_FALSE(signature(self));

  cad::ObjectId inner = drawing.block(L"INNER");
  drawing.rectangle(0, 0, 420, 297, L"0", inner);
  cad::ObjectId outer = drawing.block(L"OUTER");
  drawing.insert(inner, 0, 0, 1, L"0", outer);
  ASSERT_TRUE(signature(outer));
  drawing.object<cad::BlockTableRecord>(inner).faults.open = true;
  EXPECT_FALSE(signature(outer));
}

TEST_F(FrameGeometry, EntitiesThatFailAreSkipped) {
  cad::ObjectId block = drawing.titleBlock(L"A2", 594, 420);
  auto& record = drawing.object<cad::BlockTableRecord>(block);
  drawing.object<cad::Entity>(record.entityIds.front()).faults.open = true;  // the border
  EXPECT_FALSE(signature(block));
  drawing.object<cad::Entity>(record.entityIds.front()).faults.open = false;
  drawing.object<cad::Entity>(record.entityIds.back()).entityFaults.extents = true;
  EXPECT_TRUE(signature(block));
  record.failIterator = true;
  EXPECT_FALSE(signature(block));
}

}  // namespace

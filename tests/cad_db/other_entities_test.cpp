// Ellipses, splines, 3D polylines, solids, traces, dimensions and attribute definitions as the DXF reader
// gives them, with their extents, and what entities and layers print with (linetype, lineweight, colour).
#include <cmath>
#include <numbers>

#include "cad/annotation_entities.h"
#include "cad/curve_entities.h"
#include "cad/linetype_table.h"
#include "cad/plan_entities.h"
#include "cad/solid_entities.h"
#include "test_support.h"

using namespace cad;
using cadtest::as;
using cadtest::expectBox;
using cadtest::extentsOf;
using cadtest::layoutEntities;
using cadtest::ofKind;

namespace {

std::string drawing(const std::string& tables, const std::string& blocks, const std::string& entities) {
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
         "0\nSECTION\n2\nTABLES\n" + tables + "0\nENDSEC\n"
         "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::unique_ptr<Database> read(const std::string& text, std::vector<std::string>* warnings = nullptr) {
  DxfReadResult result = readDxfText(text);
  EXPECT_TRUE(result.database) << result.error;
  if (warnings != nullptr) *warnings = result.warnings;
  return std::move(result.database);
}

bool inside(const Extents3d& box, double x0, double y0, double x1, double y1) {
  return !box.isEmpty() && box.minPoint.x >= x0 && box.minPoint.y >= y0 && box.maxPoint.x <= x1 &&
         box.maxPoint.y <= y1;
}

// The cell of the every-kind sample that holds `index` (see samples/generate.py).
void cell(int index, double& x0, double& y0) {
  x0 = (index % 7) * 60.0;
  y0 = 297.0 - 5.0 - (index / 7 + 1) * 55.0;
}

}  // namespace

TEST(OtherEntities, EveryKindOfTheSampleSheetLiesInItsCell) {
  auto result = cadtest::load(cadtest::samplePath("every-entity.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  const auto entities = layoutEntities(db, L"Every Kind");
  struct Expected {
    int cell;
    const wchar_t* rxClass;
  };
  // Labels, grid lines and the title are texts and polylines too: each kind is looked for in its own cell.
  const Expected expected[] = {
      {7, L"AcDbEllipse"},   {8, L"AcDbEllipse"},  {9, L"AcDbSpline"},  {10, L"AcDbSpline"},
      {11, L"AcDbSolid"},    {12, L"AcDbTrace"},   {13, L"AcDb3dPolyline"}, {24, L"AcDbAttributeDefinition"},
      {25, L"AcDbDimension"}, {26, L"AcDbDimension"},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.cell);
    double x0, y0;
    cell(e.cell, x0, y0);
    int found = 0;
    for (const Entity* entity : entities) {
      if (std::wstring(entity->isA()->name()) != e.rxClass) continue;
      Extents3d box;
      if (entity->getGeomExtents(box) != eOk || box.minPoint.x < x0 || box.minPoint.x >= x0 + 60 ||
          box.minPoint.y < y0 || box.minPoint.y >= y0 + 55) {
        continue;
      }
      ++found;
      // Above the label at the cell's foot, within its sides.
      EXPECT_TRUE(inside(box, x0, y0 + 6, x0 + 60, y0 + 55))
          << box.minPoint.x << "," << box.minPoint.y << " " << box.maxPoint.x << "," << box.maxPoint.y;
      EXPECT_GT(box.maxPoint.x - box.minPoint.x, 10);
    }
    EXPECT_EQ(found, 1);
  }
}

TEST(OtherEntities, SampleDetails) {
  auto result = cadtest::load(cadtest::samplePath("every-entity.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  EXPECT_TRUE(result.warnings.empty());
  const auto entities = layoutEntities(db, L"Every Kind");

  auto dimensions = ofKind<Dimension>(entities);
  ASSERT_EQ(dimensions.size(), 2u);
  for (const Dimension* d : dimensions) {
    auto* block = as<BlockTableRecord>(db, d->dimBlockId());
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block->isAnonymous() || block->name.front() == L'*');
    EXPECT_FALSE(block->entityIds.empty());
  }
  EXPECT_EQ(dimensions[0]->dimensionType, 0);
  EXPECT_EQ(dimensions[1]->dimensionType, 4);  // radius

  auto polylines = ofKind<Polyline3d>(entities);
  ASSERT_EQ(polylines.size(), 1u);
  ASSERT_EQ(polylines[0]->points.size(), 4u);
  EXPECT_EQ(polylines[0]->points[1].z, 40);
  EXPECT_EQ(polylines[0]->points[2].z, -40);

  auto splines = ofKind<Spline>(entities);
  ASSERT_EQ(splines.size(), 2u);
  EXPECT_EQ(splines[0]->controlPoints.size(), 4u);
  EXPECT_EQ(splines[0]->knots.size(), 8u);
  // The fit-point spline passes through its fit points.
  const std::vector<Point3d> fitted = splines[1]->sampled(8);
  ASSERT_FALSE(splines[1]->fitPoints.empty());
  for (const Point3d& fit : splines[1]->fitPoints) {
    double nearest = 1e9;
    for (const Point3d& p : fitted) nearest = std::min(nearest, p.distanceTo(fit));
    EXPECT_LT(nearest, 1e-6);
  }

  // The tag shows where the definition stands in the layout; the one in the TAG block shows nothing.
  auto definitions = ofKind<AttributeDefinition>(entities);
  ASSERT_EQ(definitions.size(), 1u);
  EXPECT_EQ(definitions[0]->tag, L"SHOWN");
  EXPECT_EQ(definitions[0]->contents, L"value");
  EXPECT_FALSE(definitions[0]->inBlockDefinition());
  auto* tagBlock = as<BlockTableRecord>(db, db.blockId(L"TAG"));
  ASSERT_NE(tagBlock, nullptr);
  auto inBlock = ofKind<AttributeDefinition>(cadtest::entitiesOf(db, tagBlock->objectId()));
  ASSERT_EQ(inBlock.size(), 1u);
  EXPECT_TRUE(inBlock[0]->inBlockDefinition());
  Extents3d none;
  EXPECT_NE(inBlock[0]->getGeomExtents(none), eOk);

  // Linetype, lineweight and colour: of the entity, and of its layer.
  const Entity* dashedLine = nullptr;
  const Entity* greenLine = nullptr;
  for (const Entity* e : entities) {
    if (e->properties.linetypeFrom == EntityProperties::LinetypeFrom::kOwn) dashedLine = e;
    if (e->properties.trueColor) greenLine = e;
  }
  ASSERT_NE(dashedLine, nullptr);
  EXPECT_EQ(dashedLine->properties.linetypeScale, 8);
  auto* linetype = as<LinetypeTableRecord>(db, dashedLine->properties.linetypeId);
  ASSERT_NE(linetype, nullptr);
  EXPECT_EQ(linetype->name, L"DASHED");
  EXPECT_EQ(linetype->dashes, (std::vector<double>{0.5, -0.25}));
  EXPECT_EQ(linetype->patternLength(), 0.75);
  ASSERT_NE(greenLine, nullptr);
  EXPECT_EQ(*greenLine->properties.trueColor, 0x00A000u);
  auto* heavy = as<LayerTableRecord>(db, db.layerId(L"HEAVY"));
  ASSERT_NE(heavy, nullptr);
  EXPECT_EQ(heavy->lineWeight, 100);
  EXPECT_EQ(heavy->colorIndex, 1);
  auto* continuous = as<LinetypeTableRecord>(db, heavy->linetypeId);
  ASSERT_NE(continuous, nullptr);
  EXPECT_TRUE(continuous->dashes.empty());
  EXPECT_TRUE(as<LayerTableRecord>(db, db.layerId(L"FROZEN"))->isFrozen());
  EXPECT_TRUE(as<LayerTableRecord>(db, db.layerId(L"OFF"))->isOff());
  EXPECT_FALSE(as<LayerTableRecord>(db, db.layerId(L"NOPLOT"))->isPlottable());
}

TEST(OtherEntities, CurvesAndFillsHaveExactExtents) {
  const std::string entities =
      // An ellipse of semi-axes 20 and 10 turned a quarter, from its top round to its bottom on the left.
      "0\nELLIPSE\n10\n100\n20\n50\n30\n0\n11\n0\n21\n20\n31\n0\n40\n0.5\n41\n0\n42\n3.141592653589793\n"
      // A solid triangle: no fourth corner.
      "0\nSOLID\n10\n0\n20\n0\n11\n10\n21\n0\n12\n0\n22\n7\n"
      // A trace in a plane turned upside down (normal -Z mirrors x).
      "0\nTRACE\n10\n1\n20\n1\n11\n2\n21\n1\n12\n1\n22\n2\n13\n2\n23\n2\n210\n0\n220\n0\n230\n-1\n"
      // A 3D polyline: spline frame control points (vertex flag 16) are not on the curve.
      "0\nPOLYLINE\n66\n1\n70\n9\n0\nVERTEX\n10\n0\n20\n0\n30\n5\n70\n32\n0\nVERTEX\n10\n50\n20\n50\n30\n0\n70\n16\n"
      "0\nVERTEX\n10\n10\n20\n-3\n30\n-5\n70\n32\n0\nSEQEND\n"
      // A closed spline given by control points alone.
      "0\nSPLINE\n70\n1\n71\n2\n10\n0\n20\n0\n10\n10\n20\n0\n10\n10\n20\n10\n10\n0\n20\n10\n";
  auto db = read(drawing("", "", entities));
  ASSERT_TRUE(db);
  const auto all = layoutEntities(*db, L"Model");
  auto ellipses = ofKind<Ellipse>(all);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_FALSE(ellipses[0]->isClosed());
  expectBox(extentsOf(*ellipses[0]), 90, 30, 100, 70, 1e-9);

  auto solids = ofKind<Solid>(all);
  ASSERT_EQ(solids.size(), 2u);
  expectBox(extentsOf(*solids[0]), 0, 0, 10, 7);
  EXPECT_EQ(std::wstring(solids[1]->isA()->name()), L"AcDbTrace");
  expectBox(extentsOf(*solids[1]), -2, 1, -1, 2);

  auto polylines = ofKind<Polyline3d>(all);
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_TRUE(polylines[0]->isClosed());
  ASSERT_EQ(polylines[0]->points.size(), 2u);
  Extents3d box = extentsOf(*polylines[0]);
  expectBox(box, 0, -3, 10, 0);
  EXPECT_EQ(box.minPoint.z, -5);

  auto splines = ofKind<Spline>(all);
  ASSERT_EQ(splines.size(), 1u);
  const std::vector<Point3d> points = splines[0]->sampled(8);
  // Closed: it ends where it starts, and it keeps inside its control polygon.
  EXPECT_LT(points.front().distanceTo(points.back()), 1e-9);
  box = extentsOf(*splines[0]);
  EXPECT_TRUE(inside(box, 0, 0, 10, 10));
  EXPECT_GT(box.maxPoint.x - box.minPoint.x, 4);
}

TEST(OtherEntities, DimensionsTakeTheirBlocksExtents) {
  const std::string tables =
      "0\nTABLE\n2\nBLOCK_RECORD\n0\nBLOCK_RECORD\n2\n*Model_Space\n0\nBLOCK_RECORD\n2\n*D1\n"
      "0\nBLOCK_RECORD\n2\nNEST\n0\nENDTAB\n";
  const std::string blocks =
      "0\nBLOCK\n2\n*D1\n70\n1\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n20\n11\n100\n21\n20\n"
      "0\nMTEXT\n10\n45\n20\n26\n40\n3\n1\n100\n0\nENDBLK\n"
      // A block holding a dimension: its block's geometry counts in the definition's.
      "0\nBLOCK\n2\nNEST\n10\n0\n20\n0\n0\nDIMENSION\n2\n*D1\n10\n100\n20\n20\n11\n50\n21\n27\n70\n32\n0\nENDBLK\n";
  const std::string entities =
      "0\nDIMENSION\n2\n*D1\n10\n100\n20\n20\n11\n50\n21\n27\n13\n0\n23\n0\n14\n100\n24\n0\n70\n32\n42\n100\n"
      "0\nINSERT\n2\nNEST\n10\n1000\n20\n0\n"
      // No block: the defining points give the box; a block that is a space is no dimension's.
      "0\nDIMENSION\n2\n*D9\n10\n5\n20\n6\n11\n7\n21\n8\n13\n1\n23\n2\n"
      "0\nDIMENSION\n2\n*Model_Space\n10\n5\n20\n6\n11\n7\n21\n8\n";
  std::vector<std::string> warnings;
  auto db = read(drawing(tables, blocks, entities), &warnings);
  ASSERT_TRUE(db);
  const auto all = layoutEntities(*db, L"Model");
  auto dimensions = ofKind<Dimension>(all);
  ASSERT_EQ(dimensions.size(), 3u);
  EXPECT_EQ(dimensions[0]->dimBlockId(), db->blockId(L"*D1"));
  EXPECT_EQ(dimensions[0]->measurement, 100);
  const Extents3d box = extentsOf(*dimensions[0]);
  EXPECT_NEAR(box.minPoint.x, 0, 1e-9);
  EXPECT_NEAR(box.maxPoint.x, 100, 1e-9);
  EXPECT_NEAR(box.minPoint.y, 20, 1e-9);
  EXPECT_NEAR(box.maxPoint.y, 26, 1e-9);  // the text above the line
  auto references = ofKind<BlockReference>(all);
  ASSERT_EQ(references.size(), 1u);
  const Extents3d nested = extentsOf(*references[0]);
  EXPECT_NEAR(nested.minPoint.x, 1000, 1e-9);
  EXPECT_NEAR(nested.maxPoint.x, 1100, 1e-9);

  EXPECT_TRUE(dimensions[1]->dimBlockId().isNull());
  expectBox(extentsOf(*dimensions[1]), 1, 2, 7, 8);
  EXPECT_TRUE(dimensions[2]->dimBlockId().isNull());
  ASSERT_FALSE(warnings.empty());
  EXPECT_NE(warnings.back().find("2 dimensions have no block"), std::string::npos) << warnings.back();
}

TEST(OtherEntities, AttributeDefinitionsShowWhereAPrintWouldShowThem) {
  const std::string tables = "0\nTABLE\n2\nBLOCK_RECORD\n0\nBLOCK_RECORD\n2\n*Model_Space\n"
                             "0\nBLOCK_RECORD\n2\nB\n0\nENDTAB\n";
  // In B: a prompted definition (not shown through references) and a constant one (shown with its value).
  const std::string blocks =
      "0\nBLOCK\n2\nB\n10\n0\n20\n0\n"
      "0\nATTDEF\n10\n0\n20\n0\n40\n10\n1\nDEFAULT\n2\nPROMPTED\n3\nNumber?\n70\n0\n"
      "0\nATTDEF\n10\n0\n20\n100\n40\n10\n1\nVALUE\n2\nFIXED\n70\n2\n0\nENDBLK\n";
  const std::string entities =
      "0\nINSERT\n2\nB\n10\n1000\n20\n0\n"
      // Standing in model space, a definition shows its tag (four characters here, not the value's seven).
      "0\nATTDEF\n10\n0\n20\n0\n40\n10\n1\nDEFAULT\n2\nTAGS\n70\n1\n";
  auto db = read(drawing(tables, blocks, entities));
  ASSERT_TRUE(db);
  const auto all = layoutEntities(*db, L"Model");
  auto references = ofKind<BlockReference>(all);
  ASSERT_EQ(references.size(), 1u);
  const Extents3d box = extentsOf(*references[0]);
  EXPECT_NEAR(box.minPoint.y, 100, 1e-9);  // the constant definition alone
  EXPECT_NEAR(box.minPoint.x, 1000, 1e-9);
  auto definitions = ofKind<AttributeDefinition>(all);
  ASSERT_EQ(definitions.size(), 1u);
  EXPECT_TRUE(definitions[0]->invisible);
  EXPECT_FALSE(definitions[0]->constant);
  const Extents3d tag = extentsOf(*definitions[0]);
  EXPECT_NEAR(tag.maxPoint.x - tag.minPoint.x, 4 * 0.6 * 10, 1e-9);
  EXPECT_NEAR(tag.maxPoint.y, 10, 1e-9);
}

TEST(OtherEntities, LinetypesLineweightsAndColoursOfEntitiesAndLayers) {
  const std::string tables =
      "0\nTABLE\n2\nLTYPE\n"
      "0\nLTYPE\n2\nContinuous\n70\n0\n3\nSolid line\n72\n65\n73\n0\n40\n0\n"
      "0\nLTYPE\n2\nCENTER\n70\n0\n3\nCenter\n72\n65\n73\n4\n40\n2.0\n49\n1.25\n74\n0\n49\n-0.25\n74\n0\n"
      "49\n0.25\n74\n0\n49\n-0.25\n74\n0\n"
      "0\nLTYPE\n2\nDOTS\n70\n0\n72\n65\n73\n1\n40\n0\n49\n0\n"  // nothing but a dot: drawn continuous
      "0\nENDTAB\n"
      "0\nTABLE\n2\nLAYER\n"
      "0\nLAYER\n2\nAXES\n70\n0\n62\n-3\n6\ncenter\n370\n35\n420\n16711680\n"
      "0\nENDTAB\n";
  const std::string entities =
      "0\nLINE\n8\nAXES\n10\n0\n20\n0\n11\n5\n21\n5\n"
      "0\nLINE\n8\nAXES\n6\nBYBLOCK\n62\n0\n370\n-2\n10\n0\n20\n0\n11\n5\n21\n5\n"
      "0\nLINE\n6\nCenter\n48\n2.5\n370\n50\n60\n1\n10\n0\n20\n0\n11\n5\n21\n5\n"
      "0\nLINE\n6\nNOSUCH\n10\n0\n20\n0\n11\n5\n21\n5\n";
  auto db = read(drawing(tables, "", entities));
  ASSERT_TRUE(db);
  auto* axes = as<LayerTableRecord>(*db, db->layerId(L"AXES"));
  ASSERT_NE(axes, nullptr);
  EXPECT_TRUE(axes->isOff());
  EXPECT_EQ(axes->colorIndex, 3);
  EXPECT_EQ(axes->trueColor, 0xFF0000u);
  EXPECT_EQ(axes->lineWeight, 35);
  auto* center = as<LinetypeTableRecord>(*db, axes->linetypeId);
  ASSERT_NE(center, nullptr);
  EXPECT_EQ(center->name, L"CENTER");
  EXPECT_EQ(center->dashes, (std::vector<double>{1.25, -0.25, 0.25, -0.25}));

  auto lines = ofKind<Line>(layoutEntities(*db, L"Model"));
  ASSERT_EQ(lines.size(), 4u);
  using From = EntityProperties::LinetypeFrom;
  EXPECT_EQ(lines[0]->properties.linetypeFrom, From::kLayer);
  EXPECT_EQ(lines[0]->properties.lineWeight, kLnWtByLayer);
  EXPECT_TRUE(lines[0]->properties.visible);
  EXPECT_EQ(lines[1]->properties.linetypeFrom, From::kBlock);
  EXPECT_EQ(lines[1]->properties.lineWeight, kLnWtByBlock);
  EXPECT_EQ(lines[1]->colorIndex(), 0);
  EXPECT_EQ(lines[2]->properties.linetypeFrom, From::kOwn);
  EXPECT_EQ(lines[2]->properties.linetypeId, axes->linetypeId);
  EXPECT_EQ(lines[2]->properties.linetypeScale, 2.5);
  EXPECT_EQ(lines[2]->properties.lineWeight, 50);
  EXPECT_FALSE(lines[2]->properties.visible);
  EXPECT_EQ(lines[3]->properties.linetypeFrom, From::kOwn);
  EXPECT_TRUE(lines[3]->properties.linetypeId.isNull());

  LinetypeTable* table = nullptr;
  ASSERT_EQ(db->getLinetypeTable(table), eOk);
  ASSERT_EQ(table->recordIds.size(), 3u);
  auto* onlyDots = as<LinetypeTableRecord>(*db, table->recordIds[2]);
  ASSERT_NE(onlyDots, nullptr);
  EXPECT_TRUE(onlyDots->dashes.empty());
  table->close();
}

// The second sheet of the sample: each kind the reader now holds is found in its own cell with the extents
// the scans see; construction lines have none, as in the host.
TEST(OtherEntities, MoreKindsOfTheSampleLieInTheirCells) {
  auto result = cadtest::load(cadtest::samplePath("every-entity.dxf"));
  ASSERT_TRUE(result.database) << result.error;
  const Database& db = *result.database;
  EXPECT_TRUE(result.warnings.empty()) << testing::PrintToString(result.warnings);
  const auto entities = layoutEntities(db, L"More Kinds");
  struct Expected {
    int cell;
    const wchar_t* rxClass;
  };
  const Expected expected[] = {
      {0, L"AcDbBlockReference"}, {1, L"AcDbPoint"}, {2, L"AcDbFace"},   {3, L"AcDbLeader"},  {4, L"AcDbMLeader"},
      {5, L"AcDbMline"},          {6, L"AcDbWipeout"}, {9, L"AcDbHelix"}, {10, L"AcDbSubDMesh"}, {11, L"AcDbShape"},
      {12, L"AcDbHatch"},         {13, L"AcDbMLeader"},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.cell);
    double x0, y0;
    cell(e.cell, x0, y0);
    int found = 0;
    for (const Entity* entity : entities) {
      Extents3d box;
      if (std::wstring(entity->isA()->name()) != e.rxClass || entity->getGeomExtents(box) != eOk ||
          !inside(box, x0, y0 + 6, x0 + 60, y0 + 55)) {
        continue;
      }
      ++found;
    }
    EXPECT_EQ(found, 1);
  }
  const double cx = 30, cy = 297.0 - 5.0 - 55.0 + 30;  // the first cell's drawing point
  // The array's twelve squares: the first at (cx - 15, cy - 10), the last three columns and two rows on.
  auto arrays = ofKind<BlockReference>(entities);
  ASSERT_FALSE(arrays.empty());
  EXPECT_EQ(arrays[0]->rows, 3);
  EXPECT_EQ(arrays[0]->columns, 4);
  expectBox(extentsOf(*arrays[0]), cx - 16.5, cy - 11.5, cx + 16.5, cy + 11.5);
  auto wipeouts = ofKind<Wipeout>(entities);
  ASSERT_EQ(wipeouts.size(), 1u);
  expectBox(extentsOf(*wipeouts[0]), 6 * 60.0 + 30 - 8, cy - 6, 6 * 60.0 + 30 + 8, cy + 6);
  // Model space holds the construction lines the viewports show; they have no extents.
  const auto model = cadtest::entitiesOf(db, db.modelSpaceId());
  int lines = 0;
  for (const Entity* entity : model) {
    if (Xline::cast(entity) == nullptr) continue;
    ++lines;
    Extents3d box;
    EXPECT_NE(entity->getGeomExtents(box), eOk);
  }
  EXPECT_EQ(lines, 2);
}

// An array's extents take in all its instances, inside another block as well as on its own.
TEST(OtherEntities, ArraysOfReferencesSpanAllTheirInstances) {
  const std::string blocks =
      "0\nBLOCK\n2\nSQ\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n"
      "0\nBLOCK\n2\nARR\n10\n0\n20\n0\n0\nINSERT\n2\nSQ\n10\n0\n20\n0\n70\n3\n71\n2\n44\n10\n45\n10\n0\nENDBLK\n";
  auto db = read(drawing("", blocks, "0\nINSERT\n2\nARR\n10\n100\n20\n0\n0\nINSERT\n2\nSQ\n10\n0\n20\n50\n70\n3\n71\n2\n44\n10\n45\n10\n"));
  ASSERT_TRUE(db);
  const auto model = cadtest::entitiesOf(*db, db->modelSpaceId());
  ASSERT_EQ(model.size(), 2u);
  expectBox(extentsOf(*model[0]), 100, 0, 121, 11);
  expectBox(extentsOf(*model[1]), 0, 50, 21, 61);
}

// The DXF reader on the sample drawings and on the variants other programs write (R12, R2000 in GBK,
// R2018, CRLF), and on small hand-written files for what those do not produce.
#include <cstdio>
#include <filesystem>
#include <numbers>

#include <unistd.h>

#include "cad/curve_entities.h"
#include "test_support.h"

using namespace cad;
using cadtest::as;
using cadtest::expectBox;
using cadtest::extentsOf;
using cadtest::layoutEntities;
using cadtest::ofKind;

namespace {

struct LayoutExpectation {
  std::wstring name;
  int tabOrder;
  double paperWidth, paperHeight;
  std::size_t entities;
};

struct SampleExpectation {
  const char* file;
  std::wstring current;
  std::vector<LayoutExpectation> layouts;  // dictionary order
};

// A minimal R2000 drawing around the given ENTITIES, BLOCKS and OBJECTS text.
std::string drawing(const std::string& blocks, const std::string& entities, const std::string& objects = "") {
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
         "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n" +
         (objects.empty() ? "" : "0\nSECTION\n2\nOBJECTS\n" + objects + "0\nENDSEC\n") + "0\nEOF\n";
}

}  // namespace

TEST(DxfReader, ReadsEverySample) {
  const SampleExpectation samples[] = {
      {"layouts-frames.dxf", L"A3 Block",
       {{L"Model", 0, 420, 297, 6}, {L"A3 Block", 3, 420, 297, 3}, {L"A3 Polylines", 4, 420, 297, 6},
        {L"A4 Portrait", 5, 210, 297, 3}}},
      {"oversized-layout.dxf", L"Model", {{L"Model", 0, 420, 297, 6}, {L"Oversized", 3, 1682, 594, 14}}},
      {"viewports-only.dxf", L"Model",
       {{L"Model", 0, 420, 297, 6}, {L"Layout1", 1, 420, 297, 0}, {L"Viewports", 3, 420, 297, 4}}},
      {"model-a1-grid-1to100.dxf", L"Model", {{L"Model", 0, 420, 297, 22}, {L"Layout1", 1, 420, 297, 0}}},
      {"chinese-layouts.dxf", L"Model",
       {{L"Model", 0, 420, 297, 2}, {L"平面图", 3, 420, 297, 4}, {L"立面图", 4, 420, 297, 4},
        {L"剖面图 1-1", 5, 420, 297, 4}}},
  };
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample.file);
    auto result = cadtest::load(cadtest::samplePath(sample.file));
    ASSERT_TRUE(result.database);
    const Database& db = *result.database;
    std::vector<std::wstring> names;
    for (const auto& expected : sample.layouts) names.push_back(expected.name);
    EXPECT_EQ(cadtest::layoutNames(db), names);
    for (const auto& expected : sample.layouts) {
      SCOPED_TRACE(cadtest::utf8(expected.name));
      auto* layout = cadtest::layoutNamed(db, expected.name);
      ASSERT_NE(layout, nullptr);
      EXPECT_EQ(layout->getTabOrder(), expected.tabOrder);
      EXPECT_EQ(layout->modelType(), expected.name == L"Model");
      double w = 0, h = 0;
      layout->getPlotPaperSize(w, h);
      EXPECT_EQ(w, expected.paperWidth);
      EXPECT_EQ(h, expected.paperHeight);
      EXPECT_EQ(layoutEntities(db, expected.name).size(), expected.entities);
      EXPECT_EQ(as<BlockTableRecord>(db, layout->getBlockTableRecordId())->getLayoutId(), layout->objectId());
    }
    auto* current = as<Layout>(db, db.currentLayoutId());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->layoutName, sample.current);
    EXPECT_EQ(db.filename, foundation::wideFromUtf8Lossy(cadtest::samplePath(sample.file)));
    EXPECT_TRUE(db.openObjects().empty());
  }
}

TEST(DxfReader, LayoutsFramesDetails) {
  auto result = cadtest::load(cadtest::samplePath("layouts-frames.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  EXPECT_FALSE(db.tileMode());
  EXPECT_EQ(db.headerVariables.at(L"$ACADVER"), L"AC1032");

  auto* a3 = cadtest::layoutNamed(db, L"A3 Block");
  const wchar_t* device = nullptr;
  const wchar_t* media = nullptr;
  ASSERT_EQ(a3->getPlotCfgName(device), eOk);
  ASSERT_EQ(a3->getCanonicalMediaName(media), eOk);
  EXPECT_STREQ(device, L"DWG To PDF.pc3");
  EXPECT_STREQ(media, L"ezdxf_(420.00_x_297.00_MM)");
  EXPECT_EQ(a3->plotPaperUnits(), PlotPaperUnits::kMillimeters);

  // The title-block frame as a block reference with its attribute, and two viewports numbered 1 and 2.
  const auto entities = layoutEntities(db, L"A3 Block");
  auto refs = ofKind<BlockReference>(entities);
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_EQ(as<BlockTableRecord>(db, refs[0]->blockTableRecord())->name, L"TK-A3");
  expectBox(extentsOf(*refs[0]), 0, 0, 420, 297);
  ASSERT_EQ(refs[0]->attributes.size(), 1u);
  auto* attribute = as<AttributeReference>(db, refs[0]->attributes[0]);
  EXPECT_EQ(attribute->tag, L"NUMBER");
  EXPECT_EQ(attribute->contents, L"S-101");
  auto viewports = ofKind<Viewport>(entities);
  ASSERT_EQ(viewports.size(), 2u);
  EXPECT_EQ(viewports[0]->number(), 1);
  EXPECT_EQ(viewports[1]->number(), 2);
  EXPECT_TRUE(viewports[1]->isOn());
  EXPECT_EQ(viewports[1]->width(), 350);
  EXPECT_EQ(viewports[1]->viewHeight, 2200);
  EXPECT_EQ(viewports[1]->viewCenter.x, 2000);
  EXPECT_EQ(std::wstring(viewports[1]->layer()), L"VIEWPORTS");
  auto* viewportLayer = as<LayerTableRecord>(db, viewports[1]->layerId());
  EXPECT_FALSE(viewportLayer->isPlottable());

  // The same frame as loose polylines in the next layout.
  auto plines = ofKind<Polyline>(layoutEntities(db, L"A3 Polylines"));
  ASSERT_EQ(plines.size(), 3u);
  EXPECT_TRUE(plines[0]->isClosed());
  EXPECT_EQ(plines[0]->numVerts(), 4u);
  expectBox(extentsOf(*plines[1]), 25, 5, 415, 292);

  auto* frame = as<BlockTableRecord>(db, db.blockId(L"tk-a3"));
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->isLayout());
  EXPECT_FALSE(frame->isAnonymous());
}

TEST(DxfReader, ModelGridAndOversizedLayout) {
  auto grid = cadtest::load(cadtest::samplePath("model-a1-grid-1to100.dxf"));
  ASSERT_TRUE(grid.database);
  auto refs = ofKind<BlockReference>(layoutEntities(*grid.database, L"Model"));
  ASSERT_EQ(refs.size(), 6u);
  expectBox(extentsOf(*refs[0]), 0, 0, 84100, 59400);
  expectBox(extentsOf(*refs[5]), 180000, -65000, 264100, -5600);

  auto oversized = cadtest::load(cadtest::samplePath("oversized-layout.dxf"));
  ASSERT_TRUE(oversized.database);
  const auto entities = layoutEntities(*oversized.database, L"Oversized");
  auto frames = ofKind<BlockReference>(entities);
  ASSERT_EQ(frames.size(), 5u);
  expectBox(extentsOf(*frames[0]), 10, 10, 421.6, 301.06);
  expectBox(extentsOf(*frames[4]), 1383, 300, 1680, 510);  // the A4 turned a quarter
  auto viewports = ofKind<Viewport>(entities);
  ASSERT_EQ(viewports.size(), 5u);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(viewports[k]->number(), k + 1);
}

TEST(DxfReader, ChineseNamesAndTexts) {
  auto result = cadtest::load(cadtest::samplePath("chinese-layouts.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  auto texts = ofKind<Text>(layoutEntities(db, L"剖面图 1-1"));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->contents, L"剖面图 1-1");
  EXPECT_EQ(std::wstring(texts[0]->layer()), L"文字");
  auto refs = ofKind<BlockReference>(layoutEntities(db, L"平面图"));
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_EQ(as<BlockTableRecord>(db, refs[0]->blockTableRecord())->name, L"图框A3");
  auto mtexts = ofKind<MText>(layoutEntities(db, L"Model"));
  ASSERT_EQ(mtexts.size(), 1u);
  EXPECT_EQ(mtexts[0]->contents, L"建筑设计说明\\P第二行：详见图纸");  // formatting codes kept as stored
}

TEST(DxfReader, R12Frames) {
  auto result = cadtest::load(cadtest::dataPath("r12-frames.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  // No layouts in R12: the model and one paper layout for the paper-space entities.
  EXPECT_EQ(cadtest::layoutNames(db), (std::vector<std::wstring>{L"Model", L"Layout1"}));
  const auto paper = layoutEntities(db, L"Layout1");
  ASSERT_EQ(paper.size(), 2u);
  EXPECT_EQ(ofKind<Text>(paper)[0]->contents, L"PAPER");

  const auto model = layoutEntities(db, L"Model");
  auto refs = ofKind<BlockReference>(model);
  ASSERT_EQ(refs.size(), 2u);
  expectBox(extentsOf(*refs[0]), 0, 0, 420, 297);
  expectBox(extentsOf(*refs[1]), 703, 0, 1000, 420);
  EXPECT_EQ(ofKind<Line>(model).size(), 4u);  // the border of single lines

  // Nested three deep: TK-R12 → STAMP → LOGO.
  auto* stamp = as<BlockTableRecord>(db, db.blockId(L"STAMP"));
  ASSERT_NE(stamp, nullptr);
  auto nested = ofKind<BlockReference>(cadtest::entitiesOf(db, stamp->objectId()));
  ASSERT_EQ(nested.size(), 1u);
  expectBox(extentsOf(*nested[0]), 5, 5, 25, 25);

  // The legacy polyline with its vertex objects and its half-circle bulge.
  auto plines = ofKind<Polyline2d>(model);
  ASSERT_EQ(plines.size(), 1u);
  ASSERT_EQ(plines[0]->vertexIds.size(), 2u);
  Vertex2d* vertex = nullptr;
  ASSERT_EQ(acdbOpenObject(vertex, plines[0]->vertexIds[0]), eOk);
  EXPECT_EQ(vertex->bulge(), 1.0);
  EXPECT_EQ(vertex->ownerId(), plines[0]->objectId());
  vertex->close();
  expectBox(extentsOf(*plines[0]), 0, 1950, 100, 2000);
}

TEST(DxfReader, R2000InGbk) {
  auto result = cadtest::load(cadtest::dataPath("r2000-gbk.dxf"));
  ASSERT_TRUE(result.database);
  const Database& db = *result.database;
  EXPECT_EQ(db.headerVariables.at(L"$DWGCODEPAGE"), L"ANSI_936");
  EXPECT_EQ(cadtest::layoutNames(db), (std::vector<std::wstring>{L"Model", L"图纸一", L"图纸二"}));
  EXPECT_FALSE(as<LayerTableRecord>(db, db.layerId(L"不打印"))->isPlottable());

  const auto model = layoutEntities(db, L"Model");
  auto refs = ofKind<BlockReference>(model);
  ASSERT_EQ(refs.size(), 3u);
  expectBox(extentsOf(*refs[0]), 0, 0, 420, 297);          // base point (10, 20) taken off
  expectBox(extentsOf(*refs[1]), 580, 0, 1000, 297);       // mirrored
  expectBox(extentsOf(*refs[2]), 1851.5, 0, 2363.7306696, 467.2095449);  // 30°
  auto plines = ofKind<Polyline2d>(model);
  ASSERT_EQ(plines.size(), 1u);
  EXPECT_TRUE(plines[0]->isClosed());
  EXPECT_EQ(plines[0]->vertexIds.size(), 4u);
  auto arcs = ofKind<Arc>(model);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_NEAR(arcs[0]->endAngle, std::numbers::pi / 2, 1e-12);
  auto texts = ofKind<Text>(layoutEntities(db, L"图纸二"));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->contents, L"图纸二");
}

TEST(DxfReader, R2018MixedAndCrlf) {
  for (const char* file : {"r2018-mixed.dxf", "r2018-mixed-crlf.dxf"}) {
    SCOPED_TRACE(file);
    auto result = cadtest::load(cadtest::dataPath(file));
    ASSERT_TRUE(result.database);
    const Database& db = *result.database;
    const auto model = layoutEntities(db, L"Model");
    ASSERT_EQ(model.size(), 8u);
    EXPECT_EQ(ofKind<Ellipse>(model).size(), 1u);
    EXPECT_EQ(ofKind<Spline>(model).size(), 1u);
    auto* mtext = dynamic_cast<MText*>(model[0]);
    ASSERT_NE(mtext, nullptr);
    EXPECT_EQ(mtext->contents, L"{\\fArial|b1;Title}\\PSecond line");
    EXPECT_EQ(mtext->textHeight, 10);
    auto* hatch = dynamic_cast<Hatch*>(model[1]);
    ASSERT_NE(hatch, nullptr);
    ASSERT_EQ(hatch->loops.size(), 2u);
    expectBox(extentsOf(*hatch), 0, -100, 150, -50, 1e-6);
    ASSERT_EQ(ofKind<Polyline>(model).size(), 1u);
    auto* offLayer = as<LayerTableRecord>(db, ofKind<Polyline>(model)[0]->layerId());
    EXPECT_TRUE(offLayer->isOff());
    EXPECT_TRUE(as<LayerTableRecord>(db, db.layerId(L"FROZEN"))->isFrozen());

    auto refs = ofKind<BlockReference>(model);
    ASSERT_EQ(refs.size(), 3u);
    expectBox(extentsOf(*refs[0]), 0, 2000, 120, 2002);  // nested INNER scaled 2, plus the attribute
    EXPECT_TRUE(refs[1]->blockTableRecord().isNull());   // MISSING is not defined: kept, no extents
    Extents3d box;
    EXPECT_EQ(refs[1]->getGeomExtents(box), eInvalidExtents);
    auto* xref = as<BlockTableRecord>(db, refs[2]->blockTableRecord());
    ASSERT_NE(xref, nullptr);
    EXPECT_TRUE(xref->isFromExternalReference());
    EXPECT_EQ(xref->pathName, L"frames.dwg");

    auto viewports = ofKind<Viewport>(layoutEntities(db, L"Sheet"));
    ASSERT_EQ(viewports.size(), 3u);
    EXPECT_TRUE(viewports[1]->isOn());
    EXPECT_FALSE(viewports[2]->isOn());
    EXPECT_EQ(viewports[2]->number(), 3);
  }
}

TEST(DxfReader, FilesAreReadByContentWhateverTheExtension) {
  const auto dir = std::filesystem::temp_directory_path() / ("quodl-cad-db-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto asDwg = (dir / "really-dxf.dwg").string();
  std::filesystem::copy_file(cadtest::samplePath("viewports-only.dxf"), asDwg,
                             std::filesystem::copy_options::overwrite_existing);
  auto result = readDxfFile(asDwg);
  EXPECT_TRUE(result.database) << result.error;

  const auto fakeDxf = (dir / "drawing.dxf").string();
  {
    std::FILE* f = std::fopen(fakeDxf.c_str(), "wb");
    std::fputs("AC1032\0\0\0binary", f);
    std::fclose(f);
  }
  result = readDxfFile(fakeDxf);
  EXPECT_FALSE(result.database);
  EXPECT_NE(result.error.find("binary DWG files are not supported; save the drawing as DXF"), std::string::npos);

  // The reason alone: whoever opens the file names it.
  result = readDxfFile((dir / "absent.dxf").string());
  EXPECT_FALSE(result.database);
  EXPECT_EQ(result.error, "no such file");
  std::filesystem::remove_all(dir);
}

TEST(DxfReader, PlacementByOwnerLayoutNameAndPaperFlag) {
  // An R2000 drawing whose ENTITIES name their spaces in each of the three ways.
  const std::string objects =
      "0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nACAD_LAYOUT\n350\n1A\n"
      "0\nDICTIONARY\n5\n1A\n330\nC\n100\nAcDbDictionary\n3\nModel\n350\n22\n3\nFirst\n350\n1E\n3\nSecond\n350\n26\n"
      "0\nLAYOUT\n5\n22\n330\n1A\n100\nAcDbPlotSettings\n70\n1024\n100\nAcDbLayout\n1\nModel\n71\n0\n330\n1F\n"
      "0\nLAYOUT\n5\n1E\n330\n1A\n100\nAcDbPlotSettings\n1\nSetup\n2\nPlotter.pc3\n44\n297\n45\n210\n72\n0\n"
      "100\nAcDbLayout\n1\nFirst\n71\n1\n330\n1B\n"
      "0\nLAYOUT\n5\n26\n330\n1A\n100\nAcDbPlotSettings\n70\n16\n100\nAcDbLayout\n1\nSecond\n71\n2\n330\n23\n";
  const std::string text =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$TILEMODE\n70\n0\n0\nENDSEC\n"
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nBLOCK_RECORD\n"
      "0\nBLOCK_RECORD\n5\n1F\n100\nAcDbSymbolTableRecord\n2\n*Model_Space\n"
      "0\nBLOCK_RECORD\n5\n1B\n2\n*Paper_Space\n"
      "0\nBLOCK_RECORD\n5\n23\n2\n*Paper_Space0\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLINE\n5\n30\n330\n23\n100\nAcDbEntity\n67\n1\n8\nA\n10\n0\n20\n0\n11\n1\n21\n1\n"  // owner → Second
      "0\nLINE\n5\n31\n100\nAcDbEntity\n67\n1\n410\nsecond\n10\n0\n20\n0\n11\n2\n21\n2\n"    // 410 → Second
      "0\nLINE\n5\n32\n100\nAcDbEntity\n67\n1\n10\n0\n20\n0\n11\n3\n21\n3\n"                  // 67 → First
      "0\nLINE\n5\n33\n10\n0\n20\n0\n11\n4\n21\n4\n"                                           // model
      "0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n" + objects + "0\nENDSEC\n0\nEOF\n";
  auto result = readDxfText(text);
  ASSERT_TRUE(result.database) << result.error;
  const Database& db = *result.database;
  EXPECT_EQ(cadtest::layoutNames(db), (std::vector<std::wstring>{L"Model", L"First", L"Second"}));
  EXPECT_EQ(layoutEntities(db, L"Second").size(), 2u);
  EXPECT_EQ(layoutEntities(db, L"First").size(), 1u);
  EXPECT_EQ(layoutEntities(db, L"Model").size(), 1u);
  auto* first = cadtest::layoutNamed(db, L"First");
  EXPECT_EQ(as<Layout>(db, db.currentLayoutId()), first);  // TILEMODE 0: the layout of *Paper_Space
  EXPECT_EQ(first->plotSettingsName, L"Setup");
  EXPECT_EQ(first->plotPaperUnits(), PlotPaperUnits::kInches);
  EXPECT_TRUE(cadtest::layoutNamed(db, L"Second")->useStandardScale());
  EXPECT_EQ(db.objectIdFromHandle(L"31"), layoutEntities(db, L"Second")[1]->objectId());
  // An entity on a layer the table lacks gets the layer made.
  EXPECT_FALSE(db.layerId(L"A").isNull());
}

TEST(DxfReader, DynamicBlockRepresentationsNameTheirDefinition) {
  const std::string text =
      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nBLOCK_RECORD\n"
      "0\nBLOCK_RECORD\n5\n40\n102\n{ACAD_XDICTIONARY\n360\n50\n102\n}\n2\nDOOR\n"
      "0\nBLOCK_RECORD\n5\n41\n2\n*U7\n1001\nAcDbBlockRepBTag\n1070\n1\n1005\n40\n"
      "0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nBLOCKS\n"
      "0\nBLOCK\n2\nDOOR\n70\n0\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n0\n0\nENDBLK\n"
      "0\nBLOCK\n2\n*U7\n70\n1\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n2\n21\n0\n0\nENDBLK\n"
      "0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\n*U7\n10\n5\n20\n5\n0\nINSERT\n2\nDOOR\n10\n0\n20\n0\n0\nENDSEC\n"
      "0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n0\nDICTIONARY\n5\n50\n3\nACAD_ENHANCEDBLOCK\n360\n51\n"
      "0\nENDSEC\n0\nEOF\n";
  auto result = readDxfText(text);
  ASSERT_TRUE(result.database) << result.error;
  const Database& db = *result.database;
  auto refs = ofKind<BlockReference>(layoutEntities(db, L"Model"));
  ASSERT_EQ(refs.size(), 2u);
  const ObjectId door = db.blockId(L"DOOR");
  EXPECT_TRUE(as<BlockTableRecord>(db, door)->isDynamicBlock());
  EXPECT_TRUE(as<BlockTableRecord>(db, db.blockId(L"*U7"))->isAnonymous());
  EXPECT_EQ(refs[0]->dynamicBlockTableRecord(), door);
  EXPECT_EQ(refs[1]->dynamicBlockTableRecord(), door);
  expectBox(extentsOf(*refs[0]), 5, 5, 7, 5);
}

TEST(DxfReader, TextEncodings) {
  // \U+ escapes in any version; an undeclared code page takes UTF-8 when the bytes are UTF-8, else cp1252.
  struct Case {
    const char* name;
    std::string header;
    std::string value;
    std::wstring expected;
  };
  const Case cases[] = {
      {"escape in R2000", "9\n$ACADVER\n1\nAC1015\n", "\\U+56FE\\U+6846 A", L"图框 A"},
      {"escape in R2018", "9\n$ACADVER\n1\nAC1032\n", "x\\U+00E9y", L"xéy"},
      {"utf-8 in R2018", "9\n$ACADVER\n1\nAC1032\n", "图框", L"图框"},
      {"gbk", "9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_936\n", "\xCD\xBC\xBF\xF2", L"图框"},
      {"gbk labelled as a UTF-8 version", "9\n$ACADVER\n1\nAC1032\n9\n$DWGCODEPAGE\n3\nANSI_936\n",
       "\xCD\xBC\xBF\xF2", L"图框"},
      {"cp1252", "9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_1252\n", "\x80 caf\xE9", L"€ café"},
      {"no code page, utf-8 bytes", "", "caf\xC3\xA9", L"café"},
      {"no code page, other bytes", "", "caf\xE9", L"café"},
      {"unknown code page", "9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\nANSI_99999\n", "\xE9\\U+00E9", L"éé"},
      {"multibyte escape", "9\n$ACADVER\n1\nAC1015\n", "\\M+5CDBC", L"图"},
      {"escaped backslash stays", "9\n$ACADVER\n1\nAC1015\n", "a\\\\U+0041", L"a\\\\U+0041"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = "0\nSECTION\n2\nHEADER\n" + c.header + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\n" +
                             c.value + "\n40\n2.5\n0\nENDSEC\n0\nEOF\n";
    auto result = readDxfText(text);
    ASSERT_TRUE(result.database) << result.error;
    auto texts = ofKind<Text>(layoutEntities(*result.database, L"Model"));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->contents, c.expected);
  }
}

TEST(DxfReader, TolerantOfWhatRealFilesDo) {
  const std::string base = drawing("", "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n5\n21\n5\n");
  struct Case {
    const char* name;
    std::string text;
  };
  std::string crOnly = base;
  for (char& c : crOnly) c = c == '\n' ? '\r' : c;
  std::string padded;  // right-aligned codes and trailing blanks, as old writers leave them
  for (std::size_t start = 0, line = 0; start < base.size(); ++line) {
    const std::size_t end = base.find('\n', start);
    const std::string text = base.substr(start, end - start);
    padded += (line % 2 == 0 ? "  " + text + "  " : text) + "\n";
    start = end + 1;
  }
  const Case cases[] = {
      {"no EOF after the last section of an R12 drawing", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n5\n21\n5\n0\nENDSEC\n"},
      {"trailing blank lines", base + "\n\n  \n"},
      {"byte order mark", "\xEF\xBB\xBF" + base},
      {"CR only", crOnly},
      {"padded codes", padded},
      {"comments and unknown sections", "999\nwritten by hand\n0\nSECTION\n2\nTHUMBNAILIMAGE\n90\n3\n310\nABCDEF\n0\nENDSEC\n" + base},
      {"unknown entities and stray followers",
       drawing("", "0\nSOLID\n10\n0\n0\nVERTEX\n10\n1\n0\nSEQEND\n0\nLINE\n10\n0\n20\n0\n11\n5\n21\n5\n")},
      {"huge vertex count", drawing("", "0\nLINE\n10\n0\n20\n0\n11\n5\n21\n5\n0\nLWPOLYLINE\n90\n2000000000\n10\n1\n20\n1\n")},
      {"integers written as reals", drawing("", "0\nLINE\n62\n1.0\n10\n0\n20\n0\n11\n5\n21\n5\n")},
      {"a number too small for a double", drawing("", "0\nLINE\n10\n1e-400\n20\n-0\n11\n5\n21\n5\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = readDxfText(c.text);
    ASSERT_TRUE(result.database) << result.error;
    auto lines = ofKind<Line>(layoutEntities(*result.database, L"Model"));
    ASSERT_EQ(lines.size(), 1u);
    expectBox(extentsOf(*lines[0]), 0, 0, 5, 5);
  }
}

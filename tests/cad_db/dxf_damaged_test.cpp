// Damaged and foreign input: a clear error naming the line, never a crash and never a partial drawing; what
// can be read past is read with a warning.
#include <algorithm>

#include "damaged_drawings.h"
#include "temp_folder.h"
#include "test_support.h"

using namespace cad;

namespace {

// Lines 1-18: SECTION ENTITIES, one LINE (codes on lines 5-13), ENDSEC on 15-16, EOF on 17-18.
std::string entities(const std::string& lineBody) {
  return "0\nSECTION\n2\nENTITIES\n0\nLINE\n" + lineBody + "0\nENDSEC\n0\nEOF\n";
}
const std::string kLineBody = "10\n0\n20\n0\n11\n5\n21\n5\n";

}  // namespace

TEST(DxfDamaged, RefusedWithTheLineNamed) {
  struct Case {
    const char* name;
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"empty", "", "the file is empty"},
      {"blank", " \n\r\n\t\n", "the file is empty"},
      {"DWG", std::string("AC1027\0\0\0\x1f\x8b", 11), "binary DWG files are not supported; save the drawing as DXF"},
      {"old DWG", "AC1.50 rest", "binary DWG files are not supported; save the drawing as DXF"},
      {"binary DXF", std::string("WRITER7 Binary DXF\r\n\x1a\0", 22),
       "binary DXF files are not supported; save the drawing as ASCII DXF"},
      {"not a group code", entities("1O\n0\n20\n0\n"), "line 7: expected a group code, found \"1O\""},
      {"group code out of range", entities("5000\n0\n"), "line 7: group code 5000 is not a DXF group code"},
      {"not a number", entities("10\n1.2.3\n20\n0\n"), "line 8: \"1.2.3\" is not a number (group code 10)"},
      {"a power without digits", entities("10\n-.e00\n20\n0\n"), "line 8: \"-.e00\" is not a number (group code 10)"},
      {"integer out of range", entities("62\n99999999999\n"),
       "line 8: value \"99999999999\" is out of range (group code 62)"},
      {"truncated inside a section", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n",
       "line 10: the file ends inside the ENTITIES section (no ENDSEC)"},
      {"code without value", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n",
       "line 7: group code 10 has no value: the file ends"},
      {"truncated header", "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n",
       "line 8: the file ends inside the HEADER section (no ENDSEC)"},
      {"section left open", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n0\nSECTION\n2\nOBJECTS\n0\nENDSEC\n",
       "line 9: the ENTITIES section has no ENDSEC before \"SECTION\""},
      {"block left open", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nLINE\n10\n0\n0\nENDSEC\n",
       "line 13: block \"B\" has no ENDBLK before \"ENDSEC\""},
      {"block defined twice",
       "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nENDBLK\n0\nBLOCK\n2\nb\n0\nENDBLK\n0\nENDSEC\n",
       "line 11: block \"b\" is defined twice"},
      {"block without a name", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n70\n0\n0\nENDBLK\n0\nENDSEC\n",
       "line 5: a block has no name"},
      {"table left open", "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n0\nENDSEC\n",
       "line 13: the LAYER table has no ENDTAB before \"ENDSEC\""},
      {"two layouts of one name",
       "0\nSECTION\n2\nOBJECTS\n0\nLAYOUT\n5\n1\n100\nAcDbLayout\n1\nPlan\n0\nLAYOUT\n5\n2\n100\nAcDbLayout\n1\nPLAN\n"
       "0\nENDSEC\n0\nEOF\n",
       "line 13: two layouts are named \"PLAN\""},
      {"garbage", "hello\nworld\n", "line 1: expected a group code, found \"hello\""},
      {"PDF", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", "line 1: expected a group code, found \"%PDF-1.4\""},
      {"entity at top level", "0\nLINE\n10\n0\n", "line 1: expected a SECTION, found \"LINE\""},
      {"section without a name", "0\nSECTION\n70\n1\n", "line 3: expected the section's name (group code 2) after SECTION"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = readDxfText(c.text);
    EXPECT_FALSE(result.database);
    EXPECT_EQ(result.error, c.error);
  }
}

TEST(DxfDamaged, EachKindOfDamageIsRefusedOrReadWithAWarning) {
  for (const DamagedDrawing& kind : damagedDrawings(QUODL_SAMPLES_DIR)) {
    SCOPED_TRACE(kind.name);
    const DxfReadResult result = readDxfText(kind.content);
    if (kind.opens) {
      ASSERT_TRUE(result.database) << result.error;
      EXPECT_EQ(std::count(result.warnings.begin(), result.warnings.end(), kind.message), 1)
          << testing::PrintToString(result.warnings);
    } else {
      EXPECT_FALSE(result.database);
      EXPECT_EQ(result.error, kind.message);
    }
  }
}

TEST(DxfDamaged, ManyWarningsEndInACount) {
  std::string text;
  for (int i = 0; i < 25; ++i) text += "0\nSECTION\n2\nNOTES" + std::to_string(i) + "\n0\nENDSEC\n";
  const DxfReadResult result = readDxfText(text + "0\nEOF\n");
  ASSERT_TRUE(result.database) << result.error;
  ASSERT_EQ(result.warnings.size(), 21u);
  EXPECT_EQ(result.warnings.front(), "line 1: section \"NOTES0\" is not a DXF section; it was skipped");
  EXPECT_EQ(result.warnings.back(), "… and 5 more warnings");
}

TEST(DxfDamaged, WhatIsNoFileIsRefusedWithTheSystemsReason) {
  TempFolder folder("quodl-unreadable");
  for (const UnreadableItem& item : unreadableItems()) {
    SCOPED_TRACE(item.name);
    const std::string path = item.make(folder / item.name);
    if (path.empty()) continue;
    const DxfReadResult result = readDxfFile(path);
    EXPECT_FALSE(result.database);
    EXPECT_EQ(result.error, item.reason);
  }
}

TEST(DxfDamaged, WholeDrawingsReadWithoutWarningsUnlessTheyHaveSomethingToSay) {
  for (const char* sample : {"layouts-frames.dxf", "oversized-layout.dxf", "viewports-only.dxf",
                             "model-a1-grid-1to100.dxf", "chinese-layouts.dxf"}) {
    SCOPED_TRACE(sample);
    const DxfReadResult result = readDxfFile(cadtest::samplePath(sample));
    ASSERT_TRUE(result.database) << result.error;
    EXPECT_TRUE(result.warnings.empty()) << testing::PrintToString(result.warnings);
  }
  // The mixed drawing refers to a block it lacks, on purpose.
  const std::vector<std::string> missingBlock{
      "1 block reference to undefined blocks (the first, to \"MISSING\", on line 2993)"};
  const std::pair<const char*, std::vector<std::string>> data[] = {
      {"r12-frames.dxf", {}}, {"r2000-gbk.dxf", {}}, {"r2018-mixed.dxf", missingBlock},
      {"r2018-mixed-crlf.dxf", missingBlock}};
  for (const auto& [file, warnings] : data) {
    SCOPED_TRACE(file);
    const DxfReadResult result = readDxfFile(cadtest::dataPath(file));
    ASSERT_TRUE(result.database) << result.error;
    EXPECT_EQ(result.warnings, warnings);
  }
}

TEST(DxfDamaged, MisalignedPairsAreCaught) {
  // A value line lost in the middle shifts every pair after it.
  auto result = readDxfText(entities("10\n20\n0\n11\n5\n21\n5\n"));
  EXPECT_FALSE(result.database);
  EXPECT_EQ(result.error.rfind("line ", 0), 0u) << result.error;
}

TEST(DxfDamaged, EveryTruncationFailsCleanlyOrReadsWhole) {
  // Cut real drawings at many points, inside lines and between them: each read either fails with a line
  // named or (cut between sections) gives a drawing; never a crash.
  for (const char* file : {"r12-frames.dxf", "r2018-mixed.dxf"}) {
    SCOPED_TRACE(file);
    const std::string text = cadtest::readFile(cadtest::dataPath(file));
    ASSERT_FALSE(text.empty());
    int failures = 0;
    for (std::size_t cut = 16; cut < text.size(); cut += 61) {
      auto result = readDxfText(std::string_view(text).substr(0, cut));
      if (!result.database) {
        ++failures;
        EXPECT_EQ(result.error.rfind("line ", 0), 0u) << "cut at " << cut << ": " << result.error;
      }
    }
    EXPECT_GT(failures, 0);
  }
}

TEST(DxfDamaged, ByteFlipsNeverCrash) {
  std::string text = cadtest::readFile(cadtest::dataPath("r2000-gbk.dxf"));
  ASSERT_FALSE(text.empty());
  unsigned seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string damaged = text;
    for (int k = 0; k < 8; ++k) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t at = (seed >> 8) % damaged.size();
      seed = seed * 1103515245u + 12345u;
      damaged[at] = static_cast<char>(seed >> 16);
    }
    auto result = readDxfText(damaged);
    if (!result.database) {
      EXPECT_FALSE(result.error.empty());
    } else {
      result.database->renumberViewports();
      for (const auto& name : cadtest::layoutNames(*result.database)) {
        for (auto* e : cadtest::layoutEntities(*result.database, name)) {
          Extents3d box;
          e->getGeomExtents(box);  // any status; what matters is that it returns
        }
      }
    }
  }
}

// Handles that cannot be read or lead nowhere link nothing: the drawing opens, each kind told once with a count,
// an object whose own handle cannot be read gets a fresh one, and the entities go by their space.
TEST(DxfDamaged, UnreadableAndDanglingHandlesAreDroppedWithOneWarningEach) {
  const std::string text =
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLINE\n5\nNone\n330\nNone\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nCIRCLE\n5\n2A\n330\nBEEF\n67\n1\n10\n0\n20\n0\n40\n1\n"
      "0\nCIRCLE\n5\n2B\n330\nBEEF\n10\n0\n20\n0\n40\n2\n"
      "0\nENDSEC\n0\nEOF\n";
  const DxfReadResult result = readDxfText(text);
  ASSERT_TRUE(result.database) << result.error;
  EXPECT_EQ(result.warnings,
            (std::vector<std::string>{
                "line 8: 2 handles are not hexadecimal (the first, \"None\", group code 5); they were read as none",
                "2 entities name owners the drawing does not hold; they were placed by their space"}));
  Database& db = *result.database;
  auto* model = BlockTableRecord::cast(db.objectAt(db.modelSpaceId()));
  auto* paper = BlockTableRecord::cast(db.objectAt(db.blockId(L"*Paper_Space")));
  ASSERT_NE(model, nullptr);
  ASSERT_NE(paper, nullptr);
  ASSERT_EQ(model->entityIds.size(), 2u);
  ASSERT_EQ(paper->entityIds.size(), 1u);
  const std::wstring fresh = db.objectAt(model->entityIds[0])->handle();
  EXPECT_FALSE(fresh.empty());
  EXPECT_NE(fresh, L"2A");
  EXPECT_NE(fresh, L"2B");
  EXPECT_EQ(db.objectAt(paper->entityIds[0])->handle(), L"2A");
}

// Whole drawings written by other drafting tools (see data/make_fixtures.py), read through our DXF reader.

#include <gtest/gtest.h>

#include "cad/dxf_reader.h"
#include "fixture.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "recognition/recognition_state.h"

namespace {

class ModelScanDxf : public testing::Test {
 protected:
  void SetUp() override { vexBatchResetRecognitionStateForTesting(); }
  void TearDown() override {
    cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    vexBatchResetRecognitionStateForTesting();
  }

  std::vector<VexBatchPrintFrameRecord> scanFile(const std::string& name) {
    cad::DxfReadResult read = cad::readDxfFile(std::string(QUODL_RECOGNITION_TEST_DATA) + "/" + name);
    EXPECT_TRUE(read.database) << read.error;
    if (!read.database) return {};
    db_ = std::move(read.database);
    cad::acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
    EXPECT_TRUE(db_->openObjects().empty());
    return frames;
  }

  std::unique_ptr<cad::Database> db_;
};

TEST_F(ModelScanDxf, PolylineSheetsAtOneToHundred) {
  auto frames = scanFile("model_polyline_frames.dxf");
  struct Expected {
    const wchar_t* paper;
    double minX, minY, maxX, maxY;
  };
  const Expected expected[] = {
      {L"A1", 0, 0, 84100, 59400},
      {L"A2", 94100, 0, 153500, 42000},
      {L"A3", 163500, 0, 205500, 29700},
      {L"A3", 0, -60000, 63000, -30300},       // lengthened A3 at 1:100: beyond every ISO size, automatic paper
      {L"A3", 80000, -60000, 109700, -18000},  // open polyline closed by a fifth vertex
  };
  ASSERT_EQ(frames.size(), std::size(expected));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(frames[i].paper.name, expected[i].paper);
    EXPECT_EQ(frames[i].sourceKind, L"polyline");
    EXPECT_EQ(frames[i].layer, L"TK");
    EXPECT_NEAR(frames[i].minX, expected[i].minX, 1e-6);
    EXPECT_NEAR(frames[i].minY, expected[i].minY, 1e-6);
    EXPECT_NEAR(frames[i].maxX, expected[i].maxX, 1e-6);
    EXPECT_NEAR(frames[i].maxY, expected[i].maxY, 1e-6);
    EXPECT_EQ(frames[i].name, L"模型图框 0" + std::to_wstring(i + 1));
  }
  // Inner borders (four) and the larger plans' outlines (three) lie inside the sheets' paper edges; the
  // title strips and the small plans' outlines are under 5 % of the A1 sheet.
  EXPECT_EQ(gBatchModelDiagnostics.nestedChildExcluded, 7u);
  EXPECT_EQ(gBatchModelDiagnostics.lowerPriorityOuterExcluded, 0u);
  EXPECT_EQ(gBatchModelDiagnostics.finalCount, 5u);
}

TEST_F(ModelScanDxf, TitleBlockReferencesAtOneToHundred) {
  auto frames = scanFile("model_block_frames_1to100.dxf");
  struct Expected {
    const wchar_t* block;
    const wchar_t* paper;
    const wchar_t* evidence;
  };
  const Expected expected[] = {
      {L"GB-A1", L"A1", L"physical-border-block-bounds"}, {L"GB-A1", L"A1", L"physical-border-block-bounds"},
      {L"GB-A1", L"A1", L"physical-border-block-bounds"}, {L"A2图框", L"A2", L"named-block-bounds"},
      {L"GB-A3", L"A3", L"physical-border-block-bounds"}, {L"GB-A3", L"A3", L"physical-border-block-bounds"},
  };
  ASSERT_EQ(frames.size(), std::size(expected));
  const double firstColumn[] = {0, 94100, 188200, 0, 70000, 110000};
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(frames[i].blockName, expected[i].block);
    EXPECT_EQ(frames[i].paper.name, expected[i].paper);
    EXPECT_EQ(frames[i].evidence, expected[i].evidence);
    EXPECT_EQ(frames[i].sourceKind, L"block-reference");
    EXPECT_EQ(frames[i].layer, L"TK");
    EXPECT_FALSE(frames[i].blockReferenceId.isNull());
    EXPECT_NEAR(frames[i].minX, firstColumn[i], 1e-6);
  }
  EXPECT_EQ(gBatchModelDiagnostics.nonUniformScaleReferences, 0u);
  // The plans' wall outlines are polylines inside the title blocks.
  EXPECT_EQ(gBatchModelDiagnostics.nestedChildExcluded, 6u);
}

TEST_F(ModelScanDxf, EveryDrawnKindIsContentOfItsFrame) {
  // An A3 sheet in model space with one thing drawn in it: the sheet is blank only when nothing prints there.
  const std::string blocks =
      "0\nBLOCK\n2\n*D1\n70\n1\n10\n0\n20\n0\n0\nLINE\n10\n100\n20\n100\n11\n200\n21\n100\n0\nENDBLK\n"
      "0\nBLOCK\n2\nPROMPTS\n10\n0\n20\n0\n0\nATTDEF\n10\n0\n20\n0\n40\n5\n1\nX\n2\nTAG\n70\n0\n0\nENDBLK\n";
  struct Case {
    const char* name;
    std::string entity;
    bool blank;
  };
  const Case cases[] = {
      {"ellipse", "0\nELLIPSE\n10\n200\n20\n150\n11\n50\n21\n0\n40\n0.5\n41\n0\n42\n6.283185307179586\n", false},
      {"spline", "0\nSPLINE\n71\n3\n10\n100\n20\n100\n10\n150\n20\n200\n10\n200\n20\n100\n10\n250\n20\n200\n", false},
      {"solid", "0\nSOLID\n10\n100\n20\n100\n11\n200\n21\n100\n12\n100\n22\n200\n", false},
      {"3D polyline", "0\nPOLYLINE\n66\n1\n70\n8\n0\nVERTEX\n10\n100\n20\n100\n30\n9\n70\n32\n"
                      "0\nVERTEX\n10\n200\n20\n150\n30\n-9\n70\n32\n0\nSEQEND\n", false},
      {"dimension", "0\nDIMENSION\n2\n*D1\n10\n200\n20\n100\n11\n150\n21\n105\n70\n32\n", false},
      {"attribute definition", "0\nATTDEF\n10\n100\n20\n100\n40\n5\n1\nX\n2\nTAG\n70\n0\n", false},
      {"reference to prompted definitions only", "0\nINSERT\n2\nPROMPTS\n10\n100\n20\n100\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vexBatchResetRecognitionStateForTesting();
    const std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
                             "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n"
                             "0\nSECTION\n2\nENTITIES\n"
                             "0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n10\n420\n20\n0\n10\n420\n20\n297\n10\n0\n20\n297\n" +
                             c.entity + "0\nENDSEC\n0\nEOF\n";
    cad::DxfReadResult read = cad::readDxfText(text);
    ASSERT_TRUE(read.database) << read.error;
    db_ = std::move(read.database);
    cad::acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    const std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
    EXPECT_EQ(frames.empty(), c.blank);
    EXPECT_EQ(gBatchModelDiagnostics.excludedBlankFrames.size(), c.blank ? 1u : 0u);
    cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
}

}  // namespace

namespace {

// Sheets moved onto layouts by a tool that leaves "None" for the owners of objects it made: the drawing opens
// with one warning and its layouts' sheets are recognised by their frames.
TEST_F(ModelScanDxf, SheetsMovedOntoLayoutsWithUnreadableOwners) {
  cad::DxfReadResult read =
      cad::readDxfFile(std::string(QUODL_RECOGNITION_TEST_DATA) + "/sheets_moved_to_layouts.dxf");
  ASSERT_TRUE(read.database) << read.error;
  ASSERT_EQ(read.warnings.size(), 1u) << testing::PrintToString(read.warnings);
  EXPECT_NE(read.warnings[0].find("2 handles are not hexadecimal (the first, \"None\", group code 330)"),
            std::string::npos)
      << read.warnings[0];
  db_ = std::move(read.database);
  cad::acdbHostApplicationServices()->setWorkingDatabase(db_.get());
  const std::vector<VexBatchPrintLayoutRecord> sheets = vexCollectPaperLayouts();
  std::vector<std::pair<std::wstring, std::wstring>> found;  // layout, paper
  for (const VexBatchPrintLayoutRecord& sheet : sheets) found.emplace_back(sheet.layoutName, sheet.paper.name);
  using Found = std::pair<std::wstring, std::wstring>;
  EXPECT_EQ(found, (std::vector<Found>{{L"ISO A3", L"A3"}, {L"ISO A2", L"A2"}}));
}

}  // namespace

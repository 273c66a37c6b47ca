// Drawings that push the renderer: absurd sizes and scales, blocks inside themselves, degenerate curves and
// texts with broken codes. The page is written, what can be drawn is drawn, and nothing crashes.
#include "cad/dxf_reader.h"
#include "render_fixture.h"

namespace {

using rendertest::Raster;
using rendertest::RenderTest;
using rendertest::sheetAtFullSize;

class Hostile : public RenderTest {};

TEST_F(Hostile, AbsurdEntitiesLeaveThePageToTheRest) {
  const std::string blocks =
      "0\nBLOCK\n2\nSELF\n10\n0\n20\n0\n0\nINSERT\n2\nSELF\n10\n1\n20\n1\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nENDBLK\n"
      "0\nBLOCK\n2\nDOT\n10\n0\n20\n0\n0\nCIRCLE\n10\n0\n20\n0\n40\n1\n0\nENDBLK\n";
  const std::string absurd =
      "0\nTEXT\n67\n1\n10\n10\n20\n10\n40\n1e200\n1\nHUGE\n"
      "0\nTEXT\n67\n1\n10\n10\n20\n10\n40\n1e-200\n1\nTINY\n41\n1e300\n"
      "0\nCIRCLE\n67\n1\n10\n10\n20\n10\n40\n1e300\n"
      "0\nLINE\n67\n1\n10\n-1e308\n20\n0\n11\n1e308\n21\n1e308\n"
      "0\nINSERT\n67\n1\n2\nSELF\n10\n50\n20\n50\n41\n1e300\n42\n1e300\n"
      "0\nINSERT\n67\n1\n2\nDOT\n10\n50\n20\n50\n41\n0\n42\n0\n"
      "0\nINSERT\n67\n1\n2\nSELF\n10\n50\n20\n50\n"
      "0\nSPLINE\n67\n1\n71\n50\n10\n0\n20\n0\n10\n5\n20\n5\n10\n9\n20\n0\n40\n1\n40\n-1e300\n"
      "0\nLWPOLYLINE\n67\n1\n90\n0\n43\n5\n"
      "0\nLWPOLYLINE\n67\n1\n10\n1\n20\n1\n42\n1e300\n10\n2\n20\n2\n40\n1e300\n"
      "0\nELLIPSE\n67\n1\n10\n0\n20\n0\n11\n0\n21\n0\n40\n0\n"
      "0\nMTEXT\n67\n1\n10\n10\n20\n10\n40\n5\n41\n1e-300\n1\n{{{\\H\\C\\S\\P\\W0.5x;\\c99999999999;%%\n"
      "0\nHATCH\n67\n1\n2\nSOLID\n91\n1\n92\n1\n93\n0\n"
      "0\nDIMENSION\n67\n1\n2\n*NOWHERE\n10\n0\n20\n0\n";
  // Beside them, a circle that must still show.
  const std::string entities = absurd + "0\nCIRCLE\n67\n1\n10\n200\n20\n150\n40\n20\n";
  cad::DxfReadResult read = cad::readDxfText(
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$LTSCALE\n40\n1e-300\n0\nENDSEC\n"
      "0\nSECTION\n2\nBLOCKS\n" +
      blocks +
      "0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n" +
      entities + "0\nENDSEC\n0\nEOF\n");
  ASSERT_TRUE(read.database) << read.error;
  db_ = std::move(read.database);
  auto* layout = dynamic_cast<cad::Layout*>(db_->objectAt(db_->layoutId(L"Layout1")));
  ASSERT_NE(layout, nullptr);
  layout->paperWidthMm = 420;
  layout->paperHeightMm = 297;

  ASSERT_TRUE(plot(L"Layout1", sheetAtFullSize()));
  const Raster r = raster("plot.pdf", 30);
  ASSERT_FALSE(r.empty());
  EXPECT_GT(r.count(175, 125, 50, 50).ink, 10);
  EXPECT_EQ(r.count(195, 145, 10, 10).ink, 0);  // the circle's middle
}

}  // namespace

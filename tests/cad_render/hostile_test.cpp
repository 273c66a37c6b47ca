// Drawings that push the renderer: absurd sizes and scales, blocks inside themselves, degenerate curves and
// texts with broken codes. The page is written, what can be drawn is drawn, and nothing crashes.
#include <filesystem>
#include <fstream>

#include "cad/dxf_reader.h"
#include "cadhost_run.h"
#include "damaged_drawings.h"
#include "render_fixture.h"

namespace {

using rendertest::Raster;
using rendertest::RenderTest;
using rendertest::sheetAtFullSize;

class Hostile : public RenderTest {};

std::string blocksAndEntities(const std::string& blocks, const std::string& entities) {
  return "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities +
         "0\nENDSEC\n0\nEOF\n";
}

std::string block(const std::string& name, const std::string& body) {
  return "0\nBLOCK\n2\n" + name + "\n10\n0\n20\n0\n" + body + "0\nENDBLK\n";
}

std::string insert(const std::string& name, double x = 0) {
  return "0\nINSERT\n2\n" + name + "\n10\n" + std::to_string(x) + "\n20\n0\n";
}

std::string chain(int levels) {
  std::string blocks = block("C0", "0\nCIRCLE\n10\n0\n20\n0\n40\n1\n");
  for (int level = 1; level < levels; ++level) blocks += block("C" + std::to_string(level), insert("C" + std::to_string(level - 1)));
  return blocksAndEntities(blocks, insert("C" + std::to_string(levels - 1)));
}

std::string utf16(const std::string& text, bool bigEndian, bool mark) {
  std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) {
    if (bigEndian) out += '\0';
    out += c;
    if (!bigEndian) out += '\0';
  }
  return out;
}

std::string utf32le(const std::string& text) {
  std::string out("\xFF\xFE\0\0", 4);
  for (char c : text) out += std::string(1, c) + std::string(3, '\0');
  return out;
}

// Hostile drawings, each opened and plotted by a fresh cadhost: every one ends by itself, within a bound on
// its memory, with a line that says what was refused, cut or left out.
TEST_F(Hostile, DrawingsThatWouldRunAwayEndWithTheirReason) {
  const std::string line = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";
  struct Case {
    const char* name;
    std::string content;
    std::string said;  // in what cadhost prints
  };
  const Case cases[] = {
      {"references fanning out", fanningOutDrawing(),
       "characters, vertices and curve segments (block \"B8\" the most), beyond the 2e+07 any drawing may draw"},
      {"an array of arrays",
       blocksAndEntities(block("L", "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"),
                         "0\nINSERT\n2\nL\n10\n0\n20\n0\n70\n100000\n71\n100000\n44\n1\n45\n1\n"),
       "the drawing would draw about 1e+10 characters"},
      {"nesting too deep", chain(40), "blocks are nested 40 deep; those below 32 levels are not drawn"},
      {"a block inside itself",
       blocksAndEntities(block("A", insert("B") + "0\nCIRCLE\n10\n0\n20\n0\n40\n1\n") + block("B", insert("A")),
                         insert("A")),
       "block \"A\" contains itself; the reference inside it is not drawn"},
      {"a text of sixteen million characters",
       "0\nSECTION\n2\nENTITIES\n0\nTEXT\n10\n0\n20\n0\n40\n2.5\n1\n" + std::string(16u << 20, 'W') +
           "\n0\nENDSEC\n0\nEOF\n",
       "Plot: 1 text is drawn to its first 20000 characters."},
      {"UTF-16 with its mark", utf16(line, false, true),
       "the file is encoded in UTF-16 (little-endian); save the drawing as DXF in UTF-8 or its code page"},
      {"UTF-16 without a mark", utf16(line, true, false), "the file is encoded in UTF-16 (big-endian)"},
      {"UTF-32", utf32le(line), "the file is encoded in UTF-32 (little-endian)"},
      {"gzip", std::string("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + line,
       "the file is gzip-compressed; decompress it and open the DXF file inside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string drawing = path("hostile.dxf");
    std::ofstream(drawing, std::ios::binary | std::ios::trunc) << c.content;
    std::filesystem::remove(path("hostile.pdf"));  // PLOT asks before replacing an earlier case's plot
    RunOptions options;
    options.workingDirectory = folder_->path();
    options.environment = {{"HOME", path("home")}, {"XDG_CONFIG_HOME", path("config")}, {"XDG_DATA_HOME", path("data")}};
    options.timeLimit = std::chrono::seconds(120);  // a guard only: each ends in seconds
    const CadhostRun run = runProgram(CADHOST_PROGRAM, {"--no-autoload", drawing}, "PLOT\nhostile.pdf\nQUIT\n", options);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    // Far below what these drawings took before they were bounded (gigabytes); sanitizers included.
    EXPECT_LT(run.peakKilobytes, 1L << 20);
  }
}

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

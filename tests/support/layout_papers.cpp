#include "layout_papers.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cadhost_run.h"
#include "test_files.h"

namespace {

using Outcome = LayoutPaper::Outcome;

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The width and height (mm) of the box covering every pixel darker than white in a greyscale PGM.
bool inkOf(const std::string& pgm, double mmPerPixel, double& width, double& height) {
  std::istringstream in(fileBytes(pgm));
  std::string magic;
  int w = 0, h = 0, maximum = 0;
  in >> magic >> w >> h >> maximum;
  in.get();
  if (magic != "P5" || w <= 0 || h <= 0 || maximum != 255) return false;
  std::string grey(static_cast<std::size_t>(w) * h, '\0');
  in.read(grey.data(), static_cast<std::streamsize>(grey.size()));
  if (!in) return false;
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (static_cast<unsigned char>(grey[static_cast<std::size_t>(y) * w + x]) >= 250) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  width = x1 < 0 ? 0 : (x1 - x0 + 1) * mmPerPixel;
  height = y1 < 0 ? 0 : (y1 - y0 + 1) * mmPerPixel;
  return true;
}

}  // namespace

const std::vector<LayoutPaper>& layoutPapers() {
  static const std::vector<LayoutPaper> papers = {
      {"standard A3", 420, 297, Outcome::kPlotted, 420, 297},
      {"standard A4 portrait", 210, 297, Outcome::kPlotted, 210, 297},
      {"lengthened A3", 630, 297, Outcome::kPlotted, 841, 594},
      {"lengthened A2", 743, 420, Outcome::kPlotted, 841, 594},
      {"lengthened A1", 1261, 594, Outcome::kPlotted, 1682, 1189},
      {"custom portrait", 900, 1300, Outcome::kPlotted, 1189, 1682},
      {"custom strip 460", 460, 320, Outcome::kPlotted, 594, 420},
      {"custom strip 900", 900, 320, Outcome::kPlotted, 1189, 841},
      {"custom strip 1340", 1340, 320, Outcome::kPlotted, 1682, 1189},
      {"custom strip 1780", 1780, 320, Outcome::kPlotted, 2378, 1682},
      {"larger than every medium", 2500, 1800, Outcome::kTooLarge, 0, 0},
      {"zero width", 0, 297, Outcome::kDamaged, 0, 0},
      {"negative width", -420, 297, Outcome::kDamaged, 0, 0},
      {"tiny", 0.2, 0.2, Outcome::kDamaged, 0, 0},
  };
  return papers;
}

std::string paperSizeText(double width, double height) {
  char text[96];
  std::snprintf(text, sizeof text, "%g x %g mm", width, height);
  return text;
}

std::string layoutPaperDrawing(double width, double height) {
  const std::string w = number(width), h = number(height);
  const std::string medium = "Custom_(" + w + "_x_" + h + "_MM)";
  return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$TILEMODE\n70\n0\n0\nENDSEC\n"
         "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nBLOCK_RECORD\n"
         "0\nBLOCK_RECORD\n5\n1F\n100\nAcDbSymbolTableRecord\n2\n*Model_Space\n"
         "0\nBLOCK_RECORD\n5\n1B\n100\nAcDbSymbolTableRecord\n2\n*Paper_Space\n0\nENDTAB\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n"
         "0\nLINE\n5\n30\n330\n1B\n100\nAcDbEntity\n67\n1\n8\n0\n10\n0\n20\n0\n11\n" + w + "\n21\n" + h + "\n"
         "0\nLINE\n5\n31\n330\n1B\n100\nAcDbEntity\n67\n1\n8\n0\n10\n0\n20\n" + h + "\n11\n" + w + "\n21\n0\n"
         "0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n"
         "0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nACAD_LAYOUT\n350\n1A\n"
         "0\nDICTIONARY\n5\n1A\n330\nC\n100\nAcDbDictionary\n3\nModel\n350\n22\n3\nSheet\n350\n1E\n"
         "0\nLAYOUT\n5\n22\n330\n1A\n100\nAcDbPlotSettings\n2\nDWG To PDF.pc3\n4\nISO_full_bleed_A3_(420.00_x_297.00_MM)"
         "\n44\n420\n45\n297\n70\n1024\n72\n1\n100\nAcDbLayout\n1\nModel\n71\n0\n330\n1F\n"
         "0\nLAYOUT\n5\n1E\n330\n1A\n100\nAcDbPlotSettings\n2\nDWG To PDF.pc3\n4\n" + medium +
         "\n44\n" + w + "\n45\n" + h + "\n70\n16\n72\n1\n74\n5\n75\n16\n100\nAcDbLayout\n1\nSheet\n71\n1\n330\n1B\n"
         "0\nENDSEC\n0\nEOF\n";
}

std::vector<PlottedPage> plottedPages(const std::string& pdf) {
  constexpr double kMmPerPoint = 25.4 / 72;
  constexpr int kDpi = 20;
  std::vector<PlottedPage> pages;
  const CadhostRun info = runProgram("/usr/bin/pdfinfo", {"-f", "1", "-l", "100000", pdf}, "", RunOptions{});
  if (info.exitStatus != 0) return pages;
  for (const std::string& line : linesOf(info.output)) {
    int page = 0;
    double w = 0, h = 0;
    if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf pts", &page, &w, &h) != 3) continue;
    PlottedPage plotted{w * kMmPerPoint, h * kMmPerPoint};
    const std::string prefix = pdf + ".ink";
    const CadhostRun render = runProgram("/usr/bin/pdftoppm",
                                         {"-gray", "-r", std::to_string(kDpi), "-f", std::to_string(page), "-l",
                                          std::to_string(page), "-singlefile", pdf, prefix},
                                         "", RunOptions{});
    if (render.exitStatus != 0 || !inkOf(prefix + ".pgm", 25.4 / kDpi, plotted.inkWidth, plotted.inkHeight)) {
      return {};
    }
    std::filesystem::remove(prefix + ".pgm");
    pages.push_back(plotted);
  }
  return pages;
}

// Fitting plotted PDF pages to their sheets' exact papers, from the page specs and the windows their
// preparation captured: the targets, and whole plots through the stand-in publish engine, checked by the PDF's
// boxes and by where ink lands when the result is rendered.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_settings.h"
#include "cad/plot/publish_engine.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "graphics/cairo_context.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "plot/paper_size_normalization.h"
#include "plot_fixture.h"

namespace plot_test {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

VexBatchPrintPaperSpec paper(const wchar_t* name, double shortSide, double longSide) {
  return {name, shortSide, longSide};
}

VexBatchPrintPageSpec page(VexBatchPrintSource source, const std::wstring& layoutName, const std::wstring& name,
                           double minX, double minY, double maxX, double maxY, const VexBatchPrintPaperSpec& p,
                           bool window = true) {
  VexBatchPrintPageSpec spec;
  spec.source = source;
  spec.layoutName = layoutName;
  spec.name = name;
  spec.minX = minX;
  spec.minY = minY;
  spec.maxX = maxX;
  spec.maxY = maxY;
  spec.layoutWindow = window && source == VexBatchPrintSourceLayout;
  spec.paper = p;
  return spec;
}

// Draws what a plot of a window puts on the sheet, worked out from the sheet alone: the printable area in light
// grey (what lies around the window) and the window, fitted into it and centred, in black with a white mark
// near its upper left, so that a page turned the wrong way shows. A whole layout plots its printable area so.
class WindowInkRenderer : public cad::PageRenderer {
 public:
  bool renderPage(const cad::Database&, cad::ObjectId, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    auto pdf = graphics::CairoContext::pdf(target.path, target.mediaWidth, target.mediaHeight);
    if (pdf == nullptr) {
      error = "no page";
      return false;
    }
    const double px = target.printableX, py = target.printableY, pw = target.printableWidth,
                 ph = target.printableHeight;
    double x = px, y = py, w = pw, h = ph;
    if (validated.plotType() == cad::PlotType::kWindow) {
      fill(*pdf, target, px, py, pw, ph, 0.8);
      const double ww = validated.windowMax.x - validated.windowMin.x;
      const double wh = validated.windowMax.y - validated.windowMin.y;
      const double s = std::min(pw / ww, ph / wh);
      w = ww * s;
      h = wh * s;
      x = px + (pw - w) / 2;
      y = py + (ph - h) / 2;
    }
    fill(*pdf, target, x, y, w, h, 0.0);
    // Inside the window: an edge shared with the page's would blend with what lies below it.
    fill(*pdf, target, x + w * 0.05, y + h * 0.7, w * 0.25, h * 0.25, 1.0);
    error = pdf->finish();
    return error.empty();
  }

 private:
  // An upright rectangle (points, y up) onto the unturned medium, where cairo's y runs down.
  static void fill(graphics::CairoContext& pdf, const cad::PageTarget& t, double x, double y, double w, double h,
                   double grey) {
    const auto& m = t.uprightToMedium;
    double lowX = 1e300, lowY = 1e300, highX = -1e300, highY = -1e300;
    for (const auto& [cx, cy] : {std::pair{x, y}, std::pair{x + w, y}, std::pair{x, y + h}, std::pair{x + w, y + h}}) {
      const double mx = m[0] * cx + m[2] * cy + m[4], my = m[1] * cx + m[3] * cy + m[5];
      lowX = std::min(lowX, mx);
      highX = std::max(highX, mx);
      lowY = std::min(lowY, my);
      highY = std::max(highY, my);
    }
    pdf.fillRect(graphics::Rect(lowX, t.mediaHeight - highY, highX - lowX, highY - lowY), graphics::Color::grey(grey));
  }
};

// A page rendered as a grey bitmap: its size in pixels and where its dark and its light-grey pixels lie.
struct Ink {
  std::vector<unsigned char> pixels;
  int width = 0, height = 0;
  int minX = 0, minY = 0, maxX = -1, maxY = -1;  // dark pixels, y down; empty when maxX < minX
  int grey = 0;                                  // pixels of the printable area's grey, away from the ink

  // The grey level at a point given as fractions of the ink's box.
  int inBox(double fx, double fy) const {
    const int x = minX + static_cast<int>(fx * (maxX + 1 - minX));
    const int y = minY + static_cast<int>(fy * (maxY + 1 - minY));
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
};

Ink inkOf(const std::string& pdf, int pageNumber, const std::string& folder) {
  const std::string base = folder + "/ink";
  const std::string number = std::to_string(pageNumber);
  const CadhostRun run =
      runProgram("/usr/bin/pdftoppm", {"-r", "18", "-gray", "-f", number, "-l", number, "-singlefile", pdf, base}, "",
                 RunOptions{});
  Ink ink;
  if (run.exitStatus != 0) return ink;
  std::ifstream file(base + ".pgm", std::ios::binary);
  std::string magic;
  int maxValue = 0;
  file >> magic >> ink.width >> ink.height >> maxValue;
  file.get();
  std::vector<unsigned char>& pixels = ink.pixels;
  pixels.resize(static_cast<std::size_t>(ink.width) * ink.height);
  file.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  ink.minX = ink.width;
  ink.minY = ink.height;
  const auto value = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= ink.width || y >= ink.height) return 255;
    return static_cast<int>(pixels[static_cast<std::size_t>(y) * ink.width + x]);
  };
  for (int y = 0; y < ink.height; ++y) {
    for (int x = 0; x < ink.width; ++x) {
      const int v = value(x, y);
      if (v < 100) {
        ink.minX = std::min(ink.minX, x);
        ink.minY = std::min(ink.minY, y);
        ink.maxX = std::max(ink.maxX, x);
        ink.maxY = std::max(ink.maxY, y);
      } else if (v > 180 && v < 230) {
        // Anti-aliasing greys the pixels along the ink's edges; the printable area's grey lies away from it.
        bool nearInk = false;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) nearInk = nearInk || value(x + dx, y + dy) < 100;
        }
        if (!nearInk) ++ink.grey;
      }
    }
  }
  return ink;
}

struct Box {
  double width = 0, height = 0;
  int rotation = 0;
};

// The upright size of every page in points, as pdfinfo reports it.
std::vector<Box> pageBoxes(const std::string& pdf) {
  const CadhostRun run = runProgram("/usr/bin/pdfinfo", {"-box", "-f", "1", "-l", "9999", pdf}, "", RunOptions{});
  std::vector<Box> pages;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    unsigned n = 0;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int rotation = 0;
    if (std::sscanf(line.c_str(), "Page %u MediaBox: %lf %lf %lf %lf", &n, &x0, &y0, &x1, &y1) == 5) {
      if (pages.size() < n) pages.resize(n);
      pages[n - 1].width = x1 - x0;
      pages[n - 1].height = y1 - y0;
    } else if (std::sscanf(line.c_str(), "Page %u rot: %d", &n, &rotation) == 2) {
      if (pages.size() < n) pages.resize(n);
      pages[n - 1].rotation = rotation;
    }
  }
  for (Box& b : pages) {
    if (b.rotation % 180 != 0) std::swap(b.width, b.height);
  }
  return pages;
}

class PaperSizeNormalizationTest : public PlotPipelineTest {
 protected:
  void SetUp() override {
    PlotPipelineTest::SetUp();
    auto db = cad::Database::createDefault();
    for (const auto& [name, tab] : {std::pair{L"Long", 2}, std::pair{L"Sheets", 3}, std::pair{L"Cover", 4}}) {
      auto& layout = dynamic_cast<cad::Layout&>(*db->objectAt(db->addLayout(name, tab)));
      layout.plotCfgName = L"DWG To PDF.pc3";
      layout.canonicalMediaName = L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
      layout.paperWidthMm = 420;
      layout.paperHeightMm = 297;
    }
    open(std::move(db));
    cad::setPageRenderer(std::make_shared<WindowInkRenderer>());
    output_ = *folder_ / "plot.pdf";
  }

  // Prepares the pages, plots them through the publish engine into output_ and normalises the file.
  bool plotAndNormalize(const std::vector<VexBatchPrintPageSpec>& pages) {
    std::vector<VexBatchPrintPreparedPage> prepared;
    if (!vexBatchPreparePages(pages, L"", prepared)) {
      ADD_FAILURE() << foundation::utf8FromWideLossy(gBatchPrintLastError);
      return false;
    }
    cad::PlotEngine* engine = nullptr;
    EXPECT_EQ(cad::PlotFactory::createPublishEngine(engine), cad::eOk);
    EXPECT_EQ(engine->beginPlot(nullptr), cad::eOk);
    const std::wstring path = foundation::wideFromUtf8Lossy(output_);
    EXPECT_EQ(engine->beginDocument(*prepared.front().plotInfo, L"test", nullptr, 1, true, path.c_str()), cad::eOk);
    for (std::size_t i = 0; i < prepared.size(); ++i) {
      cad::PlotPageInfo info;
      EXPECT_EQ(engine->beginPage(info, *prepared[i].plotInfo, i + 1 == prepared.size()), cad::eOk);
      EXPECT_EQ(engine->beginGenerateGraphics(), cad::eOk);
      EXPECT_EQ(engine->endGenerateGraphics(), cad::eOk);
      EXPECT_EQ(engine->endPage(), cad::eOk);
    }
    EXPECT_EQ(engine->endDocument(), cad::eOk);
    EXPECT_EQ(engine->endPlot(), cad::eOk);
    engine->destroy();
    return vexBatchNormalizePdfPaperSizes(path, pages, prepared);
  }

  // The ink of a page against the page's upright size: fractions of width and height, origin at the top left.
  void expectInk(int pageNumber, double left, double top, double right, double bottom, const char* what) {
    const Ink ink = inkOf(output_, pageNumber, folder_->path());
    ASSERT_GT(ink.width, 0) << what;
    ASSERT_GE(ink.maxX, ink.minX) << what << ": no ink";
    const double tolerance = 1.5;  // pixels: anti-aliasing at the edges
    EXPECT_NEAR(ink.minX, left * ink.width, tolerance) << what;
    EXPECT_NEAR(ink.minY, top * ink.height, tolerance) << what;
    EXPECT_NEAR(ink.maxX + 1, right * ink.width, tolerance) << what;
    EXPECT_NEAR(ink.maxY + 1, bottom * ink.height, tolerance) << what;
    EXPECT_EQ(ink.grey, 0) << what << ": what lay around the window was not cut away";
    EXPECT_GT(ink.inBox(0.15, 0.15), 230) << what << ": the window's upper left is not at the page's upper left";
    for (const auto& [fx, fy] : {std::pair{0.9, 0.1}, std::pair{0.1, 0.9}, std::pair{0.9, 0.9}}) {
      EXPECT_LT(ink.inBox(fx, fy), 100) << what << " at " << fx << ", " << fy;
    }
  }

  std::string output_;
};

TEST_F(PaperSizeNormalizationTest, TargetsAreTheSheetsExactPapersInTheOrientationOfTheirBoxes) {
  const VexBatchPrintPaperSpec a3 = paper(L"A3", 297, 420);
  std::vector<VexBatchPrintPageSpec> specs = {
      page(VexBatchPrintSourceModel, L"Model", L"wide", 0, 0, 42000, 29700, a3),
      page(VexBatchPrintSourceModel, L"Model", L"tall", 0, 0, 29700, 42000, a3),
      page(VexBatchPrintSourceLayout, L"Sheets", L"window", 0, 0, 420, 420, a3),  // square counts as landscape
      page(VexBatchPrintSourceLayout, L"Cover", L"whole", 0, 0, 0, 0, a3, false)};
  specs[1].contentScalePercent = 50;
  std::vector<VexBatchPrintPreparedPage> prepared(specs.size());
  prepared[0].window = {420, 297, {1, 2, 3, 4}};

  const std::vector<quodl::PdfPageTarget> targets = vexBatchPdfPageTargets(specs, prepared);
  ASSERT_EQ(targets.size(), 4u);
  EXPECT_EQ(std::pair(targets[0].paperWidth, targets[0].paperHeight), std::pair(420.0, 297.0));
  EXPECT_EQ(std::pair(targets[1].paperWidth, targets[1].paperHeight), std::pair(297.0, 420.0));
  EXPECT_EQ(std::pair(targets[2].paperWidth, targets[2].paperHeight), std::pair(420.0, 297.0));
  EXPECT_TRUE(targets[0].placeWindow && targets[1].placeWindow && targets[2].placeWindow);
  EXPECT_FALSE(targets[3].placeWindow);
  EXPECT_EQ(targets[0].contentScalePercent, 100);
  EXPECT_EQ(targets[1].contentScalePercent, 50);
  EXPECT_EQ(targets[0].window.window.height, 4);
  EXPECT_FALSE(targets[1].window.valid());
}

TEST_F(PaperSizeNormalizationTest, PlottedWindowsEndOnTheirExactPapersFilledByTheirWindows) {
  pdfDevice().removeMediaNamedWith(L"full_bleed");  // media with margins: the window lies inside a grey border
  const VexBatchPrintPaperSpec a3 = paper(L"A3", 297, 420);
  VexBatchPrintPageSpec overridden =
      page(VexBatchPrintSourceLayout, L"Sheets", L"chosen A2", 0, 0, 420, 297, paper(L"A2", 420, 594));
  overridden.paperOverridden = true;
  const std::vector<VexBatchPrintPageSpec> pages = {
      page(VexBatchPrintSourceLayout, L"Long", L"lengthened", 0, 0, 630, 297, paper(L"A3加长", 297, 630)),
      page(VexBatchPrintSourceModel, L"Model", L"model 1:100", 0, 0, 29700, 42000, a3), overridden,
      page(VexBatchPrintSourceLayout, L"Sheets", L"A4", 0, 297, 210, 594, paper(L"A4", 210, 297))};
  ASSERT_TRUE(plotAndNormalize(pages)) << foundation::utf8FromWideLossy(gBatchPrintLastError);

  const std::vector<Box> boxes = pageBoxes(output_);
  ASSERT_EQ(boxes.size(), 4u);
  const double expected[][2] = {{630, 297}, {297, 420}, {594, 420}, {210, 297}};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_NEAR(boxes[i].width, expected[i][0] * kPointsPerMm, 0.01) << i;
    EXPECT_NEAR(boxes[i].height, expected[i][1] * kPointsPerMm, 0.01) << i;
  }
  for (int n = 1; n <= 4; ++n) expectInk(n, 0, 0, 1, 1, foundation::utf8FromWideLossy(pages[n - 1].name).c_str());
}

TEST_F(PaperSizeNormalizationTest, AContentScaleShrinksTheWindowAboutThePapersCentre) {
  VexBatchPrintPageSpec half =
      page(VexBatchPrintSourceLayout, L"Sheets", L"half", 0, 0, 420, 297, paper(L"A3", 297, 420));
  half.contentScalePercent = 50;
  // A window wider than its paper: it fills the width and is centred in the height.
  VexBatchPrintPageSpec wide =
      page(VexBatchPrintSourceLayout, L"Sheets", L"wide", 0, 0, 600, 297, paper(L"A3", 297, 420));
  ASSERT_TRUE(plotAndNormalize({half, wide})) << foundation::utf8FromWideLossy(gBatchPrintLastError);
  expectInk(1, 0.25, 0.25, 0.75, 0.75, "half");
  const double band = (297 - 297 * 420.0 / 600) / 2 / 297;
  expectInk(2, 0, band, 1, 1 - band, "wide");
}

TEST_F(PaperSizeNormalizationTest, AWholeLayoutKeepsItsPageUnlessItsContentIsShrunk) {
  VexBatchPrintPageSpec whole =
      page(VexBatchPrintSourceLayout, L"Cover", L"Cover", 0, 0, 420, 297, paper(L"A3", 297, 420), false);
  ASSERT_TRUE(plotAndNormalize({whole})) << foundation::utf8FromWideLossy(gBatchPrintLastError);
  ASSERT_EQ(pageBoxes(output_).size(), 1u);
  EXPECT_NEAR(pageBoxes(output_)[0].width, 1191, 0.01);  // as the device wrote it, in whole points
  expectInk(1, 0, 0, 1, 1, "whole layout");

  whole.contentScalePercent = 50;
  ASSERT_TRUE(plotAndNormalize({whole})) << foundation::utf8FromWideLossy(gBatchPrintLastError);
  expectInk(1, 0.25, 0.25, 0.75, 0.75, "whole layout at 50 %");
}

TEST_F(PaperSizeNormalizationTest, APageWhoseNativeSizeDisagreesIsLeftAsWrittenAndThePlotFails) {
  cad::publishEngineFaults().oversizedPage = 1;
  const VexBatchPrintPageSpec window =
      page(VexBatchPrintSourceLayout, L"Sheets", L"W", 0, 0, 420, 297, paper(L"A3", 297, 420));
  EXPECT_FALSE(plotAndNormalize({window}));
  EXPECT_EQ(gBatchPrintLastError, L"第 1 页的原生 PDF 纸张与已验证打印设置不一致，已保留原始 PDF，请提交诊断记录。");
  const std::vector<Box> boxes = pageBoxes(output_);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NEAR(boxes[0].width, std::round(422 * kPointsPerMm), 0.01);  // the host's page, untouched
}

TEST_F(PaperSizeNormalizationTest, ANormalisationFailureBecomesThePlotsError) {
  const VexBatchPrintPageSpec window =
      page(VexBatchPrintSourceLayout, L"Sheets", L"W", 0, 0, 420, 297, paper(L"A3", 297, 420));
  const std::vector<VexBatchPrintPreparedPage> none;
  EXPECT_FALSE(vexBatchNormalizePdfPaperSizes(foundation::wideFromUtf8Lossy(*folder_ / "absent.pdf"), {window}, none));
  EXPECT_EQ(gBatchPrintLastError, L"Cannot reopen native PDF");

  // One page more than there are sheets.
  ASSERT_TRUE(plotAndNormalize({window, window}));
  EXPECT_FALSE(vexBatchNormalizePdfPaperSizes(foundation::wideFromUtf8Lossy(output_), {window}, none));
  EXPECT_EQ(gBatchPrintLastError, L"Generated PDF page count does not match the staged job");
}

}  // namespace
}  // namespace plot_test

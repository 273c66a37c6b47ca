// What a plotted sheet shows, looked at as a viewer shows it: every entity kind of samples/every-entity.dxf leaves
// ink in its own cell of the sheet, and nothing is drawn for layers that are frozen, off or not plotted; colours,
// lineweights, linetypes, viewports and hatches as the drawing says; the sheet turned and scaled as the
// settings say.
#include <cmath>

#include "cad/command_line.h"
#include "cad/plot/plot_settings_validator.h"
#include "foundation/text.h"
#include "cadhost_run.h"
#include "render_fixture.h"

namespace {

using cad::PlotRotation;
using rendertest::Raster;
using rendertest::RenderTest;
using rendertest::sheetAtFullSize;

// The cells of the sample sheet, in its order (see samples/generate.py): 60 × 55 mm, seven across.
const char* const kCells[] = {
    "LINE",
    "LWPOLYLINE BULGES",
    "LWPOLYLINE WIDTH",
    "LWPOLYLINE TAPER",
    "POLYLINE 2D",
    "CIRCLE",
    "ARC",
    "ELLIPSE",
    "ELLIPSE ARC",
    "SPLINE CONTROL",
    "SPLINE FIT",
    "SOLID",
    "TRACE",
    "POLYLINE 3D",
    "HATCH SOLID",
    "HATCH PATTERN",
    "TEXT",
    "TEXT ALIGNED",
    "MTEXT",
    "MTEXT CJK",
    "TEXT CJK",
    "INSERT NESTED",
    "INSERT MIRRORED",
    "ATTRIB",
    "ATTDEF",
    "DIMENSION LINEAR",
    "DIMENSION RADIUS",
    "VIEWPORT",
    "LINETYPE",
    "LINEWEIGHT",
    "TRUE COLOUR",
    "BYBLOCK",
    "FROZEN",
    "OFF",
    "NO PLOT",
};

// The second sheet, "More Kinds", on the same grid.
const char* const kMoreCells[] = {
    "MINSERT", "POINT", "3DFACE", "LEADER", "MULTILEADER", "MLINE", "WIPEOUT",
    "XLINE", "RAY", "HELIX", "MESH", "SHAPE", "HATCH GRADIENT", "MULTILEADER BLOCK",
};

int cellIndex(const std::string& name) {
  for (int i = 0; i < static_cast<int>(std::size(kCells)); ++i) {
    if (name == kCells[i]) return i;
  }
  for (int i = 0; i < static_cast<int>(std::size(kMoreCells)); ++i) {
    if (name == kMoreCells[i]) return i;
  }
  ADD_FAILURE() << "no cell " << name;
  return 0;
}

// The middle of a cell, clear of its label and border: where its kind is drawn.
Raster::Counts cell(const Raster& r, const std::string& name) {
  const int i = cellIndex(name);
  const double x = (i % 7) * 60.0, y = 297.0 - 5.0 - (i / 7 + 1) * 55.0;
  return r.count(x + 5, y + 9, 50, 42);
}

// A rectangle of a cell by its offset from the cell's drawing point (its centre, 30 mm up).
Raster::Counts around(const Raster& r, const std::string& name, double dx, double dy, double w, double h) {
  const int i = cellIndex(name);
  const double cx = (i % 7) * 60.0 + 30, cy = 297.0 - 5.0 - (i / 7 + 1) * 55.0 + 30;
  return r.count(cx + dx, cy + dy, w, h);
}

class Fidelity : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    open("every-entity.dxf");
  }
};

TEST_F(Fidelity, EveryKindLeavesInkInItsCellAndHiddenLayersNone) {
  ASSERT_TRUE(plot(L"Every Kind", sheetAtFullSize(L"colour.ctb")));
  const Raster r = raster("plot.pdf", 40);
  ASSERT_FALSE(r.empty());
  // A3 landscape at 40 pixels an inch.
  EXPECT_NEAR(r.width, 420 / 25.4 * 40, 1.5);
  EXPECT_NEAR(r.height, 297 / 25.4 * 40, 1.5);
  for (const char* name : kCells) {
    SCOPED_TRACE(name);
    const std::string kind = name;
    const Raster::Counts c = cell(r, kind);
    if (kind == "FROZEN" || kind == "OFF" || kind == "NO PLOT") {
      EXPECT_EQ(c.ink, 0);
    } else {
      EXPECT_GE(c.ink, 8);
    }
  }
  // The labels and the title print too (layer LABELS), the grid of cells as well.
  EXPECT_GT(r.count(4, 4, 60, 6).ink, 20);
}

TEST_F(Fidelity, FillsOutlinesAndViewportsShowWhatTheDrawingSays) {
  ASSERT_TRUE(plot(L"Every Kind", sheetAtFullSize(L"colour.ctb")));
  const Raster r = raster("plot.pdf", 40);
  ASSERT_FALSE(r.empty());
  const auto full = [](const Raster::Counts& c) { return c.pixels > 0 && c.ink >= c.pixels * 9 / 10; };
  const auto none = [](const Raster::Counts& c) { return c.pixels > 0 && c.ink == 0; };

  // A solid hatch fills between its boundary and its island and leaves the island empty; a pattern hatch
  // (ANSI31) draws its slanted lines there, and none in its island.
  EXPECT_TRUE(full(around(r, "HATCH SOLID", -14, -10, 6, 18)));
  EXPECT_TRUE(none(around(r, "HATCH SOLID", -3, -2, 6, 4)));
  const Raster::Counts lines = around(r, "HATCH PATTERN", -14, -10, 6, 18);
  EXPECT_GT(lines.ink, lines.pixels / 8);
  EXPECT_LT(lines.ink, lines.pixels * 3 / 4);  // lines, not a fill
  EXPECT_TRUE(none(around(r, "HATCH PATTERN", -3.5, -2.5, 7, 5)));
  EXPECT_TRUE(none(around(r, "HATCH PATTERN", -27, -10, 8, 20)));  // outside the boundary
  // Solids, traces and wide polylines are filled.
  EXPECT_TRUE(full(around(r, "SOLID", -4, -8, 8, 6)));
  EXPECT_TRUE(full(around(r, "TRACE", -15, -2, 30, 4)));
  EXPECT_TRUE(full(around(r, "LWPOLYLINE TAPER", -17, -2, 6, 4)));  // 8 mm wide where it starts
  EXPECT_TRUE(none(around(r, "LWPOLYLINE TAPER", 12, 2, 5, 4)));    // a point where it ends

  // The viewport shows model space's filled square over all of itself and nothing outside: it is clipped.
  EXPECT_TRUE(full(around(r, "VIEWPORT", -19, -14, 38, 28)));
  EXPECT_TRUE(none(around(r, "VIEWPORT", -25, 16, 50, 4)));
  EXPECT_TRUE(none(around(r, "VIEWPORT", 21, -14, 3, 28)));
  EXPECT_TRUE(none(around(r, "VIEWPORT", -24, -14, 3, 28)));

  // Circles are round: ink on the circle, none at its centre.
  EXPECT_TRUE(none(around(r, "CIRCLE", -4, -4, 8, 8)));
  EXPECT_GT(around(r, "CIRCLE", 12, -2, 4, 4).ink, 0);
  EXPECT_GT(around(r, "CIRCLE", -2, 12, 4, 4).ink, 0);
}

TEST_F(Fidelity, MoreKindsEachLeaveInkInTheirCells) {
  cad::commandLine().clearTranscript();
  ASSERT_TRUE(plot(L"More Kinds", sheetAtFullSize(L"colour.ctb")));
  const Raster r = raster("plot.pdf", 50);
  ASSERT_FALSE(r.empty());
  const auto none = [](const Raster::Counts& c) { return c.pixels > 0 && c.ink == 0; };
  for (const char* name : kMoreCells) {
    SCOPED_TRACE(name);
    if (std::string(name) == "SHAPE") EXPECT_EQ(cell(r, name).ink, 0);  // no shape file: left out
    else EXPECT_GE(cell(r, name).ink, 8);
  }
  // The plot says what it left out.
  EXPECT_NE(cad::commandLine().transcript().find(L"Plot: 1 shape is left out (no shape file)."), std::wstring::npos)
      << foundation::utf8FromWideLossy(cad::commandLine().transcript());

  // All twelve squares of the array, and nothing between them.
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) {
      SCOPED_TRACE(testing::Message() << "row " << row << ", column " << column);
      EXPECT_GT(around(r, "MINSERT", -15 + 10 * column - 1, -10 + 10 * row - 1, 2, 2).ink, 0);
    }
  }
  EXPECT_TRUE(none(around(r, "MINSERT", -15 + 3, -10 + 3, 4, 4)));
  // The wipeout blanks the middle of the filled square under it; its frame shows at its edge.
  EXPECT_TRUE(none(around(r, "WIPEOUT", -6, -4, 12, 8)));
  const Raster::Counts around_ = around(r, "WIPEOUT", -17, -13, 6, 26);
  EXPECT_EQ(around_.ink, around_.pixels);
  // The multileader's text, by its glyphs: letters leave ink here and there, not everywhere.
  const Raster::Counts text = around(r, "MULTILEADER", -4, 0, 22, 6);
  EXPECT_GT(text.ink, 20);
  EXPECT_LT(text.ink, text.pixels * 3 / 4);
  // The gradient runs from blue to yellow across its boundary.
  EXPECT_GT(around(r, "HATCH GRADIENT", -17, -10, 5, 20).blue, 20);
  EXPECT_LT(around(r, "HATCH GRADIENT", 12, -10, 5, 20).blue, 5);
  EXPECT_GT(around(r, "HATCH GRADIENT", 12, -10, 5, 20).coloured, 20);
}

TEST_F(Fidelity, ColoursLineweightsAndLinetypes) {
  ASSERT_TRUE(plot(L"Every Kind", sheetAtFullSize(L"colour.ctb")));
  const Raster r = raster("plot.pdf", 50);
  ASSERT_FALSE(r.empty());
  const Raster::Counts trueColour = cell(r, "TRUE COLOUR");
  EXPECT_GT(trueColour.green, 20);
  EXPECT_EQ(trueColour.red + trueColour.blue, 0);
  const Raster::Counts layerColour = cell(r, "LINEWEIGHT");  // the layer's colour 1
  EXPECT_GT(layerColour.red, 20);
  const Raster::Counts byBlock = cell(r, "BYBLOCK");  // the reference's colour 5
  EXPECT_GT(byBlock.blue, 20);
  EXPECT_GT(cell(r, "MTEXT").red, 0);      // a colour code in the text
  EXPECT_EQ(cell(r, "LINE").coloured, 0);  // colour 7 plots black

  // A line 1 mm heavy (its layer's lineweight) against the same line at the default lineweight.
  EXPECT_GT(layerColour.ink, 2 * cell(r, "LINE").ink);

  // The dashed line is broken into dashes along its length.
  const int i = cellIndex("LINETYPE");
  const double y = 297.0 - 5.0 - (i / 7 + 1) * 55.0 + 30;
  int pieces = 0;
  bool inked = false;
  for (double x = (i % 7) * 60.0 + 8; x < (i % 7) * 60.0 + 52; x += 25.4 / 50) {
    const bool now = r.count(x, y - 0.5, 25.4 / 50, 1).ink > 0;
    if (now && !inked) ++pieces;
    inked = now;
  }
  EXPECT_GE(pieces, 5);
}

TEST_F(Fidelity, MonochromeTablePlotsEveryColourBlack) {
  ASSERT_TRUE(plot(L"Every Kind", sheetAtFullSize(L"monochrome.ctb")));
  const Raster r = raster("plot.pdf", 40);
  ASSERT_FALSE(r.empty());
  const Raster::Counts page = r.count(0, 0, 420, 297);
  EXPECT_GT(page.ink, 1000);
  EXPECT_EQ(page.coloured, 0);
  EXPECT_GE(cell(r, "TRUE COLOUR").ink, 8);
}

TEST_F(Fidelity, TurnedSheetsShowUprightAndScaledPlotsLandWhereTheScaleSays) {
  // A3 portrait turned a quarter: the viewer shows the sheet upright, every cell where it was.
  ASSERT_TRUE(plot(L"Every Kind", sheetAtFullSize(L"", PlotRotation::k90degrees), "turned.pdf"));
  const Raster turned = raster("turned.pdf", 30);
  ASSERT_FALSE(turned.empty());
  EXPECT_GT(turned.width, turned.height);
  EXPECT_GE(cell(turned, "CIRCLE").ink, 8);
  EXPECT_GE(cell(turned, "SPLINE FIT").ink, 8);
  EXPECT_EQ(cell(turned, "FROZEN").ink, 0);
  EXPECT_TRUE(around(turned, "VIEWPORT", -19, -14, 38, 28).ink > 0);

  // The sheet scaled to fit an A4 landscape, centred: half size, each cell at half its place.
  ASSERT_TRUE(plot(
      L"Every Kind",
      [](cad::PlotSettings& s) {
        cad::PlotSettingsValidator* v = cad::acdbHostApplicationServices()->plotSettingsValidator();
        EXPECT_EQ(v->setCanonicalMediaName(&s, L"ISO_full_bleed_A4_(297.00_x_210.00_MM)"), cad::eOk);
        EXPECT_EQ(v->setPlotRotation(&s, PlotRotation::k0degrees), cad::eOk);
        EXPECT_EQ(v->setPlotType(&s, cad::PlotType::kLayout), cad::eOk);
        EXPECT_EQ(v->setUseStandardScale(&s, true), cad::eOk);
        EXPECT_EQ(v->setStdScaleType(&s, cad::StdScaleType::kScaleToFit), cad::eOk);
        EXPECT_EQ(v->setPlotCentered(&s, true), cad::eOk);
      },
      "fitted.pdf"));
  const Raster fitted = raster("fitted.pdf", 50);
  ASSERT_FALSE(fitted.empty());
  const double k = std::min(297.0 / 420, 210.0 / 297);
  const double offsetX = (297 - 420 * k) / 2, offsetY = (210 - 297 * k) / 2;
  const auto scaledCell = [&](const std::string& name) {
    const int i = cellIndex(name);
    const double x = (i % 7) * 60.0 + 5, y = 297.0 - 5.0 - (i / 7 + 1) * 55.0 + 9;
    return fitted.count(offsetX + x * k, offsetY + y * k, 50 * k, 42 * k);
  };
  EXPECT_GE(scaledCell("SOLID").ink, 8);
  EXPECT_GE(scaledCell("TEXT CJK").ink, 4);
  EXPECT_EQ(scaledCell("OFF").ink, 0);
  // The viewport's square, half size.
  const int v = cellIndex("VIEWPORT");
  const double vx = (v % 7) * 60.0 + 30, vy = 297.0 - 5.0 - (v / 7 + 1) * 55.0 + 30;
  const Raster::Counts square = fitted.count(offsetX + (vx - 18) * k, offsetY + (vy - 13) * k, 36 * k, 26 * k);
  EXPECT_GE(square.ink, square.pixels * 9 / 10);
}

TEST_F(Fidelity, CadhostPlotsDrawTheDrawing) {
  // The host program installs the renderer: its own PLOT draws the layout, and model space fitted to A3.
  RunOptions options;
  options.workingDirectory = folder_->path();
  options.environment = {{"HOME", path("home")}, {"XDG_CONFIG_HOME", path("config")}, {"XDG_DATA_HOME", path("data")}};
  const CadhostRun run = runProgram(CADHOST_PROGRAM, {"--no-autoload", QUODL_SAMPLES_DIR "/every-entity.dxf"},
                                    "CTAB\nEvery Kind\nPLOT\nsheet.pdf\nCTAB\nModel\nPLOT\nmodel.pdf\nQUIT\n", options);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Raster sheet = raster("sheet.pdf", 30);
  ASSERT_FALSE(sheet.empty()) << run.output;
  EXPECT_GE(cell(sheet, "CIRCLE").ink, 8);
  EXPECT_GE(cell(sheet, "DIMENSION LINEAR").ink, 8);
  EXPECT_EQ(cell(sheet, "FROZEN").ink, 0);
  // Model space holds the viewport's filled square: fitted, it fills the middle of the sheet.
  const Raster model = raster("model.pdf", 30);
  ASSERT_FALSE(model.empty()) << run.output;
  const Raster::Counts middle = model.count(190, 130, 40, 40);
  EXPECT_EQ(middle.ink, middle.pixels);
}

}  // namespace

// cadhost's own PLOT command, run as a person runs it, and the plot-style tables cadhost ships.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cad/plot/plot_style_table.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "plot_fixture.h"
#include "temp_folder.h"

namespace {

using plottest::PageBox;
using plottest::pageBoxes;

class CadhostPlot : public ::testing::Test {
 protected:
  // Runs cadhost in the test's folder on a drawing with a script on standard input.
  CadhostRun cadhost(const std::string& drawing, const std::string& script) {
    RunOptions options;
    options.workingDirectory = folder_.path();
    options.environment = {
        {"HOME", folder_ / "home"}, {"XDG_CONFIG_HOME", folder_ / "config"}, {"XDG_DATA_HOME", folder_ / "data"}};
    return runProgram(CADHOST_PROGRAM, {"--no-autoload", drawing}, script, options);
  }
  static std::vector<double> size(const PageBox& b) { return {b.x1 - b.x0, b.y1 - b.y0}; }

  TempFolder folder_{"cadhost-plot-test"};
};

TEST_F(CadhostPlot, PlotsTheCurrentLayoutOnItsOwnSheet) {
  const CadhostRun run = cadhost(QUODL_SAMPLES_DIR "/layouts-frames.dxf",
                                 "CTAB\nA3 Block\nPLOT\na3.pdf\nCTAB\nA4 Portrait\nPLOT\nsub/../a4\nQUIT\n");
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("Output file: "), std::string::npos);
  EXPECT_NE(run.output.find("Plot written to " + (folder_ / "a3.pdf")), std::string::npos) << run.output;
  const std::vector<PageBox> a3 = pageBoxes(folder_ / "a3.pdf");
  ASSERT_EQ(a3.size(), 1u);
  EXPECT_EQ(size(a3[0]), (std::vector<double>{1191, 842}));
  EXPECT_EQ(a3[0].rotation, 0);
  // A name without ".pdf" gets it.
  const std::vector<PageBox> a4 = pageBoxes(folder_ / "a4.pdf");
  ASSERT_EQ(a4.size(), 1u) << run.output;
  EXPECT_EQ(size(a4[0]), (std::vector<double>{595, 842}));
}

TEST_F(CadhostPlot, InModelSpaceTheExtentsGoOnAnA3SheetTurnedTheirWay) {
  const std::string tall = folder_ / "tall.dxf";
  std::ofstream(tall) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n100\n21\n300\n31\n0\n"
                         "0\nENDSEC\n0\nEOF\n";
  const CadhostRun run = cadhost(tall, "PLOT\ntall.pdf\nQUIT\n");
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const std::vector<PageBox> boxes = pageBoxes(folder_ / "tall.pdf");
  ASSERT_EQ(boxes.size(), 1u) << run.output;
  EXPECT_EQ(size(boxes[0]), (std::vector<double>{842, 1191}));

  const CadhostRun wide = cadhost(QUODL_SAMPLES_DIR "/model-a1-grid-1to100.dxf", "CTAB\nModel\nPLOT\nwide.pdf\nQUIT\n");
  ASSERT_EQ(wide.exitStatus, 0) << wide.output;
  const std::vector<PageBox> landscape = pageBoxes(folder_ / "wide.pdf");
  ASSERT_EQ(landscape.size(), 1u) << wide.output;
  EXPECT_EQ(size(landscape[0]), (std::vector<double>{1191, 842}));
}

TEST_F(CadhostPlot, AFileThatCannotBeWrittenIsReportedAndNothingIsLeft) {
  const CadhostRun run = cadhost(QUODL_SAMPLES_DIR "/layouts-frames.dxf", "PLOT\nabsent/a3.pdf\nPLOT\n\nQUIT\n");
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("Plot failed"), std::string::npos) << run.output;
  EXPECT_FALSE(foundation::itemExists(folder_ / "absent"));
  EXPECT_EQ(run.output.find("Plot written"), std::string::npos);
}

TEST_F(CadhostPlot, ShippedPlotStyleTablesAreWhatTheirMakerWrites) {
  const CadhostRun made = runProgram(MAKE_PLOT_STYLES_PROGRAM, {folder_.path()}, "", RunOptions{});
  ASSERT_EQ(made.exitStatus, 0) << made.output;
  for (const std::string name : {"monochrome.ctb", "colour.ctb"}) {
    const cad::PlotStyleTableRead shipped = cad::readPlotStyleTable(CADHOST_SUPPORT_DIR "/Plot Styles/" + name);
    const cad::PlotStyleTableRead fresh = cad::readPlotStyleTable(folder_ / name);
    ASSERT_TRUE(shipped.table) << shipped.error;
    ASSERT_TRUE(fresh.table) << fresh.error;
    EXPECT_EQ(*shipped.table, *fresh.table) << name;
  }
  const cad::PlotStyleTable mono = *cad::readPlotStyleTable(CADHOST_SUPPORT_DIR "/Plot Styles/monochrome.ctb").table;
  const cad::PlotStyleTable colour = *cad::readPlotStyleTable(CADHOST_SUPPORT_DIR "/Plot Styles/colour.ctb").table;
  for (int index : {1, 7, 255}) {
    EXPECT_EQ(cad::penFor(mono.styleForColor(index), {200, 10, 10}, 0.35), (cad::Pen{{0, 0, 0}, 0.35}));
    EXPECT_EQ(cad::penFor(colour.styleForColor(index), {200, 10, 10}, 0.35), (cad::Pen{{200, 10, 10}, 0.35}));
  }
}

}  // namespace

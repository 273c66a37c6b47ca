// cadhost's own PLOT command, run as a person runs it, and the plot-style tables cadhost ships.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cad/plot/plot_style_table.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "layout_papers.h"
#include "plot_fixture.h"
#include "small_volume.h"
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

// A whole layout on every kind of paper: on the smallest sheet that holds it, at 1:1 from its lower-left corner
// (its lines run corner to corner of the paper, so their ink covers the paper's size), or refused with the
// reason and no file.
TEST_F(CadhostPlot, AWholeLayoutGoesOnTheSmallestSheetThatHoldsItAtOneToOneOrIsRefused) {
  for (const LayoutPaper& paper : layoutPapers()) {
    SCOPED_TRACE(paper.what);
    const std::string drawing = folder_ / "paper.dxf";
    const std::string pdf = folder_ / "paper.pdf";
    std::filesystem::remove(pdf);
    std::ofstream(drawing, std::ios::binary) << layoutPaperDrawing(paper.width, paper.height);
    const CadhostRun run = cadhost(drawing, "CTAB\nSheet\nPLOT\npaper.pdf\nQUIT\n");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    if (paper.outcome != LayoutPaper::Outcome::kPlotted) {
      const std::string reason = paper.outcome == LayoutPaper::Outcome::kDamaged
                                     ? "paper size (" + paperSizeText(paper.width, paper.height) + ") is damaged"
                                     : "No sheet of the PDF device holds this layout's paper";
      EXPECT_NE(run.output.find(reason), std::string::npos) << run.output;
      EXPECT_FALSE(std::filesystem::exists(pdf));
      continue;
    }
    EXPECT_NE(run.output.find("Plot written to " + pdf), std::string::npos) << run.output;
    const std::vector<PlottedPage> pages = plottedPages(pdf);
    ASSERT_EQ(pages.size(), 1u) << run.output;
    EXPECT_NEAR(pages[0].width, paper.pageWidth, 1);
    EXPECT_NEAR(pages[0].height, paper.pageHeight, 1);
    EXPECT_NEAR(pages[0].inkWidth, paper.width, 3);
    EXPECT_NEAR(pages[0].inkHeight, paper.height, 3);
  }
}

// What no plot replaces, and names no plot can use, are refused with the reason before anything is written;
// nothing is left beside them.
TEST_F(CadhostPlot, AnOutputThatCannotBeUsedIsRefusedWithTheSystemsReason) {
  const std::string drawing = folder_ / "drawing.pdf";  // a drawing named like a plot
  std::filesystem::copy_file(QUODL_SAMPLES_DIR "/layouts-frames.dxf", drawing);
  std::filesystem::create_directory(folder_ / "sheets");
  std::filesystem::create_directory(folder_ / "folder.pdf");
  ASSERT_EQ(mkfifo((folder_ / "pipe.pdf").c_str(), 0644), 0);
  ASSERT_TRUE(foundation::writeFileAtomically(folder_ / "locked.pdf", "locked"));
  ASSERT_EQ(chmod((folder_ / "locked.pdf").c_str(), 0444), 0);
  SmallVolume readOnly(folder_ / "ro", 64 * 1024);
  const bool withVolume = readOnly.mounted() && readOnly.setReadOnly(true);

  struct Case {
    std::string typed;
    std::string reason;
  };
  std::vector<Case> cases = {
      {"sheets/", "names a folder"},
      {"absent/a3.pdf", foundation::errorText(ENOENT)},
      {"folder.pdf", foundation::errorText(EISDIR)},
      {"pipe.pdf", "not a regular file"},
      {"locked.pdf", "read-only"},
      {"drawing.pdf", "open drawing"},
      {std::string(300, 'n') + ".pdf", foundation::errorText(ENAMETOOLONG)},
  };
  if (withVolume) cases.push_back({"ro/a3.pdf", foundation::errorText(EROFS)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.substr(0, 40));
    const CadhostRun run = cadhost(drawing, "CTAB\nA3 Block\nPLOT\n" + c.typed + "\nYes\nQUIT\n");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Plot written"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Replace it?"), std::string::npos) << run.output;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder_ / "sheets"));
  EXPECT_TRUE(std::filesystem::is_empty(folder_ / "folder.pdf"));
  EXPECT_TRUE(std::filesystem::is_fifo(folder_ / "pipe.pdf"));
  EXPECT_EQ(foundation::readFile(folder_ / "locked.pdf").data, "locked");
  EXPECT_EQ(foundation::readFile(drawing).data, foundation::readFile(QUODL_SAMPLES_DIR "/layouts-frames.dxf").data);
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename();
    EXPECT_FALSE(name.starts_with("Plot-") || name.starts_with("sheets.") || name.starts_with("absent"));
  }
}

// An existing PDF is replaced only when the user answers Yes; Enter and No keep it.
TEST_F(CadhostPlot, AnExistingPdfIsReplacedOnlyWhenTheUserAgrees) {
  const std::string target = folder_ / "a3.pdf";
  for (const std::string answer : {"", "No", "n"}) {
    ASSERT_TRUE(foundation::writeFileAtomically(target, "earlier"));
    const CadhostRun run =
        cadhost(QUODL_SAMPLES_DIR "/layouts-frames.dxf", "CTAB\nA3 Block\nPLOT\na3.pdf\n" + answer + "\nQUIT\n");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("\"" + target + "\" already exists. Replace it? [Yes/No] <No>: "), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Plot cancelled"), std::string::npos) << run.output;
    EXPECT_EQ(foundation::readFile(target).data, "earlier") << answer;
  }
  const CadhostRun run = cadhost(QUODL_SAMPLES_DIR "/layouts-frames.dxf", "CTAB\nA3 Block\nPLOT\na3.pdf\nyes\nQUIT\n");
  EXPECT_NE(run.output.find("Plot written to " + target), std::string::npos) << run.output;
  EXPECT_EQ(pageBoxes(target).size(), 1u);
}

// A volume with a few bytes left, or none: the plot fails with the system's reason, the earlier PDF stays whole
// and no work file is left beside it.
TEST_F(CadhostPlot, AFullDiskFailsWithTheReasonAndKeepsTheEarlierPdf) {
  SmallVolume volume(folder_ / "full", 200 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  const std::string target = volume.path() + "/a3.pdf";
  ASSERT_TRUE(foundation::writeFileAtomically(target, "earlier"));
  for (const std::size_t left : {std::size_t{4096}, std::size_t{0}}) {
    SCOPED_TRACE(left);
    ASSERT_TRUE(volume.fillLeaving(left));
    const CadhostRun run =
        // A sheet whose PDF needs more than the page left (a plot of a few lines fits in 4 KB).
        cadhost(QUODL_SAMPLES_DIR "/every-entity.dxf", "CTAB\nEvery Kind\nPLOT\nfull/a3.pdf\nYes\nQUIT\n");
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_NE(run.output.find("Plot failed: Cannot write \"" + target + "\": " + foundation::errorText(ENOSPC)),
              std::string::npos)
        << run.output;
    EXPECT_EQ(foundation::readFile(target).data, "earlier");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(volume.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a3.pdf", "filler-" + std::to_string(getpid())}));
  }
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

// Help is asked for, not a folder named "--help": nothing is written for it, nor for any other option.
TEST_F(CadhostPlot, MakePlotStylesAnswersHelpAndTakesNoOptionForAFolder) {
  RunOptions options;
  options.workingDirectory = folder_.path();
  CadhostRun run = runProgram(MAKE_PLOT_STYLES_PROGRAM, {"--help"}, "", options);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("Usage: make_plot_styles [--lite] FOLDER"), std::string::npos) << run.output;
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--lite", "--help"}, {"--bogus"}, {"--lite"}, {"a", "b"}}) {
    run = runProgram(MAKE_PLOT_STYLES_PROGRAM, arguments, "", options);
    EXPECT_EQ(run.exitStatus, 2) << arguments.front();
    EXPECT_NE(run.output.find("make_plot_styles --help"), std::string::npos) << run.output;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
}

}  // namespace

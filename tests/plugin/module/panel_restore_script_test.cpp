// The panels come back in cadhost as a person expects: the full panel opened first on another drawing does not
// take over frames picked on the one before, a saved window frame that lies off the screen or is far too large
// comes back on the screen, and a miniaturised compact panel comes back with DUZOZAREDLITE. Each panel is
// rendered into the build tree for a look.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/json.h"
#include "test_files.h"

namespace {

const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";
const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
const std::string kOversized = std::string(QUODL_SAMPLES) + "/oversized-layout.dxf";

class PanelRestoreScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", "tmp", "data"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    ASSERT_TRUE(foundation::createDirectory(renderings_, true));
    writeDefaults(R"({"Quodline.Language": "zh"})");
  }

  void writeDefaults(const std::string& json) const {
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json", json));
  }

  foundation::Json defaults() const {
    return foundation::parseJson(foundation::readFile(home_ / ".config/quodline/defaults/standard.json").data).value;
  }

  CadhostRun run(const std::string& script, const std::vector<std::string>& drawings) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    RunOptions options;
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_ / ".config"},
                           {"XDG_DATA_HOME", home_ / "data"},
                           {"TMPDIR", home_ / "tmp"}};
    std::vector<std::string> arguments = {"--no-autoload", "--load",   QUODL_PROBE,         "--load",
                                          QUODL_MODULE,    "--script", home_ / "script.txt"};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    return runProgram(QUODL_CADHOST, arguments, "", options);
  }

  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "too large",
                                "Queued work failed"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  std::string png(const std::string& name) const { return renderings_ + "/" + name + ".png"; }

  ScratchHome home_;
  const std::string renderings_ = std::string(QUODL_RENDERINGS_DIR) + "/panel-restore";
};

// Frames picked on one drawing while the compact panel is in use; the full panel then opens on a drawing of
// seven model-space frames and lists them all, found automatically. Opened on the drawing of the pick, it keeps it.
TEST_F(PanelRestoreScriptTest, TheFullPanelsFirstLoadKeepsOnlyPicksMadeOnItsDrawing) {
  std::string script = "CTAB\nOversized\nDUZOZAREDLITE\nDUZOZAREDPICKFRAMES\n49\n";
  script += "@activate model-a1-grid-1to100.dxf\nTILEMODE\n1\nDUZOZAREDPRO\n";
  script += "@render batchPrintPanel \"" + png("01-first-load-on-another-drawing") + "\"\n";
  script += "@read batchPrintPanel recognitionStatus\n@read batchPrintPanel tile1Value\nQUIT\n";
  const CadhostRun r = run(script, {kModel, kOversized});
  expectEveryLineWorked(r);
  // The pick was made and taken.
  EXPECT_NE(r.output.find("点选范围包含 1 个图块或矩形"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("recognitionStatus: 自动识别\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("tile1Value: 7\n"), std::string::npos) << r.output;
  std::cout << "[ panel restore ] " << png("01-first-load-on-another-drawing") << "\n";

  // Picked on the drawing the full panel then opens on, the frame is what it lists.
  const CadhostRun same =
      run("CTAB\nOversized\nDUZOZAREDLITE\nDUZOZAREDPICKFRAMES\n49\nDUZOZAREDPRO\n"
          "@read batchPrintPanel recognitionStatus\n@read batchPrintPanel tile1Value\nQUIT\n",
          {kModel, kOversized});
  expectEveryLineWorked(same);
  EXPECT_NE(same.output.find("recognitionStatus: 只打印点选范围：1 个对象\n"), std::string::npos) << same.output;
  EXPECT_NE(same.output.find("tile1Value: 1\n"), std::string::npos) << same.output;
}

// A frame saved as far too large, or far off the screen, comes back on the 1440 × 875 visible screen and no
// smaller than the panel's minimum of 1000 × 680; what is saved again is that frame.
TEST_F(PanelRestoreScriptTest, ASavedFullPanelFrameComesBackOnTheScreen) {
  const struct {
    const char* saved;
    const char* name;
    std::pair<unsigned, unsigned> size;
    const char* kept;
  } cases[] = {
      {"0 0 99999999 800", "02-saved-too-wide", {1440, 800}, "0 0 1440 800"},
      {"-50000 90000 1000 680", "03-saved-off-screen", {1000, 680}, "0 195 1000 680"},
      {"100 100 20 20", "04-saved-too-small", {1000, 680}, "100 100 1000 680"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.saved);
    writeDefaults(std::string(R"({"Quodline.Language": "zh", "WindowFrame QuodlinePanelCompactProV1": ")") + c.saved +
                  "\"}");
    const CadhostRun r = run("QUODL\n@render batchPrintPanel \"" + png(c.name) + "\"\nQUIT\n", {kLayouts});
    expectEveryLineWorked(r);
    EXPECT_EQ(pngSize(foundation::readFile(png(c.name)).data), c.size) << r.output;
    EXPECT_EQ(defaults().value("WindowFrame QuodlinePanelCompactProV1", std::string()), c.kept);
    std::cout << "[ panel restore ] " << png(c.name) << "\n";
  }
}

// The compact panel sent to the Dock comes back, key and in front, when DUZOZAREDLITE is given again.
TEST_F(PanelRestoreScriptTest, DuzozaredliteBringsBackAMiniaturisedCompactPanel) {
  const std::string script =
      "DUZOZAREDLITE\n@wait batchPrintLite filename layouts-frames.dxf\n"
      "@click batchPrintLite _miniaturizeButton\n@probewindows\nDUZOZAREDSTATUS\n"
      "DUZOZAREDLITE\n@probewindows\nDUZOZAREDSTATUS\n"
      "@render batchPrintLite \"" +
      png("05-compact-back-from-the-dock") + "\"\nQUIT\n";
  const CadhostRun r = run(script, {kLayouts});
  expectEveryLineWorked(r);
  const std::size_t gone = r.output.find("PROBE windows");
  ASSERT_NE(gone, std::string::npos) << r.output;
  const std::size_t back = r.output.find("PROBE windows", gone + 1);
  ASSERT_NE(back, std::string::npos) << r.output;
  const std::string before = r.output.substr(gone, back - gone);
  const std::string after = r.output.substr(back);
  EXPECT_EQ(before.find("[batchPrintLite]"), std::string::npos) << before;
  EXPECT_NE(before.find("visible=NO"), std::string::npos) << before;
  EXPECT_NE(after.find("[batchPrintLite]"), std::string::npos) << after;
  EXPECT_NE(after.find("visible=YES"), std::string::npos) << after;
  std::cout << "[ panel restore ] " << png("05-compact-back-from-the-dock") << "\n";
}

}  // namespace

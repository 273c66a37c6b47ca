// The compact panel in cadhost, driven by a script as a person drives it: DUZOZAREDLITE opens it, its export
// writes the current layout, model-space frames and a selected area, separate and merged, into folders of their
// own; it follows layout switches; the switch to the full panel and back keeps the choice; its settings survive
// a restart, and stored values of the wrong type fall back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cad/plot/plot_style_table.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/json.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";

class LitePanelScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", ".config/quodline-host", "tmp", "out", "styles"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    writeDefaults(R"({"Quodline.Language": "zh"})");
    // The host's plot styles in the scratch home, where the monochrome style gets installed.
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline-host/environment.json",
                                                R"({"PrinterStyleSheetDir": ")" + home_ / "styles" + R"("})"));
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
    // The module as the bundle lays it out, beside the resources it ships.
    std::vector<std::string> arguments = {"--no-autoload", "--load",
                                          std::string(QUODL_BUNDLE_DIR) + "/Contents/Linux/Quodline.so", "--script",
                                          home_ / "script.txt"};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    return runProgram(QUODL_CADHOST, arguments, "", options);
  }

  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "refused"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  static std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  // The export folders, each with its PDFs, sorted by the folders' times of making.
  std::vector<std::vector<std::string>> exports() const {
    std::vector<fs::directory_entry> folders;
    for (const auto& entry : fs::directory_iterator(home_ / "out")) folders.push_back(entry);
    std::sort(folders.begin(), folders.end(),
              [](const auto& a, const auto& b) { return a.last_write_time() < b.last_write_time(); });
    std::vector<std::vector<std::string>> result;
    for (const auto& folder : folders) {
      EXPECT_TRUE(folder.path().filename().string().starts_with("Ferrolin-PDF-")) << folder.path();
      std::vector<std::string> files;
      for (const auto& file : fs::directory_iterator(folder.path())) files.push_back(file.path().filename().string());
      std::sort(files.begin(), files.end());
      result.push_back(files);
    }
    return result;
  }

  ScratchHome home_;
};

TEST_F(LitePanelScriptTest, AScriptExportsLayoutModelAndAreaSeparateAndMerged) {
  const std::string renderings = std::string(QUODL_RENDERINGS_DIR) + "/lite-panel";
  ASSERT_TRUE(foundation::createDirectory(renderings, true));
  std::string script;
  // Each export hides the panel and leaves it hidden when it succeeds; DUZOZAREDLITE brings it back.
  const std::string exportNow = "@click batchPrintLite output\nDUZOZAREDLITE\n";
  script += "CTAB\nA3 Block\n";
  script += "DUZOZAREDLITE\n";
  script += "@wait batchPrintLite filename layouts-frames.dxf\n";
  script += "@wait batchPrintLite status \"独立 PDF\"\n";
  script += "@render batchPrintLite \"" + renderings + "/01-open.png\"\n";
  // The first export asks for the folder; later ones keep it.
  script += "@file \"" + home_ / "out" + "\"\n";
  script += exportNow;
  script += "@click batchPrintLite mergePDF\n";
  script += "@wait batchPrintLite status \"合并为一个 PDF\"\n";
  script += exportNow;
  // The other drawing, in model space: the panel follows; its frames go out merged, then separate.
  script += "@activate model-a1-grid-1to100.dxf\n";
  script += "TILEMODE\n1\n";
  script += "@wait batchPrintLite filename model-a1-grid-1to100.dxf\n";
  script += exportNow;
  script += "@click batchPrintLite mergePDF\n";
  script += exportNow;
  // An area around the first two frames only.
  script += "@click batchPrintLite range\n-100,-100\n175000,60000\n";
  script += "@wait batchPrintLite selection \"已限定框选范围\"\n";
  script += "@render batchPrintLite \"" + renderings + "/02-area.png\"\n";
  script += exportNow;
  // To the full panel and back.
  script += "@click batchPrintLite pro\n";
  script += "@wait batchPrintPanel export \"开始输出 PDF\"\n";
  script += "DUZOZAREDLITE\n";  // what the full panel's switch queues
  script += "@wait batchPrintLite selection \"已限定框选范围\"\n";
  script += "@choose batchPrintLite paperMode A3\n";
  script += "QUIT\n";
  const CadhostRun r = run(script, {kModel, kLayouts});
  expectEveryLineWorked(r);
  EXPECT_EQ(count(r.output, "DUZOZAREDLITEEXEC=PASS"), 5u) << r.output;
  EXPECT_EQ(count(r.output, "DUZOZAREDLITEEXEC=FAIL"), 0u) << r.output;

  const std::vector<std::vector<std::string>> folders = exports();
  ASSERT_EQ(folders.size(), 5u);
  EXPECT_EQ(folders[0], std::vector<std::string>{"layouts-frames-0001.pdf"});
  EXPECT_EQ(folders[1], std::vector<std::string>{"layouts-frames.pdf"});
  EXPECT_EQ(folders[2], std::vector<std::string>{"model-a1-grid-1to100.pdf"});
  EXPECT_EQ(folders[3].size(), 7u);
  EXPECT_EQ(folders[4], (std::vector<std::string>{"model-a1-grid-1to100-0001.pdf", "model-a1-grid-1to100-0002.pdf"}));
  // The monochrome style the bundle ships went where the host looks for styles: every colour black at 0.05 mm.
  const cad::PlotStyleTableRead installed = cad::readPlotStyleTable(home_ / "styles/NUVOLK-Lite-Mono-005-v1.ctb");
  ASSERT_TRUE(installed.table) << installed.error;
  for (int index : {1, 7, 255}) {
    EXPECT_EQ(cad::penFor(installed.table->styleForColor(index), {200, 10, 10}, 0.35), (cad::Pen{{0, 0, 0}, 0.05}));
  }

  const foundation::Json saved = defaults();
  EXPECT_EQ(saved.value("Quodline.LiteMode", false), true);
  EXPECT_EQ(saved.value("Quodline.LiteMergePDF", true), false);
  EXPECT_EQ(saved.value("Quodline.LitePaperMode", 0), 2);

  // After a restart the panel comes back as it was left.
  const CadhostRun again = run("DUZOZARED\n@wait batchPrintLite paperMode A3\n@wait batchPrintLite status \"独立 PDF\"\n"
                               "QUIT\n",
                               {kLayouts});
  expectEveryLineWorked(again);
}

// With the host's own plot-style folders, the monochrome style goes into the user's folder, which the host lists
// first; the host's bundled folder is never written into.
TEST_F(LitePanelScriptTest, TheStyleGoesIntoTheUsersPlotStyleFolderNeverTheHostsBundledOne) {
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline-host/environment.json", "{}"));
  const auto bundled = [] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CADHOST_SUPPORT_DIR "/Plot Styles")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = bundled();
  const CadhostRun r = run("CTAB\nA3 Block\nDUZOZAREDLITE\n@wait batchPrintLite filename layouts-frames.dxf\n@file \"" +
                               home_ / "out" + "\"\n@click batchPrintLite output\nQUIT\n",
                           {kLayouts});
  expectEveryLineWorked(r);
  EXPECT_EQ(count(r.output, "DUZOZAREDLITEEXEC=PASS"), 1u) << r.output;
  EXPECT_TRUE(foundation::isRegularFile(home_ / "data/quodline-host/Plotters/Plot Styles/NUVOLK-Lite-Mono-005-v1.ctb"));
  EXPECT_EQ(bundled(), before);
}

TEST_F(LitePanelScriptTest, StoredValuesOfTheWrongTypeFallBack) {
  writeDefaults(R"({"Quodline.Language": "zh", "Quodline.LiteMode": true, "Quodline.LitePaperMode": 9,
                   "Quodline.LiteMergePDF": {"x": 1}, "Quodline.LitePlotStyle": ["a"]})");
  const CadhostRun r = run("DUZOZARED\n@wait batchPrintLite paperMode A0\n@wait batchPrintLite status \"独立 PDF\"\n"
                           "@wait batchPrintLite plotStyleMode \"黑白 · 0.05 mm\"\nQUIT\n",
                           {kLayouts});
  expectEveryLineWorked(r);
}

}  // namespace

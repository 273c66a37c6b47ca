// The full panel in cadhost, driven by a script as a person drives it: QUODL opens it on the samples, "@" lines
// sort, filter, tick, rename, reorder, re-paper, rescale, remove and restore rows, each state rendered into the
// build tree and its tiles and summary read back; switching and closing drawings reloads it; its settings
// survive a restart, and damaged ones fall back to their defaults.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/json.h"
#include "test_files.h"

namespace {

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";

class FullPanelScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", "tmp"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    // Simplified Chinese, whatever this machine's languages are.
    writeDefaults(R"({"Quodline.Language": "zh"})");
  }

  void writeDefaults(const std::string& json) const {
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json", json));
  }

  CadhostRun run(const std::string& script, const std::vector<std::string>& drawings) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    RunOptions options;
    options.environment = {{"HOME", home_.path()},
                           {"XDG_CONFIG_HOME", home_ / ".config"},
                           {"XDG_DATA_HOME", home_ / "data"},
                           {"TMPDIR", home_ / "tmp"}};
    std::vector<std::string> arguments = {"--no-autoload", "--load", QUODL_MODULE, "--script", home_ / "script.txt"};
    arguments.insert(arguments.end(), drawings.begin(), drawings.end());
    return runProgram(QUODL_CADHOST, arguments, "", options);
  }

  // Every "@" line did its part: no window or view missing, no text read in vain.
  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "refused"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  ScratchHome home_;
};

TEST_F(FullPanelScriptTest, AScriptEditsTheListAndRendersEachState) {
  const std::string out = std::string(QUODL_RENDERINGS_DIR) + "/full-panel";
  ASSERT_TRUE(foundation::createDirectory(out, true));
  std::vector<std::string> states;
  std::string script = "QUODL\n";
  const auto render = [&](const std::string& state) {
    states.push_back(out + "/" + state + ".png");
    script += "@render batchPrintPanel \"" + states.back() + "\"\n";
  };
  const auto expect = [&](const std::string& view, const std::string& text) {
    script += "@wait batchPrintPanel " + view + " \"" + text + "\"\n";
  };
  expect("summary", "共 1 个布局，已选 1 个；当前显示 1 个；手动 0 个；暂时移除 0 个；自动识别");
  expect("heading", "当前布局：A3 Block");
  render("01-open");
  script += "@choose batchPrintPanel scope \"#2\"\n";
  expect("summary", "共 3 个布局，已选 3 个；当前显示 3 个");
  expect("tile1Value", "3");
  expect("tile4Detail", "A3 × 2，A4 × 1");
  expect("layout-1", "A3 Block 图框 01");
  expect("paper-1", "A3｜420 × 297");
  render("02-all-layouts");
  script += "@choose batchPrintPanel sort \"#2\"\n";
  expect("layout-1", "A4 Portrait 图框 01");
  render("03-reversed");
  script += "@choose batchPrintPanel sort \"#1\"\n";
  script += "@type batchPrintPanel filter a4\n";
  expect("summary", "当前显示 1 个");
  expect("layout-1", "A4 Portrait 图框 01");
  expect("tile1Value", "3");
  render("04-filtered");
  script += "@type batchPrintPanel filter\n";
  expect("summary", "当前显示 3 个");
  script += "@click batchPrintPanel check-2\n";
  expect("summary", "已选 2 个");
  expect("tile4Value", "2");
  expect("tile4Detail", "A3 × 1，A4 × 1");
  render("05-unticked");
  script += "@type batchPrintPanel layout-1 \"  首层/平面 🏗️ \"\n";
  expect("layout-1", "首层/平面 🏗️");
  script += "@type batchPrintPanel layout-2\n";  // an empty name is refused
  expect("layout-2", "A3 Polylines 图框 01");
  render("06-renamed");
  script += "@click batchPrintPanel order-1\n@click batchPrintPanel down\n";
  expect("layout-1", "A3 Polylines 图框 01");
  expect("layout-2", "首层/平面 🏗️");
  render("07-moved");
  script += "@click batchPrintPanel moreSettings\n";
  script += "@click batchPrintPanel order-2\n@click batchPrintPanel order-3 cmd\n";
  script += "@choose batchPrintPanel paper A0\n@click batchPrintPanel applyPaper\n";
  expect("status", "已将 2 个选中页面改为 A0；其他页面保持原纸张。");
  expect("paper-2", "A0｜1189 × 841");
  expect("tile4Detail", "A0 × 2");
  render("08-repapered");
  script += "@scroll batchPrintPanel paperLabel -200\n";
  script += "@type batchPrintPanel scale 55\n@click batchPrintPanel applyScale\n";
  expect("status", "已将 2 张选中图纸设为 55%；其他图纸未改变。");
  expect("scale-3", "55%");
  expect("scale-1", "100%");
  render("09-rescaled");
  script += "@click batchPrintPanel remove\n";
  expect("summary", "共 1 个布局，已选 0 个；当前显示 1 个；手动 0 个；暂时移除 2 个");
  expect("tile3Value", "2");
  expect("tile3Detail", "空白 0 · 移除 2");
  expect("tile1Value", "3");
  render("10-removed");
  script += "@click batchPrintPanel restore\n";
  expect("status", "已恢复 2 个页面。");
  expect("summary", "共 3 个布局，已选 2 个；当前显示 3 个；手动 0 个；暂时移除 0 个");
  render("11-restored");
  script += "@choose batchPrintPanel sort \"#3\"\n@click batchPrintPanel order-1\n@click batchPrintPanel up\n";
  expect("status", "请清空筛选并切换到“自然顺序”后再手动调序。");
  expect("layout-1", "A3 Polylines 图框 01");
  render("12-by-name");
  script += "DUZOZAREDSTATUS\nQUIT\n";

  const CadhostRun r = run(script, {kLayouts});
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("Ferrolin 批打工具面板已打开。"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" visible=YES "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("DUZOZAREDPLOTSTYLEMODE mode=CTB required=.ctb selected="), std::string::npos);
  for (const std::string& png : states) {
    EXPECT_EQ(pngSize(foundation::readFile(png).data), (std::pair<unsigned, unsigned>{1000, 680})) << png;
    std::cout << "[ full panel ] " << png << "\n";
  }
}

TEST_F(FullPanelScriptTest, SwitchingOrClosingTheDrawingReloadsThePanel) {
  std::string script = "QUODL\n";
  script += "@wait batchPrintPanel heading 模型空间图框\n@wait batchPrintPanel summary \"共 7 个图框\"\n";
  script += "@activate layouts-frames.dxf\n";
  script += "@wait batchPrintPanel layout-1 \"A3 Block 图框 01\"\n";
  script += "CTAB\nA4 Portrait\n";
  script += "@wait batchPrintPanel layout-1 \"A4 Portrait 图框 01\"\n";
  script += "@close layouts-frames.dxf\n";
  script += "@wait batchPrintPanel summary \"共 7 个图框\"\n";
  script += "@close model-a1-grid-1to100.dxf\n";
  script += "@wait batchPrintPanel summary \"共 0 个\"\n";
  script += "@choose batchPrintPanel scope \"#2\"\n@click batchPrintPanel all\n@click batchPrintPanel restore\n";
  script += "@wait batchPrintPanel status 当前没有可恢复的页面。\n";
  script += "DUZOZAREDSTATUS\nQUIT\n";
  const CadhostRun r = run(script, {kLayouts, kModel});
  expectEveryLineWorked(r);
}

TEST_F(FullPanelScriptTest, SettingsSurviveARestartAndDamagedOnesFallBack) {
  std::string first = "QUODL\n@choose batchPrintPanel scope \"#2\"\n@choose batchPrintPanel sort \"#2\"\n";
  first += "@click batchPrintPanel moreSettings\n";
  first += "@choose batchPrintPanel paper A2\n@type batchPrintPanel scale 40\nQUIT\n";
  expectEveryLineWorked(run(first, {kLayouts}));

  std::string second = "QUODL\n@wait batchPrintPanel scale 40\n@wait batchPrintPanel layout-1 \"A4 Portrait 图框 01\"\n";
  second += "@wait batchPrintPanel summary \"共 3 个布局\"\nQUIT\n";
  expectEveryLineWorked(run(second, {kLayouts}));

  writeDefaults(R"({"Quodline.Language": "zh", "Quodline.SortMode": "by name", "Quodline.ContentScalePercent": [5],
                   "Quodline.LayoutScope": {"x": 1}, "Quodline.PaperMode": 99, "Quodline.RecognitionMode": "2",
                   "Quodline.FrameLayer": "TK", "Quodline.IncludeNonPlottableLayers": "maybe"})");
  std::string damaged = "QUODL\n@wait batchPrintPanel scale 100\n@wait batchPrintPanel layout-1 \"A3 Block 图框 01\"\n";
  damaged += "@wait batchPrintPanel summary \"共 1 个布局\"\n@wait batchPrintPanel recognitionStatus 自动识别\n";
  damaged += "@wait batchPrintPanel tile1Value 1\nQUIT\n";
  expectEveryLineWorked(run(damaged, {kLayouts}));

  // A settings file that is no JSON at all is set aside; the panel opens on its defaults.
  writeDefaults("{ damaged");
  expectEveryLineWorked(run("QUODL\n@wait batchPrintPanel scale 100\nQUIT\n", {kLayouts}));
}

}  // namespace

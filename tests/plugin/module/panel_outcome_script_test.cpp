// The panels after the plug-in's own work, driven in cadhost by scripts as a person drives them. A plot, a
// preview, a compact export and a pick make layouts current and put the user's back; none of that is a switch of
// the user's: the full panel keeps the source, scope and rows the user chose, and each panel shows the outcome of
// its work with its reason, a cancel, a failure, a failed preview, a manual frame. While a plot runs, the choices
// that would rescan are refused like the rescan. Failures are made for real: the probe holds the host inside a
// page until the test has removed the folder the plot writes into. Each outcome is rendered into the build tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/json.h"
#include "interactive_program.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kChinese = std::string(QUODL_SAMPLES) + "/chinese-layouts.dxf";
const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";

const std::string kAllLayouts = "当前图纸：全部布局 / 布局图框";

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The rest of the first line that starts with `start`, or "?" when none does.
std::string lineAfter(const std::string& output, const std::string& start) {
  for (const std::string& line : linesOf(output)) {
    if (line.starts_with(start)) return line.substr(start.size());
  }
  return "?";
}

class PanelOutcomeScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", ".config/quodline-host", "tmp", "data", "out", "styles"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    setLanguage("zh");
    // The host's plot styles in the scratch home, where the compact panel installs its monochrome style.
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline-host/environment.json",
                                                R"({"PrinterStyleSheetDir": ")" + home_ / "styles" + R"("})"));
    ASSERT_TRUE(foundation::createDirectory(renderings_, true));
  }

  void setLanguage(const std::string& code) const {
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json",
                                                R"({"Quodline.Language": ")" + code + R"("})"));
  }

  foundation::Json defaults() const {
    return foundation::parseJson(foundation::readFile(home_ / ".config/quodline/defaults/standard.json").data).value;
  }

  RunOptions options() const {
    RunOptions o;
    o.environment = {{"HOME", home_.path()},
                     {"XDG_CONFIG_HOME", home_ / ".config"},
                     {"XDG_DATA_HOME", home_ / "data"},
                     {"TMPDIR", home_ / "tmp"}};
    return o;
  }

  // The module as the bundle lays it out, beside the monochrome style it ships, and the probe.
  std::vector<std::string> arguments(const std::string& script, const std::string& drawing) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    return {"--no-autoload", "--load", QUODL_PROBE, "--load", std::string(QUODL_BUNDLE_DIR) + "/Contents/Linux/Quodline.so",
            "--script", home_ / "script.txt", drawing};
  }

  CadhostRun run(const std::string& script, const std::string& drawing) const {
    return runProgram(QUODL_CADHOST, arguments(script, drawing), "", options());
  }

  // The probe line that holds the plot inside its `page`-th page drawn until the test lets it go on.
  std::string pauseOnPage(int page) const { return "QDLPROBEPAUSE\n" + home_ / "go" + "\n" + std::to_string(page) + "\n"; }

  // Runs the script; while the probe holds the plot, `meanwhile` acts, then the plot goes on.
  CadhostRun runPausing(const std::string& script, const std::string& drawing,
                        const std::function<void()>& meanwhile) const {
    // A go-ahead left by an earlier run would let the plot on at once.
    static_cast<void>(foundation::removeFile(home_ / "go"));
    InteractiveProgram host(QUODL_CADHOST, arguments(script, drawing), options());
    CadhostRun r;
    if (host.waitForOutput("PROBE paused on page")) {
      meanwhile();
      EXPECT_TRUE(foundation::writeFileAtomically(home_ / "go", ""));
    } else {
      ADD_FAILURE() << "the plot never reached the page to pause on";
    }
    r.exitStatus = host.wait();
    r.output = host.output();
    return r;
  }

  // Every "@" line did its part: no window or view missing, no text waited for in vain.
  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is covered", "refused",
                                "PROBE bad", "Queued work failed"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  // A rendering of the window into the build tree, listed for a person to look at.
  std::string render(const std::string& window, const std::string& name) {
    pngs_.push_back(renderings_ + "/" + name + ".png");
    return "@render " + window + " \"" + pngs_.back() + "\"\n";
  }

  void expectRendered() const {
    for (const std::string& png : pngs_) {
      EXPECT_TRUE(foundation::isRegularFile(png)) << png;
      std::cout << "[ panel outcome ] " << png << "\n";
    }
  }

  // The full panel, opened in model space (no frames there), on the drawing's layouts, all of them, each sheet
  // into a PDF of its own in `folder`; in any interface language.
  static std::string allLayoutsSplitInto(const std::string& folder) {
    return "QUODL\n@wait batchPrintPanel tile1Value 0\n"
           "@choose batchPrintPanel source \"#1\"\n@choose batchPrintPanel scope \"#2\"\n"
           "@wait batchPrintPanel tile1Value 3\n"
           "@choose batchPrintPanel outputMode \"#2\"\n@choose batchPrintPanel location \"#6\"\n"
           "@file \"" + folder + "\"\n@click batchPrintPanel browse\n@wait batchPrintPanel path \"" + folder + "\"\n";
  }

  ScratchHome home_;
  std::string renderings_ = std::string(QUODL_RENDERINGS_DIR) + "/panel-outcomes";
  std::vector<std::string> pngs_;
};

// The drawing opens in model space, which has no frames; the user lists the layouts. The plot makes each page's
// layout current and model space again when it is cancelled: the panel stays on the layouts.
TEST_F(PanelOutcomeScriptTest, ACancelledExportKeepsTheSourceScopeAndRows) {
  std::string script = allLayoutsSplitInto(home_ / "out");
  script += "@click batchPrintPanel export\n";
  script += "@wait printProgress printProgressStage \"正在输出第 2 / 3 页\"\n@click printProgress cancelPrinting\n";
  // A command line: what follows is read once the plot's command has ended and the host is idle again.
  script += "DUZOZAREDSTATUS\n@wait batchPrintPanel heading \"" + kAllLayouts + "\"\n";
  script += "@wait batchPrintPanel summary \"共 3 个布局，已选 3 个；当前显示 3 个\"\n";
  script += "@wait batchPrintPanel status \"输出已取消。发现未完成任务：已完成 1 / 3 页，剩余 2 页。可点击“继续未完成任务”。\"\n";
  script += "@read batchPrintPanel table\n@probehost\n" + render("batchPrintPanel", "01-export-cancelled");
  script += "QUIT\n";
  const CadhostRun r = run(script, kChinese);
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("DUZOZAREDEXEC=FAIL"), std::string::npos) << r.output;
  // The user's space is current again, and the rows are the three layouts'.
  EXPECT_NE(r.output.find("PROBE host ctab=Model"), std::string::npos) << r.output;
  for (const char* row : {"row 1: ", "row 2: ", "row 3: "}) EXPECT_NE(r.output.find(row), std::string::npos) << row;
  EXPECT_EQ(r.output.find("row 4: "), std::string::npos) << r.output;
  EXPECT_EQ(defaults().value("Quodline.SourceMode", -1), 0);
  EXPECT_EQ(defaults().value("Quodline.LayoutScope", -1), 1);
  expectRendered();
}

// A compact export makes the pages' layout current for each page and restores it after; the panel shows the
// outcome, not its output mode again.
TEST_F(PanelOutcomeScriptTest, TheCompactPanelSaysItsExportFailedOrWasCancelled) {
  std::string script = pauseOnPage(2);
  script += "DUZOZAREDLITE\n@wait batchPrintLite status \"独立 PDF\"\n";
  script += "@file \"" + home_ / "out" + "\"\n@click batchPrintLite output\n";
  script += "DUZOZAREDSTATUS\n@wait batchPrintLite status \"输出失败，请检查 CAD 命令行\"\n";
  script += render("batchPrintLite", "02-lite-failed");
  script += "@click batchPrintLite output\n";
  script += "@wait printProgress printProgressStage \"正在输出第 2 / 7 页\"\n@click printProgress cancelPrinting\n";
  script += "DUZOZAREDSTATUS\n@wait batchPrintLite status \"输出已取消\"\n" + render("batchPrintLite", "02-lite-cancelled");
  script += "QUIT\n";
  // The job folder vanishes while the host draws the second page.
  const CadhostRun r = runPausing(script, kModel, [&] {
    for (const auto& entry : fs::directory_iterator(home_ / "out")) fs::remove_all(entry.path());
  });
  expectEveryLineWorked(r);
  EXPECT_EQ(count(r.output, "DUZOZAREDLITEEXEC=FAIL error="), 2u) << r.output;
  EXPECT_NE(r.output.find("DUZOZAREDLITEEXEC=FAIL error=Export cancelled"), std::string::npos) << r.output;
  expectRendered();
}

// A manual frame picked in model space from a layout, and a preview whose file cannot be written: each status
// stays as the outcome left it, with the panel on the source the user chose.
TEST_F(PanelOutcomeScriptTest, AFailedPreviewAndAManualFrameKeepTheirStatus) {
  std::string script = pauseOnPage(1);
  script += "CTAB\n平面图\nQUODL\n@wait batchPrintPanel heading \"当前布局：平面图\"\n";
  script += "@choose batchPrintPanel source \"#2\"\n@wait batchPrintPanel heading 模型空间图框\n";
  script += "@click batchPrintPanel add\n10,10\n200,150\nDUZOZAREDSTATUS\n";
  script += "@wait batchPrintPanel status \"手动图框已加入当前任务，不会写入或保存 DWG。\"\n";
  script += "@wait batchPrintPanel layout-1 \"手动图框 01\"\n@wait batchPrintPanel heading 模型空间图框\n";
  script += render("batchPrintPanel", "03-manual-frame");
  script += "@choose batchPrintPanel source \"#1\"\n@choose batchPrintPanel scope \"#2\"\n";
  script += "@wait batchPrintPanel summary \"共 3 个布局\"\n";
  script += "@click batchPrintPanel order-2\n@click batchPrintPanel preview\nDUZOZAREDSTATUS\n";
  script += "@wait batchPrintPanel status 单页预览失败：\n@wait batchPrintPanel heading \"" + kAllLayouts + "\"\n";
  script += "@read batchPrintPanel status\n" + render("batchPrintPanel", "03-preview-failed");
  script += "QUIT\n";
  // The temporary folder, where the preview and the host's page files go, is emptied under the plot.
  const CadhostRun r = runPausing(script, kChinese, [&] {
    for (const auto& entry : fs::directory_iterator(home_ / "tmp")) fs::remove_all(entry.path());
  });
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("DUZOZAREDPREVIEW=FAIL"), std::string::npos) << r.output;
  // The reason follows the text; the host's own words when it gives none.
  const std::string status = lineAfter(r.output, "status: 单页预览失败：");
  EXPECT_FALSE(status.empty() || status == "?") << r.output;
  expectRendered();
}

// Each choice is made in the panel while the progress window pumps its events.
TEST_F(PanelOutcomeScriptTest, WhileAPlotRunsTheChoicesThatWouldRescanAreRefused) {
  std::string script = allLayoutsSplitInto(home_ / "out");
  script += "@probebeeps\n@click batchPrintPanel export\n";
  script += "@wait printProgress printProgressStage \"正在输出第 2 / 3 页\"\n";
  script += "@choose batchPrintPanel source \"#2\"\n@click batchPrintPanel nonplot\n";
  script += "@choose batchPrintPanel scope \"#1\"\n@click batchPrintPanel blank\n@click batchPrintPanel refresh\n";
  script += "@wait batchPrintPanel status \"正在输出 PDF，请等当前任务结束后再试。\"\n@probebeeps\n";
  script += "@wait batchPrintPanel heading \"" + kAllLayouts + "\"\n";
  script += render("batchPrintPanel", "04-refused-while-plotting");
  // After the job: the panel the executor ordered out stays out, with the job's outcome.
  script += "DUZOZAREDSTATUS\n@probewindows\n@read batchPrintPanel status\n";
  script += render("batchPrintPanel", "04-after-the-job") + "QUIT\n";
  const CadhostRun r = run(script, kChinese);
  expectEveryLineWorked(r);
  const std::size_t passed = r.output.find("DUZOZAREDEXEC=PASS");
  ASSERT_NE(passed, std::string::npos) << r.output;
  // Five refusals, each with its beep.
  const std::vector<std::string> lines = linesOf(r.output);
  std::vector<long> beeps;
  for (const std::string& line : lines) {
    if (line.starts_with("PROBE beeps=")) beeps.push_back(std::stol(line.substr(12)));
  }
  ASSERT_EQ(beeps.size(), 2u) << r.output;
  EXPECT_EQ(beeps[1] - beeps[0], 5);
  // No rescan was queued for after the job: the panel stays out of sight with "Export complete".
  EXPECT_EQ(r.output.find("批量打印页面列表已刷新。", passed), std::string::npos) << r.output;
  EXPECT_EQ(lineAfter(r.output, "PROBE windows").find("[batchPrintPanel]"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("status: 输出完成：3 个页面，3 页"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" visible=NO "), std::string::npos) << r.output;
  // Nothing the refused choices would have stored.
  const foundation::Json saved = defaults();
  EXPECT_EQ(saved.value("Quodline.SourceMode", -1), 0);
  EXPECT_EQ(saved.value("Quodline.LayoutScope", -1), 1);
  EXPECT_EQ(saved.value("Quodline.IncludeNonPlottableLayers", true), true);
  EXPECT_EQ(saved.value("Quodline.ExcludeBlankRectangles", true), true);
  expectRendered();
}

// The output folder vanishes while the host draws the second page. In each interface language the status line
// says first why the job stopped, as DUZOZAREDSTATUS gives the reason, then that the rest can be resumed.
TEST_F(PanelOutcomeScriptTest, AFailedExportSaysWhyItStoppedThenThatItCanBeResumed) {
  struct Case {
    const char* language;
    const char* failed;     // the outcome's start
    const char* recovery;   // the recovery line, after the reason
  } cases[] = {
      {"zh", "输出失败：", "。发现未完成任务：已完成 1 / 3 页，剩余 2 页。可点击“继续未完成任务”。"},
      {"en", "Export failed: ", ". Unfinished job: 1 / 3 sheets completed, 2 remaining. Resume is available."},
      {"zh-Hant", "輸出失敗：", "。發現未完成任務：已完成 1 / 3 頁，剩餘 2 頁。可點擊「繼續未完成任務」。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    setLanguage(c.language);
    const std::string out = home_ / (std::string("out/") + c.language);
    ASSERT_TRUE(foundation::createDirectory(out, true));
    std::string script = pauseOnPage(2) + allLayoutsSplitInto(out) + "@click batchPrintPanel export\n";
    script += "DUZOZAREDSTATUS\n@read batchPrintPanel status\n";
    script += render("batchPrintPanel", std::string("05-export-failed-") + c.language) + "QUIT\n";
    // The panel's Chinese choices are made in Chinese; the language comes into force as the panel first shows.
    const CadhostRun r = runPausing(script, kChinese, [&] { fs::remove_all(out); });
    expectEveryLineWorked(r);
    const std::string status = lineAfter(r.output, std::string("status: ") + c.failed);
    const std::string error = lineAfter(r.output, "DUZOZAREDSTATUS");
    const std::string reason = error.substr(error.find(" error=") + 7);
    ASSERT_FALSE(reason.empty() || reason == "-") << r.output;
    EXPECT_EQ(status, reason + c.recovery) << r.output;
  }
  expectRendered();
}

}  // namespace

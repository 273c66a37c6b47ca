// The progress window as a person sees it in cadhost, in each interface language: a script stages a split job
// of the sample drawing, plots it, and renders the window at the plot's first pump (start), when page 2 is
// plotting (middle) and in its success state (end), as PNG files left in the build tree for a person to open.
// The same job plotted here, through the same window, has every text fit its place at those three moments.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <stdexcept>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cadhost_run.h"
#include "core/interface_text.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "host_fixture.h"
#include "label_fit.h"
#include "panels/progress_window.h"
#include "plot/last_result.h"
#include "plot/print_jobs.h"
#include "plot/progress_controller.h"
#include "plot/staged_jobs.h"
#include "recognition/job_pages.h"
#include "recognition/recognition_state.h"
#include "staged_job_lines.h"
#include "test_files.h"
#include "toolkit/application.h"
#include "toolkit/layer.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace {

const std::string kDrawing = std::string(QUODL_SAMPLES) + "/chinese-layouts.dxf";

std::string narrow(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

class ProgressWindowScriptTest : public HostTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    for (const char* folder : {".config", "data", "tmp"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    // This process and cadhost share the per-user folders: the language chosen here is cadhost's too.
    for (const auto& [name, value] : environment()) setenv(name.c_str(), value.c_str(), 1);
    foundation::UserDefaults::setRootForTesting(home_ / ".config/quodline/defaults");
    linkInterfaceTextIntoCore();
    ASSERT_TRUE(QDLSetLanguagePreference(GetParam()));
    vexBatchResetRecognitionStateForTesting();
    vexBatchPrintRestoreLastResult({});
    gBatchPrintPendingJob = {};
  }
  void TearDown() override {
    toolkit::Application::shared().setPumpObserver(nullptr);
    vexBatchCloseProgressWindows();
    vexBatchSetProgressWindowMaker(nullptr);
    gBatchPrintPendingJob = {};
    vexBatchPrintRestoreLastResult({});
    vexBatchResetRecognitionStateForTesting();
    setInterfaceText({});
    foundation::UserDefaults::setRootForTesting("");
    HostTest::TearDown();
    for (const auto& [name, value] : environment()) unsetenv(name.c_str());
  }

  std::vector<std::pair<std::string, std::string>> environment() const {
    return {{"HOME", home_.path()},
            {"XDG_CONFIG_HOME", home_ / ".config"},
            {"XDG_DATA_HOME", home_ / "data"},
            {"TMPDIR", home_ / "tmp"}};
  }

  // The sample's sheets, as the full panel stages them.
  std::vector<VexBatchPrintPageSpec> openSheets() {
    cad::DxfReadResult read = cad::readDxfFile(kDrawing);
    if (read.database == nullptr) throw std::runtime_error(read.error);
    if (cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(kDrawing)) == nullptr) {
      throw std::runtime_error("the sample did not open");
    }
    return vexBatchCollectJobPages(false, false);
  }

  // Where the window shows page 2 of 3, and its success, in this language.
  static std::string middleStage() { return foundation::format(translatedText("正在输出第 %ld / %ld 页"), 2, 3); }
  static std::string successStage() { return translatedText("输出完成"); }

  ScratchHome home_;
};

TEST_P(ProgressWindowScriptTest, ACadhostScriptRendersTheWindowAtTheStartMiddleAndEndOfAPlot) {
  const std::vector<VexBatchPrintPageSpec> pages = openSheets();
  ASSERT_EQ(pages.size(), 3u);
  // Named as people name the languages: en, zh-Hans, zh-Hant.
  const std::string renderings =
      std::string(QUODL_RENDERINGS_DIR) + "/" + (std::string(GetParam()) == "zh" ? "zh-Hans" : GetParam());
  ASSERT_TRUE(foundation::createDirectory(renderings, true));
  for (const char* moment : {"start", "middle", "end"})
    (void)foundation::removeItem(renderings + "/" + moment + ".png");

  std::string script = "QDLPROBESTAGE\n0|" + stagedJobText(foundation::wideFromUtf8Lossy(home_ / "out")) + "|\n";
  for (const VexBatchPrintPageSpec& page : pages) script += stagedJobPageLine(page) + "\n";
  script += "\nDUZOZAREDEXEC\n";
  script += "@render printProgress \"" + renderings + "/start.png\" 2\n";
  script += "@wait printProgress printProgressStage \"" + middleStage() + "\"\n";
  script += "@render printProgress \"" + renderings + "/middle.png\" 2\n";
  // The success state shows after the plot's last pump: this line is read once the command has returned.
  script += "@wait printProgress printProgressStage \"" + successStage() + "\"\n";
  script += "@render printProgress \"" + renderings + "/end.png\" 2\n";
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));

  RunOptions options;
  options.environment = environment();
  const CadhostRun run = runProgram(
      QUODL_CADHOST,
      {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, "--script", home_ / "script.txt", kDrawing}, "",
      options);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  ASSERT_NE(run.output.find("PROBE staged 3 pages"), std::string::npos) << run.output;
  // Every @ line did its part: no window missing, no text waited for in vain, no file left unwritten.
  for (const char* failure :
       {"No window", "No view", "printProgressStage\" shows", "Usage:", "Unknown window command"}) {
    EXPECT_EQ(run.output.find(failure), std::string::npos) << failure << "\n" << run.output;
  }
  for (const char* moment : {"start", "middle", "end"}) {
    const std::string png = renderings + "/" + moment + ".png";
    EXPECT_EQ(pngSize(foundation::readFile(png).data), (std::pair<unsigned, unsigned>{680, 720})) << png;
    std::cout << "[ progress window ] " << png << "\n";
  }
  for (std::size_t i = 0; i < pages.size(); ++i) {
    EXPECT_TRUE(foundation::isRegularFile(home_ / foundation::format("out/%03lu-%@.pdf", i + 1, narrow(pages[i].name))))
        << narrow(pages[i].name);
  }
}

// The same moments of the same job in this process, through the window the module links in, measured with the
// real fonts.
TEST_P(ProgressWindowScriptTest, EveryTextOfTheWindowFitsAtTheStartMiddleAndEndOfAPlot) {
  const std::vector<VexBatchPrintPageSpec> pages = openSheets();
  ASSERT_EQ(pages.size(), 3u);
  foundation::MainQueue::main().setClock(std::make_shared<foundation::ManualClock>(100.0));
  toolkit::Application::shared().resetForTesting();
  toolkit::Transaction::resetForTesting();
  graphics::setTextMeasurer(nullptr);
  QDLPrintProgressWindow* window = nullptr;
  vexBatchSetProgressWindowMaker([&window](const std::weak_ptr<VexBatchPrintProgressController>& controller) {
    auto made = std::make_unique<QDLPrintProgressWindow>(controller);
    window = made.get();
    return std::unique_ptr<VexBatchPrintProgressWindow>(std::move(made));
  });
  VexBatchPrintPendingJob job;
  job.pages = pages;
  job.outputPath = foundation::wideFromUtf8Lossy(home_ / "out");
  job.totalPageCount = pages.size();
  job.active = true;
  gBatchPrintPendingJob = job;

  std::map<std::string, std::string> misfits;  // moment → what does not fit
  const auto measure = [&](const char* moment) {
    ASSERT_NE(window, nullptr);
    misfits[moment] = ui_test::describe(ui_test::textMisfits(*window->panel(), {}));
  };
  toolkit::Application::shared().setPumpObserver([&] {
    if (window == nullptr) return;
    if (!misfits.contains("start")) measure("start");
    if (!misfits.contains("middle") && window->pageLabel()->stringValue() == middleStage()) measure("middle");
  });
  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  ASSERT_EQ(window->pageLabel()->stringValue(), successStage());
  measure("end");
  EXPECT_EQ(misfits, (std::map<std::string, std::string>{{"end", ""}, {"middle", ""}, {"start", ""}}));
}

INSTANTIATE_TEST_SUITE_P(Languages, ProgressWindowScriptTest, ::testing::Values("en", "zh", "zh-Hant"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param) == "zh"   ? "zhHans"
                                  : std::string(info.param) == "en" ? "en"
                                                                    : "zhHant";
                         });

}  // namespace

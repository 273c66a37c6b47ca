// A staged job of the sample drawing plotted through the panels' progress window, as the module links it: what
// the window shows while each page is drawn, a person's cancel (the button, Escape, the close button) taken
// between pages by the plot's event pump, the success state's delayed close and the immediate close on failure.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "cad/plot/publish_engine.h"
#include "core/interface_text.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "panels/progress_ring.h"
#include "panels/progress_window.h"
#include "plot/last_result.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "plot_job_fixture.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/layer.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "toolkit/workspace.h"
#include "ui/application_panel.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace plot_jobs_test {
namespace {

// The parts of a progress window a person sees; they outlive the window, whose controller goes with the job.
struct SeenWindow {
  std::shared_ptr<QDLApplicationPanel> panel;
  std::shared_ptr<toolkit::TextField> stage;
  std::shared_ptr<toolkit::TextField> detail;
  std::shared_ptr<toolkit::TextField> completed;
  std::shared_ptr<QDLPrintProgressRing> ring;
  std::shared_ptr<toolkit::Button> cancel;

  // The stage line, the sheet name, the pages-done line and the ring's percent.
  std::vector<std::string> lines() const {
    return {stage->stringValue(), detail->stringValue(), completed->stringValue(), ring->percentLabel()->stringValue()};
  }
};

class ProgressWindowPlotTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    foundation::UserDefaults::setRootForTesting(path("defaults"));
    clock_ = std::make_shared<foundation::ManualClock>(100.0);
    foundation::MainQueue::main().setClock(clock_);
    toolkit::Application::shared().resetForTesting();
    toolkit::Transaction::resetForTesting();
    toolkit::Workspace::shared().reset();
    linkInterfaceTextIntoCore();
    ASSERT_TRUE(QDLSetLanguagePreference("zh"));
    makeProgressWindowsWith([this](const std::weak_ptr<VexBatchPrintProgressController>& controller) {
      auto window = std::make_unique<QDLPrintProgressWindow>(controller);
      seen_.push_back({window->panel(), window->pageLabel(), window->detailLabel(), window->completedLabel(),
                       window->ring(), window->cancelButton()});
      return std::unique_ptr<VexBatchPrintProgressWindow>(std::move(window));
    });
  }
  void TearDown() override {
    vexBatchCloseProgressWindows();
    seen_.clear();
    cad::publishEngineFaults() = {};
    setInterfaceText({});
    toolkit::Workspace::shared().reset();
    toolkit::Application::shared().resetForTesting();
    foundation::UserDefaults::setRootForTesting("");
    PlotJobTest::TearDown();
  }

  // The three sheets of the sample, opened.
  std::vector<VexBatchPrintPageSpec> sheets() {
    openSample("chinese-layouts.dxf");
    std::vector<VexBatchPrintPageSpec> pages = layoutPages();
    if (pages.size() != 3) throw std::runtime_error("the sample's sheets changed");
    return pages;
  }

  // The PDF of the n-th sheet (1-based) of a split job.
  static std::string outputName(const std::vector<VexBatchPrintPageSpec>& pages, int n) {
    return "00" + std::to_string(n) + "-" + narrow(pages[n - 1].name) + ".pdf";
  }

  static nlohmann::json snapshot() {
    const std::string text = snapshotText();
    return text.empty() ? nlohmann::json() : nlohmann::json::parse(text);
  }

  // Advances the clock and runs what is due on the main queue.
  void after(double seconds) {
    clock_->advance(seconds);
    foundation::MainQueue::main().drain();
  }

  std::shared_ptr<foundation::ManualClock> clock_;
  std::vector<SeenWindow> seen_;
};

TEST_F(ProgressWindowPlotTest, TheWindowFollowsEachPageAndShowsTheSuccessFor0_8Seconds) {
  const std::vector<VexBatchPrintPageSpec> pages = sheets();
  stage(pages, false, "out");
  std::vector<std::vector<std::string>> whileDrawn;
  for (int k = 1; k <= 3; ++k) {
    onPage(k, [&] {
      ASSERT_EQ(seen_.size(), 1u);
      EXPECT_TRUE(seen_[0].panel->isVisible());
      EXPECT_TRUE(seen_[0].panel->isKeyWindow());
      EXPECT_TRUE(seen_[0].cancel->isEnabled());
      EXPECT_EQ(seen_[0].detail->toolTip(), seen_[0].detail->stringValue());
      whileDrawn.push_back(seen_[0].lines());
    });
  }

  ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
  EXPECT_EQ(whileDrawn, (std::vector<std::vector<std::string>>{
                            {"正在输出第 1 / 3 页", narrow(pages[0].name), "已处理 0 / 3 页", "0%"},
                            {"正在输出第 2 / 3 页", narrow(pages[1].name), "已处理 1 / 3 页", "33%"},
                            {"正在输出第 3 / 3 页", narrow(pages[2].name), "已处理 2 / 3 页", "66%"}}));
  EXPECT_EQ(entries(path("out")),
            (std::vector<std::string>{outputName(pages, 1), outputName(pages, 2), outputName(pages, 3)}));

  // The job has returned; the window alone keeps its controller for the success state.
  const SeenWindow& w = seen_.at(0);
  EXPECT_EQ(w.lines(), (std::vector<std::string>{"输出完成", narrow(pages[2].name), "PDF 已生成", "100%"}));
  EXPECT_EQ(w.ring->check()->opacity, 1);
  EXPECT_FALSE(w.cancel->isEnabled());
  EXPECT_TRUE(w.panel->isVisible());
  after(0.79);
  EXPECT_TRUE(w.panel->isVisible());
  EXPECT_FALSE(progressWindows().at(0).expired());
  after(0.01);
  EXPECT_FALSE(w.panel->isVisible());
  EXPECT_TRUE(progressWindows().at(0).expired());
}

// The person acts while page 2 is drawn; the pump after the page hands the act on, so page 2 is not kept.
TEST_F(ProgressWindowPlotTest, EachWayOfCancellingStopsBetweenPagesAndLeavesAResumableJob) {
  const struct {
    const char* way;
    std::function<std::string(const SeenWindow&)> act;
  } ways[] = {{"button", [](const SeenWindow& w) { return toolkit::postClick(*w.cancel); }},
              {"Escape", [](const SeenWindow& w) { return toolkit::postKey(w.panel.get(), "Escape"); }},
              {"close button", [](const SeenWindow& w) { return toolkit::postCloseButtonClick(*w.panel); }}};
  const std::vector<VexBatchPrintPageSpec> pages = sheets();
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    stage(pages, false, "out");
    restartPageCount();
    seen_.clear();
    bool keptOpenWhilePage2Drawn = false;
    onPage(2, [&] {
      ASSERT_EQ(way.act(seen_.back()), "");
      keptOpenWhilePage2Drawn = seen_.back().panel->isVisible() && seen_.back().cancel->isEnabled();
    });
    onPage(3, [] { ADD_FAILURE() << "page 3 was drawn after the cancel"; });

    EXPECT_FALSE(vexBatchPrintExecutePending());
    EXPECT_TRUE(keptOpenWhilePage2Drawn) << "the act waits for the plot's pump";
    EXPECT_TRUE(gBatchPrintLastCancelled);
    EXPECT_EQ(drawnPages(), 2);
    // Page 2's PDF never took its name, and nothing else is left beside page 1's.
    EXPECT_EQ(entries(path("out")), std::vector<std::string>{outputName(pages, 1)});
    EXPECT_EQ(workFilesLeft(), std::vector<std::string>{});

    // The window closed at once, saying it was cancelling, with no success state and nothing left to close it.
    ASSERT_EQ(seen_.size(), 1u);
    const SeenWindow& w = seen_[0];
    EXPECT_FALSE(w.panel->isVisible());
    EXPECT_EQ(w.panel->delegate(), nullptr);
    EXPECT_FALSE(w.cancel->isEnabled());
    EXPECT_EQ(w.lines(), (std::vector<std::string>{"正在安全取消…", "当前页面结束后停止。", "已处理 1 / 3 页", "33%"}));
    EXPECT_TRUE(progressWindows().back().expired());
    EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);

    const nlohmann::json saved = snapshot();
    EXPECT_EQ(saved.value("state", ""), "cancelled");
    EXPECT_EQ(saved.value("completedPageCount", 0), 1);
    ASSERT_EQ(saved["pages"].size(), 2u);
    EXPECT_EQ(saved["pages"][0].value("name", ""), narrow(pages[1].name));

    // Resumed, the job plots the two pages left and counts on from the one done.
    restartPageCount();
    std::vector<std::string> resumedAt;
    onPage(1, [&] { resumedAt = seen_.back().lines(); });
    ASSERT_TRUE(vexBatchPrintExecutePending()) << narrow(gBatchPrintLastError);
    EXPECT_EQ(drawnPages(), 2);
    EXPECT_EQ(resumedAt,
              (std::vector<std::string>{"正在输出第 2 / 3 页", narrow(pages[1].name), "已处理 1 / 3 页", "33%"}));
    EXPECT_EQ(entries(path("out")).size(), 3u);
    EXPECT_EQ(snapshotText(), "");

    vexBatchCloseProgressWindows();
    foundation::MainQueue::main().drain();
    cad::resetPublishEngine();
    ASSERT_TRUE(foundation::removeItem(path("out")));
  }
}

TEST_F(ProgressWindowPlotTest, AFailedPageClosesTheWindowAtOnce) {
  const std::vector<VexBatchPrintPageSpec> pages = sheets();
  stage(pages, false, "out");
  cad::publishEngineFaults().steps.push_back({cad::PublishStep::kEndGenerateGraphics, 2, cad::eNotApplicable});
  bool openWhilePage1Drawn = false;
  onPage(1, [&] { openWhilePage1Drawn = seen_.at(0).panel->isVisible(); });

  EXPECT_FALSE(vexBatchPrintExecutePending());
  EXPECT_EQ(gBatchPrintLastError, L"Page plotting failed: " + pages[1].name);
  EXPECT_TRUE(openWhilePage1Drawn);
  const SeenWindow& w = seen_.at(0);
  EXPECT_FALSE(w.panel->isVisible());
  EXPECT_EQ(w.ring->check()->opacity, 0);
  EXPECT_EQ(w.lines(),
            (std::vector<std::string>{"正在输出第 2 / 3 页", narrow(pages[1].name), "已处理 1 / 3 页", "33%"}));
  EXPECT_TRUE(progressWindows().at(0).expired());
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);
  EXPECT_EQ(snapshot().value("state", ""), "failed");
}

}  // namespace
}  // namespace plot_jobs_test

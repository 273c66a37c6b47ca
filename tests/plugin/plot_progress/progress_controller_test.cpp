// The progress of a plot job: its page total and count, its lines, the cancel, the success state with its delayed
// close and the immediate close otherwise, and which calls hand control to the event pump. Texts stay Simplified
// Chinese here: no interface language is linked in.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "progress_fixture.h"

namespace plot_progress_test {
namespace {

using Controller = VexBatchPrintProgressController;

bool contains(const WindowLog& log, const std::string& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

long count(const WindowLog& log, const std::string& line) { return std::count(log.begin(), log.end(), line); }

TEST_F(ProgressTest, ANewControllerCountsAtLeastOnePageAndNothingDone) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  const struct { std::int64_t given, total; } cases[] = {{0, 1}, {-5, 1}, {kMin, 1}, {1, 1}, {7, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    const auto progress = Controller::initWithTotalPages(c.given);
    EXPECT_EQ(progress->totalPages(), c.total);
    EXPECT_EQ(progress->completedPages(), 0);
    EXPECT_EQ(progress->stageText(), "正在准备打印引擎…");
    EXPECT_EQ(progress->detailText(), "");
    EXPECT_EQ(progress->completedText(), "已处理 0 / " + std::to_string(c.total) + " 页");
    EXPECT_FALSE(progress->cancelled() || progress->closing() || progress->succeeded());
    EXPECT_EQ(progress->window(), nullptr);
  }
}

TEST_F(ProgressTest, TheWindowStartsWithThePreparingLineAndNoPagesDoneAndIsNotShown) {
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(3);
  ASSERT_NE(progress->window(), nullptr);
  EXPECT_EQ(*log, (WindowLog{"stage 正在准备打印引擎…", "ring 0/3", "completed 已处理 0 / 3 页", "display"}));
}

TEST_F(ProgressTest, APageNumberIsClampedToTheTotalAndCountsThePagesBeforeIt) {
  const struct {
    std::int64_t page;
    const char* stage;
    std::int64_t completed;
  } cases[] = {{0, "正在输出第 1 / 5 页", 0},
               {-3, "正在输出第 1 / 5 页", 0},
               {std::numeric_limits<std::int64_t>::min(), "正在输出第 1 / 5 页", 0},
               {3, "正在输出第 3 / 5 页", 2},
               {5, "正在输出第 5 / 5 页", 4},
               {7, "正在输出第 5 / 5 页", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const auto log = recordWindows();
    const auto progress = Controller::initWithTotalPages(5);
    log->clear();
    progress->updatePage(c.page, "A3 图框 03");
    EXPECT_EQ(progress->stageText(), c.stage);
    EXPECT_EQ(progress->completedPages(), c.completed);
    EXPECT_EQ(progress->detailText(), "A3 图框 03");
    // The name goes into the line and its tooltip; the window redraws once the count and lines are set.
    EXPECT_EQ(std::vector<std::string>(log->end() - 4, log->end()),
              (WindowLog{std::string("stage ") + c.stage, "detail A3 图框 03", "tooltip A3 图框 03", "display"}));
  }
}

TEST_F(ProgressTest, ASheetWithoutANameIsShownAsUnnamed) {
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(2);
  progress->updatePage(1, "");
  EXPECT_EQ(progress->detailText(), "未命名页面");
  EXPECT_TRUE(contains(*log, "tooltip 未命名页面"));
}

TEST_F(ProgressTest, ThePagesDoneOnlyRiseAndStayWithinTheTotal) {
  const auto progress = Controller::initWithTotalPages(4);
  const struct { std::int64_t count, completed; } steps[] = {{2, 2}, {1, 2}, {-1, 2}, {0, 2}, {9, 4}, {3, 4}};
  for (const auto& s : steps) {
    progress->completePages(s.count);
    EXPECT_EQ(progress->completedPages(), s.completed) << s.count;
  }
  EXPECT_EQ(progress->completedText(), "已处理 4 / 4 页");
  const auto fresh = Controller::initWithTotalPages(4);
  fresh->completePages(-1);
  EXPECT_EQ(fresh->completedPages(), 0);
  fresh->completePages(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(fresh->completedPages(), 4);
}

TEST_F(ProgressTest, ACancelStopsThePageAndStageLinesButNotTheCount) {
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(4);
  progress->updatePage(2, "第二页");
  log->clear();
  progress->cancelPrinting();
  EXPECT_TRUE(progress->cancelled());
  EXPECT_FALSE(progress->closing());
  EXPECT_EQ(*log, (WindowLog{"cancel off", "stage 正在安全取消…", "detail 当前页面结束后停止。", "display"}));

  log->clear();
  progress->updatePage(3, "第三页");
  progress->showStage("正在校验 PDF…");
  EXPECT_TRUE(log->empty());
  EXPECT_EQ(progress->stageText(), "正在安全取消…");
  EXPECT_EQ(progress->detailText(), "当前页面结束后停止。");
  EXPECT_EQ(progress->completedPages(), 1);
  // The page under way still finishes and counts.
  progress->completePages(2);
  EXPECT_EQ(progress->completedPages(), 2);
  EXPECT_TRUE(contains(*log, "ring 2/4"));
}

TEST_F(ProgressTest, TheCloseButtonCancelsWhileTheJobRunsAndNeverClosesTheWindowItself) {
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(2);
  EXPECT_FALSE(progress->windowShouldClose());
  EXPECT_TRUE(progress->cancelled());
  EXPECT_FALSE(progress->closing());
  EXPECT_FALSE(contains(*log, "close"));
  EXPECT_EQ(progress->stageText(), "正在安全取消…");
}

// Every ending that is not a whole, uncancelled success closes the window at once.
TEST_F(ProgressTest, OnlyASuccessWithEveryPageDoneAndNoCancelShowsTheSuccessState) {
  const struct {
    const char* name;
    bool ok;
    std::int64_t done;
    bool cancel;
    bool success;
  } cases[] = {{"whole success", true, 3, false, true},
               {"a page short", true, 2, false, false},
               {"failed", false, 3, false, false},
               {"cancelled", true, 3, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto log = recordWindows();
    const auto progress = Controller::initWithTotalPages(3);
    progress->completePages(c.done);
    if (c.cancel) progress->cancelPrinting();
    log->clear();
    progress->finishWithSuccess(c.ok);
    EXPECT_TRUE(progress->closing());
    EXPECT_EQ(progress->succeeded(), c.success);
    if (c.success) {
      EXPECT_EQ(*log, (WindowLog{"cancel off", "stage 输出完成", "completed PDF 已生成", "ring success", "display"}));
    } else {
      EXPECT_EQ(*log, WindowLog{"close"});
    }
  }
}

TEST_F(ProgressTest, TheSuccessStateClosesItself0_8SecondsLaterKeepingItsControllerAliveUntilThen) {
  const auto log = recordWindows();
  auto progress = Controller::initWithTotalPages(2);
  progress->completePages(2);
  progress->finishWithSuccess(true);
  const std::weak_ptr<Controller> weak = progress;
  progress.reset();  // the job is done with it

  after(0.79);
  ASSERT_FALSE(weak.expired());
  EXPECT_FALSE(contains(*log, "close"));
  after(0.01);
  EXPECT_EQ(count(*log, "close"), 1);
  EXPECT_TRUE(weak.expired());
}

TEST_F(ProgressTest, DuringTheSuccessStateEverythingButTheCloseButtonIsIgnored) {
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(2);
  progress->completePages(2);
  progress->finishWithSuccess(true);
  log->clear();

  progress->updatePage(1, "x");
  progress->showStage("y");
  progress->completePages(0);
  progress->cancelPrinting();  // the button and Escape
  progress->finishWithSuccess(false);
  EXPECT_TRUE(log->empty());
  EXPECT_FALSE(progress->cancelled());
  EXPECT_EQ(progress->stageText(), "输出完成");

  // The close button closes at once; the delayed close then finds nothing left to do.
  EXPECT_FALSE(progress->windowShouldClose());
  EXPECT_EQ(*log, WindowLog{"close"});
  after(1);
  EXPECT_EQ(*log, WindowLog{"close"});
  EXPECT_TRUE(progress->succeeded());
}

TEST_F(ProgressTest, AControllerLetGoWithItsWindowOpenClosesIt) {
  const auto log = recordWindows();
  auto progress = Controller::initWithTotalPages(2);
  progress->show();
  progress.reset();
  EXPECT_EQ(count(*log, "close"), 1);

  // One finished already closes nothing more.
  const auto again = recordWindows();
  progress = Controller::initWithTotalPages(2);
  progress->finish();
  progress.reset();
  EXPECT_EQ(count(*again, "close"), 1);
}

TEST_F(ProgressTest, UnloadingClosesASuccessStateAtOnceAndLeavesNothingOnTheMainQueue) {
  const auto log = recordWindows();
  auto progress = Controller::initWithTotalPages(1);
  progress->completePages(1);
  progress->finishWithSuccess(true);
  const std::weak_ptr<Controller> weak = progress;
  progress.reset();
  ASSERT_EQ(foundation::MainQueue::main().pendingCount(), 1u);

  vexBatchCloseProgressWindows();
  EXPECT_EQ(count(*log, "close"), 1);
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);
}

// The plot loops give the user control only through the calls that pump: show, stages and pages.
TEST_F(ProgressTest, OnlyShowStagesAndPagesPumpEvents) {
  toolkit::Application& app = toolkit::Application::shared();
  const auto log = recordWindows();
  const auto progress = Controller::initWithTotalPages(3);
  const struct {
    const char* call;
    std::function<void()> run;
    long pumps;
  } calls[] = {{"show", [&] { progress->show(); }, 1},
               {"showStage", [&] { progress->showStage("正在合并 PDF…"); }, 1},
               {"updatePage", [&] { progress->updatePage(2, "b"); }, 1},
               {"completePages", [&] { progress->completePages(2); }, 0},
               {"cancelPrinting", [&] { progress->cancelPrinting(); }, 0},
               {"finishWithSuccess", [&] { progress->finishWithSuccess(true); }, 0}};
  for (const auto& c : calls) {
    SCOPED_TRACE(c.call);
    const long updates = app.updateWindowsCount(), polls = app.pollCount();
    c.run();
    // Each pump updates the windows before and after, and polls the (empty) queue once.
    EXPECT_EQ(app.updateWindowsCount() - updates, 2 * c.pumps);
    EXPECT_EQ(app.pollCount() - polls, c.pumps);
  }
  EXPECT_EQ(std::vector<std::string>(log->begin() + 4, log->begin() + 6), (WindowLog{"present", "display"}));
  // A stage hands its layer changes on at once.
  EXPECT_TRUE(contains(*log, "flush"));
}

TEST_F(ProgressTest, WithoutAWindowAJobStillCountsAndCanBeCancelled) {
  const auto progress = Controller::initWithTotalPages(3);
  progress->show();
  progress->updatePage(2, "b");
  progress->cancelPrinting();
  progress->completePages(2);
  progress->finishWithSuccess(true);
  EXPECT_TRUE(progress->cancelled());
  EXPECT_TRUE(progress->closing());
  EXPECT_FALSE(progress->succeeded());
  EXPECT_EQ(progress->completedPages(), 2);
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 0u);
}

}  // namespace
}  // namespace plot_progress_test

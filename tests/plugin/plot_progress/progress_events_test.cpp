// The event pump between pages: a bounded number of events already queued, no waiting, nothing off the main
// thread, and nothing a window's handler raises reaching the plot.

#include <stdexcept>
#include <thread>

#include "plot/progress_events.h"
#include "progress_fixture.h"
#include "toolkit/button.h"
#include "toolkit/window.h"

namespace plot_progress_test {
namespace {

class PumpTest : public ProgressTest {
 protected:
  void SetUp() override {
    ProgressTest::SetUp();
    window_ = std::make_shared<toolkit::Window>(toolkit::Rect{100, 100, 200, 100}, toolkit::window_style::titled);
    button_ = toolkit::Button::buttonWithTitle("Cancel", [this](toolkit::Control&) { ++presses_; });
    button_->setKeyEquivalent(toolkit::key::escape);
    button_->setFrame({10, 10, 80, 24});
    window_->contentView()->addSubview(button_);
    window_->makeKeyAndOrderFront();
  }
  void post(int events, double timestamp = 0) {
    for (int i = 0; i < events; ++i) {
      toolkit::Event escape = toolkit::Event::keyDown(window_->windowNumber(), toolkit::key::escape);
      escape.setTimestamp(timestamp);
      toolkit::Application::shared().postEvent(escape);
    }
  }

  std::shared_ptr<toolkit::Window> window_;
  std::shared_ptr<toolkit::Button> button_;
  int presses_ = 0;
};

TEST_F(PumpTest, EachCallHandsOnAtMost24QueuedEventsBetweenTwoWindowUpdates) {
  toolkit::Application& app = toolkit::Application::shared();
  post(30);
  const long updates = app.updateWindowsCount();
  vexBatchPumpProgressEvents();
  EXPECT_EQ(presses_, 24);
  EXPECT_EQ(app.pendingEventCount(), 6u);
  EXPECT_EQ(app.updateWindowsCount(), updates + 2);
  vexBatchPumpProgressEvents();
  EXPECT_EQ(presses_, 30);
  EXPECT_EQ(app.pendingEventCount(), 0u);
}

TEST_F(PumpTest, ItNeverWaitsForAnEvent) {
  toolkit::Application& app = toolkit::Application::shared();
  // Nothing queued, and an event of a moment still to come: each call returns at once, the clock where it was.
  vexBatchPumpProgressEvents();
  post(1, clock_->now() + 10);
  vexBatchPumpProgressEvents();
  EXPECT_EQ(presses_, 0);
  EXPECT_EQ(app.pendingEventCount(), 1u);
  EXPECT_EQ(clock_->now(), 100.0);
  clock_->advance(10);
  vexBatchPumpProgressEvents();
  EXPECT_EQ(presses_, 1);
}

TEST_F(PumpTest, OffTheMainThreadItDoesNothing) {
  toolkit::Application& app = toolkit::Application::shared();
  post(3);
  const long updates = app.updateWindowsCount(), polls = app.pollCount();
  std::thread(vexBatchPumpProgressEvents).join();
  EXPECT_EQ(presses_, 0);
  EXPECT_EQ(app.pendingEventCount(), 3u);
  EXPECT_EQ(app.updateWindowsCount(), updates);
  EXPECT_EQ(app.pollCount(), polls);
}

TEST_F(PumpTest, AHandlerThatFailsEndsOnlyThisCall) {
  toolkit::Application& app = toolkit::Application::shared();
  button_->setAction([this](toolkit::Control&) {
    if (++presses_ == 2) throw std::runtime_error("a window's fault");
  });
  post(4);
  const long updates = app.updateWindowsCount();
  EXPECT_NO_THROW(vexBatchPumpProgressEvents());
  EXPECT_EQ(presses_, 2);
  EXPECT_EQ(app.updateWindowsCount(), updates + 2);
  vexBatchPumpProgressEvents();
  EXPECT_EQ(presses_, 4);
}

}  // namespace
}  // namespace plot_progress_test

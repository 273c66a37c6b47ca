// The event queue and its pump: a limit per call, nothing waited for, events routed to their windows.

#include <stdexcept>
#include <thread>

#include "toolkit/button.h"
#include "toolkit/user_actions.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

class EventsTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    window_ = shownWindow(200, 100);
    button_ = Button::buttonWithTitle("Cancel", [this](Control&) { ++presses_; });
    button_->setKeyEquivalent(key::escape);
    button_->setFrame({10, 10, 80, 24});
    window_->contentView()->addSubview(button_);
  }
  Event escape() const { return Event::keyDown(window_->windowNumber(), key::escape); }

  std::shared_ptr<Window> window_;
  std::shared_ptr<Button> button_;
  int presses_ = 0;
};

TEST_F(EventsTest, ThePumpTakesAtMostItsLimitAndStopsAtTheFirstEmptyPoll) {
  Application& app = Application::shared();
  for (int i = 0; i < 30; ++i) app.postEvent(escape());
  EXPECT_EQ(app.pumpEvents(24), 24u);
  EXPECT_EQ(presses_, 24);
  EXPECT_EQ(app.pendingEventCount(), 6u);
  const long polls = app.pollCount();
  EXPECT_EQ(app.pumpEvents(24), 6u);
  EXPECT_EQ(app.pollCount(), polls + 7);  // six events, then one empty poll
  EXPECT_EQ(app.pumpEvents(24), 0u);
}

TEST_F(EventsTest, EventsNewerThanThePumpsMomentWaitWithoutBlockingIt) {
  Application& app = Application::shared();
  Event later = escape();
  later.setTimestamp(clock_->now() + 5);
  app.postEvent(later);
  app.postEvent(escape());
  // The older event behind it is taken; the newer one stays queued, and the pump returns at once.
  EXPECT_EQ(app.pumpEvents(24), 1u);
  EXPECT_EQ(app.pendingEventCount(), 1u);
  clock_->advance(5);
  EXPECT_EQ(app.pumpEvents(24), 1u);
  EXPECT_EQ(presses_, 2);
}

TEST_F(EventsTest, ThePumpDoesNothingOffTheMainThread) {
  Application& app = Application::shared();
  app.postEvent(escape());
  std::size_t delivered = 99;
  std::thread([&] { delivered = app.pumpEvents(24); }).join();
  EXPECT_EQ(delivered, 0u);
  EXPECT_EQ(app.pendingEventCount(), 1u);
}

TEST_F(EventsTest, AnActionThatPumpsAgainSeesOnlyTheEventsStillQueued) {
  Application& app = Application::shared();
  std::vector<std::size_t> nested;
  button_->setAction([&](Control&) {
    ++presses_;
    if (presses_ == 1) nested.push_back(app.pumpEvents(24));
    EXPECT_NE(app.currentEvent(), nullptr);
  });
  for (int i = 0; i < 3; ++i) app.postEvent(escape());
  EXPECT_EQ(app.pumpEvents(24), 1u);  // the nested pump took the other two
  EXPECT_EQ(nested, (std::vector<std::size_t>{2}));
  EXPECT_EQ(presses_, 3);
  EXPECT_EQ(app.currentEvent(), nullptr);
}

TEST_F(EventsTest, EventsForHiddenOrMissingWindowsAreDroppedAndModalRunsKeepOthersOut) {
  Application& app = Application::shared();
  window_->orderOut();
  app.postEvent(escape());
  app.postEvent(Event::keyDown(9999, key::escape));
  EXPECT_EQ(app.pumpEvents(24), 2u);
  EXPECT_EQ(presses_, 0);
  window_->makeKeyAndOrderFront();
  auto modal = std::make_shared<Panel>(Rect{0, 0, 100, 100}, window_style::titled);
  ModalResponder::shared().setInteractiveHandler([&](Window&) {
    app.postEvent(escape());
    app.pumpEvents(24);
    app.stopModal(7);
  });
  EXPECT_EQ(app.runModalForWindow(*modal, 0), 7);
  EXPECT_EQ(presses_, 0);
  EXPECT_FALSE(modal->isVisible());
}

TEST_F(EventsTest, ThePollCanRunDueMainQueueWorkWhenAsked) {
  Application& app = Application::shared();
  int ran = 0;
  foundation::dispatchAsync([&] { ++ran; });
  app.pumpEvents(24);
  EXPECT_EQ(ran, 0);
  app.setPollRunsMainQueue(true);
  app.pumpEvents(24);
  EXPECT_EQ(ran, 1);
}

// A person acting while the program is busy: the events wait for the program's next pump.
TEST_F(EventsTest, PostedActionsWaitForTheNextPump) {
  Application& app = Application::shared();
  struct Closing : WindowDelegate {
    int asked = 0;
    bool windowShouldClose(Window&) override { return ++asked, false; }
  } closing;
  window_->setDelegate(&closing);
  EXPECT_EQ(postClick(*button_), "");
  EXPECT_EQ(postKey(window_.get(), "Escape"), "");
  EXPECT_EQ(postCloseButtonClick(*window_), "");
  EXPECT_EQ(presses_, 0);
  EXPECT_EQ(closing.asked, 0);
  app.pumpEvents(24);
  EXPECT_EQ(presses_, 2);
  EXPECT_EQ(closing.asked, 1);
  window_->setDelegate(nullptr);

  // What cannot be done queues nothing.
  EXPECT_NE(postKey(window_.get(), "NoSuchKey"), "");
  button_->setHidden(true);
  EXPECT_NE(postClick(*button_), "");
  window_->orderOut();
  EXPECT_NE(postKey(window_.get(), "Escape"), "");
  EXPECT_EQ(app.pendingEventCount(), 0u);
}

// A script acting for a person at the program's pump: what it posts is taken by that pump; the pumps its own
// acts start do not call it again.
TEST_F(EventsTest, ThePumpObserverActsAsEachPumpStarts) {
  Application& app = Application::shared();
  int observed = 0;
  std::vector<std::string> replies;
  app.setPumpObserver([&] {
    ++observed;
    replies.push_back(clickView(*button_));  // pumps on its own
    replies.push_back(postKey(window_.get(), "Escape"));
  });
  EXPECT_EQ(app.pumpEvents(24), 1u);
  EXPECT_EQ(observed, 1);
  EXPECT_EQ(replies, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(presses_, 2);
  std::thread([&] { app.pumpEvents(24); }).join();
  EXPECT_EQ(observed, 1);

  // An observer that throws leaves the next pump observed again.
  app.setPumpObserver([&] {
    ++observed;
    throw std::runtime_error("script failed");
  });
  EXPECT_THROW(app.pumpEvents(24), std::runtime_error);
  EXPECT_THROW(app.pumpEvents(24), std::runtime_error);
  EXPECT_EQ(observed, 3);
  app.setPumpObserver(nullptr);
  EXPECT_EQ(app.pumpEvents(24), 0u);
}

TEST_F(EventsTest, ScrollEventsCarryTheirLowLevelFieldsAndCopiesCanFail) {
  const Event wheel = Event::scrollWheel(window_->windowNumber(), {50, 50}, 30, -20);
  ASSERT_TRUE(wheel.lowLevelEvent());
  EXPECT_EQ(wheel.scrollingDeltaY(), 30);
  EXPECT_EQ(wheel.scrollingDeltaX(), -20);
  auto copy = wheel.lowLevelEvent()->copy();
  ASSERT_TRUE(copy);
  copy->setIntegerValueField(LowLevelEvent::kPointDeltaAxis1, -30);
  const Event reversed = Event::fromLowLevelEvent(copy);
  EXPECT_EQ(reversed.type(), EventType::scrollWheel);
  EXPECT_EQ(reversed.scrollingDeltaY(), -30);
  EXPECT_EQ(reversed.windowNumber(), window_->windowNumber());
  EXPECT_EQ(wheel.scrollingDeltaY(), 30);  // the original is untouched
  wheel.lowLevelEvent()->setCopyFails(true);
  EXPECT_EQ(wheel.lowLevelEvent()->copy(), nullptr);
  EXPECT_EQ(Event::keyDown(1, "a").lowLevelEvent(), nullptr);
}

}  // namespace
}  // namespace toolkit_test

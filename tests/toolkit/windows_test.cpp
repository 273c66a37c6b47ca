// Windows and the application: ordering, key status, active-state notifications, closing, first responders
// and saved frames.

#include <cstdio>
#include <vector>

#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

std::shared_ptr<Window> window(const std::string& id, unsigned style = window_style::titled) {
  auto w = std::make_shared<Window>(Rect{0, 0, 200, 100}, style);
  w->setIdentifier(id);
  return w;
}

std::vector<std::string> ids(const std::vector<Window*>& windows) {
  std::vector<std::string> out;
  for (Window* w : windows) out.push_back(w->identifier());
  return out;
}

using Ids = std::vector<std::string>;

class WindowsTest : public ToolkitTest {};

TEST_F(WindowsTest, WindowsAreListedInCreationOrderAndFrontToBack) {
  auto a = window("a"), b = window("b"), c = window("c");
  Application& app = Application::shared();
  EXPECT_EQ(ids(app.windows()), (Ids{"a", "b", "c"}));
  EXPECT_TRUE(app.orderedWindows().empty());  // none shown yet
  a->orderFront();
  c->orderFront();
  b->orderFront();
  EXPECT_EQ(ids(app.orderedWindows()), (Ids{"b", "c", "a"}));
  a->orderFront();
  EXPECT_EQ(ids(app.orderedWindows()), (Ids{"a", "b", "c"}));
  // A higher level stays in front of windows ordered front later.
  c->setLevel(window_level::floating);
  a->orderFront();
  EXPECT_EQ(ids(app.orderedWindows()), (Ids{"c", "a", "b"}));
  // Hidden, miniaturised and closed windows leave the ordered list but stay in the window list.
  b->orderOut();
  c->miniaturize();
  EXPECT_EQ(ids(app.orderedWindows()), (Ids{"a"}));
  a->close();
  EXPECT_TRUE(app.orderedWindows().empty());
  EXPECT_EQ(app.windows().size(), 3u);
  c.reset();
  EXPECT_EQ(ids(app.windows()), (Ids{"a", "b"}));
}

TEST_F(WindowsTest, KeyStatusFollowsTheFrontWindowAndPassesOnWhenItGoes) {
  auto a = window("a"), b = window("b"), borderless = window("x", window_style::borderless);
  Application& app = Application::shared();
  a->makeKeyAndOrderFront();
  b->orderFront();
  EXPECT_TRUE(a->isKeyWindow());  // ordering front does not make key
  b->makeKeyAndOrderFront();
  EXPECT_EQ(app.keyWindow(), b.get());
  borderless->makeKeyAndOrderFront();
  EXPECT_EQ(app.keyWindow(), b.get());  // a borderless window cannot become key
  b->orderOut();
  EXPECT_EQ(app.keyWindow(), a.get());
  a->miniaturize();
  EXPECT_EQ(app.keyWindow(), nullptr);
  a->deminiaturize();
  EXPECT_TRUE(a->isVisible());
  EXPECT_FALSE(a->isKeyWindow());
  // Made key and ordered front, a miniaturised window comes back as well.
  a->miniaturize();
  a->makeKeyAndOrderFront();
  EXPECT_FALSE(a->isMiniaturized());
  EXPECT_TRUE(a->isVisible());
  EXPECT_TRUE(a->isKeyWindow());
}

TEST_F(WindowsTest, ActiveStateNotificationsComeInOrderAndOnlyOnChange) {
  Application& app = Application::shared();
  std::vector<std::string> heard;
  auto& center = foundation::NotificationCenter::defaultCenter();
  foundation::ScopedObserver resign(center, center.addObserver(kApplicationWillResignActiveNotification, &app,
                                                                [&](const foundation::Notification&) {
                                                                  // Still active while it is told it will resign.
                                                                  heard.push_back(app.isActive() ? "resign-while-active"
                                                                                                 : "resign-late");
                                                                }));
  foundation::ScopedObserver become(center, center.addObserver(kApplicationDidBecomeActiveNotification, &app,
                                                                [&](const foundation::Notification&) {
                                                                  heard.push_back(app.isActive() ? "became" : "early");
                                                                }));
  app.resignActive();
  app.resignActive();
  app.activate();
  app.activateIgnoringOtherApps(true);
  EXPECT_EQ(heard, (Ids{"resign-while-active", "became"}));
  EXPECT_EQ(app.activationCount(), 2);
}

TEST_F(WindowsTest, WindowsThatHideOnDeactivationComeBackWhenTheApplicationIsActiveAgain) {
  Application& app = Application::shared();
  auto panel = std::make_shared<Panel>(Rect{0, 0, 100, 100}, window_style::titled);
  auto kept = std::make_shared<Panel>(Rect{0, 0, 100, 100}, window_style::titled);
  kept->setHidesOnDeactivate(false);
  auto document = window("document");
  panel->orderFront();
  kept->orderFront();
  document->orderFront();
  bool visibleWhenTold = false;
  auto& center = foundation::NotificationCenter::defaultCenter();
  foundation::ScopedObserver observer(center, center.addObserver(kApplicationWillResignActiveNotification, &app,
                                                                  [&](const foundation::Notification&) {
                                                                    visibleWhenTold = panel->isVisible();
                                                                  }));
  app.resignActive();
  EXPECT_TRUE(visibleWhenTold);
  EXPECT_FALSE(panel->isVisible());  // a panel hides by default
  EXPECT_TRUE(kept->isVisible());
  EXPECT_TRUE(document->isVisible());
  app.becomeActive();
  EXPECT_TRUE(panel->isVisible());
  // One that the program orders out while the application is inactive stays out.
  app.resignActive();
  panel->orderOut();
  app.becomeActive();
  EXPECT_FALSE(panel->isVisible());
}

// A subclass that wraps orderOut, as the plug-in's panels do, and can still reach the base version.
class TrackingPanel : public Panel {
 public:
  using Panel::Panel;
  void orderOut(Responder* sender) override {
    ++ownOrderOuts;
    Panel::orderOut(sender);
  }
  void hideQuietly() { Window::orderOut(nullptr); }
  int ownOrderOuts = 0;
};

TEST_F(WindowsTest, OverridesWrapTheBaseAndTheBaseStaysCallable) {
  TrackingPanel panel(Rect{0, 0, 100, 100}, window_style::titled);
  panel.makeKeyAndOrderFront();
  panel.hideQuietly();
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(panel.ownOrderOuts, 0);
  panel.orderFront();
  static_cast<Window&>(panel).orderOut();
  EXPECT_EQ(panel.ownOrderOuts, 1);
  EXPECT_TRUE(panel.hidesOnDeactivate());  // a panel's default
}

class RefusingDelegate : public WindowDelegate {
 public:
  bool windowShouldClose(Window&) override {
    ++asked;
    return allow;
  }
  void windowDidResize(Window& w) override { sizes.push_back(w.frame().size); }
  bool allow = false;
  int asked = 0;
  std::vector<Size> sizes;
};

TEST_F(WindowsTest, TheCloseButtonAsksTheDelegateAndCloseDoesNot) {
  auto w = shownWindow();
  RefusingDelegate delegate;
  w->setDelegate(&delegate);
  EXPECT_EQ(pressCloseButton(*w), "");
  EXPECT_EQ(delegate.asked, 1);
  EXPECT_TRUE(w->isVisible());
  delegate.allow = true;
  EXPECT_EQ(pressCloseButton(*w), "");
  EXPECT_FALSE(w->isVisible());
  w->makeKeyAndOrderFront();
  w->close();
  EXPECT_EQ(delegate.asked, 2);
  // Without a close button there is nothing to press, and performClose beeps.
  auto plain = std::make_shared<Window>(Rect{0, 0, 100, 100}, window_style::titled);
  plain->makeKeyAndOrderFront();
  EXPECT_NE(pressCloseButton(*plain), "");
  const long beeps = beepCount();
  plain->performClose();
  EXPECT_EQ(beepCount(), beeps + 1);
  EXPECT_TRUE(plain->isVisible());
  w->setDelegate(nullptr);
}

TEST_F(WindowsTest, FramesContentAndMinimumSize) {
  auto w = std::make_shared<Window>(Rect{10, 20, 300, 200}, window_style::titled | window_style::resizable);
  RefusingDelegate delegate;
  w->setDelegate(&delegate);
  EXPECT_EQ(w->frame(), (Rect{10, 20, 300, 228}));  // the title bar is 28 high
  EXPECT_EQ(w->contentView()->frame(), (Rect{0, 0, 300, 200}));
  w->setContentMinSize({400, 150});
  EXPECT_EQ(w->contentRect().size, (Size{400, 200}));
  w->setFrame({0, 0, 100, 100});
  EXPECT_EQ(w->contentRect().size, (Size{400, 150}));
  EXPECT_EQ(w->contentView()->frame().size, (Size{400, 150}));
  EXPECT_EQ(delegate.sizes.size(), 2u);
  // A full-size content view runs under the title bar.
  auto full = std::make_shared<Window>(Rect{0, 0, 300, 200}, window_style::titled | window_style::fullSizeContentView);
  EXPECT_EQ(full->frame().height(), 200);
  w->center();
  EXPECT_EQ(w->centerCount(), 1);
  EXPECT_NEAR(w->frame().midX(), mainScreenVisibleFrame().midX(), 0.5);
  w->setDelegate(nullptr);
}

TEST_F(WindowsTest, AnAutosavedFrameComesBackInTheNextWindowOfThatName) {
  {
    auto w = std::make_shared<Window>(Rect{10, 20, 300, 200}, window_style::titled);
    EXPECT_FALSE(w->setFrameAutosaveName("Main"));
    w->setFrame({50, 60, 320, 240});
  }
  auto again = std::make_shared<Window>(Rect{0, 0, 100, 100}, window_style::titled);
  EXPECT_TRUE(again->setFrameAutosaveName("Main"));
  EXPECT_EQ(again->frame(), (Rect{50, 60, 320, 240}));
  // A damaged saved frame is ignored.
  foundation::UserDefaults::standard().setString("50 60 wide", "WindowFrame Other");
  auto other = std::make_shared<Window>(Rect{0, 0, 100, 100}, window_style::titled);
  EXPECT_FALSE(other->setFrameAutosaveName("Other"));
  EXPECT_EQ(other->frame().width(), 100);
}

TEST_F(WindowsTest, ARestoredFrameIsKeptOnTheScreenAndWithinTheWindowsSizes) {
  const Rect screen = mainScreenVisibleFrame();
  const struct {
    const char* saved;
    Rect restored;
  } cases[] = {
      {"100 100 420 240", {100, 100, 420, 240}},                     // as saved
      {"0 0 99999999 600", {0, 0, screen.width(), 600}},             // wider than the screen
      {"-50000 90000 420 240", {0, screen.maxY() - 240, 420, 240}},  // off its top-left corner
      {"5000 -700 420 240", {screen.maxX() - 420, 0, 420, 240}},     // off its bottom-right corner
      {"10 10 200 100", {10, 10, 400, 178}},                         // below the minimum
      {"10 10 900 800", {10, 10, 900, 728}},                         // beyond the maximum
      {"-10 -10 2000 99999", {0, 0, screen.width(), 728}},           // everything at once
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.saved);
    foundation::UserDefaults::standard().setString(c.saved, "WindowFrame Limited");
    auto w = std::make_shared<Window>(Rect{0, 0, 500, 300}, window_style::titled | window_style::resizable);
    w->setContentMinSize({400, 150});
    w->setContentMaxSize({2000, 700});
    EXPECT_TRUE(w->setFrameAutosaveName("Limited"));
    EXPECT_EQ(w->frame(), c.restored);
    // What is saved again is the frame the window took.
    char kept[128];
    std::snprintf(kept, sizeof kept, "%.17g %.17g %.17g %.17g", c.restored.minX(), c.restored.minY(),
                  c.restored.width(), c.restored.height());
    EXPECT_EQ(foundation::UserDefaults::standard().stringForKey("WindowFrame Limited").value_or(""), kept);
  }
}

class Stubborn : public View {
 public:
  bool acceptsFirstResponder() const override { return true; }
  bool becomeFirstResponder() override { return willBecome; }
  bool resignFirstResponder() override { return willResign; }
  bool willBecome = true;
  bool willResign = true;
};

TEST_F(WindowsTest, AFirstResponderMayRefuseToGoOrToCome) {
  auto w = shownWindow();
  auto a = std::make_shared<Stubborn>(), b = std::make_shared<Stubborn>();
  w->contentView()->addSubview(a);
  w->contentView()->addSubview(b);
  EXPECT_TRUE(w->makeFirstResponder(a.get()));
  a->willResign = false;
  EXPECT_FALSE(w->makeFirstResponder(b.get()));
  EXPECT_FALSE(w->makeFirstResponder(nullptr));
  EXPECT_EQ(w->firstResponder(), a.get());
  a->willResign = true;
  b->willBecome = false;
  EXPECT_FALSE(w->makeFirstResponder(b.get()));
  EXPECT_EQ(w->firstResponder(), nullptr);  // the window itself
  // A view that leaves the window stops being its first responder.
  b->willBecome = true;
  EXPECT_TRUE(w->makeFirstResponder(b.get()));
  b->removeFromSuperview();
  EXPECT_EQ(w->firstResponder(), nullptr);
  // A view of another window is refused.
  auto other = shownWindow();
  auto c = std::make_shared<Stubborn>();
  other->contentView()->addSubview(c);
  EXPECT_FALSE(w->makeFirstResponder(c.get()));
}

}  // namespace
}  // namespace toolkit_test

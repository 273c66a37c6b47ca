// The plug-in's panel class: its window behaviour, hiding with the host and coming back, relocalising, and the
// reversed wheel scrolling on the low-level event's own fields.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "kit_fixture.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/event.h"
#include "toolkit/scroll_view.h"
#include "ui/application_panel.h"
#include "ui/reverse_scroll.h"

namespace ui_test {
namespace {

using toolkit::Event;
using toolkit::EventType;
using toolkit::LowLevelEvent;
using toolkit::Point;
using toolkit::Rect;

constexpr unsigned kStyle = toolkit::window_style::titled | toolkit::window_style::closable |
                            toolkit::window_style::miniaturizable | toolkit::window_style::resizable;

class ApplicationPanelTest : public KitTest {
 protected:
  std::shared_ptr<QDLApplicationPanel> panel() {
    auto p = std::make_shared<QDLApplicationPanel>(Rect{200, 200, 400, 300}, kStyle);
    QDLConfigureApplicationPanel(*p);
    return p;
  }
  static toolkit::Application& app() { return toolkit::Application::shared(); }
};

TEST_F(ApplicationPanelTest, ConfigureGivesTheNormalLevelAndManagedBehaviour) {
  QDLApplicationPanel p({0, 0, 300, 200}, kStyle);
  p.setFloatingPanel(true);
  p.setCollectionBehavior(toolkit::collection_behavior::canJoinAllSpaces);
  QDLConfigureApplicationPanel(p);
  EXPECT_FALSE(p.isFloatingPanel());
  EXPECT_EQ(p.level(), toolkit::window_level::normal);
  EXPECT_FALSE(p.hidesOnDeactivate());
  EXPECT_EQ(p.collectionBehavior(), 4u);
  EXPECT_FALSE(p.restoreAfterActivation());
}

TEST_F(ApplicationPanelTest, HidesWithTheHostAndComesBackInFrontButNotKey) {
  auto p = panel();
  auto other = panel();
  other->makeKeyAndOrderFront();
  p->makeKeyAndOrderFront();
  ASSERT_TRUE(p->isKeyWindow());

  app().resignActive();
  EXPECT_FALSE(p->isVisible());
  EXPECT_TRUE(p->restoreAfterActivation());

  app().becomeActive();
  EXPECT_TRUE(p->isVisible());
  EXPECT_FALSE(p->restoreAfterActivation());
  EXPECT_FALSE(p->isKeyWindow());
  EXPECT_TRUE(other->isVisible());

  // Another round works the same.
  app().resignActive();
  app().becomeActive();
  EXPECT_TRUE(p->isVisible());
}

TEST_F(ApplicationPanelTest, StatesThatTheHostsActivationLeavesAlone) {
  struct Case {
    const char* name;
    void (*prepare)(QDLApplicationPanel&);        // before the host resigns
    void (*whileInactive)(QDLApplicationPanel&);  // while it is inactive
    bool visibleAfter;
    bool miniaturizedAfter;
  };
  const Case cases[] = {
      {"miniaturised stays in the Dock", [](QDLApplicationPanel& p) { p.miniaturize(); }, [](QDLApplicationPanel&) {},
       false, true},
      {"hidden before stays hidden", [](QDLApplicationPanel& p) { p.orderOut(); }, [](QDLApplicationPanel&) {}, false,
       false},
      {"hidden by the plug-in while inactive stays hidden", [](QDLApplicationPanel&) {},
       [](QDLApplicationPanel& p) { p.orderOut(); }, false, false},
      {"closed while inactive stays closed", [](QDLApplicationPanel&) {}, [](QDLApplicationPanel& p) { p.close(); },
       false, false},
      {"flag set from outside brings it back", [](QDLApplicationPanel&) {},
       [](QDLApplicationPanel& p) { p.setRestoreAfterActivation(true); }, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto p = panel();
    p->makeKeyAndOrderFront();
    c.prepare(*p);
    app().resignActive();
    c.whileInactive(*p);
    app().becomeActive();
    EXPECT_EQ(p->isVisible(), c.visibleAfter);
    EXPECT_EQ(p->isMiniaturized(), c.miniaturizedAfter);
    EXPECT_FALSE(p->restoreAfterActivation());
  }
}

TEST_F(ApplicationPanelTest, RelocalisesOnLanguageChangeAndWhenBroughtToTheFrontButNotWhenRestored) {
  auto p = panel();
  auto cancel = toolkit::Button::buttonWithTitle("取消", {});
  p->contentView()->addSubview(cancel);
  p->setTitle("图纸列表");

  // Hidden, it follows the language at once.
  useLanguage("en");
  EXPECT_EQ(cancel->title(), "Cancel");
  EXPECT_EQ(p->title(), "Sheets");

  // A title set in Simplified Chinese afterwards shows in the chosen language once the panel comes to the front.
  p->setTitle("设置");
  p->makeKeyAndOrderFront();
  EXPECT_EQ(p->title(), "Settings");
  EXPECT_TRUE(p->isKeyWindow());

  app().resignActive();
  p->setTitle("设置");
  app().becomeActive();
  EXPECT_TRUE(p->isVisible());
  EXPECT_EQ(p->title(), "设置") << "coming back with the host does not relocalise";

  // Closing keeps the observers: they go with the object.
  p->close();
  useLanguage("zh-Hant");
  EXPECT_EQ(p->title(), "設置");
  EXPECT_EQ(cancel->title(), "取消");

  const std::size_t before = foundation::NotificationCenter::defaultCenter().observerCount();
  p.reset();
  EXPECT_EQ(foundation::NotificationCenter::defaultCenter().observerCount(), before - 3);
}

// A low-level wheel event with every axis and phase field set, as a trackpad sends them.
std::shared_ptr<LowLevelEvent> wheel(int window, Point at) {
  auto e = std::make_shared<LowLevelEvent>(window, at);
  e->setIntegerValueField(LowLevelEvent::kDeltaAxis1, 3);
  e->setIntegerValueField(LowLevelEvent::kDeltaAxis2, -2);
  e->setIntegerValueField(13, 1);
  e->setIntegerValueField(LowLevelEvent::kFixedPtDeltaAxis1, 0x18000);  // 1.5 lines
  e->setIntegerValueField(LowLevelEvent::kFixedPtDeltaAxis2, -0x8000);
  e->setIntegerValueField(95, 0x4000);
  e->setIntegerValueField(LowLevelEvent::kPointDeltaAxis1, 30);
  e->setIntegerValueField(LowLevelEvent::kPointDeltaAxis2, -20);
  e->setIntegerValueField(98, 7);
  e->setIntegerValueField(88, 1);   // continuous
  e->setIntegerValueField(99, 4);   // phase
  e->setIntegerValueField(123, 1);  // momentum phase
  return e;
}

TEST_F(ApplicationPanelTest, ReversedEventNegatesTheVerticalDeltasExactlyAndKeepsTheRest) {
  auto original = wheel(7, {10, 20});
  const Event event = Event::fromLowLevelEvent(original);
  const std::optional<Event> reversed = QDLReversedScrollEvent(event);
  ASSERT_TRUE(reversed);
  EXPECT_EQ(reversed->type(), EventType::scrollWheel);
  EXPECT_EQ(reversed->windowNumber(), 7);
  EXPECT_EQ(reversed->locationInWindow(), (Point{10, 20}));
  const LowLevelEvent& r = *reversed->lowLevelEvent();
  EXPECT_EQ(r.integerValueField(LowLevelEvent::kDeltaAxis1), -3);
  EXPECT_EQ(r.integerValueField(LowLevelEvent::kFixedPtDeltaAxis1), -0x18000);
  EXPECT_EQ(r.integerValueField(LowLevelEvent::kPointDeltaAxis1), -30);
  for (int field : {12, 13, 94, 95, 97, 98, 88, 99, 123}) {
    EXPECT_EQ(r.integerValueField(field), original->integerValueField(field)) << field;
  }
  EXPECT_EQ(original->integerValueField(LowLevelEvent::kDeltaAxis1), 3) << "the original is left alone";
  EXPECT_EQ(reversed->scrollingDeltaY(), -30);
  EXPECT_EQ(reversed->scrollingDeltaX(), -20);

  // The one value without a negation.
  auto extreme = wheel(7, {});
  extreme->setIntegerValueField(LowLevelEvent::kPointDeltaAxis1, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(QDLReversedScrollEvent(Event::fromLowLevelEvent(extreme))
                ->lowLevelEvent()
                ->integerValueField(LowLevelEvent::kPointDeltaAxis1),
            std::numeric_limits<std::int64_t>::max());

  EXPECT_FALSE(QDLReversedScrollEvent(Event::keyDown(7, "a")));
  EXPECT_FALSE(QDLReversedScrollEvent(Event::mouse(EventType::scrollWheel, 7, {}))) << "no low-level event underneath";
  auto uncopyable = wheel(7, {});
  uncopyable->setCopyFails(true);
  EXPECT_FALSE(QDLReversedScrollEvent(Event::fromLowLevelEvent(uncopyable)));
}

// Hit tests at one point of its own to a view of the test's choosing, as a view may.
class Redirect : public toolkit::View {
 public:
  explicit Redirect(const Rect& frame) : View(frame) {}
  toolkit::View* target = nullptr;
  toolkit::View* hitTest(Point pointInSuperview) override {
    return frame().contains(pointInSuperview) ? target : nullptr;
  }
};

class PanelScrollTest : public ApplicationPanelTest {
 protected:
  void SetUp() override {
    ApplicationPanelTest::SetUp();
    p = panel();
    // Content 400 × 300, y up: a table-like document in a scroll view on the left half.
    scroll = std::make_shared<toolkit::ScrollView>(Rect{0, 0, 200, 300});
    scroll->setHasVerticalScroller(true);
    auto document = std::make_shared<toolkit::View>(Rect{0, 0, 200, 2000});
    document->setFlipped(true);
    scroll->setDocumentView(document);
    p->contentView()->addSubview(scroll);
    button = toolkit::Button::buttonWithTitle("OK", {});
    button->setFrame({250, 20, 80, 30});
    p->contentView()->addSubview(button);
    hiddenScroll = std::make_shared<toolkit::ScrollView>(Rect{250, 150, 100, 100});
    hiddenScroll->setDocumentView(std::make_shared<toolkit::View>(Rect{0, 0, 100, 1000}));
    hiddenScroll->setHidden(true);
    p->contentView()->addSubview(hiddenScroll);
    // A visible scroll view inside a hidden container, reached only through a view that hit-tests into it.
    auto container = std::make_shared<toolkit::View>(Rect{0, 0, 10, 10});
    container->setHidden(true);
    innerScroll = std::make_shared<toolkit::ScrollView>(Rect{0, 0, 10, 10});
    container->addSubview(innerScroll);
    p->contentView()->addSubview(container);
    toHidden = std::make_shared<Redirect>(Rect{350, 0, 50, 50});
    toHidden->target = innerScroll.get();
    p->contentView()->addSubview(toHidden);
    // A scroll view of another window, reached the same way.
    otherWindow = panel();
    foreignScroll = std::make_shared<toolkit::ScrollView>(Rect{0, 0, 100, 100});
    otherWindow->contentView()->addSubview(foreignScroll);
    toForeign = std::make_shared<Redirect>(Rect{350, 250, 50, 50});
    toForeign->target = foreignScroll.get();
    p->contentView()->addSubview(toForeign);
    p->makeKeyAndOrderFront();
    p->layoutIfNeeded();
  }

  void reverse(bool on) { foundation::UserDefaults::standard().setBool(on, "Quodline.ReverseScroll"); }

  std::shared_ptr<QDLApplicationPanel> p, otherWindow;
  std::shared_ptr<toolkit::ScrollView> scroll, hiddenScroll, innerScroll, foreignScroll;
  std::shared_ptr<toolkit::Button> button;
  std::shared_ptr<Redirect> toHidden, toForeign;
};

TEST_F(PanelScrollTest, OnlyWheelEventsOverAVisibleScrollViewOfThePanelAreReversed) {
  struct Case {
    const char* name;
    Point at;                       // window coordinates, y up
    toolkit::ScrollView* receiver;  // the scroll view that gets the event when it is taken, else nullptr
  };
  const Case cases[] = {
      {"over the document of a scroll view", {100, 150}, scroll.get()},
      {"over a button", {280, 35}, nullptr},
      {"over an empty area", {300, 100}, nullptr},
      {"over a hidden scroll view", {300, 200}, nullptr},
      {"into a scroll view inside a hidden view", {375, 25}, nullptr},
      {"into a scroll view of another window", {375, 275}, nullptr},
      {"over the title bar", {100, 315}, nullptr},
  };
  for (bool on : {false, true}) {
    reverse(on);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (on ? ", reversing" : ", not reversing"));
      const Event event = Event::fromLowLevelEvent(wheel(p->windowNumber(), c.at));
      const bool taken = QDLHandlePanelScroll(*p, event);
      EXPECT_EQ(taken, on && c.receiver != nullptr);
      if (taken) {
        ASSERT_TRUE(c.receiver->lastScrollEvent());
        EXPECT_EQ(c.receiver->lastScrollEvent()->lowLevelEvent()->integerValueField(LowLevelEvent::kPointDeltaAxis1),
                  -30);
      }
      // Other kinds of event at the same place are never taken.
      EXPECT_FALSE(QDLHandlePanelScroll(*p, Event::mouse(EventType::leftMouseDown, p->windowNumber(), c.at)));
      EXPECT_FALSE(QDLHandlePanelScroll(*p, Event::keyDown(p->windowNumber(), "a")));
      EXPECT_FALSE(QDLHandlePanelScroll(*p, Event::mouse(EventType::swipe, p->windowNumber(), c.at)));
    }
  }
  EXPECT_FALSE(innerScroll->lastScrollEvent());
  EXPECT_FALSE(foreignScroll->lastScrollEvent());
  EXPECT_FALSE(hiddenScroll->lastScrollEvent());
}

TEST_F(PanelScrollTest, ThePanelScrollsTheOtherWayWithTheSettingAndNormallyWithout) {
  const Point over{100, 150};
  // The document is flipped: a positive delta scrolls towards its top, so start further down.
  scroll->contentView().scrollToPoint({0, 500});
  p->sendEvent(Event::fromLowLevelEvent(wheel(p->windowNumber(), over)));
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 470) << "setting missing: scrolled as the wheel says";
  EXPECT_EQ(scroll->lastScrollEvent()->lowLevelEvent()->integerValueField(LowLevelEvent::kFixedPtDeltaAxis1), 0x18000);

  reverse(true);
  p->sendEvent(Event::fromLowLevelEvent(wheel(p->windowNumber(), over)));
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 500);
  EXPECT_EQ(scroll->lastScrollEvent()->lowLevelEvent()->integerValueField(LowLevelEvent::kFixedPtDeltaAxis1), -0x18000);

  // No copy of the low-level event: the event goes its normal way, unreversed.
  auto uncopyable = wheel(p->windowNumber(), over);
  uncopyable->setCopyFails(true);
  p->sendEvent(Event::fromLowLevelEvent(uncopyable));
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 470);

  // A sideways swipe keeps its direction.
  reverse(true);
  auto sideways = std::make_shared<LowLevelEvent>(p->windowNumber(), over);
  sideways->setIntegerValueField(LowLevelEvent::kPointDeltaAxis2, -15);
  p->sendEvent(Event::fromLowLevelEvent(sideways));
  EXPECT_EQ(scroll->lastScrollEvent()->scrollingDeltaX(), -15);
}

}  // namespace
}  // namespace ui_test

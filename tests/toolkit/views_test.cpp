// The view tree: coordinates in flipped and unflipped views, hit testing, the layout pass, autoresizing, and
// layers with their animations.

#include <numbers>

#include "toolkit/scroll_view.h"
#include "toolkit/view.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

std::shared_ptr<View> view(const Rect& frame, bool flipped = false, const std::string& id = {}) {
  auto v = std::make_shared<View>(frame);
  v->setFlipped(flipped);
  v->setIdentifier(id);
  return v;
}

class ViewsTest : public ToolkitTest {};

TEST_F(ViewsTest, HitTestingFindsTheTopmostVisibleViewInFlippedAndUnflippedParents) {
  auto w = shownWindow(400, 300);
  // The same child frame (10, 10, 50, 20) sits at the bottom of an unflipped parent and at the top of a flipped one.
  for (bool flipped : {false, true}) {
    auto parent = view({0, 0, 400, 300}, flipped, "parent");
    auto child = view({10, 10, 50, 20}, false, "child");
    auto cover = view({40, 10, 50, 20}, false, "cover");
    parent->addSubview(child);
    parent->addSubview(cover);
    w->setContentView(parent);
    // Window points are y up: the bottom strip is y 10…30, the top strip y 270…290.
    const double y = flipped ? 280 : 20;
    EXPECT_EQ(w->frameView().hitTest({20, y}), child.get()) << flipped;
    EXPECT_EQ(w->frameView().hitTest({45, y}), cover.get()) << "the later subview is on top, flipped " << flipped;
    EXPECT_EQ(w->frameView().hitTest({20, flipped ? 20.0 : 280.0}), parent.get()) << flipped;
    cover->setHidden(true);
    EXPECT_EQ(w->frameView().hitTest({45, y}), child.get()) << "hidden views are skipped, flipped " << flipped;
    child->setHidden(true);
    EXPECT_EQ(w->frameView().hitTest({20, y}), parent.get());
    EXPECT_EQ(parent->hitTest({500, 500}), nullptr);
  }
}

TEST_F(ViewsTest, PointsConvertAcrossFlippedViewsAndBoundsOrigins) {
  auto w = shownWindow(400, 300);
  auto flippedParent = view({0, 0, 400, 300}, true);
  auto box = view({100, 50, 80, 40}, false);
  w->setContentView(flippedParent);
  flippedParent->addSubview(box);
  // The box's bottom-left corner is 50 + 40 below the top of the 300-high content.
  EXPECT_EQ(box->convertPointToView({0, 0}, nullptr), (Point{100, 210}));
  EXPECT_EQ(box->convertPointFromView({100, 210}, nullptr), (Point{0, 0}));
  EXPECT_EQ(box->convertPointToView({0, 0}, flippedParent.get()), (Point{100, 90}));
  EXPECT_EQ(box->convertRectToView({0, 0, 80, 40}, flippedParent.get()), (Rect{100, 50, 80, 40}));
  // A bounds origin moves what the view shows, as a clip view scrolls.
  flippedParent->setBoundsOrigin({0, 30});
  EXPECT_EQ(box->convertPointToView({0, 0}, nullptr), (Point{100, 240}));
}

TEST_F(ViewsTest, AddingASubviewAgainPutsItOnTopAndMovingChangesParents) {
  auto a = view({}, false, "a"), b = view({}, false, "b"), parent = view({}), other = view({});
  parent->addSubview(a);
  parent->addSubview(b);
  parent->addSubview(a);
  ASSERT_EQ(parent->subviews().size(), 2u);
  EXPECT_EQ(parent->subviews().back(), a);
  parent->addSubview(b, Ordering::below, a.get());
  EXPECT_EQ(parent->subviews().front(), b);
  other->addSubview(a);
  EXPECT_EQ(parent->subviews().size(), 1u);
  EXPECT_EQ(a->superview(), other.get());
  // A view cannot become its own ancestor's child.
  a->addSubview(other);
  EXPECT_EQ(other->superview(), nullptr);
  EXPECT_EQ(parent->viewWithIdentifier("b"), b.get());
}

class CountingView : public View {
 public:
  explicit CountingView(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
  void layout() override { log_.push_back(name_); }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

TEST_F(ViewsTest, TheLayoutPassVisitsMarkedViewsParentsFirstAndOnlyOnce) {
  std::vector<std::string> log;
  auto parent = std::make_shared<CountingView>(log, "parent");
  auto child = std::make_shared<CountingView>(log, "child");
  parent->addSubview(child);
  parent->layoutSubtreeIfNeeded();
  EXPECT_EQ(log, (std::vector<std::string>{"parent", "child"}));
  log.clear();
  parent->layoutSubtreeIfNeeded();
  EXPECT_TRUE(log.empty());
  child->setFrameSize({10, 10});  // a size change asks for layout
  parent->setFrameOrigin({5, 5});  // a move does not
  parent->layoutSubtreeIfNeeded();
  EXPECT_EQ(log, (std::vector<std::string>{"child"}));
}

TEST_F(ViewsTest, AutoresizingSharesTheChangeAmongFlexibleParts) {
  auto parent = view({0, 0, 200, 100});
  auto stretch = view({10, 10, 180, 80});
  stretch->setAutoresizingMask(autoresizing::widthSizable | autoresizing::heightSizable);
  auto pinnedRight = view({150, 10, 40, 20});
  pinnedRight->setAutoresizingMask(autoresizing::minXMargin);
  auto centred = view({80, 40, 40, 20});
  centred->setAutoresizingMask(autoresizing::minXMargin | autoresizing::maxXMargin);
  for (const auto& v : {stretch, pinnedRight, centred}) parent->addSubview(v);
  parent->setFrameSize({300, 150});
  EXPECT_EQ(stretch->frame(), (Rect{10, 10, 280, 130}));
  EXPECT_EQ(pinnedRight->frame(), (Rect{250, 10, 40, 20}));
  EXPECT_EQ(centred->frame(), (Rect{130, 40, 40, 20}));
  parent->setAutoresizesSubviews(false);
  parent->setFrameSize({200, 100});
  EXPECT_EQ(stretch->frame().width(), 280);
}

TEST_F(ViewsTest, HiddenAncestorsAndTheEnclosingScrollView) {
  auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 100, 100});
  auto doc = view({0, 0, 100, 400}, true);
  auto inner = view({0, 0, 10, 10});
  doc->addSubview(inner);
  scroll->setDocumentView(doc);
  EXPECT_EQ(inner->enclosingScrollView(), scroll.get());
  EXPECT_EQ(scroll->enclosingScrollView(), nullptr);
  EXPECT_FALSE(inner->isHiddenOrHasHiddenAncestor());
  scroll->setHidden(true);
  EXPECT_TRUE(inner->isHiddenOrHasHiddenAncestor());
  EXPECT_FALSE(inner->isHidden());
}

TEST_F(ViewsTest, AClipViewFollowsItsDocumentWhenTheDocumentChangesSize) {
  auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 100, 100});
  scroll->setHasVerticalScroller(true);
  scroll->setAutohidesScrollers(true);
  auto doc = view({0, 0, 100, 400}, true);
  scroll->setDocumentView(doc);
  scroll->contentView().scrollToPoint({0, 1000});
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 300);
  ASSERT_NE(scroll->verticalScroller(), nullptr);

  // Shorter than the clip view: back to its top, and the scroller that is not needed goes at the next layout.
  doc->setFrameSize({100, 60});
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 0);
  EXPECT_TRUE(scroll->needsLayout());
  scroll->layoutSubtreeIfNeeded();
  EXPECT_EQ(scroll->verticalScroller(), nullptr);

  doc->setFrameSize({100, 400});
  scroll->layoutSubtreeIfNeeded();
  EXPECT_NE(scroll->verticalScroller(), nullptr);
  EXPECT_EQ(scroll->contentView().bounds().origin.y, 0);
}

TEST_F(ViewsTest, LayersKeepOneAnimationPerKeyAndTransactionsCount) {
  auto v = view({0, 0, 200, 200});
  v->setWantsLayer(true);
  ASSERT_TRUE(v->layer());
  EXPECT_EQ(v->layer()->frame, (Rect{0, 0, 200, 200}));
  auto wave = std::make_shared<ShapeLayer>();
  wave->path.addArc({100, 100}, 76, 0, 2 * std::numbers::pi, false);
  v->layer()->addSublayer(wave);
  const double forever = std::numeric_limits<double>::infinity();
  wave->addAnimation(Animation::basic("transform.rotation.z", 0.0, 2 * std::numbers::pi, 10, forever), "spin");
  wave->addAnimation(Animation::keyframe("path", {wave->path, wave->path}, 3.2, forever), "ripple");
  wave->addAnimation(Animation::basic("transform.rotation.z", 0.0, -2 * std::numbers::pi, 12, forever), "spin");
  EXPECT_EQ(wave->animationKeys(), (std::vector<std::string>{"spin", "ripple"}));
  EXPECT_EQ(std::get<double>(*wave->animation("spin")->toValue), -2 * std::numbers::pi);
  EXPECT_EQ(wave->animation("spin")->duration, 12);
  wave->removeAnimation("ripple");
  EXPECT_EQ(wave->animation("ripple"), nullptr);
  wave->removeAllAnimations();
  EXPECT_TRUE(wave->animationKeys().empty());

  Transaction::begin();
  Transaction::setDisableActions(true);
  EXPECT_TRUE(Transaction::disableActions());
  Transaction::begin();
  Transaction::commit();
  EXPECT_EQ(Transaction::commitCount(), 0);  // an inner commit ends nothing
  EXPECT_TRUE(Transaction::disableActions());
  Transaction::commit();
  EXPECT_FALSE(Transaction::disableActions());
  EXPECT_EQ(Transaction::commitCount(), 1);
  EXPECT_TRUE(Transaction::lastCommitDisabledActions());
  Transaction::begin();
  Transaction::commit();
  Transaction::commit();  // none open: not counted
  EXPECT_EQ(Transaction::commitCount(), 2);
  EXPECT_FALSE(Transaction::lastCommitDisabledActions());
  Transaction::flush();
  EXPECT_EQ(Transaction::flushCount(), 1);
  // Moving a layer takes it from its old superlayer.
  auto other = std::make_shared<Layer>();
  other->addSublayer(wave);
  EXPECT_TRUE(v->layer()->sublayers().empty());
  EXPECT_EQ(wave->superlayer(), other.get());
}

}  // namespace
}  // namespace toolkit_test

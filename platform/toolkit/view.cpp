#include "toolkit/view.h"

#include <algorithm>
#include <cmath>

#include "toolkit/scroll_view.h"
#include "toolkit/window.h"

namespace toolkit {

namespace {

// Shares `delta` among the flexible parts of one axis in proportion to their sizes (equally when all are 0), as
// the platform's autoresizing does.
void distribute(double delta, bool flexMin, bool flexSize, bool flexMax, double& margin, double& size,
                double trailing) {
  const int count = int{flexMin} + int{flexSize} + int{flexMax};
  if (count == 0 || delta == 0) return;
  const double total = (flexMin ? margin : 0) + (flexSize ? size : 0) + (flexMax ? trailing : 0);
  auto share = [&](bool flex, double value) {
    if (!flex) return 0.0;
    return total > 0 ? delta * value / total : delta / count;
  };
  const double dMin = share(flexMin, margin), dSize = share(flexSize, size);
  margin += dMin;
  size = std::max(0.0, size + dSize);
}

}  // namespace

View::~View() {
  for (const auto& sub : subviews_) sub->superview_ = nullptr;
}

void View::setFrame(const Rect& frame) {
  const Size oldSize = frame_.size;
  frame_ = frame;
  if (layer_) layer_->frame = bounds();
  if (oldSize != frame.size) {
    resizeSubviewsWithOldSize(oldSize);
    needsLayout_ = true;
  }
  needsDisplay_ = true;
  if (auto* clip = dynamic_cast<ClipView*>(superview_); clip != nullptr && clip->documentView().get() == this) {
    clip->documentFrameDidChange();
  }
}

void View::setBoundsOrigin(Point origin) {
  boundsOrigin_ = origin;
  needsDisplay_ = true;
}

void View::addSubview(const std::shared_ptr<View>& view) { addSubview(view, Ordering::above, nullptr); }

void View::addSubview(const std::shared_ptr<View>& view, Ordering place, const View* relativeTo) {
  if (!view || view.get() == this || isDescendantOf(*view)) return;
  const std::shared_ptr<View> keep = view;
  Window* before = keep->window();
  if (keep->superview_ != nullptr) {
    auto& siblings = keep->superview_->subviews_;
    std::erase_if(siblings, [&](const auto& v) { return v.get() == keep.get(); });
    keep->superview_ = nullptr;
  }
  auto at = subviews_.end();
  if (relativeTo != nullptr) {
    const auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == relativeTo; });
    if (it != subviews_.end()) at = place == Ordering::above ? it + 1 : it;
  } else if (place == Ordering::below) {
    at = subviews_.begin();
  }
  subviews_.insert(at, keep);
  keep->superview_ = this;
  keep->needsDisplay_ = true;
  if (before != window()) {
    if (before != nullptr) before->viewLeftWindow(*keep);
    keep->notifyMovedToWindow();
  }
  needsDisplay_ = true;
}

void View::removeFromSuperview() {
  if (superview_ == nullptr) return;
  const std::shared_ptr<View> keep = shared_from_this();
  Window* before = window();
  if (before != nullptr) before->viewLeftWindow(*this);
  auto& siblings = superview_->subviews_;
  superview_->needsDisplay_ = true;
  superview_ = nullptr;
  std::erase_if(siblings, [&](const auto& v) { return v.get() == this; });
  if (before != nullptr) notifyMovedToWindow();
}

void View::notifyMovedToWindow() {
  viewDidMoveToWindow();
  for (const auto& sub : std::vector(subviews_)) sub->notifyMovedToWindow();
}

bool View::isDescendantOf(const View& ancestor) const {
  for (const View* v = this; v != nullptr; v = v->superview_) {
    if (v == &ancestor) return true;
  }
  return false;
}

Window* View::window() const {
  const View* root = this;
  while (root->superview_ != nullptr) root = root->superview_;
  return root->rootWindow_;
}

View* View::viewWithIdentifier(const std::string& identifier) {
  if (identifier_ == identifier) return this;
  for (const auto& sub : subviews_) {
    if (View* found = sub->viewWithIdentifier(identifier)) return found;
  }
  return nullptr;
}

View* View::viewWithTag(long tag) {
  if (this->tag() == tag) return this;
  for (const auto& sub : subviews_) {
    if (View* found = sub->viewWithTag(tag)) return found;
  }
  return nullptr;
}

void View::setHidden(bool hidden) {
  if (hidden_ == hidden) return;
  hidden_ = hidden;
  if (hidden) {
    if (Window* w = window()) w->viewLeftWindow(*this);
  }
  if (superview_ != nullptr) superview_->needsDisplay_ = true;
}

bool View::isHiddenOrHasHiddenAncestor() const {
  for (const View* v = this; v != nullptr; v = v->superview_) {
    if (v->hidden_) return true;
  }
  return false;
}

void View::layoutSubtreeIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    layout();
  }
  // Layout may add or remove subviews.
  for (const auto& sub : std::vector(subviews_)) sub->layoutSubtreeIfNeeded();
}

void View::resizeSubviewsWithOldSize(Size oldSize) {
  if (!autoresizesSubviews_) return;
  for (const auto& sub : std::vector(subviews_)) sub->resizeWithOldSuperviewSize(oldSize);
}

void View::resizeWithOldSuperviewSize(Size oldSuperviewSize) {
  if (superview_ == nullptr || autoresizingMask_ == autoresizing::none) return;
  const Size now = superview_->frame_.size;
  Rect f = frame_;
  double x = f.minX(), w = f.width(), y = f.minY(), h = f.height();
  distribute(now.width - oldSuperviewSize.width, autoresizingMask_ & autoresizing::minXMargin,
             autoresizingMask_ & autoresizing::widthSizable, autoresizingMask_ & autoresizing::maxXMargin, x, w,
             oldSuperviewSize.width - f.maxX());
  distribute(now.height - oldSuperviewSize.height, autoresizingMask_ & autoresizing::minYMargin,
             autoresizingMask_ & autoresizing::heightSizable, autoresizingMask_ & autoresizing::maxYMargin, y, h,
             oldSuperviewSize.height - f.maxY());
  setFrame({x, y, w, h});
}

View* View::hitTest(Point pointInSuperview) {
  if (hidden_) return nullptr;
  const Point local = transformToSuperview().inverted().apply(pointInSuperview);
  if (!bounds().contains(local)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    // A hit view may change the tree (a hit test is a question, but subclasses may lay out), so keep it alive.
    const std::shared_ptr<View> sub = *it;
    if (View* hit = sub->hitTest(local)) return hit;
  }
  return this;
}

AffineTransform View::transformToSuperview() const {
  const bool parentFlipped = superview_ != nullptr && superview_->isFlipped();
  AffineTransform t = AffineTransform::translation(-boundsOrigin_.x, -boundsOrigin_.y);
  if (isFlipped() != parentFlipped) {
    t = AffineTransform::concat(t, AffineTransform{1, 0, 0, -1, 0, frame_.height()});
  }
  return AffineTransform::concat(t, AffineTransform::translation(frame_.minX(), frame_.minY()));
}

AffineTransform View::transformToWindow() const {
  AffineTransform t;
  for (const View* v = this; v != nullptr; v = v->superview_) t = AffineTransform::concat(t, v->transformToSuperview());
  return t;
}

Point View::convertPointFromView(Point point, const View* from) const {
  const Point inWindow = from != nullptr ? from->transformToWindow().apply(point) : point;
  return transformToWindow().inverted().apply(inWindow);
}

Point View::convertPointToView(Point point, const View* to) const {
  const Point inWindow = transformToWindow().apply(point);
  return to != nullptr ? to->transformToWindow().inverted().apply(inWindow) : inWindow;
}

Rect View::convertRectToView(const Rect& rect, const View* to) const {
  const Rect inWindow = transformToWindow().apply(rect);
  return to != nullptr ? to->transformToWindow().inverted().apply(inWindow) : inWindow;
}

Rect View::convertRectFromView(const Rect& rect, const View* from) const {
  const Rect inWindow = from != nullptr ? from->transformToWindow().apply(rect) : rect;
  return transformToWindow().inverted().apply(inWindow);
}

ScrollView* View::enclosingScrollView() const {
  for (View* v = superview_; v != nullptr; v = v->superview_) {
    if (auto* scroll = dynamic_cast<ScrollView*>(v)) return scroll;
  }
  return nullptr;
}

Responder* View::nextResponder() const {
  if (superview_ != nullptr) return superview_;
  return rootWindow_;
}

bool View::performKeyEquivalent(const Event& event) {
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    const std::shared_ptr<View> sub = *it;
    if (!sub->isHidden() && sub->performKeyEquivalent(event)) return true;
  }
  return false;
}

void View::drawRect(graphics::GraphicsContext&, const Rect&) {}

void View::setWantsLayer(bool wants) {
  if (wants && !layer_) {
    layer_ = std::make_shared<Layer>();
    layer_->frame = bounds();
  } else if (!wants) {
    layer_.reset();
  }
}

graphics::Appearance View::effectiveAppearance() const {
  for (const View* v = this; v != nullptr; v = v->superview_) {
    if (v->appearance_) return *v->appearance_;
  }
  if (Window* w = window()) return w->effectiveAppearance();
  return graphics::Appearance::aqua;
}

}  // namespace toolkit

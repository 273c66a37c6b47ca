#include "toolkit/scroll_view.h"

#include <algorithm>
#include <cmath>

#include "toolkit/table_view.h"

namespace toolkit {

namespace {
constexpr double kLegacyScrollerWidth = 15;
constexpr double kOverlayScrollerWidth = 7;
constexpr double kHeaderHeight = 23;
}  // namespace

void Scroller::set(double value, double proportion) {
  value_ = std::clamp(std::isfinite(value) ? value : 0.0, 0.0, 1.0);
  proportion_ = std::clamp(std::isfinite(proportion) ? proportion : 1.0, 0.0, 1.0);
  setNeedsDisplay();
}

void Scroller::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  // A legacy scroller has a track of its own; an overlay one is just a knob.
  if (std::min(box.width(), box.height()) >= kLegacyScrollerWidth) context.fillRect(box, graphics::Color::grey(0.97));
  const double length = vertical_ ? box.height() : box.width();
  const double knob = std::max(18.0, length * proportion_);
  const double travel = std::max(0.0, length - knob);
  const double thickness = std::min(vertical_ ? box.width() : box.height(), 7.0);
  // Vertical scrollers run from the top of the box down.
  Rect r = vertical_ ? Rect{box.midX() - thickness / 2, box.maxY() - travel * value_ - knob, thickness, knob}
                     : Rect{box.minX() + travel * value_, box.midY() - thickness / 2, knob, thickness};
  if (isFlipped() && vertical_) r.origin.y = box.minY() + travel * value_;
  context.fillPath(graphics::BezierPath::roundedRect(r.insetBy(0.5, 0.5), thickness / 2, thickness / 2),
                   graphics::Color::grey(0, 0.35));
}

void ClipView::setDocumentView(std::shared_ptr<View> view) {
  if (document_) document_->removeFromSuperview();
  document_ = std::move(view);
  if (document_) addSubview(document_);
  setBoundsOrigin(constrainBoundsOrigin(isFlipped() ? Point{0, 0} : Point{0, document_ ? document_->frame().maxY() : 0}));
}

Point ClipView::constrainBoundsOrigin(Point origin) const {
  if (!document_) return {0, 0};
  const Rect doc = document_->frame();
  const Size size = bounds().size;
  auto clamp = [](double v, double lo, double hi) { return std::isfinite(v) ? std::clamp(v, lo, std::max(lo, hi)) : lo; };
  double y;
  if (isFlipped()) {
    y = clamp(origin.y, doc.minY(), doc.maxY() - size.height);
  } else {
    // A short unflipped document sits against the top of the clip view.
    y = doc.height() < size.height ? doc.maxY() - size.height : clamp(origin.y, doc.minY(), doc.maxY() - size.height);
  }
  return {clamp(origin.x, doc.minX(), doc.maxX() - size.width), y};
}

void ClipView::scrollToPoint(Point origin) {
  setBoundsOrigin(constrainBoundsOrigin(origin));
  if (document_) document_->setNeedsLayout();
  if (auto* scroll = dynamic_cast<ScrollView*>(superview())) scroll->reflectScrolledClipView();
}

Rect ClipView::documentVisibleRect() const {
  if (!document_) return {};
  const Rect visibleInClip = bounds();
  // The clip view and its document share one orientation, and the document is placed at its frame origin.
  return visibleInClip.offsetBy(-document_->frame().minX(), -document_->frame().minY()).intersection(
      {0, 0, document_->frame().width(), document_->frame().height()});
}

void ClipView::documentFrameDidChange() {
  setBoundsOrigin(constrainBoundsOrigin(bounds().origin));
  if (auto* scroll = dynamic_cast<ScrollView*>(superview())) {
    // Whether an automatically hidden scroller shows depends on the document's size.
    scroll->setNeedsLayout();
    scroll->reflectScrolledClipView();
  }
}

void ClipView::setFrame(const Rect& frame) {
  View::setFrame(frame);
  setBoundsOrigin(constrainBoundsOrigin(bounds().origin));
}

void ClipView::drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) {
  if (drawsBackground_) context.fillRect(dirtyRect, background_);
}

ScrollView::ScrollView() {
  addSubview(clip_);
  vertical_->setIdentifier("_verticalScroller");
  horizontal_->setIdentifier("_horizontalScroller");
}

ScrollView::ScrollView(const Rect& frame) : ScrollView() { setFrame(frame); }

void ScrollView::setDocumentView(std::shared_ptr<View> view) {
  clip_->setDocumentView(std::move(view));
  if (header_) {
    header_->removeFromSuperview();
    header_.reset();
  }
  if (auto* table = dynamic_cast<TableView*>(documentView().get()); table != nullptr && table->headerView()) {
    header_ = table->headerView();
    addSubview(header_);
  }
  setNeedsLayout();
  tile();
}

void ScrollView::setHasVerticalScroller(bool on) {
  hasVertical_ = on;
  setNeedsLayout();
}

void ScrollView::setHasHorizontalScroller(bool on) {
  hasHorizontal_ = on;
  setNeedsLayout();
}

void ScrollView::setAutohidesScrollers(bool on) {
  autohides_ = on;
  setNeedsLayout();
}

void ScrollView::setScrollerStyle(ScrollerStyle style) {
  scrollerStyle_ = style;
  setNeedsLayout();
}

void ScrollView::setBorderType(BorderType type) {
  border_ = type;
  setNeedsLayout();
}

Scroller* ScrollView::verticalScroller() const { return vertical_->superview() == this ? vertical_.get() : nullptr; }
Scroller* ScrollView::horizontalScroller() const {
  return horizontal_->superview() == this ? horizontal_.get() : nullptr;
}

bool ScrollView::verticalShown() const {
  if (!hasVertical_) return false;
  if (!autohides_ || !documentView()) return true;
  return documentView()->frame().height() > clip_->frame().height() + 0.5;
}

bool ScrollView::horizontalShown() const {
  if (!hasHorizontal_) return false;
  if (!autohides_ || !documentView()) return true;
  return documentView()->frame().width() > clip_->frame().width() + 0.5;
}

void ScrollView::tile() {
  const double inset = border_ == BorderType::noBorder ? 0 : 1;
  const Rect inner = bounds().insetBy(inset, inset);
  const bool legacy = scrollerStyle_ == ScrollerStyle::legacy;
  const double header = header_ ? kHeaderHeight : 0;
  // Twice: whether a scroller shows depends on the clip size, which depends on the scrollers.
  for (int pass = 0; pass < 2; ++pass) {
    const double right = legacy && verticalShown() ? kLegacyScrollerWidth : 0;
    const double bottom = legacy && horizontalShown() ? kLegacyScrollerWidth : 0;
    clip_->setFrame({inner.minX(), inner.minY() + bottom, std::max(0.0, inner.width() - right),
                     std::max(0.0, inner.height() - header - bottom)});
    if (auto* table = dynamic_cast<TableView*>(documentView().get())) table->sizeToClipView();
  }
  const Rect clip = clip_->frame();
  if (header_) header_->setFrame({clip.minX(), clip.maxY(), clip.width(), header});
  const double sw = legacy ? kLegacyScrollerWidth : kOverlayScrollerWidth;
  if (verticalShown()) {
    if (vertical_->superview() != this) addSubview(vertical_);
    vertical_->setFrame({legacy ? clip.maxX() : clip.maxX() - sw, clip.minY(), sw, clip.height()});
  } else {
    vertical_->removeFromSuperview();
  }
  if (horizontalShown()) {
    if (horizontal_->superview() != this) addSubview(horizontal_);
    horizontal_->setFrame({clip.minX(), legacy ? clip.minY() - sw : clip.minY(), clip.width(), sw});
  } else {
    horizontal_->removeFromSuperview();
  }
  clip_->scrollToPoint(clip_->bounds().origin);
  reflectScrolledClipView();
}

void ScrollView::reflectScrolledClipView() {
  const auto& doc = documentView();
  if (!doc) return;
  const Rect docFrame = doc->frame();
  const Rect visible = clip_->bounds();
  auto position = [](double offset, double range) { return range > 0 ? offset / range : 0.0; };
  const double rangeY = docFrame.height() - visible.height();
  const double offsetY = clip_->isFlipped() ? visible.minY() - docFrame.minY() : docFrame.maxY() - visible.maxY();
  vertical_->set(position(offsetY, rangeY), docFrame.height() > 0 ? visible.height() / docFrame.height() : 1);
  horizontal_->set(position(visible.minX() - docFrame.minX(), docFrame.width() - visible.width()),
                   docFrame.width() > 0 ? visible.width() / docFrame.width() : 1);
  if (header_) header_->setBoundsOrigin({visible.minX(), 0});
}

void ScrollView::scrollWheel(const Event& event) {
  lastScroll_ = event;
  const double dy = event.scrollingDeltaY(), dx = event.scrollingDeltaX();
  Point origin = clip_->bounds().origin;
  // A positive delta brings the part of the document above (or to the left) into view.
  origin.y += clip_->isFlipped() ? -dy : dy;
  origin.x -= dx;
  clip_->scrollToPoint(origin);
}

void ScrollView::setFrame(const Rect& frame) {
  View::setFrame(frame);
  tile();
}

void ScrollView::drawRect(graphics::GraphicsContext& context, const Rect&) {
  if (border_ == BorderType::noBorder) return;
  graphics::BezierPath border = graphics::BezierPath::rect(bounds().insetBy(0.5, 0.5));
  border.lineWidth = 1;
  context.strokePath(border, graphics::Color::grey(0, border_ == BorderType::lineBorder ? 0.6 : 0.25));
}

}  // namespace toolkit

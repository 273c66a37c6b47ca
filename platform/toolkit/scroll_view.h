#pragma once
// Scrolling: a scroll view shows part of its document view through a clip view, whose bounds origin is the
// scroll position (kept within the document), with scrollers beside it or over it. A table's header sits
// above the clip view.

#include <memory>
#include <optional>

#include "graphics/color.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/view.h"

namespace toolkit {

enum class BorderType { noBorder = 0, lineBorder = 1, bezelBorder = 2, grooveBorder = 3 };
enum class ScrollerStyle { legacy = 0, overlay = 1 };

class Scroller : public Control {
 public:
  explicit Scroller(bool vertical) : vertical_(vertical) {}
  bool isVertical() const { return vertical_; }
  // The visible share of the document (0…1) and the position of the knob (0 top or left … 1).
  double knobProportion() const { return proportion_; }
  double doubleValue() const { return value_; }
  void set(double value, double proportion);
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 private:
  bool vertical_;
  double value_ = 0;
  double proportion_ = 1;
};

class ClipView : public View {
 public:
  const std::shared_ptr<View>& documentView() const { return document_; }
  void setDocumentView(std::shared_ptr<View> view);
  // Follows the document, so that the top of a flipped document shows first.
  bool isFlipped() const override { return document_ ? document_->isFlipped() : false; }
  // Moves the visible part, kept within the document.
  void scrollToPoint(Point origin);
  Point constrainBoundsOrigin(Point origin) const;
  // The part of the document in view, in the document's coordinates.
  Rect documentVisibleRect() const;
  // Keeps the visible part within a document that moved or changed size, and has the scroll view tiled again.
  void documentFrameDidChange();
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool on) { drawsBackground_ = on; }
  const graphics::Color& backgroundColor() const { return background_; }
  void setBackgroundColor(const graphics::Color& color) { background_ = color; }

  void setFrame(const Rect& frame) override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 private:
  std::shared_ptr<View> document_;
  bool drawsBackground_ = true;
  graphics::Color background_ = graphics::Color::named(graphics::SystemColor::controlBackground);
};

class ScrollView : public View {
 public:
  ScrollView();
  explicit ScrollView(const Rect& frame);

  ClipView& contentView() const { return *clip_; }
  const std::shared_ptr<View>& documentView() const { return clip_->documentView(); }
  void setDocumentView(std::shared_ptr<View> view);

  bool hasVerticalScroller() const { return hasVertical_; }
  void setHasVerticalScroller(bool on);
  bool hasHorizontalScroller() const { return hasHorizontal_; }
  void setHasHorizontalScroller(bool on);
  bool autohidesScrollers() const { return autohides_; }
  void setAutohidesScrollers(bool on);
  ScrollerStyle scrollerStyle() const { return scrollerStyle_; }
  void setScrollerStyle(ScrollerStyle style);
  BorderType borderType() const { return border_; }
  void setBorderType(BorderType type);
  bool drawsBackground() const { return clip_->drawsBackground(); }
  void setDrawsBackground(bool on) { clip_->setDrawsBackground(on); }
  const graphics::Color& backgroundColor() const { return clip_->backgroundColor(); }
  void setBackgroundColor(const graphics::Color& color) { clip_->setBackgroundColor(color); }
  // nullptr while it is not shown.
  Scroller* verticalScroller() const;
  Scroller* horizontalScroller() const;

  // The size of the clip view.
  Size contentSize() const { return clip_->frame().size; }
  Rect documentVisibleRect() const { return clip_->documentVisibleRect(); }

  // Places the clip view, the header and the scrollers; the layout pass calls it.
  void tile();
  void reflectScrolledClipView();
  // Scrolls by the event's point deltas and keeps the event (the last one is `lastScrollEvent`).
  void scrollWheel(const Event& event) override;
  const std::optional<Event>& lastScrollEvent() const { return lastScroll_; }

  void layout() override { tile(); }
  void setFrame(const Rect& frame) override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 private:
  bool verticalShown() const;
  bool horizontalShown() const;
  std::shared_ptr<ClipView> clip_ = std::make_shared<ClipView>();
  std::shared_ptr<Scroller> vertical_ = std::make_shared<Scroller>(true);
  std::shared_ptr<Scroller> horizontal_ = std::make_shared<Scroller>(false);
  std::shared_ptr<View> header_;
  bool hasVertical_ = false;
  bool hasHorizontal_ = false;
  bool autohides_ = false;
  ScrollerStyle scrollerStyle_ = ScrollerStyle::overlay;
  BorderType border_ = BorderType::noBorder;
  std::optional<Event> lastScroll_;
};

}  // namespace toolkit

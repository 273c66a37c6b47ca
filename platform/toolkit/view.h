#pragma once
// Views: rectangles in a tree, each with its own coordinate system. A view's frame is in its superview's
// coordinates, its bounds in its own; y grows upwards unless the view is flipped. Windows are y-up. Views are
// shared objects; a superview holds its subviews, a subview points back at its superview.
//
// Layout is explicit: a size change or a request marks a view as needing layout, and layoutSubtreeIfNeeded()
// (which a window runs before it draws) calls layout() on every marked view, parents before children.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/color.h"
#include "graphics/context.h"
#include "toolkit/geometry.h"
#include "toolkit/layer.h"
#include "toolkit/responder.h"

namespace toolkit {

class ScrollView;
class Window;

namespace autoresizing {
inline constexpr unsigned none = 0;
inline constexpr unsigned minXMargin = 1;
inline constexpr unsigned widthSizable = 2;
inline constexpr unsigned maxXMargin = 4;
inline constexpr unsigned minYMargin = 8;
inline constexpr unsigned heightSizable = 16;
inline constexpr unsigned maxYMargin = 32;
}  // namespace autoresizing

enum class Orientation { horizontal, vertical };
enum class Ordering { below, above };

class View : public Responder, public std::enable_shared_from_this<View> {
 public:
  View() = default;
  explicit View(const Rect& frame) : frame_(frame) {}
  ~View() override;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Geometry.
  const Rect& frame() const { return frame_; }
  virtual void setFrame(const Rect& frame);
  void setFrameOrigin(Point origin) { setFrame({origin, frame_.size}); }
  void setFrameSize(Size size) { setFrame({frame_.origin, size}); }
  Rect bounds() const { return {boundsOrigin_, frame_.size}; }
  void setBoundsOrigin(Point origin);
  virtual bool isFlipped() const { return flipped_; }
  // For views made in code without a subclass of their own.
  void setFlipped(bool flipped) { flipped_ = flipped; }

  // The tree. Adding a view that has a superview moves it; adding a subview again puts it on top.
  View* superview() const { return superview_; }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  void addSubview(const std::shared_ptr<View>& view);
  void addSubview(const std::shared_ptr<View>& view, Ordering place, const View* relativeTo);
  void removeFromSuperview();
  bool isDescendantOf(const View& ancestor) const;
  // The window of the tree's root, or nullptr.
  Window* window() const;
  // This view or the first descendant (depth first) with that identifier or tag.
  View* viewWithIdentifier(const std::string& identifier);
  View* viewWithTag(long tag);

  bool isHidden() const { return hidden_; }
  virtual void setHidden(bool hidden);
  bool isHiddenOrHasHiddenAncestor() const;

  bool needsDisplay() const { return needsDisplay_; }
  void setNeedsDisplay(bool needs = true) { needsDisplay_ = needs; }
  bool needsLayout() const { return needsLayout_; }
  void setNeedsLayout(bool needs = true) { needsLayout_ = needs; }
  // Places subviews; called by the layout pass for a view that needs layout.
  virtual void layout() {}
  void layoutSubtreeIfNeeded();

  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }
  // Applies each subview's autoresizing mask after this view's size changed from `oldSize`.
  virtual void resizeSubviewsWithOldSize(Size oldSize);
  virtual void resizeWithOldSuperviewSize(Size oldSuperviewSize);
  // Kept for layout code that sets them; frames here are always explicit.
  bool translatesAutoresizingMaskIntoConstraints() const { return translatesMask_; }
  void setTranslatesAutoresizingMaskIntoConstraints(bool on) { translatesMask_ = on; }
  float contentHuggingPriority(Orientation o) const { return hugging_[static_cast<int>(o)]; }
  void setContentHuggingPriority(float p, Orientation o) { hugging_[static_cast<int>(o)] = p; }
  float contentCompressionResistancePriority(Orientation o) const { return compression_[static_cast<int>(o)]; }
  void setContentCompressionResistancePriority(float p, Orientation o) { compression_[static_cast<int>(o)] = p; }
  // The size the content asks for; kNoIntrinsicMetric where it asks for none.
  virtual Size intrinsicContentSize() const { return {kNoIntrinsicMetric, kNoIntrinsicMetric}; }

  const std::string& toolTip() const { return toolTip_; }
  virtual void setToolTip(const std::string& text) { toolTip_ = text; }
  const std::string& accessibilityLabel() const { return accessibilityLabel_; }
  void setAccessibilityLabel(const std::string& text) { accessibilityLabel_ = text; }
  virtual bool isAccessibilityElement() const { return false; }
  const std::string& identifier() const { return identifier_; }
  void setIdentifier(const std::string& identifier) { identifier_ = identifier; }
  virtual long tag() const { return tag_; }
  virtual void setTag(long tag) { tag_ = tag; }

  // The deepest visible view under a point given in the superview's coordinates (for the root: the window's);
  // topmost subviews first; nullptr outside this view.
  virtual View* hitTest(Point pointInSuperview);
  // Maps this view's coordinates to its superview's (the root's superview is the window).
  AffineTransform transformToSuperview() const;
  AffineTransform transformToWindow() const;
  // Points and rectangles between views of one window; nullptr stands for the window's coordinates.
  Point convertPointFromView(Point point, const View* from) const;
  Point convertPointToView(Point point, const View* to) const;
  Rect convertRectToView(const Rect& rect, const View* to) const;
  Rect convertRectFromView(const Rect& rect, const View* from) const;
  // The nearest scroll view above this view.
  ScrollView* enclosingScrollView() const;

  Responder* nextResponder() const override;
  // Offers a key press to the view and its visible subviews (topmost first); true when one of them took it.
  virtual bool performKeyEquivalent(const Event& event);

  // Draws the view's own content in its coordinates; subviews draw themselves afterwards.
  virtual void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect);

  bool wantsLayer() const { return layer_ != nullptr; }
  void setWantsLayer(bool wants);
  // The backing layer (nullptr unless the view wants one); its frame follows the view's bounds.
  const std::shared_ptr<Layer>& layer() const { return layer_; }
  void setLayer(std::shared_ptr<Layer> layer) { layer_ = std::move(layer); }

  // nullopt: the superview's (ultimately the window's).
  const std::optional<graphics::Appearance>& appearance() const { return appearance_; }
  void setAppearance(std::optional<graphics::Appearance> appearance) { appearance_ = appearance; }
  graphics::Appearance effectiveAppearance() const;

 protected:
  // Called after the view joined a window or left one.
  virtual void viewDidMoveToWindow() {}

 private:
  friend class Window;
  void notifyMovedToWindow();

  Rect frame_;
  Point boundsOrigin_;
  bool flipped_ = false;
  View* superview_ = nullptr;
  Window* rootWindow_ = nullptr;  // set on a window's root view only
  std::vector<std::shared_ptr<View>> subviews_;
  bool hidden_ = false;
  bool needsDisplay_ = true;
  bool needsLayout_ = true;
  unsigned autoresizingMask_ = autoresizing::none;
  bool autoresizesSubviews_ = true;
  bool translatesMask_ = true;
  float hugging_[2] = {250, 250};
  float compression_[2] = {750, 750};
  std::string toolTip_, accessibilityLabel_, identifier_;
  long tag_ = -1;
  std::shared_ptr<Layer> layer_;
  std::optional<graphics::Appearance> appearance_;
};

}  // namespace toolkit

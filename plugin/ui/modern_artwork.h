#pragma once
// A decorative view that draws one of two illustrations in code: a blueprint sheet turning into documents, one
// of them a PDF, with an arrow and short slogans. The picture keeps its proportions, centred in the bounds, and
// nothing is drawn outside them. It takes no clicks (they reach the views beneath) and no part in accessibility.
//
// The drawing steps work in the design units of the current transform; y grows downwards.

#include <string>

#include "graphics/color.h"
#include "toolkit/view.h"

class QDLModernArtwork : public toolkit::View {
 public:
  QDLModernArtwork() = default;
  explicit QDLModernArtwork(const toolkit::Rect& frame) : View(frame) {}

  // The tall sidebar picture (156 × 350) instead of the wide header one (320 × 104). Setting it does not redraw.
  bool sidebar() const { return sidebar_; }
  void setSidebar(bool sidebar) { sidebar_ = sidebar; }

  bool isFlipped() const override { return true; }
  bool isAccessibilityElement() const override { return false; }
  View* hitTest(toolkit::Point pointInSuperview) override;
  void drawRect(graphics::GraphicsContext& context, const toolkit::Rect& dirtyRect) override;

  // A blueprint sheet fitted into `rect`, turned by `angle` degrees about the rectangle's origin.
  void blueprint(graphics::GraphicsContext& context, const toolkit::Rect& rect, double angle) const;
  // A page with a folded corner, with text lines or, for a PDF, a badge.
  void document(graphics::GraphicsContext& context, const toolkit::Rect& rect, double angle, bool pdf) const;
  // A curved arrow from p to q with a filled head.
  void arrowFrom(graphics::GraphicsContext& context, toolkit::Point p, toolkit::Point q) const;
  // The text centred in the rectangle, in the medium system font of that size.
  void caption(graphics::GraphicsContext& context, const std::string& text, const toolkit::Rect& rect, double size,
               const graphics::Color& color) const;
  // A highlight stroke.
  void underlineFrom(graphics::GraphicsContext& context, toolkit::Point p, toolkit::Point q) const;

 private:
  void drawHeader(graphics::GraphicsContext& context) const;
  void drawSidebar(graphics::GraphicsContext& context) const;
  bool sidebar_ = false;
};

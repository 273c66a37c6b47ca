#pragma once
// A plate that other views stand on: a rounded rectangle over its whole bounds, filled, with no outline.
// Flipped: y grows down from the top edge. Setting the fill or the radius does not redraw by itself.

#include <optional>

#include "graphics/color.h"
#include "toolkit/view.h"

class QDLModernSurface : public toolkit::View {
 public:
  QDLModernSurface() = default;
  explicit QDLModernSurface(const toolkit::Rect& frame) : View(frame) {}

  // nullopt draws white.
  const std::optional<graphics::Color>& fill() const { return fill_; }
  void setFill(std::optional<graphics::Color> fill) { fill_ = std::move(fill); }
  double radius() const { return radius_; }
  void setRadius(double radius) { radius_ = radius; }

  bool isFlipped() const override { return true; }
  void drawRect(graphics::GraphicsContext& context, const toolkit::Rect& dirtyRect) override;

 private:
  std::optional<graphics::Color> fill_;
  double radius_ = 0;
};

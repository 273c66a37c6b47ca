#include "ui/modern_surface.h"

#include "graphics/bezier_path.h"

void QDLModernSurface::drawRect(graphics::GraphicsContext& context, const toolkit::Rect&) {
  const graphics::Color color = fill_.value_or(graphics::Color::white());
  // A clear plate (a metric tile's) lets what lies behind show through and draws nothing.
  if (!color.isDynamic() && color.alpha() <= 0) return;
  context.fillPath(graphics::BezierPath::roundedRect(bounds(), radius_, radius_), color);
}

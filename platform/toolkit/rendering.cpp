#include "toolkit/rendering.h"

#include <cmath>

#include "graphics/cairo_context.h"
#include "toolkit/window.h"

namespace toolkit {

namespace {

// The context's user space is the superview's coordinate system.
void drawTree(View& view, graphics::GraphicsContext& context) {
  if (view.isHidden()) return;
  if (!view.frame().intersects(context.clipBoundingBox())) return;
  context.saveGState();
  context.concat(view.transformToSuperview());
  context.setFlipped(view.isFlipped());
  context.setAppearance(view.effectiveAppearance());
  context.clipToRect(view.bounds());
  const Rect dirty = view.bounds().intersection(context.clipBoundingBox());
  auto drawContent = [&] {
    context.saveGState();
    view.drawRect(context, dirty);
    context.restoreGState();
  };
  if (const auto& layer = view.layer()) layer->render(context, drawContent);
  else drawContent();
  // Drawing may not change the tree, but a view's drawing code is not ours to trust.
  const auto subviews = view.subviews();
  for (const auto& sub : subviews) drawTree(*sub, context);
  context.restoreGState();
}

}  // namespace

void drawWindow(Window& window, graphics::GraphicsContext& context) {
  window.layoutIfNeeded();
  context.saveGState();
  // The window's own coordinates are y up from its bottom-left corner.
  context.concat({1, 0, 0, -1, 0, window.frame().height()});
  context.setAppearance(window.effectiveAppearance());
  drawTree(window.frameView(), context);
  context.restoreGState();
}

std::string windowPNGData(Window& window, double scale) {
  const Rect frame = window.frame();
  // Windows are opaque: every frame view fills its background.
  auto context = graphics::CairoContext::bitmap(frame.width(), frame.height(), scale, graphics::CairoContext::Alpha::opaque);
  if (!context) return {};
  drawWindow(window, *context);
  return context->pngData();
}

std::string renderWindowToPNG(Window& window, const std::string& path, double scale) {
  const Rect frame = window.frame();
  if (!std::isfinite(scale) || scale <= 0 || scale > 8) return "The scale must be above 0 and at most 8.";
  auto context = graphics::CairoContext::bitmap(frame.width(), frame.height(), scale, graphics::CairoContext::Alpha::opaque);
  if (!context) return "The window is too large to render.";
  drawWindow(window, *context);
  return context->writePNG(path);
}

}  // namespace toolkit

#include "graphics/context.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace graphics {

void GraphicsContext::saveGState() {
  stack_.push_back(state_);
  onSave();
}

void GraphicsContext::restoreGState() {
  if (stack_.empty()) return;
  state_ = stack_.back();
  stack_.pop_back();
  onRestore();
}

void GraphicsContext::concat(const AffineTransform& t) {
  state_.transform = AffineTransform::concat(t, state_.transform);
  onTransform(state_.transform);
}

void GraphicsContext::translate(double dx, double dy) { concat(AffineTransform::translation(dx, dy)); }
void GraphicsContext::scale(double sx, double sy) { concat(AffineTransform::scaling(sx, sy)); }
void GraphicsContext::rotate(double degrees) { concat(AffineTransform::rotation(degrees * std::numbers::pi / 180)); }

void GraphicsContext::setAlpha(double alpha) {
  state_.alpha = std::isnan(alpha) ? 0.0 : std::clamp(alpha, 0.0, 1.0);
}

void GraphicsContext::clipToRect(const Rect& rect) { clipToPath(BezierPath::rect(rect)); }

void GraphicsContext::clipToPath(const BezierPath& path) {
  const Rect device = state_.transform.apply(path.bounds());
  state_.deviceClip = state_.clipped ? state_.deviceClip.intersection(device) : device;
  state_.clipped = true;
  onClip(path);
}

Rect GraphicsContext::clipBoundingBox() const {
  if (!state_.clipped) return {-1e9, -1e9, 2e9, 2e9};
  return state_.transform.inverted().apply(state_.deviceClip);
}

Color GraphicsContext::prepared(const Color& color) const {
  const Color c = color.resolved(state_.appearance);
  return state_.alpha >= 1 ? c : c.withAlpha(c.alpha() * state_.alpha);
}

void GraphicsContext::fillPath(const BezierPath& path, const Color& color) { onFill(path, prepared(color)); }

void GraphicsContext::fillPath(const BezierPath& path, const Gradient& gradient) {
  Gradient resolved = gradient;
  for (auto& stop : resolved.stops) stop.second = prepared(stop.second);
  onGradientFill(path, resolved);
}

void GraphicsContext::onGradientFill(const BezierPath& path, const Gradient& gradient) {
  if (!gradient.stops.empty()) onFill(path, gradient.stops[gradient.stops.size() / 2].second);
}

void GraphicsContext::strokePath(const BezierPath& path, const Color& color) { onStroke(path, prepared(color)); }

void GraphicsContext::fillRect(const Rect& rect, const Color& color) { fillPath(BezierPath::rect(rect), color); }

AffineTransform GraphicsContext::uprightBox(const Rect& rect, Size unit, bool upright) const {
  const double sx = unit.width > 0 ? rect.width() / unit.width : 1;
  const double sy = unit.height > 0 ? rect.height() / unit.height : 1;
  // In a y-up space the rectangle's visual top is its maximum y, and y has to be turned over to run down. Not kept
  // upright, a flipped space shows the box upside down, as the unflipped one would.
  const bool turn = !state_.flipped || !upright;
  const AffineTransform local = turn ? AffineTransform{sx, 0, 0, -sy, rect.minX(), rect.maxY()}
                                     : AffineTransform{sx, 0, 0, sy, rect.minX(), rect.minY()};
  return local;
}

void GraphicsContext::drawString(const std::string& text, const Rect& rect, const TextAttributes& attributes) {
  TextDraw draw;
  draw.text = text;
  draw.rect = rect;
  draw.attributes = attributes;
  draw.attributes.color = prepared(attributes.color);
  draw.box = uprightBox(rect, {}, true);
  const Font& font = attributes.font;
  const LineBreakMode mode = attributes.paragraph.lineBreakMode;
  draw.lines = measurer_->lines(text, font, rect.width(), mode);
  const double lineHeight = font.lineHeight();
  for (std::size_t i = 0; i < draw.lines.size(); ++i) {
    const double top = lineHeight * static_cast<double>(i);
    // Lines below the rectangle are not drawn; the first always is.
    if (i > 0 && top >= rect.height()) {
      draw.lines.resize(i);
      break;
    }
    double x = 0;
    const TextAlignment align = attributes.paragraph.alignment;
    if (align == TextAlignment::center || align == TextAlignment::right) {
      const double free = rect.width() - measurer_->width(draw.lines[i], font);
      x = align == TextAlignment::center ? free / 2 : free;
    }
    draw.lineOrigins.push_back({x, top});
  }
  draw.clipped = mode == LineBreakMode::clipping || (wraps(mode) && draw.lines.size() > 1);
  onText(draw);
}

void GraphicsContext::drawString(const std::string& text, const Point& point, const TextAttributes& attributes) {
  TextAttributes unlimited = attributes;
  unlimited.paragraph.lineBreakMode = LineBreakMode::wordWrap;
  unlimited.paragraph.alignment = TextAlignment::left;
  TextDraw draw;
  draw.text = text;
  draw.rect = {point, measurer_->size(text, attributes.font)};
  draw.attributes = unlimited;
  draw.attributes.color = prepared(attributes.color);
  draw.box = uprightBox(draw.rect, {}, true);
  draw.lines = measurer_->wrappedLines(text, attributes.font, 1e300, LineBreakMode::wordWrap);
  for (std::size_t i = 0; i < draw.lines.size(); ++i) {
    draw.lineOrigins.push_back({0, attributes.font.lineHeight() * static_cast<double>(i)});
  }
  onText(draw);
}

void GraphicsContext::drawImage(const std::shared_ptr<const Image>& image, const Rect& rect,
                                CompositingOperation operation, double fraction, bool respectFlipped) {
  if (!image || rect.isEmpty()) return;
  ImageDraw draw;
  draw.image = image;
  draw.rect = rect;
  draw.box = uprightBox(rect, image->size(), respectFlipped);
  draw.operation = operation;
  draw.alpha = (std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0)) * state_.alpha;
  draw.tint = (image->paletteColor() ? *image->paletteColor() : Color::named(SystemColor::label))
                  .resolved(state_.appearance);
  onImage(draw);
}

}  // namespace graphics

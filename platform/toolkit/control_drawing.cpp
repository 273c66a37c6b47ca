#include "toolkit/control_drawing.h"

namespace toolkit::plain {

using graphics::BezierPath;
using graphics::Color;

Color accent() { return Color::named(graphics::SystemColor::controlAccent); }

void bezel(graphics::GraphicsContext& context, const Rect& rect, bool highlighted, bool enabled, bool accented,
           double radius) {
  const Rect plate = rect.insetBy(0.5, 0.5);
  // In the dark appearance a plain plate is a light veil over the window, under light text.
  const bool dark = context.appearance() == graphics::Appearance::darkAqua;
  Color fill = accented ? accent() : dark ? Color::grey(1, 0.25) : Color::white();
  if (highlighted && enabled) fill = fill.blended(0.15, dark && !accented ? Color::white() : Color::black());
  context.saveGState();
  if (!enabled) context.setAlpha(context.alpha() * 0.5);
  context.fillPath(BezierPath::roundedRect(plate, radius, radius), fill);
  BezierPath border = BezierPath::roundedRect(plate, radius, radius);
  border.lineWidth = 1;
  const Color edge = accented ? fill.blended(0.2, Color::black()) : dark ? Color::grey(1, 0.12) : Color::grey(0, 0.2);
  context.strokePath(border, edge);
  context.restoreGState();
}

void label(graphics::GraphicsContext& context, const std::string& text, const Rect& rect, const graphics::Font& font,
           const Color& color, graphics::TextAlignment alignment, graphics::LineBreakMode mode) {
  const double h = font.lineHeight();
  const Rect line{rect.minX(), rect.minY() + (rect.height() - h) / 2, rect.width(), h};
  context.drawString(text, line, {font, color, {alignment, mode}});
}

void checkMark(graphics::GraphicsContext& context, const Rect& box, long state, bool enabled, bool radio) {
  context.saveGState();
  if (!enabled) context.setAlpha(context.alpha() * 0.5);
  const bool on = state != 0;
  const Rect plate = box.insetBy(0.5, 0.5);
  const BezierPath shape = radio ? BezierPath::oval(plate) : BezierPath::roundedRect(plate, 3, 3);
  context.fillPath(shape, on ? accent() : Color::white());
  BezierPath border = shape;
  border.lineWidth = 1;
  context.strokePath(border, on ? accent() : Color::grey(0, 0.35));
  if (on && radio) {
    const double r = box.width() / 5;
    context.fillPath(BezierPath::oval({box.midX() - r, box.midY() - r, 2 * r, 2 * r}), Color::white());
  } else if (state < 0) {
    BezierPath dash;
    dash.moveTo({box.minX() + box.width() * 0.25, box.midY()});
    dash.lineTo({box.maxX() - box.width() * 0.25, box.midY()});
    dash.lineWidth = 2;
    dash.lineCap = graphics::LineCap::round;
    context.strokePath(dash, Color::white());
  } else if (on) {
    // Drawn the same way up in either orientation: the mark's corner sits at the box's lower middle.
    const double w = box.width(), h = box.height();
    const bool flipped = context.isFlipped();
    auto at = [&](double fx, double fyFromTop) {
      return graphics::Point{box.minX() + w * fx, flipped ? box.minY() + h * fyFromTop : box.maxY() - h * fyFromTop};
    };
    BezierPath tick;
    tick.moveTo(at(0.25, 0.52));
    tick.lineTo(at(0.43, 0.72));
    tick.lineTo(at(0.76, 0.30));
    tick.lineWidth = 2;
    tick.lineCap = graphics::LineCap::round;
    tick.lineJoin = graphics::LineJoin::round;
    context.strokePath(tick, Color::white());
  }
  context.restoreGState();
}

void popUpArrows(graphics::GraphicsContext& context, const Rect& rect, bool pullsDown, bool enabled) {
  const Color ink = enabled ? Color::grey(0, 0.7) : Color::grey(0, 0.3);
  const double cx = rect.midX(), cy = rect.midY();
  const double up = context.isFlipped() ? -1 : 1;
  auto chevron = [&](double dy, double direction) {
    BezierPath p;
    p.moveTo({cx - 3, cy + up * (dy - direction * 1.5)});
    p.lineTo({cx, cy + up * (dy + direction * 1.5)});
    p.lineTo({cx + 3, cy + up * (dy - direction * 1.5)});
    p.lineWidth = 1.4;
    p.lineCap = graphics::LineCap::round;
    p.lineJoin = graphics::LineJoin::round;
    context.strokePath(p, ink);
  };
  if (pullsDown) {
    chevron(0, -1);
  } else {
    chevron(3, 1);
    chevron(-3, -1);
  }
}

}  // namespace toolkit::plain

#include "ui/modern_button.h"

#include <algorithm>

#include "graphics/bezier_path.h"
#include "graphics/image.h"
#include "graphics/text_measurer.h"
#include "ui/palette.h"

namespace {

using graphics::Font;
using graphics::FontWeight;

double titleSize(bool compact, bool navigation, bool output) {
  if (navigation) return compact ? 13 : 14;
  if (output) return compact ? 15 : 16;
  return compact ? 12 : 13;
}

}  // namespace

std::shared_ptr<QDLModernButton> QDLModernButton::buttonWithTitle(const std::string& title, Action action) {
  auto button = std::make_shared<QDLModernButton>();
  button->setTitle(title);
  button->setAction(std::move(action));
  button->setButtonType(toolkit::ButtonType::momentaryPushIn);
  button->setBordered(false);
  button->setFont(Font::system(13, FontWeight::medium));
  return button;
}

void QDLModernButton::setState(long state) {
  Button::setState(state);
  setNeedsDisplay(true);
}

void QDLModernButton::setEnabled(bool enabled) {
  Button::setEnabled(enabled);
  setNeedsDisplay(true);
}

toolkit::Size QDLModernButton::intrinsicContentSize() const {
  if (title().empty()) return {28, 28};
  const Font measuring = compact_ ? Font::system(navigation_ ? 13 : output_ ? 15 : 12, FontWeight::semibold) : font();
  const double margin = symbolName_.empty() ? 20 : compact_ ? 40 : 48;
  const double width = graphics::textMeasurer().width(title(), measuring) + margin;
  return {std::max(27.0, width), tile_ ? 78.0 : 30.0};
}

void QDLModernButton::drawRect(graphics::GraphicsContext& context, const toolkit::Rect&) {
  const double w = bounds().width(), h = bounds().height();
  const bool on = state() == toolkit::control_state::on;
  const bool accented = primary_ || output_ || (navigation_ && on);

  graphics::Color plate = accented ? (output_       ? QDLModernOutput()
                                      : navigation_ ? QDLModernSelection()
                                                    : QDLModernBlue())
                                   : (navigation_ ? QDLModernSidebar() : QDLModernPale());
  if (isHighlighted() && isEnabled()) plate = plate.blended(0.12, graphics::Color::black());
  const double radius = navigation_ ? 0 : 6;
  context.fillPath(graphics::BezierPath::roundedRect(toolkit::Rect{0, 0, w, h}.insetBy(0.5, 0.5), radius, radius),
                   plate);

  const double alpha = isEnabled() ? 1.0 : 0.35;
  graphics::Color titleColor = !accented && !navigation_ ? QDLModernInk() : graphics::Color::white();
  if (navigation_ && on) titleColor = QDLModernSidebar();
  titleColor = titleColor.withAlpha(alpha);

  if (navigation_ && on) context.fillRect({0, 0, 3, h}, QDLModernSidebar());

  graphics::ParagraphStyle paragraph{navigation_ ? graphics::TextAlignment::left : graphics::TextAlignment::center,
                                     graphics::LineBreakMode::truncatingTail};
  const Font font = Font::system(titleSize(compact_, navigation_, output_),
                                 accented || navigation_ ? FontWeight::semibold : FontWeight::medium);
  const double s = tile_ ? (compact_ ? 18 : 24) : (compact_ ? 16 : 19);

  toolkit::Rect titleRect{8, (h - 19) / 2, w - 16, 21};
  toolkit::Point symbol{(w - s) / 2, (h - s) / 2};
  if (tile_ && !compact_) {
    symbol.y = 14;
    titleRect = {3, h - 28, w - 6, 21};
  } else if (tile_) {
    symbol.y = 7;
    titleRect = {3, 29, w - 6, h - 30};
    paragraph.lineBreakMode = graphics::LineBreakMode::wordWrap;
  } else if (navigation_) {
    symbol.x = compact_ ? 16 : 18;
    titleRect = compact_ ? toolkit::Rect{40, (h - 20) / 2, w - 46, 22} : toolkit::Rect{49, (h - 20) / 2, w - 57, 22};
  } else if (!title().empty() && !symbolName_.empty()) {
    const double tw = context.measurer().width(title(), font);
    symbol.x = std::max(8.0, (w - tw - s - 8) / 2);
    const double x = symbol.x + s + 8;
    titleRect = {x, titleRect.minY(), w - x - 8, titleRect.height()};
    paragraph.alignment = graphics::TextAlignment::left;
  }
  titleRect.size.width = std::max(0.0, titleRect.width());
  titleRect.size.height = std::max(0.0, titleRect.height());

  if (!symbolName_.empty()) {
    if (std::shared_ptr<graphics::Image> image = graphics::Image::systemSymbol(symbolName_)) {
      const graphics::Color tint = !accented && !navigation_ ? QDLModernBlue().withAlpha(alpha) : titleColor;
      image = image->withPalette(tint);
      const toolkit::Size size = image->size();
      if (size.width > 0 && size.height > 0) {
        const double scale = std::min(s / size.width, s / size.height);
        const double dw = size.width * scale, dh = size.height * scale;
        context.drawImage(image, {symbol.x + (s - dw) / 2, symbol.y + (s - dh) / 2, dw, dh},
                          graphics::CompositingOperation::sourceOver, 1.0, true);
      }
    }
  }
  context.drawString(title(), titleRect, {font, titleColor, paragraph});
}

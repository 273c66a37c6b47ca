#include "toolkit/button.h"

#include <algorithm>
#include <cmath>

#include "graphics/text_measurer.h"
#include "toolkit/control_drawing.h"
#include "toolkit/event.h"

namespace toolkit {

namespace {
constexpr double kCheckSide = 14;
constexpr double kCheckGap = 6;

std::shared_ptr<Button> made(const std::string& title, Control::Action action, ButtonType type) {
  auto button = std::make_shared<Button>();
  button->setTitle(title);
  button->setAction(std::move(action));
  button->setButtonType(type);
  button->setFrameSize(button->intrinsicContentSize());
  return button;
}
}  // namespace

std::shared_ptr<Button> Button::buttonWithTitle(const std::string& title, Action action) {
  return made(title, std::move(action), ButtonType::momentaryPushIn);
}

std::shared_ptr<Button> Button::checkboxWithTitle(const std::string& title, Action action) {
  return made(title, std::move(action), ButtonType::switchButton);
}

std::shared_ptr<Button> Button::radioButtonWithTitle(const std::string& title, Action action) {
  return made(title, std::move(action), ButtonType::radio);
}

std::shared_ptr<Button> Button::buttonWithImage(std::shared_ptr<graphics::Image> image, Action action) {
  auto button = std::make_shared<Button>();
  button->setImage(std::move(image));
  button->setImagePosition(ImagePosition::imageOnly);
  button->setAction(std::move(action));
  button->setFrameSize(button->intrinsicContentSize());
  return button;
}

std::uint64_t Button::modifierMask() { return modifier::deviceIndependentMask; }

void Button::setTitle(const std::string& title) {
  // A label that came from the title follows it. One the owner set apart from the title stays, and so does the
  // label of a button whose wording leaves the title for its tooltip.
  if (!title.empty() && !title_.empty() && accessibilityLabel() == title_) setAccessibilityLabel(title);
  title_ = title;
  setNeedsDisplay();
}

void Button::setState(long state) {
  if (state < 0 && !allowsMixedState_) state = control_state::on;
  state_ = state < 0 ? control_state::mixed : state > 0 ? control_state::on : control_state::off;
  setNeedsDisplay();
}

void Button::setButtonType(ButtonType type) {
  type_ = type;
  if (isCheckLike()) bordered_ = false;
  setNeedsDisplay();
}

void Button::setImage(std::shared_ptr<graphics::Image> image) {
  image_ = std::move(image);
  if (image_ && imagePosition_ == ImagePosition::noImage) {
    imagePosition_ = title_.empty() ? ImagePosition::imageOnly : ImagePosition::imageLeft;
  }
  setNeedsDisplay();
}

void Button::performClick(Responder*) {
  if (!isEnabled()) return;
  switch (type_) {
    case ButtonType::switchButton:
    case ButtonType::pushOnPushOff:
    case ButtonType::toggle:
    case ButtonType::onOff:
      // Mixed goes to on, on to off, off to on.
      setState(state_ == control_state::on ? control_state::off : control_state::on);
      break;
    case ButtonType::radio:
      setState(control_state::on);
      break;
    default:
      break;
  }
  sendAction();
}

void Button::clicked(const Event&) { performClick(); }

bool Button::performKeyEquivalent(const Event& event) {
  if (keyEquivalent_.empty() || !isEnabled() || isHiddenOrHasHiddenAncestor()) return false;
  if (event.type() != EventType::keyDown) return false;
  if ((event.modifierFlags() & modifierMask()) != keyModifiers_) return false;
  if (event.charactersIgnoringModifiers() != keyEquivalent_ && event.characters() != keyEquivalent_) return false;
  performClick();
  return true;
}

Size Button::intrinsicContentSize() const {
  const graphics::TextMeasurer& measurer = graphics::textMeasurer();
  const double text = title_.empty() ? 0 : std::ceil(measurer.width(title_, font()));
  const double lineHeight = std::ceil(font().lineHeight());
  if (isCheckLike()) return {kCheckSide + (text > 0 ? kCheckGap + text : 0) + 2, std::max(kCheckSide + 2, lineHeight)};
  double imageWidth = 0, imageHeight = 0;
  if (image_ && imagePosition_ != ImagePosition::noImage) {
    imageWidth = image_->size().width;
    imageHeight = image_->size().height;
  }
  const bool imageOnly = imagePosition_ == ImagePosition::imageOnly || (image_ && title_.empty());
  double w = imageOnly ? imageWidth : text + (imageWidth > 0 ? imageWidth + 4 : 0);
  double h = std::max(imageOnly ? imageHeight : lineHeight, imageHeight);
  if (bordered_) {
    w += 24;
    h = std::max(h + 4, 24.0);
  }
  return {std::max(w, bordered_ ? 32.0 : 0.0), h};
}

void Button::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  const bool enabled = isEnabled();
  const graphics::Color ink = enabled ? graphics::Color::named(graphics::SystemColor::controlText)
                                      : graphics::Color::named(graphics::SystemColor::disabledControlText);
  if (isCheckLike()) {
    const Rect mark{0, (box.height() - kCheckSide) / 2, kCheckSide, kCheckSide};
    plain::checkMark(context, mark, state_, enabled, type_ == ButtonType::radio);
    const double x = kCheckSide + kCheckGap;
    plain::label(context, title_, {x, 0, std::max(0.0, box.width() - x), box.height()}, font(), ink,
                 graphics::TextAlignment::left);
    return;
  }
  const bool isDefault = keyEquivalent_ == key::carriageReturn && keyModifiers_ == 0;
  const bool lit = state_ == control_state::on && (type_ == ButtonType::pushOnPushOff || type_ == ButtonType::toggle ||
                                                   type_ == ButtonType::onOff);
  if (bordered_) plain::bezel(context, box, isHighlighted() || lit, enabled, isDefault && enabled);
  const graphics::Color textColor = isDefault && bordered_ && enabled ? graphics::Color::white() : ink;
  Rect textRect = bordered_ ? box.insetBy(8, 0) : box;
  if (image_ && imagePosition_ != ImagePosition::noImage) {
    const Size is = image_->size();
    const bool imageOnly = imagePosition_ == ImagePosition::imageOnly || title_.empty();
    double x = (box.width() - is.width) / 2;
    if (!imageOnly) {
      const double text = graphics::textMeasurer().width(title_, font());
      // The image and the title go together where the alignment puts the title; centred by default.
      const double group = is.width + 4 + text;
      const graphics::TextAlignment align = alignment();
      x = align == graphics::TextAlignment::left    ? textRect.minX()
          : align == graphics::TextAlignment::right ? std::max(textRect.minX(), textRect.maxX() - group)
                                                    : std::max(textRect.minX(), (box.width() - group) / 2);
      textRect = {x + is.width + 4, textRect.minY(), std::max(0.0, textRect.maxX() - x - is.width - 4),
                  textRect.height()};
    }
    auto tinted = image_->isSymbol() && !image_->paletteColor() ? image_->withPalette(textColor) : image_;
    context.saveGState();
    if (!enabled) context.setAlpha(context.alpha() * 0.5);
    context.drawImage(tinted, {x, (box.height() - is.height) / 2, is.width, is.height});
    context.restoreGState();
    if (imageOnly) return;
    plain::label(context, title_, textRect, font(), textColor, graphics::TextAlignment::left);
    return;
  }
  plain::label(context, title_, textRect, font(), textColor,
               alignment() == graphics::TextAlignment::natural ? graphics::TextAlignment::center : alignment());
}

}  // namespace toolkit

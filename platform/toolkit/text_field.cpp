#include "toolkit/text_field.h"

#include <algorithm>
#include <cmath>

#include "foundation/string_values.h"
#include "graphics/text_measurer.h"
#include "toolkit/control_drawing.h"
#include "toolkit/event.h"
#include "toolkit/window.h"

namespace toolkit {

std::optional<std::string> IntegerFormatter::refusal(const std::string& text) const {
  const std::optional<std::int64_t> value = foundation::scanInteger(text);
  if (!value) return "\"" + text + "\" is not a whole number.";
  if (minimum && *value < *minimum) return "The value must be at least " + std::to_string(*minimum) + ".";
  if (maximum && *value > *maximum) return "The value must be at most " + std::to_string(*maximum) + ".";
  return std::nullopt;
}

std::shared_ptr<TextField> TextField::labelWithString(const std::string& text) {
  auto field = std::make_shared<TextField>();
  field->setStringValue(text);
  field->setLineBreakMode(graphics::LineBreakMode::clipping);
  field->setUsesSingleLineMode(true);
  field->setFrameSize(field->intrinsicContentSize());
  return field;
}

std::shared_ptr<TextField> TextField::wrappingLabelWithString(const std::string& text) {
  auto field = std::make_shared<TextField>();
  field->setStringValue(text);
  field->setSelectable(true);
  field->setFrameSize(field->intrinsicContentSize());
  return field;
}

std::shared_ptr<TextField> TextField::textFieldWithString(const std::string& text) {
  auto field = std::make_shared<TextField>();
  field->setStringValue(text);
  field->setEditable(true);
  field->setBezeled(true);
  field->setDrawsBackground(true);
  field->setUsesSingleLineMode(true);
  field->setScrollable(true);
  field->setFrameSize({96, field->intrinsicContentSize().height});
  return field;
}

void TextField::setStringValue(const std::string& text) {
  value_ = text;
  editing_ = false;
  editingText_.clear();
  setNeedsDisplay();
}

std::int64_t TextField::integerValue() const { return foundation::integerValue(stringValue()); }
double TextField::doubleValue() const { return foundation::doubleValue(stringValue()); }
void TextField::setIntegerValue(std::int64_t value) { setStringValue(std::to_string(value)); }

void TextField::setPlaceholderString(const std::string& text) {
  placeholder_ = text;
  setNeedsDisplay();
}

void TextField::setEditable(bool on) {
  editable_ = on;
  if (!on && editing_) setStringValue(value_);
}

void TextField::setBordered(bool on) {
  bordered_ = on;
  setNeedsDisplay();
}

void TextField::setBezeled(bool on) {
  bezeled_ = on;
  setNeedsDisplay();
}

void TextField::setDrawsBackground(bool on) {
  drawsBackground_ = on;
  setNeedsDisplay();
}

void TextField::setTextColor(std::optional<graphics::Color> color) {
  textColor_ = std::move(color);
  setNeedsDisplay();
}

void TextField::setLineBreakMode(graphics::LineBreakMode mode) {
  lineBreakMode_ = mode;
  setNeedsDisplay();
}

void TextField::startEditing(const std::string& text) {
  if (!editing_) {
    editing_ = true;
    if (Window* w = window(); w != nullptr && w->firstResponder() != this) w->makeFirstResponder(this);
  }
  editingText_ = text;
  setNeedsDisplay();
}

bool TextField::userType(const std::string& text) {
  if (!isEnabled() || !editable_) return false;
  startEditing(text);
  return true;
}

bool TextField::userCommit() {
  if (!editing_) return false;
  if (formatter_) {
    if (auto reason = formatter_->refusal(editingText_)) {
      lastRefusal_ = *reason;
      return false;
    }
  }
  lastRefusal_.clear();
  value_ = editingText_;
  editing_ = false;
  editingText_.clear();
  setNeedsDisplay();
  sendAction();
  return true;
}

bool TextField::resignFirstResponder() {
  // Leaving the field ends editing, unless the formatter refuses the text.
  if (editing_) return userCommit();
  return true;
}

void TextField::mouseDown(const Event& event) {
  // Only a field that edits takes clicks; a label lets them through to what it stands on.
  if (!editable_) {
    View::mouseDown(event);
    return;
  }
  Control::mouseDown(event);
}

void TextField::mouseUp(const Event& event) {
  if (!editable_) {
    View::mouseUp(event);
    return;
  }
  setHighlighted(false);
}

void TextField::keyDown(const Event& event) {
  if (editing_ && event.charactersIgnoringModifiers() == key::carriageReturn) {
    userCommit();
    return;
  }
  Control::keyDown(event);
}

graphics::LineBreakMode TextField::drawnLineBreakMode() const {
  if ((singleLine_ || scrollable_ || maxLines_ == 1) && graphics::wraps(lineBreakMode_)) {
    return graphics::LineBreakMode::clipping;
  }
  return lineBreakMode_;
}

Size TextField::intrinsicContentSize() const {
  const double inset = bezeled_ || bordered_ ? 6 : 0;
  const double lineHeight = std::ceil(font().lineHeight());
  if (editable_) return {kNoIntrinsicMetric, lineHeight + inset};
  const graphics::Size text = graphics::textMeasurer().size(stringValue(), font());
  const double lines = drawnLineBreakMode() == lineBreakMode_ && graphics::wraps(lineBreakMode_)
                           ? std::max(1.0, std::round(text.height / font().lineHeight()))
                           : 1.0;
  return {std::ceil(text.width) + 4 + inset, lineHeight * lines + inset};
}

void TextField::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  if (drawsBackground_ || bezeled_) {
    context.fillRect(box, backgroundColor_.value_or(graphics::Color::named(graphics::SystemColor::textBackground)));
  }
  if (bezeled_ || bordered_) {
    graphics::BezierPath border = graphics::BezierPath::rect(box.insetBy(0.5, 0.5));
    border.lineWidth = 1;
    context.strokePath(border, graphics::Color::grey(0, bezeled_ ? 0.25 : 0.5));
  }
  const double inset = bezeled_ || bordered_ ? 3 : 0;
  const Rect textRect = box.insetBy(2 + inset, inset);
  const std::string text = drawnText(context.measurer(), textRect.width());
  graphics::Color ink = textColor_.value_or(
      graphics::Color::named(editable_ ? graphics::SystemColor::text : graphics::SystemColor::label));
  if (!isEnabled()) ink = graphics::Color::named(graphics::SystemColor::disabledControlText);
  graphics::ParagraphStyle paragraph{alignment(), drawnLineBreakMode()};
  if (text.empty() && !placeholder_.empty()) {
    context.drawString(placeholder_, textRect,
                       {font(), graphics::Color::named(graphics::SystemColor::tertiaryLabel), paragraph});
    return;
  }
  context.drawString(text, textRect, {font(), ink, paragraph});
}

std::string TextField::drawnText(const graphics::TextMeasurer&, double) const { return stringValue(); }

SearchField::SearchField() {
  setEditable(true);
  setBezeled(true);
  setDrawsBackground(true);
  setUsesSingleLineMode(true);
  setScrollable(true);
}

SearchField::SearchField(const Rect& frame) : SearchField() { setFrame(frame); }

bool SearchField::userType(const std::string& text) {
  if (!TextField::userType(text)) return false;
  // Every change is a search.
  userCommit();
  return true;
}

void SearchField::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  const double r = box.height() / 2;
  context.fillPath(graphics::BezierPath::roundedRect(box.insetBy(0.5, 0.5), r, r),
                   graphics::Color::named(graphics::SystemColor::textBackground));
  graphics::BezierPath border = graphics::BezierPath::roundedRect(box.insetBy(0.5, 0.5), r, r);
  border.lineWidth = 1;
  context.strokePath(border, graphics::Color::grey(0, 0.25));
  // A magnifier: a ring and a handle.
  const double cy = box.midY();
  graphics::BezierPath lens = graphics::BezierPath::oval({8, cy - 4, 7, 7});
  lens.lineWidth = 1.3;
  context.strokePath(lens, graphics::Color::grey(0, 0.5));
  const Rect textRect{22, box.minY(), std::max(0.0, box.width() - 28), box.height()};
  const std::string& text = stringValue();
  const bool empty = text.empty();
  plain::label(context, empty ? placeholderString() : text, textRect, font(),
               graphics::Color::named(empty ? graphics::SystemColor::tertiaryLabel : graphics::SystemColor::text),
               graphics::TextAlignment::left, graphics::LineBreakMode::clipping);
}

}  // namespace toolkit

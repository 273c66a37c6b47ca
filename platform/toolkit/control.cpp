#include "toolkit/control.h"

#include "toolkit/application.h"
#include "toolkit/event.h"

namespace toolkit {

bool Control::sendAction() {
  if (!action_) return false;
  // The action may replace itself or drop the last other reference to this control.
  const Action action = action_;
  const std::shared_ptr<View> keep = weak_from_this().lock();
  return Application::shared().sendAction([&] { action(*this); });
}

void Control::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) highlighted_ = false;
  setNeedsDisplay();
}

void Control::setFont(const graphics::Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void Control::setAlignment(graphics::TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void Control::setHighlighted(bool on) {
  highlighted_ = on;
  setNeedsDisplay();
}

void Control::mouseDown(const Event&) {
  if (enabled_) setHighlighted(true);
}

void Control::mouseUp(const Event& event) {
  const bool wasHighlighted = highlighted_;
  setHighlighted(false);
  if (!enabled_ || !wasHighlighted) return;
  if (bounds().contains(convertPointFromView(event.locationInWindow(), nullptr))) clicked(event);
}

void Control::clicked(const Event&) { sendAction(); }

}  // namespace toolkit

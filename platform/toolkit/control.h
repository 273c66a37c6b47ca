#pragma once
// Controls: views that the user acts on. A control's action is a callable taking the control; it is sent when
// the user changes the control (a click, a typed value, a chosen item), never by a setter called from code.

#include <functional>

#include "graphics/font.h"
#include "graphics/text_style.h"
#include "toolkit/view.h"

namespace toolkit {

enum class ControlSize { regular = 0, small = 1, mini = 2, large = 3 };

class Control : public View {
 public:
  using Action = std::function<void(Control& sender)>;

  Control() = default;
  explicit Control(const Rect& frame) : View(frame) {}

  const Action& action() const { return action_; }
  void setAction(Action action) { action_ = std::move(action); }
  // Sends the action through the application whatever the enabled state; false without an action.
  bool sendAction();

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  const graphics::Font& font() const { return font_; }
  virtual void setFont(const graphics::Font& font);
  graphics::TextAlignment alignment() const { return alignment_; }
  void setAlignment(graphics::TextAlignment alignment);
  ControlSize controlSize() const { return controlSize_; }
  void setControlSize(ControlSize size) { controlSize_ = size; }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool on);

  bool isAccessibilityElement() const override { return true; }

  // A click: the mouse goes down and comes up inside the enabled control.
  void mouseDown(const Event& event) override;
  void mouseUp(const Event& event) override;

 protected:
  // What a completed click does.
  virtual void clicked(const Event& event);

 private:
  Action action_;
  bool enabled_ = true;
  graphics::Font font_;
  graphics::TextAlignment alignment_ = graphics::TextAlignment::natural;
  ControlSize controlSize_ = ControlSize::regular;
  bool highlighted_ = false;
};

}  // namespace toolkit

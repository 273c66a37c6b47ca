#pragma once
// Buttons: push buttons, check boxes, radio buttons and image buttons, with key equivalents.

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/image.h"
#include "toolkit/control.h"

namespace toolkit {

namespace control_state {
inline constexpr long mixed = -1;
inline constexpr long off = 0;
inline constexpr long on = 1;
}  // namespace control_state

enum class ButtonType {
  momentaryLight = 0,
  pushOnPushOff = 1,
  toggle = 2,
  switchButton = 3,  // check box
  radio = 4,
  momentaryChange = 5,
  onOff = 6,
  momentaryPushIn = 7,
};

enum class BezelStyle {
  push = 1,  // the rounded push button
  regularSquare = 2,
  disclosure = 5,
  shadowlessSquare = 6,
  circular = 7,
  texturedSquare = 8,
  helpButton = 9,
  smallSquare = 10,
  texturedRounded = 11,
  roundRect = 12,
  recessed = 13,
  roundedDisclosure = 14,
  inlineStyle = 15,
};

enum class ImagePosition {
  noImage = 0,
  imageOnly = 1,
  imageLeft = 2,
  imageRight = 3,
  imageBelow = 4,
  imageAbove = 5,
  imageOverlaps = 6,
  imageLeading = 7,
  imageTrailing = 8,
};

class Button : public Control {
 public:
  // A push button with the rounded bezel, sized to its title.
  static std::shared_ptr<Button> buttonWithTitle(const std::string& title, Action action);
  static std::shared_ptr<Button> checkboxWithTitle(const std::string& title, Action action);
  static std::shared_ptr<Button> radioButtonWithTitle(const std::string& title, Action action);
  static std::shared_ptr<Button> buttonWithImage(std::shared_ptr<graphics::Image> image, Action action);

  Button() = default;
  explicit Button(const Rect& frame) : Control(frame) {}

  const std::string& title() const { return title_; }
  // An accessibility label equal to the old title follows it to a new, non-empty one.
  virtual void setTitle(const std::string& title);
  long state() const { return state_; }
  // A button that does not allow the mixed state turns it into on.
  virtual void setState(long state);
  bool allowsMixedState() const { return allowsMixedState_; }
  void setAllowsMixedState(bool on) { allowsMixedState_ = on; }
  ButtonType buttonType() const { return type_; }
  void setButtonType(ButtonType type);
  BezelStyle bezelStyle() const { return bezelStyle_; }
  void setBezelStyle(BezelStyle style) { bezelStyle_ = style; }
  bool isBordered() const { return bordered_; }
  void setBordered(bool on) { bordered_ = on; }
  const std::shared_ptr<graphics::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<graphics::Image> image);
  ImagePosition imagePosition() const { return imagePosition_; }
  void setImagePosition(ImagePosition position) { imagePosition_ = position; }
  // A key equivalent fires the button when typed with exactly its modifiers ("\x1b" Escape, "\r" Return).
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  void setKeyEquivalent(const std::string& key) { keyEquivalent_ = key; }
  std::uint64_t keyEquivalentModifierMask() const { return keyModifiers_; }
  void setKeyEquivalentModifierMask(std::uint64_t mask) { keyModifiers_ = mask & modifierMask(); }
  // Marks a button whose action destroys something, such as an alert's "Replace".
  bool hasDestructiveAction() const { return destructive_; }
  void setHasDestructiveAction(bool on) { destructive_ = on; }

  // What a click does, as if the user clicked: a check box, radio or toggle changes state first; then the action.
  // Nothing when disabled.
  void performClick(Responder* sender = nullptr);
  bool performKeyEquivalent(const Event& event) override;

  Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 protected:
  void clicked(const Event& event) override;
  bool isCheckLike() const { return type_ == ButtonType::switchButton || type_ == ButtonType::radio; }

 private:
  static std::uint64_t modifierMask();
  std::string title_;
  long state_ = control_state::off;
  bool allowsMixedState_ = false;
  ButtonType type_ = ButtonType::momentaryPushIn;
  BezelStyle bezelStyle_ = BezelStyle::push;
  bool bordered_ = true;
  std::shared_ptr<graphics::Image> image_;
  ImagePosition imagePosition_ = ImagePosition::noImage;
  std::string keyEquivalent_;
  std::uint64_t keyModifiers_ = 0;
  bool destructive_ = false;
};

}  // namespace toolkit

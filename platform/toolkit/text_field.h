#pragma once
// Text fields, labels and search fields. Setting the value from code sends nothing. The user types into an
// editable field and commits (Return, or leaving the field): a formatter may refuse the text, which keeps the
// field editing; otherwise the value is taken and the action sent. A search field sends on every change.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "graphics/color.h"
#include "graphics/text_style.h"
#include "toolkit/control.h"

namespace graphics {
class TextMeasurer;
}  // namespace graphics

namespace toolkit {

// Decides whether a typed text may become a field's value.
class Formatter {
 public:
  virtual ~Formatter() = default;
  // nullopt accepts the text; otherwise the reason it is refused.
  virtual std::optional<std::string> refusal(const std::string& text) const = 0;
};

// Whole numbers, optionally within limits; blanks around the number are allowed, an empty text is not.
class IntegerFormatter final : public Formatter {
 public:
  std::optional<std::int64_t> minimum;
  std::optional<std::int64_t> maximum;
  std::optional<std::string> refusal(const std::string& text) const override;
};

class TextField : public Control {
 public:
  TextField() = default;
  explicit TextField(const Rect& frame) : Control(frame) {}
  // Not editable, not bordered, no background, one line, clipped: a label.
  static std::shared_ptr<TextField> labelWithString(const std::string& text);
  // Like a label, but wrapping over several lines.
  static std::shared_ptr<TextField> wrappingLabelWithString(const std::string& text);
  // Editable, bezeled, one line.
  static std::shared_ptr<TextField> textFieldWithString(const std::string& text);

  // While the user edits, the text being edited.
  const std::string& stringValue() const { return editing_ ? editingText_ : value_; }
  // Ends any editing; sends nothing.
  virtual void setStringValue(const std::string& text);
  // The leading integer of the text, as system strings read it ("  12abc" → 12, "x" → 0).
  std::int64_t integerValue() const;
  double doubleValue() const;
  void setIntegerValue(std::int64_t value);

  const std::string& placeholderString() const { return placeholder_; }
  void setPlaceholderString(const std::string& text);
  bool isEditable() const { return editable_; }
  void setEditable(bool on);
  bool isSelectable() const { return selectable_ || editable_; }
  void setSelectable(bool on) { selectable_ = on; }
  bool isBordered() const { return bordered_; }
  void setBordered(bool on);
  bool isBezeled() const { return bezeled_; }
  void setBezeled(bool on);
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool on);
  // nullopt: the standard text background.
  const std::optional<graphics::Color>& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<graphics::Color> color) { backgroundColor_ = std::move(color); }
  // nullopt: the standard label (or, editable, text) colour.
  const std::optional<graphics::Color>& textColor() const { return textColor_; }
  void setTextColor(std::optional<graphics::Color> color);
  graphics::LineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(graphics::LineBreakMode mode);
  bool usesSingleLineMode() const { return singleLine_; }
  void setUsesSingleLineMode(bool on) { singleLine_ = on; }
  // The cell scrolls its text instead of wrapping it.
  bool isScrollable() const { return scrollable_; }
  void setScrollable(bool on) { scrollable_ = on; }
  // 0: no limit.
  long maximumNumberOfLines() const { return maxLines_; }
  void setMaximumNumberOfLines(long lines) { maxLines_ = lines < 0 ? 0 : lines; }
  const std::shared_ptr<const Formatter>& formatter() const { return formatter_; }
  void setFormatter(std::shared_ptr<const Formatter> formatter) { formatter_ = std::move(formatter); }

  // The user replaces the field's text by typing (the field becomes first responder). Refused (false) when the
  // field is disabled or not editable.
  virtual bool userType(const std::string& text);
  // The user ends editing: false when not editing or the formatter refuses (editing goes on); otherwise the
  // text becomes the value and the action is sent.
  virtual bool userCommit();
  bool isEditing() const { return editing_; }
  // Why the formatter refused the last commit; empty when it did not.
  const std::string& lastRefusal() const { return lastRefusal_; }

  bool acceptsFirstResponder() const override { return isEnabled() && isSelectable(); }
  bool resignFirstResponder() override;
  void mouseDown(const Event& event) override;
  void mouseUp(const Event& event) override;
  void keyDown(const Event& event) override;

  Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 protected:
  // The mode the text is drawn in: wrapping modes stay on one line in single-line or scrolling fields.
  graphics::LineBreakMode drawnLineBreakMode() const;
  // The value as drawn into a text area `width` wide, before the line break mode applies: the value itself.
  virtual std::string drawnText(const graphics::TextMeasurer& measurer, double width) const;
  void startEditing(const std::string& text);

 private:
  std::string value_;
  std::string editingText_;
  bool editing_ = false;
  std::string placeholder_;
  bool editable_ = false;
  bool selectable_ = false;
  bool bordered_ = false;
  bool bezeled_ = false;
  bool drawsBackground_ = false;
  std::optional<graphics::Color> backgroundColor_;
  std::optional<graphics::Color> textColor_;
  graphics::LineBreakMode lineBreakMode_ = graphics::LineBreakMode::wordWrap;
  bool singleLine_ = false;
  bool scrollable_ = false;
  long maxLines_ = 0;
  std::shared_ptr<const Formatter> formatter_;
  std::string lastRefusal_;
};

class SearchField : public TextField {
 public:
  SearchField();
  explicit SearchField(const Rect& frame);
  bool userType(const std::string& text) override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;
};

}  // namespace toolkit

#include "ui/path_field.h"

QDLPathField::QDLPathField(const toolkit::Rect& frame) : TextField(frame) {
  setEditable(false);
  setSelectable(true);
  setUsesSingleLineMode(true);
  setScrollable(false);
  setLineBreakMode(graphics::LineBreakMode::truncatingMiddle);
  setContentCompressionResistancePriority(250, toolkit::Orientation::horizontal);
  setContentHuggingPriority(250, toolkit::Orientation::horizontal);
}

toolkit::Size QDLPathField::intrinsicContentSize() const {
  return {toolkit::kNoIntrinsicMetric, TextField::intrinsicContentSize().height};
}

void QDLPathField::setStringValue(const std::string& text) {
  TextField::setStringValue(text);
  setToolTip(text);
}

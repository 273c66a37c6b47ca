#include "ui/compact_label.h"

#include "ui/path_cut.h"

toolkit::Size QDLCompactLabel::intrinsicContentSize() const {
  return {toolkit::kNoIntrinsicMetric, TextField::intrinsicContentSize().height};
}

void QDLCompactLabel::setStringValue(const std::string& text) {
  TextField::setStringValue(text);
  setToolTip(text);
}

std::string QDLCompactLabel::drawnText(const graphics::TextMeasurer& measurer, double width) const {
  return QDLCutInPath(stringValue(), font(), width, measurer);
}

std::shared_ptr<QDLCompactLabel> QDLCompactText(const std::string& text) {
  auto label = std::make_shared<QDLCompactLabel>();
  label->setEditable(false);
  label->setSelectable(true);
  label->setBordered(false);
  label->setDrawsBackground(false);
  label->setUsesSingleLineMode(true);
  label->setScrollable(false);
  label->setLineBreakMode(graphics::LineBreakMode::truncatingTail);
  label->setStringValue(text);
  label->setContentCompressionResistancePriority(250, toolkit::Orientation::horizontal);
  label->setContentHuggingPriority(250, toolkit::Orientation::horizontal);
  return label;
}

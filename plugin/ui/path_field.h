#pragma once
// A read-only, selectable one-line field for paths: a long path shows its beginning and its end around an
// ellipsis, and the tooltip always holds it whole. Border and background are a text field's defaults.

#include <string>

#include "toolkit/text_field.h"

class QDLPathField : public toolkit::TextField {
 public:
  explicit QDLPathField(const toolkit::Rect& frame = {});
  toolkit::Size intrinsicContentSize() const override;
  // The tooltip follows: an empty value gives an empty tooltip.
  void setStringValue(const std::string& text) override;
};

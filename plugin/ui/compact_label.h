#pragma once
// One-line read-only labels whose tooltip always shows their whole value, so that a truncated label can be read
// on hover; a path in a long value is cut in its middle rather than the value at its end. They ask for no width
// of their own: a layout gives them exactly their frame's width.

#include <memory>
#include <string>

#include "toolkit/text_field.h"

class QDLCompactLabel : public toolkit::TextField {
 public:
  using TextField::TextField;
  toolkit::Size intrinsicContentSize() const override;
  // The tooltip follows: an empty value gives an empty tooltip.
  void setStringValue(const std::string& text) override;

 protected:
  // A value too long for the label gives way in the middle of its path, so that a reason after it shows.
  std::string drawnText(const graphics::TextMeasurer& measurer, double width) const override;
};

// A new label showing `text`: not editable, selectable, no border or background, one line that does not scroll
// and is truncated at its tail, with low horizontal hugging and compression resistance.
std::shared_ptr<QDLCompactLabel> QDLCompactText(const std::string& text);

#pragma once
// How a text is set into a rectangle: alignment and what happens to a line that does not fit. The numbering
// follows the platform's, so values stored or compared elsewhere mean the same here.

#include "graphics/color.h"
#include "graphics/font.h"

namespace graphics {

enum class TextAlignment { left = 0, center = 1, right = 2, justified = 3, natural = 4 };

enum class LineBreakMode {
  wordWrap = 0,
  charWrap = 1,
  clipping = 2,
  truncatingHead = 3,
  truncatingTail = 4,
  truncatingMiddle = 5,
};

inline bool wraps(LineBreakMode mode) { return mode == LineBreakMode::wordWrap || mode == LineBreakMode::charWrap; }

struct ParagraphStyle {
  TextAlignment alignment = TextAlignment::natural;
  LineBreakMode lineBreakMode = LineBreakMode::wordWrap;
  friend bool operator==(const ParagraphStyle&, const ParagraphStyle&) = default;
};

struct TextAttributes {
  Font font;
  Color color = Color::named(SystemColor::label);
  ParagraphStyle paragraph;
  friend bool operator==(const TextAttributes&, const TextAttributes&) = default;
};

}  // namespace graphics

#pragma once
// Measuring text, and fitting it to a width: truncation with an ellipsis and line wrapping are worked out here,
// once, from the widths a measurer gives, so that drawing, layout and tests all agree on what a line shows.
//
// Two measurers: the font measurer (Pango with Noto Sans CJK SC), which drawing uses and layout uses by default;
// and a fixed-advance one for unit tests, whose widths do not depend on fonts installed.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/font.h"
#include "graphics/geometry.h"
#include "graphics/text_style.h"

namespace graphics {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The advance width of one line of text (line breaks are not interpreted).
  virtual double width(std::string_view text, const Font& font) const = 0;

  // The text as one line fitting `maxWidth`: unchanged when it fits; else shortened with "…" at the end, the start or
  // the middle, by the mode's truncation (other modes return it unchanged). Just "…" when nothing else fits. Only
  // the first line of a text with line breaks is kept.
  std::string truncated(std::string_view text, const Font& font, double maxWidth, LineBreakMode mode) const;
  // The lines of the text wrapped into `maxWidth`: at blanks and around wide (CJK) characters for word wrap, at
  // any character for character wrap, and always at line breaks; a word wider than the line is broken between
  // characters. Blanks at a wrap stay at the end of the earlier line. Never empty (an empty text is one empty line).
  std::vector<std::string> wrappedLines(std::string_view text, const Font& font, double maxWidth,
                                        LineBreakMode mode) const;
  // The lines a rectangle of that width shows in the given mode: wrapped for the wrapping modes, else one line
  // truncated (or left whole for clipping).
  std::vector<std::string> lines(std::string_view text, const Font& font, double maxWidth, LineBreakMode mode) const;
  // The size of the text laid out in that width (a width of 0 or less: one unlimited line per line break).
  Size size(std::string_view text, const Font& font, double maxWidth = 0,
            LineBreakMode mode = LineBreakMode::wordWrap) const;
};

// Every character advances a fixed share of the font size: wide (East Asian) characters 1 em, combining marks
// nothing, all others `narrowEm`.
class FixedAdvanceMeasurer final : public TextMeasurer {
 public:
  explicit FixedAdvanceMeasurer(double narrowEm = 0.5) : narrowEm_(narrowEm) {}
  double width(std::string_view text, const Font& font) const override;

 private:
  double narrowEm_;
};

// Whether a character is set at double width in East Asian text.
bool isWideCharacter(char32_t c);

// The measurer of the real font, the one drawing uses.
const TextMeasurer& fontMeasurer();
// The measurer that layout asks (controls' natural sizes, truncation in recordings): the font measurer unless a
// test installed another. Main thread only.
const TextMeasurer& textMeasurer();
// nullptr goes back to the font measurer.
void setTextMeasurer(std::shared_ptr<const TextMeasurer> measurer);

}  // namespace graphics

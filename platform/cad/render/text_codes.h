#pragma once
// What a text's codes mean: the %% codes of single-line texts (degree, plus-minus, diameter, character by number;
// underline and overline toggles are left out) and the formatting codes of multiline texts, honoured for
// paragraphs, height, width factor and colour, and taken out for the rest (fonts, tracking, obliquing,
// paragraph settings, underlining). A stacked fraction shows as "top/bottom" on one line.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cad::render {

std::wstring withSpecialCharacters(std::wstring_view text);

struct TextRun {
  std::wstring text;
  double height = 0;  // drawing units
  double widthFactor = 1;
  std::optional<int> aci;            // a colour code; none: the entity's colour
  std::optional<std::uint32_t> rgb;  // 0xRRGGBB
  friend bool operator==(const TextRun&, const TextRun&) = default;
};

// A paragraph is the runs up to a paragraph break; empty runs are dropped, an empty paragraph is kept.
using TextParagraph = std::vector<TextRun>;
std::vector<TextParagraph> mtextParagraphs(std::wstring_view contents, double height, double widthFactor);

}  // namespace cad::render

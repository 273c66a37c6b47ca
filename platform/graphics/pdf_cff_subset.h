#pragma once
// Private to the PDF library: a CFF font program cut down to what its glyphs draw with.

#include <optional>
#include <string>
#include <string_view>

namespace graphics {

// The CFF program (bare, as a PDF's FontFile3 holds it) with every glyph kept at its index but only the
// subroutines, font dicts and strings those glyphs use. A subset writer may keep a whole font's subroutines
// for a handful of glyphs; this drops them. Nothing when the program cannot be read.
std::optional<std::string> compactCffProgram(std::string_view cff);

}  // namespace graphics

#pragma once
// Fitting a one-line text that holds a path and often ends in a reason ("Cannot create folder "/…": Permission
// denied"): the path gives way in its middle, so that its start, its end and everything after it stay readable.

#include <string>
#include <string_view>

namespace graphics {
class Font;
class TextMeasurer;
}  // namespace graphics

// The text as it fits `width`: unchanged when it fits or holds no path; else with "…" in the middle of its path
// (the longest quoted part that holds a "/", else a path that ends the text), as long as the rest fits beside
// at least the ellipsis. Otherwise unchanged, for the line's own truncation.
std::string QDLCutInPath(std::string_view text, const graphics::Font& font, double width,
                         const graphics::TextMeasurer& measurer);

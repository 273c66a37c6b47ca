#pragma once
// Unicode string transforms (ICU underneath, kept out of this header). Text in and out is UTF-8; ill-formed
// input is read with U+FFFD in place of the bad bytes.

#include <string>
#include <string_view>

namespace foundation {

// Simplified → Traditional Chinese, the "Simplified-Traditional" (Hans-Hant) transform. The text comes back
// unchanged when the transform is unavailable.
std::string simplifiedToTraditional(std::string_view text);
// Canonical composition (NFC).
std::string normalizedNFC(std::string_view text);
// Full Unicode lower-casing, independent of language ("ẞ" → "ß", "İ" → "i̇").
std::string lowercased(std::string_view text);
// Full case folding, for comparing texts without regard to case.
std::string caseFolded(std::string_view text);
// Whether `text` contains `part`, ignoring case (an empty part is contained everywhere).
bool containsIgnoringCase(std::string_view text, std::string_view part);
// The text without leading and trailing Unicode white space and line breaks.
std::string trimmedWhitespace(std::string_view text);

// The order a file browser shows names in: digit runs compare by value ("Sheet 2" < "Sheet 10"), case is
// ignored ("a" equals "A"), accents count. Returns -1, 0 or 1. A strict weak ordering, so naturalLess can be
// handed to std::sort and std::stable_sort.
int naturalCompare(std::string_view a, std::string_view b);
inline bool naturalLess(std::string_view a, std::string_view b) { return naturalCompare(a, b) < 0; }

}  // namespace foundation

#pragma once
// Reading numbers and truth values out of text the way system strings do, for settings stored as text and
// numbers typed by the user. Nothing here throws.

#include <cstdint>
#include <optional>
#include <string_view>

namespace foundation {

// The leading integer after optional white space and sign ("12abc" → 12, "3.7" → 3, "x" → 0); out-of-range
// values saturate at the 64-bit limits.
std::int64_t integerValue(std::string_view text) noexcept;
// The leading decimal number ("2.5e3 m" → 2500, "x" → 0); overflow gives ±infinity, underflow 0.
double doubleValue(std::string_view text) noexcept;
// True when, after white space, an optional sign and leading zeros, the text starts with Y, y, T, t or a digit
// 1-9 ("YES", "true", "1", "007" → true; "NO", "0", "" → false).
bool boolValue(std::string_view text) noexcept;
// The whole text as an integer (surrounding white space allowed), std::nullopt when anything else is in it or
// the value does not fit in 64 bits.
std::optional<std::int64_t> scanInteger(std::string_view text) noexcept;

}  // namespace foundation

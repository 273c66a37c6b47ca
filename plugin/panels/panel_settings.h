#pragma once
// The full panel's saved settings as it reads them at creation. A missing key, and a stored value of the wrong
// kind or damaged (text that is no number, a number that is not finite), give the default; a number out of range
// is clamped. Reading writes nothing back.

#include <cstdint>
#include <string>
#include <string_view>

// Whole numbers, also when stored as a finite number with a fraction (cut towards zero) or as text holding only
// a whole number; anything else is `fallback`. The result is kept within [low, high].
std::int64_t panelIntegerSetting(std::string_view key, std::int64_t fallback, std::int64_t low, std::int64_t high);
// A stored bool, a number (non-zero is true) or the text YES/NO/true/false/1/0; anything else is `fallback`.
bool panelBoolSetting(std::string_view key, bool fallback);
// A stored text; anything else is `fallback`.
std::string panelStringSetting(std::string_view key, const std::string& fallback);
// Whether the key holds a value of any kind.
bool panelHasSetting(std::string_view key);

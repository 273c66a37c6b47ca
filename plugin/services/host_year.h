#pragma once
// The host's release year, from its version (ACADVER), which decides the releases made for it.

#include <cstdint>
#include <string_view>

// 2024 to 2027 for the versions known; 0 for any other.
std::int64_t hostYearFromVersion(std::wstring_view acadver);
// ACADVER read from the host; 0 when it cannot be read or is no text.
std::int64_t currentHostYear();

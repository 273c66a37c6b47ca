#pragma once
// Release version numbers: MAJOR.MINOR.PATCH with an optional "-" and dot-separated pre-release identifiers, and
// their precedence. Numbers of any length are kept as their digits, so no version text can overflow or throw:
// numbers compare by value however many digits they have.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct QDLUParsedVersion {
  // Digits without leading zeros ("0" for zero), so equal numbers have equal texts.
  std::string major, minor, patch;
  std::vector<std::string> prerelease;
};

// nullopt unless the whole text is such a version of at most 79 characters.
std::optional<QDLUParsedVersion> QDLUVersion(std::string_view text);
// -1 when `a` has lower precedence than `b`, 1 when higher, 0 when equal or when either is no valid version.
int QDLUCompare(std::string_view a, std::string_view b);

#pragma once
// Telling the host apart from other running applications: the releases 2025 to 2027, by bundle identifier
// or, failing that, by display name.

#include <optional>
#include <string>

// A missing value counts as empty text; both are trimmed of white space and line breaks and compared without
// regard to case.
bool QDLIsAutoCAD(const std::optional<std::string>& bundleIdentifier, const std::optional<std::string>& localizedName);

// Whether any running application is the host.
bool anyAutoCADRuns();

#include "autocad_recognition.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "foundation/transforms.h"
#include "toolkit/workspace.h"

namespace {

// The whole of "^com\.autodesk\.autocad20(25|26|27)$" and "^autocad 20(25|26|27)$" ignoring case: after
// Unicode case folding, one of these texts exactly.
constexpr std::array<std::string_view, 3> kIdentifiers = {"com.autodesk.autocad2025", "com.autodesk.autocad2026",
                                                          "com.autodesk.autocad2027"};
constexpr std::array<std::string_view, 3> kNames = {"autocad 2025", "autocad 2026", "autocad 2027"};

bool isOneOf(const std::optional<std::string>& value, const std::array<std::string_view, 3>& texts) {
  const std::string folded = foundation::caseFolded(foundation::trimmedWhitespace(value.value_or("")));
  return std::find(texts.begin(), texts.end(), folded) != texts.end();
}

}  // namespace

bool QDLIsAutoCAD(const std::optional<std::string>& bundleIdentifier, const std::optional<std::string>& localizedName) {
  return isOneOf(bundleIdentifier, kIdentifiers) || isOneOf(localizedName, kNames);
}

bool anyAutoCADRuns() {
  for (const toolkit::RunningApplication& application : toolkit::Workspace::shared().runningApplications()) {
    if (QDLIsAutoCAD(application.bundleIdentifier, application.localizedName)) return true;
  }
  return false;
}

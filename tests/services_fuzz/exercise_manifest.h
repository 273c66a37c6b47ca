#pragma once
// What the fuzzers and the corpus replay do with one input: read it as a release manifest for a few plug-in
// versions and host years, and put every version and address it names through the rules. Throwing, crashing or
// offering a release that breaks a rule is a failure; returns whether all went well.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/json.h"
#include "services/download_address.h"
#include "services/release_manifest.h"
#include "services/release_version.h"

inline bool exerciseManifest(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  for (const char* current : {"1.0.0-beta.9", "0.0.0", "99999999999999999999.0.0"}) {
    for (std::int64_t year : {std::int64_t{0}, std::int64_t{2025}, INT64_MAX}) {
      const std::optional<foundation::Json> chosen = QDLURelease(body, current, year);
      if (!chosen) continue;
      const std::optional<std::string> version = foundation::jsonString(*chosen, "version");
      const foundation::Json* address = foundation::jsonMember(*chosen, "download_url");
      if (!version || QDLUCompare(*version, current) != 1 || address == nullptr || !QDLUSafeURL(*address)) {
        return false;
      }
    }
  }
  // The rules on their own, for whatever texts the input holds.
  const foundation::JsonResult parsed = foundation::parseJson(body);
  if (parsed && parsed.value.is_object()) {
    if (const foundation::Json* releases = foundation::jsonMember(parsed.value, "releases");
        releases != nullptr && releases->is_array()) {
      for (const foundation::Json& entry : *releases) {
        if (const foundation::Json* address = foundation::jsonMember(entry, "download_url")) QDLUSafeURL(*address);
        if (const auto version = foundation::jsonString(entry, "version")) {
          const int forward = QDLUCompare(*version, "1.0.0");
          if (QDLUCompare("1.0.0", *version) != -forward) return false;
        }
      }
    }
  }
  QDLUSafeURL(foundation::Json(std::string(body)));
  const auto version = QDLUVersion(body);
  return !version || QDLUCompare(body, body) == 0;
}

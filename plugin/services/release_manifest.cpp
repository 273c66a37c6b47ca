#include "services/release_manifest.h"

#include <cmath>
#include <string>

#include "foundation/text.h"
#include "services/download_address.h"
#include "services/release_version.h"

namespace {

constexpr std::size_t kMaxNotesLength = 4000;  // UTF-16 units

bool textEquals(const foundation::Json& entry, std::string_view key, std::string_view expected) {
  const std::optional<std::string> text = foundation::jsonString(entry, key);
  return text && *text == expected;
}

// A year's whole part; nullopt for a non-number, a boolean, or a value outside the 64-bit range (1e300, NaN).
std::optional<std::int64_t> yearOf(const foundation::Json& entry, std::string_view key) {
  const std::optional<double> number = foundation::jsonNumber(entry, key);
  if (!number || !std::isfinite(*number)) return std::nullopt;
  const double whole = std::trunc(*number);
  if (whole < -9223372036854775808.0 || whole >= 9223372036854775808.0) return std::nullopt;
  return static_cast<std::int64_t>(whole);
}

bool isLowerHex(std::string_view text) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

bool isOfferable(const foundation::Json& entry, std::int64_t hostYear) {
  if (!entry.is_object()) return false;
  if (!textEquals(entry, "product", "quodline") || !textEquals(entry, "platform", "macos") ||
      !textEquals(entry, "channel", "stable")) {
    return false;
  }
  if (foundation::jsonBool(entry, "published") != true) return false;
  const std::optional<std::int64_t> minYear = yearOf(entry, "min_host_year");
  const std::optional<std::int64_t> maxYear = yearOf(entry, "max_host_year");
  if (!minYear || !maxYear || *minYear > hostYear || *maxYear < hostYear) return false;
  const std::optional<std::string> sha = foundation::jsonString(entry, "sha256");
  if (!sha || sha->size() != 64 || !isLowerHex(*sha)) return false;
  const std::optional<std::string> version = foundation::jsonString(entry, "version");
  if (!version || !QDLUVersion(*version)) return false;
  const foundation::Json* address = foundation::jsonMember(entry, "download_url");
  if (address == nullptr || !QDLUSafeURL(*address)) return false;
  const std::optional<std::string> notes = foundation::jsonString(entry, "notes");
  return notes && foundation::utf16Length(*notes) <= kMaxNotesLength;
}

}  // namespace

std::optional<foundation::Json> QDLURelease(std::string_view body, std::string_view currentVersion,
                                            std::int64_t hostYear) {
  if (body.size() > kReleaseManifestMaxBytes) return std::nullopt;
  const foundation::JsonResult manifest = foundation::parseJson(body);
  if (!manifest || !manifest.value.is_object()) return std::nullopt;
  if (foundation::jsonNumber(manifest.value, "schema_version") != 1.0) return std::nullopt;
  const foundation::Json* releases = foundation::jsonMember(manifest.value, "releases");
  if (releases == nullptr || !releases->is_array()) return std::nullopt;

  const foundation::Json* best = nullptr;
  std::string bestVersion;
  for (const foundation::Json& entry : *releases) {
    if (!isOfferable(entry, hostYear)) continue;
    const std::string version = *foundation::jsonString(entry, "version");
    if (QDLUCompare(version, currentVersion) != 1) continue;
    if (best == nullptr || QDLUCompare(version, bestVersion) == 1) {
      best = &entry;
      bestVersion = version;
    }
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

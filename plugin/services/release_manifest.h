#pragma once
// The release manifest: which published release, if any, to offer to this plug-in on this host.

#include <cstdint>
#include <optional>
#include <string_view>

#include "foundation/json.h"

inline constexpr std::size_t kReleaseManifestMaxBytes = 65536;

// The newest release in the manifest `body` that is newer than `currentVersion` and made for `hostYear`, as its
// JSON object; nullopt when there is none or the manifest is unusable. Entries that break a rule are skipped.
std::optional<foundation::Json> QDLURelease(std::string_view body, std::string_view currentVersion,
                                            std::int64_t hostYear);

#pragma once
// The one policy for per-user settings files (user defaults, the host's environment values). Damaged content
// is set aside beside the file as <name>.damaged-<UTC time>.json and reported; a file that cannot be read, or
// is not a file at all, stays where it is, and the session goes on in memory without ever writing over it.

#include <string>

#include "foundation/json.h"

namespace foundation {

struct SettingsFileLoad {
  Json values = Json::object();  // what the file held; empty unless it was a readable JSON object
  bool writable = true;          // false: what stands at the path must not be written over
  std::string report;            // what went wrong, for the person using the system; empty when nothing did
};

// An absent file is an empty, writable set of values with nothing to report.
SettingsFileLoad loadSettingsFile(const std::string& path);

}  // namespace foundation

#include "foundation/settings_file.h"

#include <cerrno>

#include "foundation/files.h"
#include "foundation/iso8601.h"
#include "foundation/paths.h"

namespace foundation {

namespace {

// Moves the damaged file to a name not yet taken; a second damaged file in the same second keeps the first.
void setAside(const std::string& path, const std::string& reason, SettingsFileLoad& load) {
  const std::string base = deletingPathExtension(path) + ".damaged-" + iso8601Basic(wallClockNow());
  FileResult moved;
  std::string target;
  for (int attempt = 1; attempt <= 100; ++attempt) {
    target = base;
    if (attempt != 1) target.append("-").append(std::to_string(attempt));
    target.append(".json");
    moved = moveItem(path, target);
    if (moved || moved.code != EEXIST) break;
  }
  if (moved) {
    load.report = "Damaged settings " + path + " (" + reason + ") were set aside as " + target;
    return;
  }
  load.writable = false;
  load.report = "Damaged settings " + path + " (" + reason + ") could not be set aside: " + moved.error +
                "; changes are kept in memory only";
}

}  // namespace

SettingsFileLoad loadSettingsFile(const std::string& path) {
  SettingsFileLoad load;
  if (!itemExists(path)) return load;
  const ReadResult read = readFile(path, kJsonMaxFileBytes);
  if (!read) {
    load.writable = false;
    load.report = "Cannot read settings " + path + ": " + read.error + "; changes are kept in memory only";
    return load;
  }
  JsonResult parsed = parseJson(read.data);
  if (parsed && parsed.value.is_object()) {
    load.values = std::move(parsed.value);
    return load;
  }
  setAside(path, parsed ? std::string("not a JSON object") : parsed.error, load);
  return load;
}

}  // namespace foundation

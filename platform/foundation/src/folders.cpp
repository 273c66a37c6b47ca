#include "foundation/folders.h"

#include <unistd.h>

#include <cstdlib>

#include "foundation/paths.h"

namespace foundation {
namespace {

std::string fromEnvironment(const char* name, const char* fallbackUnderHome) {
  const char* value = std::getenv(name);
  if (value && value[0] == '/') return standardizingPath(value);
  return appendingPathComponent(homeDirectory(), fallbackUnderHome);
}

}  // namespace

std::string temporaryDirectory() {
  const char* value = std::getenv("TMPDIR");
  if (value && value[0] == '/') return standardizingPath(value);
  return "/tmp";
}

std::string applicationSupportDirectory() { return fromEnvironment("XDG_DATA_HOME", ".local/share"); }

std::string configurationDirectory() { return fromEnvironment("XDG_CONFIG_HOME", ".config"); }

std::string trashDirectory() { return appendingPathComponent(applicationSupportDirectory(), "Trash"); }

std::string runtimeDirectory() {
  const char* value = std::getenv("XDG_RUNTIME_DIR");
  if (value && value[0] == '/') return standardizingPath(value);
  return appendingPathComponent(temporaryDirectory(), "quodline-runtime-" + std::to_string(getuid()));
}

std::string desktopDirectory() { return fromEnvironment("XDG_DESKTOP_DIR", "Desktop"); }

std::string documentsDirectory() { return fromEnvironment("XDG_DOCUMENTS_DIR", "Documents"); }

std::string downloadsDirectory() { return fromEnvironment("XDG_DOWNLOAD_DIR", "Downloads"); }

}  // namespace foundation

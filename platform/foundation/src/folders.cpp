#include "foundation/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool isPrivateFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & 077) == 0;
}

FileResult privateRuntimeFolder(const std::string& name, std::string& path) {
  const std::string runtime = runtimeDirectory();
  path = appendingPathComponent(runtime, name);
  for (const std::string& folder : {runtime, path}) {
    if (FileResult made = createDirectory(folder, true, 0700); !made) return made;
    if (!isPrivateFolder(folder)) {
      return FileResult::failure(EACCES, "\"" + folder + "\" is not a private folder of this user.");
    }
  }
  return FileResult::success();
}

std::string desktopDirectory() { return fromEnvironment("XDG_DESKTOP_DIR", "Desktop"); }

std::string documentsDirectory() { return fromEnvironment("XDG_DOCUMENTS_DIR", "Documents"); }

std::string downloadsDirectory() { return fromEnvironment("XDG_DOWNLOAD_DIR", "Downloads"); }

}  // namespace foundation

#include "queue/queue_file_system.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "foundation/files.h"

namespace {

std::string readError(const std::string& path, int code) {
  return "Cannot read \"" + path + "\": " + foundation::errorText(code);
}

QDLQueueItemKind kindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return QDLQueueItemKind::regular;
  if (S_ISDIR(mode)) return QDLQueueItemKind::directory;
  if (S_ISLNK(mode)) return QDLQueueItemKind::symbolicLink;
  return QDLQueueItemKind::other;
}

QDLQueueItemKind kindOfEntry(unsigned char type) {
  switch (type) {
    case DT_REG: return QDLQueueItemKind::regular;
    case DT_DIR: return QDLQueueItemKind::directory;
    case DT_LNK: return QDLQueueItemKind::symbolicLink;
    case DT_UNKNOWN: return QDLQueueItemKind::unknown;
    default: return QDLQueueItemKind::other;
  }
}

std::mutex gInstalledMutex;
std::shared_ptr<const QDLQueueFileSystem> gInstalled;

}  // namespace

QDLQueueItemStatus QDLQueueFileSystem::status(const std::string& path) const {
  QDLQueueItemStatus result;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    result.code = errno;
    result.error = readError(path, result.code);
    return result;
  }
  result.kind = kindOfMode(st.st_mode);
  result.device = static_cast<std::uint64_t>(st.st_dev);
  result.fileNumber = static_cast<std::uint64_t>(st.st_ino);
  return result;
}

QDLQueueFolderListing QDLQueueFileSystem::readFolder(const std::string& path) const {
  QDLQueueFolderListing listing;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) {
    listing.code = errno;
    listing.error = readError(path, listing.code);
    return listing;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) {
        listing.code = errno;
        listing.error = readError(path, listing.code);
      }
      break;
    }
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    listing.entries.push_back({std::string(name), kindOfEntry(entry->d_type)});
  }
  ::closedir(dir);
  return listing;
}

bool QDLQueueFileSystem::hiddenFlag(const std::string& path) const { return foundation::hiddenFlag(path).hidden; }

std::shared_ptr<const QDLQueueFileSystem> QDLQueueInstalledFileSystem() {
  const std::lock_guard lock(gInstalledMutex);
  if (!gInstalled) gInstalled = std::make_shared<const QDLQueueFileSystem>();
  return gInstalled;
}

void QDLQueueInstallFileSystem(std::shared_ptr<const QDLQueueFileSystem> fileSystem) {
  const std::lock_guard lock(gInstalledMutex);
  gInstalled = std::move(fileSystem);
}

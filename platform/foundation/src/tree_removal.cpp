#include "tree_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "file_faults_internal.h"
#include "foundation/paths.h"

namespace foundation::tree_removal {
namespace {

constexpr unsigned kStatFields = STATX_TYPE | STATX_MODE | STATX_UID;

class Closer {
 public:
  explicit Closer(int fd) : fd_(fd) {}
  ~Closer() {
    if (fd_ >= 0) ::close(fd_);
  }
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;

 private:
  int fd_;
};

int statAt(int folder, const char* name, struct statx& info, int flags = 0) {
  return ::statx(folder, name, AT_SYMLINK_NOFOLLOW | flags, kStatFields, &info) == 0 ? 0 : errno;
}

bool immutableOrAppendOnly(const struct statx& info) {
  const auto fixed = static_cast<decltype(info.stx_attributes)>(STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND);
  return (info.stx_attributes & info.stx_attributes_mask & fixed) != 0;
}

bool sameVolume(const struct statx& a, const struct statx& b) {
  return a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

// The names in an open folder, without "." and "..".
int namesIn(int folder, std::vector<std::string>& names) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  DIR* listing = ::fdopendir(fd);
  if (listing == nullptr) {
    const int error = errno;
    ::close(fd);
    return error;
  }
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(listing);
  return error;
}

// Whether `name` could go from `folder`, which this process may change, with everything in it.
Stuck check(int folder, const struct statx& folderInfo, const std::string& name, const std::string& path) {
  struct statx info {};
  if (const int error = statAt(folder, name.c_str(), info)) return {error, path};
  if (immutableOrAppendOnly(folderInfo) || immutableOrAppendOnly(info)) return {EPERM, path};
  // In a sticky folder only the owner of the item or of the folder may remove it.
  const uid_t me = ::geteuid();
  if ((folderInfo.stx_mode & S_ISVTX) != 0 && me != 0 && info.stx_uid != me && folderInfo.stx_uid != me) {
    return {EPERM, path};
  }
  if (!S_ISDIR(info.stx_mode)) return {};
  if (!sameVolume(info, folderInfo)) return {EBUSY, path};  // a volume mounted there cannot be removed

  const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return {errno, path};
  const Closer closer(fd);
  std::vector<std::string> names;
  if (const int error = namesIn(fd, names)) return {error, path};
  if (names.empty()) return {};
  // What a folder holds goes only when the folder may be changed: the first of it names the obstacle.
  if (::faccessat(folder, name.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return {errno, appendingPathComponent(path, names.front())};
  }
  for (const std::string& child : names) {
    if (Stuck stuck = check(fd, info, child, appendingPathComponent(path, child))) return stuck;
  }
  return {};
}

Stuck removeAt(int folder, const std::string& name, const std::string& path) {
  struct statx info {};
  if (const int error = statAt(folder, name.c_str(), info)) return {error, path};
  const bool isFolder = S_ISDIR(info.stx_mode);
  if (isFolder) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {errno, path};
    const Closer closer(fd);
    std::vector<std::string> names;
    if (const int error = namesIn(fd, names)) return {error, path};
    for (const std::string& child : names) {
      if (Stuck stuck = removeAt(fd, child, appendingPathComponent(path, child))) return stuck;
    }
  }
  if (const int error = file_faults_detail::take(FileOperation::remove)) return {error, path};
  if (::unlinkat(folder, name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0 && errno != ENOENT) return {errno, path};
  return {};
}

std::string folderOf(const std::string& path) {
  const std::string folder = deletingLastPathComponent(path);
  return folder.empty() ? "." : folder;
}

}  // namespace

Stuck obstacle(const std::string& path) {
  const std::string folder = folderOf(path);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {errno, path};
  const Closer closer(fd);
  struct statx folderInfo {};
  if (const int error = statAt(fd, "", folderInfo, AT_EMPTY_PATH)) return {error, path};
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return {errno, path};
  return check(fd, folderInfo, lastPathComponent(path), path);
}

Stuck remove(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {errno, path};
  const Closer closer(fd);
  return removeAt(fd, lastPathComponent(path), path);
}

}  // namespace foundation::tree_removal

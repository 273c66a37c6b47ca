#include "small_volume.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

SmallVolume::SmallVolume(const std::string& path, std::size_t bytes) : path_(path) {
  if (::geteuid() != 0) {
    reason_ = "mounting a tmpfs needs root";
    return;
  }
  std::error_code ec;
  std::filesystem::create_directories(path_, ec);
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    reason_ = std::string("mount failed: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

SmallVolume::~SmallVolume() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
}

bool SmallVolume::fillLeaving(std::size_t leftBytes) {
  const std::string filler = path_ + "/filler-" + std::to_string(::getpid());
  const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::vector<char> block(4096, 'x');
  bool ok = true;
  for (;;) {
    struct statvfs space {};
    if (::fstatvfs(fd, &space) != 0) {
      ok = false;
      break;
    }
    const std::size_t free = static_cast<std::size_t>(space.f_bavail) * space.f_frsize;
    if (free <= leftBytes) break;
    const std::size_t chunk = std::min(block.size(), free - leftBytes);
    if (::write(fd, block.data(), chunk) <= 0) break;  // full
  }
  ::close(fd);
  return ok;
}

bool SmallVolume::setReadOnly(bool readOnly) {
  const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
  return ::mount("tmpfs", path_.c_str(), "tmpfs", flags, nullptr) == 0;
}

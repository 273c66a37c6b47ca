#pragma once
// A small memory file system (tmpfs) mounted for one test, to fill a volume for real: a full disk, a volume
// with a few bytes left, a read-only one. Mounting needs root; a test without it skips with the reason.

#include <cstddef>
#include <string>

class SmallVolume {
 public:
  // Mounts a tmpfs of `bytes` at `path` (made when missing); reason() says why when it could not be.
  SmallVolume(const std::string& path, std::size_t bytes);
  // Unmounts it, with everything on it.
  ~SmallVolume();
  SmallVolume(const SmallVolume&) = delete;
  SmallVolume& operator=(const SmallVolume&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  const std::string& path() const { return path_; }
  // Fills the volume with a filler file until at most `leftBytes` are free; false when it cannot.
  bool fillLeaving(std::size_t leftBytes);
  // Mounts it again read-only or writable.
  bool setReadOnly(bool readOnly);

 private:
  std::string path_;
  bool mounted_ = false;
  std::string reason_;
};

// Skips the current test when the volume could not be mounted.
#define SKIP_UNLESS_MOUNTED(volume)                                                        \
  do {                                                                                     \
    if (!(volume).mounted()) GTEST_SKIP() << "no small volume: " << (volume).reason(); \
  } while (0)

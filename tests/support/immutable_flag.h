#pragma once
// The immutable attribute of a file or folder (chattr +i), which not even root can remove past: a real
// obstacle for code that must remove a tree. Setting it needs root and a file system that keeps it.

#include <string>
#include <utility>

// Sets or clears it; false when this process or the file system cannot.
bool setImmutable(const std::string& path, bool immutable);

// Sets it for its lifetime and clears it again, so that the test's folder can be removed.
class ScopedImmutable {
 public:
  explicit ScopedImmutable(std::string path) : path_(std::move(path)), set_(setImmutable(path_, true)) {}
  ~ScopedImmutable() { release(); }
  ScopedImmutable(const ScopedImmutable&) = delete;
  ScopedImmutable& operator=(const ScopedImmutable&) = delete;

  bool set() const { return set_; }
  void release() {
    if (set_) setImmutable(path_, false);
    set_ = false;
  }

 private:
  std::string path_;
  bool set_;
};

#pragma once
// A private folder for one test, removed with everything in it when the test ends, so tests never touch the
// user's own files and leave nothing behind.

#include <string>
#include <string_view>

class TempFolder {
 public:
  // A new folder named `prefix`-XXXXXX in the system's temporary folder; throws when none can be made.
  explicit TempFolder(std::string_view prefix = "quodl-test");
  // Removes the folder even where a test made parts of it read-only.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

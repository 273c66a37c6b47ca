#pragma once
// Where cadhost's command lines come from: a script file or standard input, one line at a time.

#include <cstdio>
#include <optional>
#include <string>

namespace cadhost {

class LineSource {
 public:
  // Reads standard input.
  LineSource() = default;
  // Reads the file; ok() tells whether it could be opened.
  explicit LineSource(const std::string& path);
  ~LineSource();
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  bool ok() const { return file_ != nullptr; }
  // The next line without its line end; nullopt at the end.
  std::optional<std::string> next();

 private:
  std::FILE* file_ = stdin;
  bool owned_ = false;
};

}  // namespace cadhost

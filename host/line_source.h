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
  // Whether the lines come from a file rather than a person at standard input.
  bool isFile() const { return owned_; }
  // The next line without its line end; nullopt at the end.
  std::optional<std::string> next();
  // The line next() will return, left for it; on standard input this waits for the line.
  std::optional<std::string> peek();

 private:
  std::optional<std::string> read();

  std::FILE* file_ = stdin;
  bool owned_ = false;
  std::optional<std::string> peeked_;
};

}  // namespace cadhost

#include "line_source.h"

#include <utility>

namespace cadhost {

namespace {
// Longer lines are cut here rather than held whole: no command line is anywhere near this long.
constexpr std::size_t kMaxLine = 1u << 20;
}  // namespace

LineSource::LineSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")), owned_(true) {}

LineSource::~LineSource() {
  if (owned_ && file_ != nullptr) std::fclose(file_);
}

std::optional<std::string> LineSource::next() {
  if (peeked_) return std::exchange(peeked_, std::nullopt);
  return read();
}

std::optional<std::string> LineSource::peek() {
  if (!peeked_) peeked_ = read();
  return peeked_;
}

std::optional<std::string> LineSource::read() {
  if (file_ == nullptr) return std::nullopt;
  std::string line;
  int c;
  bool any = false;
  while ((c = std::fgetc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line.size() < kMaxLine) line.push_back(static_cast<char>(c));
  }
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace cadhost

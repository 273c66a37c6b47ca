#include "scanner.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "foundation/text.h"

namespace cad::dxf {

std::string_view trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool parseReal(std::string_view text, double& out) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

bool parseInteger(std::string_view text, long long& out) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  if (ec == std::errc() && end == text.data() + text.size()) return true;
  // Some writers put integers as reals ("1.0").
  double real = 0;
  if (!parseReal(text, real) || !(std::fabs(real) < 9.0e15) || real != std::trunc(real)) return false;
  out = static_cast<long long>(real);
  return true;
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

std::string quoted(std::string_view text) {
  constexpr std::size_t kMax = 40;
  std::string shown = foundation::sanitizedUtf8(text.substr(0, kMax));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return "\"" + shown + (text.size() > kMax ? "…\"" : "\"");
}

Scanner::Scanner(std::string_view text) : text_(text) {
  // Old Macintosh files end lines with a lone CR.
  if (text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos) separator_ = '\r';
}

bool Scanner::readLine(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  std::size_t end = text_.find(separator_, pos_);
  if (end == std::string_view::npos) end = text_.size();
  line = text_.substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = end + 1;
  ++line_;
  return true;
}

bool Scanner::next(Group& group) {
  if (pushed_) {
    group = *pushed_;
    pushed_.reset();
    return true;
  }
  do {
    if (!nextPair(group)) return false;
  } while (group.code == 999);  // comments
  return true;
}

bool Scanner::nextPair(Group& group) {
  if (failed()) return false;
  std::string_view codeLine;
  if (!readLine(codeLine)) return false;
  const std::string_view code = trim(codeLine);
  if (code.empty() && trim(text_.substr(std::min(pos_, text_.size()))).empty()) return false;  // blank tail
  long long value = 0;
  const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
  if (code.empty() || ec != std::errc() || end != code.data() + code.size()) {
    fail(line_, "expected a group code, found " + quoted(codeLine));
    return false;
  }
  if (value < 0 || value > 1071) {
    fail(line_, "group code " + std::string(code) + " is not a DXF group code");
    return false;
  }
  group.code = static_cast<int>(value);
  group.line = line_;
  if (!readLine(group.value)) {
    fail(line_, "group code " + std::string(code) + " has no value: the file ends");
    return false;
  }
  return true;
}

void Scanner::fail(std::size_t line, const std::string& message) {
  if (!failed()) error_ = "line " + std::to_string(line) + ": " + message;
}

double Scanner::real(const Group& group) {
  double out = 0;
  if (!parseReal(group.value, out)) {
    fail(group.line + 1, quoted(group.value) + " is not a number (group code " + std::to_string(group.code) + ")");
    return 0;
  }
  return out;
}

int Scanner::integer(const Group& group) {
  long long out = 0;
  if (!parseInteger(group.value, out)) {
    fail(group.line + 1,
         quoted(group.value) + " is not an integer (group code " + std::to_string(group.code) + ")");
    return 0;
  }
  if (out < INT_MIN || out > INT_MAX) {
    fail(group.line + 1,
         "value " + quoted(group.value) + " is out of range (group code " + std::to_string(group.code) + ")");
    return 0;
  }
  return static_cast<int>(out);
}

}  // namespace cad::dxf

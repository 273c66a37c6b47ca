#include "foundation/string_values.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace foundation {
namespace {

bool isSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view text, std::size_t pos = 0) noexcept {
  while (pos < text.size() && isSpace(text[pos])) ++pos;
  return pos;
}

// Parsing must not depend on the process locale (a decimal comma would change every stored number).
locale_t cLocale() noexcept {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::int64_t integerValue(std::string_view text) noexcept {
  std::size_t pos = skipSpace(text);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  // Accumulate as a negative number so that INT64_MIN is representable.
  constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  bool saturated = false;
  for (; pos < text.size() && isDigit(text[pos]); ++pos) {
    const int digit = text[pos] - '0';
    if (value < (minimum + digit) / 10) {
      saturated = true;
      continue;
    }
    value = value * 10 - digit;
  }
  if (saturated) return negative ? minimum : std::numeric_limits<std::int64_t>::max();
  if (negative) return value;
  return value == minimum ? std::numeric_limits<std::int64_t>::max() : -value;
}

double doubleValue(std::string_view text) noexcept {
  const std::size_t start = skipSpace(text);
  std::size_t pos = start;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  std::size_t digits = 0;
  while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
  }
  if (digits == 0) return 0.0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t exponent = pos + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent < text.size() && isDigit(text[exponent])) {
      pos = exponent;
      while (pos < text.size() && isDigit(text[pos])) ++pos;
    }
  }
  // Only the decimal form reaches strtod, so hexadecimal, "inf" and "nan" are never read.
  const std::string number(text.substr(start, pos - start));
  return strtod_l(number.c_str(), nullptr, cLocale());
}

bool boolValue(std::string_view text) noexcept {
  std::size_t pos = skipSpace(text);
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  while (pos < text.size() && text[pos] == '0') ++pos;
  if (pos >= text.size()) return false;
  const char c = text[pos];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::optional<std::int64_t> scanInteger(std::string_view text) noexcept {
  std::size_t begin = skipSpace(text);
  std::size_t end = text.size();
  while (end > begin && isSpace(text[end - 1])) --end;
  if (begin < end && text[begin] == '+') {
    ++begin;
    if (begin < end && text[begin] == '-') return std::nullopt;
  }
  std::int64_t value = 0;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  if (first == last) return std::nullopt;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

}  // namespace foundation

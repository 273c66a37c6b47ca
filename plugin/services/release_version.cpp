#include "services/release_version.h"

#include "foundation/text.h"

namespace {

constexpr std::size_t kMaxVersionLength = 79;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentifierCharacter(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool allDigits(std::string_view text) {
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return !text.empty();
}

// Reads one run of digits from `text` at `at`; nullopt when there is none.
std::optional<std::string> readNumber(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && isDigit(text[at])) ++at;
  if (at == start) return std::nullopt;
  std::string_view digits = text.substr(start, at - start);
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  return std::string(digits);
}

// Two digit strings without leading zeros, by value.
int compareNumbers(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::string withoutLeadingZeros(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  return std::string(digits);
}

int compareIdentifiers(const std::string& a, const std::string& b) {
  const bool aNumeric = allDigits(a);
  const bool bNumeric = allDigits(b);
  if (aNumeric && bNumeric) return compareNumbers(withoutLeadingZeros(a), withoutLeadingZeros(b));
  if (aNumeric != bNumeric) return aNumeric ? -1 : 1;
  const int order = a.compare(b);  // ASCII only: byte order is code-unit order
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

std::optional<QDLUParsedVersion> QDLUVersion(std::string_view text) {
  if (foundation::utf16Length(text) > kMaxVersionLength) return std::nullopt;
  QDLUParsedVersion version;
  std::size_t at = 0;
  std::string* numbers[] = {&version.major, &version.minor, &version.patch};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (at >= text.size() || text[at] != '.') return std::nullopt;
      ++at;
    }
    std::optional<std::string> number = readNumber(text, at);
    if (!number) return std::nullopt;
    *numbers[i] = std::move(*number);
  }
  if (at == text.size()) return version;
  if (text[at] != '-') return std::nullopt;
  ++at;
  while (true) {
    const std::size_t start = at;
    while (at < text.size() && isIdentifierCharacter(text[at])) ++at;
    if (at == start) return std::nullopt;
    version.prerelease.emplace_back(text.substr(start, at - start));
    if (at == text.size()) return version;
    if (text[at] != '.') return std::nullopt;
    ++at;
  }
}

int QDLUCompare(std::string_view a, std::string_view b) {
  const std::optional<QDLUParsedVersion> left = QDLUVersion(a);
  const std::optional<QDLUParsedVersion> right = QDLUVersion(b);
  if (!left || !right) return 0;
  for (int order : {compareNumbers(left->major, right->major), compareNumbers(left->minor, right->minor),
                    compareNumbers(left->patch, right->patch)}) {
    if (order != 0) return order;
  }
  const auto& x = left->prerelease;
  const auto& y = right->prerelease;
  if (x.empty() && y.empty()) return 0;
  if (x.empty()) return 1;  // a release is above its pre-releases
  if (y.empty()) return -1;
  for (std::size_t k = 0;; ++k) {
    if (k >= x.size() && k >= y.size()) return 0;
    if (k >= x.size()) return -1;
    if (k >= y.size()) return 1;
    if (const int order = compareIdentifiers(x[k], y[k]); order != 0) return order;
  }
}

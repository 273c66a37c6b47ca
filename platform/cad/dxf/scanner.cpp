#include "scanner.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/text.h"

namespace cad::dxf {

namespace {

constexpr ValueKind kindOfCode(int code) {
  const auto in = [code](int first, int last) { return code >= first && code <= last; };
  if (code == 5 || code == 105 || in(320, 369) || in(390, 399) || in(480, 481) || code == 1005) {
    return ValueKind::kHandle;
  }
  if (code == 0 || code == 2 || in(6, 8)) return ValueKind::kName;
  if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059)) return ValueKind::kReal;
  if (in(60, 79) || in(90, 99) || in(160, 179) || in(270, 299) || in(370, 389) || in(400, 409) || in(420, 429) ||
      in(440, 459) || in(1060, 1071)) {
    return ValueKind::kInteger;
  }
  return ValueKind::kText;
}

constexpr int kLastCode = 1071;

struct KindTable {
  ValueKind kinds[kLastCode + 1];
  constexpr KindTable() : kinds() {
    for (int code = 0; code <= kLastCode; ++code) kinds[code] = kindOfCode(code);
  }
};
constexpr KindTable kKinds;

}  // namespace

ValueKind valueKind(int code) { return code >= 0 && code <= kLastCode ? kKinds.kinds[code] : kindOfCode(code); }

namespace {

std::string_view numberText(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

// A number written out in full that a double cannot hold: "nan", "inf", "Infinity", "1e999".
bool nonFinite(std::string_view text) {
  text = numberText(text);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    return text.size() >= 1000 || !(std::fabs(std::strtod(std::string(text).c_str(), nullptr)) < 1);
  }
  return ec == std::errc() && !std::isfinite(value);
}

}  // namespace

namespace {

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Adds the run of digits at `p` to `mantissa` and moves `p` past it. Where eight bytes can be read (up to
// `readable`, which may lie past `end`), eight are taken at a time.
inline void addDigits(const char*& p, const char* end, const char* readable, std::uint64_t& mantissa) {
  if constexpr (std::endian::native == std::endian::little) {
    static constexpr std::uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    while (readable - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      const std::uint64_t digits = word - 0x3030303030303030ull;
      // A byte's top bit is set where it is no digit; the first such byte is found exactly.
      const std::uint64_t other = (digits | (digits + 0x7676767676767676ull)) & 0x8080808080808080ull;
      const auto n = std::min<std::ptrdiff_t>(other == 0 ? 8 : std::countr_zero(other) / 8, end - p);
      if (n <= 0) return;
      // The n digits, first the most significant, as leading zeros' followers: then three multiplications.
      std::uint64_t value = digits << ((8 - n) * 8);
      value = (value * 2561) >> 8;
      value = ((value & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
      value = ((value & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
      mantissa = mantissa * kPowers[n] + value;
      p += n;
      if (n < 8) return;
    }
  }
  for (; p != end; ++p) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
    if (digit > 9) break;
    mantissa = mantissa * 10 + digit;
  }
}

// Plain decimals ("-1234.567890", "5", ".25", "1.5E+03") whose digits and power of ten a double holds
// exactly: one correctly rounded multiplication or division gives the value from_chars gives. False for
// anything else, which the general path reads.
bool fastReal(std::string_view text, double& out, const char* readable) {
  const char* p = text.data();
  const char* end = p + text.size();
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Up to 19 digits, leading zeros and all, fit the mantissa as they stand (more wrap it, and are refused).
  std::uint64_t mantissa = 0;
  const char* digits = p;
  addDigits(p, end, readable, mantissa);
  int count = static_cast<int>(p - digits);
  int exponent = 0;
  bool trailingZeros = false;
  if (p != end && *p == '.') {
    const char* fraction = ++p;
    // Trailing zeros ("5000.000000", as writers of fixed decimals print) add nothing to the value: the digits
    // before them are read alone, often as a whole number, which needs no division.
    const char* significant = end;
    while (significant != fraction && significant[-1] == '0') --significant;
    addDigits(p, significant, readable, mantissa);
    exponent = -static_cast<int>(p - fraction);
    count -= exponent;
    if (p == significant) {
      trailingZeros = significant != end;
      p = end;
    }
  }
  if ((count == 0 && !trailingZeros) || count > 19) return false;
  if (p != end) {
    if (*p != 'e' && *p != 'E') return false;
    ++p;
    bool negativePower = false;
    if (p != end && (*p == '-' || *p == '+')) negativePower = *p++ == '-';
    int power = 0, powerDigits = 0;
    for (; p != end && isDigit(*p); ++p) {
      if (++powerDigits > 4) return false;
      power = power * 10 + (*p - '0');
    }
    if (powerDigits == 0 || p != end) return false;
    exponent += negativePower ? -power : power;
  }
  if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22) return false;
  double value = static_cast<double>(mantissa);
  if (exponent < 0) {
    value /= kExactPowers[-exponent];
  } else if (exponent > 0) {
    value *= kExactPowers[exponent];
  }
  out = negative ? -value : value;
  return true;
}

// parseReal with the end of the memory the text lies in, which the quick reading may look ahead into.
bool parseRealIn(std::string_view text, double& out, const char* readable) {
  if (fastReal(text, out, readable)) return true;  // the usual value, with nothing around it to trim
  return parseReal(text, out);
}

}  // namespace

bool parseReal(std::string_view text, double& out) {
  text = trim(text);
  if (fastReal(text, out, text.data() + text.size())) return true;
  text = numberText(text);
  if (text.empty()) return false;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return false;
  if (ec == std::errc::result_out_of_range && text.size() < 1000) {
    // Too small for a normal double: the nearest value, which may be zero.
    value = std::strtod(std::string(text).c_str(), nullptr);
    if (!(std::fabs(value) < 1)) return false;
  } else if (ec != std::errc() || !std::isfinite(value)) {
    return false;
  }
  out = value;
  return true;
}

bool parseInteger(std::string_view text, long long& out) {
  text = trim(text);
  // The usual short whole number, read at once.
  if (!text.empty() && text.size() <= 18) {
    std::size_t i = text.front() == '-' || text.front() == '+' ? 1 : 0;
    long long value = 0;
    bool digits = i < text.size();
    for (std::size_t k = i; k < text.size() && digits; ++k) {
      digits = isDigit(text[k]);
      value = value * 10 + (text[k] - '0');
    }
    if (digits) {
      out = text.front() == '-' ? -value : value;
      return true;
    }
  }
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

namespace {

constexpr std::size_t kShown = 40;

std::string printable(std::string_view text) {
  std::string shown = foundation::sanitizedUtf8(text);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return shown;
}

std::string lengthNote(std::size_t length, const char* unit) {
  return " (" + std::to_string(length) + " " + unit + ")";
}

}  // namespace

std::string excerpt(std::string_view text) {
  if (text.size() <= kShown) return printable(text);
  return printable(text.substr(0, kShown)) + "…" + lengthNote(text.size(), "bytes");
}

namespace {

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + a temporary string when optimising.
std::string inQuotes(const std::string& shown, bool cut) {
  std::string text;
  text.reserve(shown.size() + 5);
  text += '"';
  text += shown;
  if (cut) text += "…";
  text += '"';
  return text;
}

}  // namespace

std::string quoted(std::string_view text) {
  if (text.size() <= kShown) return inQuotes(printable(text), false);
  return inQuotes(printable(text.substr(0, kShown)), true) + lengthNote(text.size(), "bytes");
}

std::string quoted(const std::wstring& name) {
  const std::string shown = printable(foundation::utf8FromWideLossy(std::wstring_view(name).substr(0, kShown)));
  if (name.size() <= kShown) return inQuotes(shown, false);
  return inQuotes(shown, true) + lengthNote(name.size(), "characters");
}

namespace {

// Where the line that starts at `p` ends: its separator, or `last`. Lines are short: eight bytes at a time find
// their end sooner than a library search.
const char* lineEnd(const char* p, const char* last, char separator) {
#if defined(__SSE2__)
  // Sixteen bytes hold most lines whole: one compare finds their end, with no loop to leave at a varying turn.
  const __m128i pattern = _mm_set1_epi8(separator);
  for (; last - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, pattern)));
    if (found != 0) return p + std::countr_zero(found);
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    const std::uint64_t ones = 0x0101010101010101ull, pattern = ones * static_cast<unsigned char>(separator);
    for (; last - p >= 8; p += 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      word ^= pattern;  // the separator's bytes are now zero; the first of them is found exactly
      const std::uint64_t zero = (word - ones) & ~word & (ones << 7);
      if (zero != 0) return p + std::countr_zero(zero) / 8;
    }
  }
  while (p != last && *p != separator) ++p;
  return p;
}

}  // namespace

Scanner::Scanner(std::string_view text) : text_(text) {
  // Old Macintosh files end lines with a lone CR.
  if (text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos) separator_ = '\r';
}

bool Scanner::readLine(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const char* begin = text_.data() + pos_;
  const char* p = lineEnd(begin, text_.data() + text_.size(), separator_);
  std::size_t length = static_cast<std::size_t>(p - begin);
  if (length > 0 && p[-1] == '\r') --length;
  line = std::string_view(begin, length);
  pos_ = static_cast<std::size_t>(p - text_.data()) + 1;
  ++line_;
  return true;
}

bool Scanner::nextPair(Group& group) {
  if (failed()) return false;
  // The usual pair, read at once: a right-aligned code of up to four digits, its value on the next line.
  const char* const base = text_.data();
  const char* const last = base + text_.size();
  const char* q = base + std::min(pos_, text_.size());
  unsigned fast = 0;
  bool anyDigit = false;
  // Most codes are written three wide ("  0", " 10", "330"), extended data's four ("1001"): read without a loop
  // whose turns vary with the code.
  if (last - q >= 6) {
    const auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; };
    const unsigned d0 = digit(q[0]), d1 = digit(q[1]), d2 = digit(q[2]);
    const bool space0 = q[0] == ' ', space1 = q[1] == ' ';
    if (d2 <= 9 && ((d0 <= 9 && d1 <= 9) || (space0 && (d1 <= 9 || space1)))) {
      fast = (space0 ? 0 : d0 * 100) + (space1 ? 0 : d1 * 10) + d2;
      anyDigit = true;
      q += 3;
      if (d0 <= 9 && digit(*q) <= 9) fast = fast * 10 + digit(*q++);
    }
  }
  if (!anyDigit) {
    while (q != last && *q == ' ') ++q;
    const char* const digits = q;
    for (; q != last && q - digits < 4; ++q) {
      const auto digit = static_cast<unsigned>(static_cast<unsigned char>(*q)) - '0';
      if (digit > 9) break;
      fast = fast * 10 + digit;
    }
    anyDigit = q != digits;
  }
  if (q != last && *q == '\r' && separator_ != '\r') ++q;
  if (anyDigit && fast <= kLastCode && q != last && *q == separator_ && q + 1 != last) {
    const char* value = q + 1;
    const char* end = lineEnd(value, last, separator_);
    std::size_t length = static_cast<std::size_t>(end - value);
    if (length > 0 && end[-1] == '\r') --length;
    group.code = static_cast<int>(fast);
    group.line = line_ + 1;
    group.value = std::string_view(value, length);
    line_ += 2;
    pos_ = static_cast<std::size_t>(end - base) + 1;
    return checkValue(group);
  }
  return nextPairInAnyForm(group);
}

bool Scanner::nextPairInAnyForm(Group& group) {
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
    fail(line_, "group code " + std::to_string(value) + " is not a DXF group code");
    return false;
  }
  group.code = static_cast<int>(value);
  group.line = line_;
  if (!readLine(group.value)) {
    fail(line_, "group code " + std::to_string(value) + " has no value: the file ends");
    return false;
  }
  return checkValue(group);
}

bool Scanner::checkValue(Group& group) {
  group.kind = kKinds.kinds[group.code];  // a code the scanner accepted is within the table
  switch (group.kind) {
    case ValueKind::kReal:
      if (parseRealIn(group.value, group.real, text_.data() + text_.size())) return true;
      break;
    case ValueKind::kInteger:
      if (parseInteger(group.value, group.integer)) return true;
      break;
    case ValueKind::kHandle: {
      bool hexadecimal = true;
      for (char c : trim(group.value))
        hexadecimal = hexadecimal && (isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
      if (hexadecimal) return true;
      // A handle only links objects: one that cannot be read links nothing, and the drawing still opens.
      if (unreadableHandles_++ == 0) firstUnreadableHandle_ = group;
      group.value = {};
      return true;
    }
    case ValueKind::kName: {
      bool printable = true;
      for (char c : trim(group.value)) printable = printable && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
      if (printable) return true;
      break;
    }
    case ValueKind::kText:
      return true;
  }
  return refuseValue(group);
}

bool Scanner::refuseValue(const Group& group) {
  const char* what = "";
  switch (kKinds.kinds[group.code]) {
    case ValueKind::kReal: what = nonFinite(group.value) ? " is not a finite number" : " is not a number"; break;
    case ValueKind::kInteger: what = " is not an integer"; break;
    case ValueKind::kHandle: what = " is not a handle"; break;
    case ValueKind::kName: what = " is not a name"; break;
    case ValueKind::kText: return true;
  }
  fail(group.line + 1, quoted(group.value) + what + " (group code " + std::to_string(group.code) + ")");
  return false;
}

void Scanner::fail(std::size_t line, const std::string& message) {
  if (!failed()) error_ = "line " + std::to_string(line) + ": " + message;
}

double Scanner::realOfOtherCode(const Group& group) {
  double out = 0;
  if (!parseReal(group.value, out)) {
    fail(group.line + 1, quoted(group.value) + (nonFinite(group.value) ? " is not a finite number" : " is not a number") +
                             " (group code " + std::to_string(group.code) + ")");
    return 0;
  }
  return out;
}

int Scanner::integerOfOtherCode(const Group& group) {
  long long out = group.integer;
  if (group.kind != ValueKind::kInteger && !parseInteger(group.value, out)) {
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

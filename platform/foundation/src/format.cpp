#include "foundation/format.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale.h>

#include "foundation/text.h"

namespace foundation {
namespace {

constexpr int kMaxWidth = 4096;

struct Spec {
  bool left = false, plus = false, space = false, alternate = false, zero = false;
  int width = -1;
  int precision = -1;
  char conversion = 0;
};

// Number formatting must not depend on the process locale (a host that set a decimal comma).
class CLocaleScope {
 public:
  CLocaleScope() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    previous_ = c ? uselocale(c) : static_cast<locale_t>(nullptr);
  }
  ~CLocaleScope() {
    if (previous_) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

std::string flagsOf(const Spec& spec) {
  std::string out = "%";
  if (spec.left) out += '-';
  if (spec.plus) out += '+';
  if (spec.space) out += ' ';
  if (spec.alternate) out += '#';
  if (spec.zero) out += '0';
  out += "*.*";
  return out;
}

template <typename T>
std::string printNumber(const Spec& spec, const char* length, char conversion, T value) {
  const std::string fmt = flagsOf(spec) + length + conversion;
  // Only formats built here from a fixed set of flags reach snprintf, with exactly one value of matching type.
  const int width = spec.width < 0 ? 0 : spec.width;
  const int precision = spec.precision;
  char small[128];
  const int n = std::snprintf(small, sizeof small, fmt.c_str(), width, precision, value);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), fmt.c_str(), width, precision, value);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

// Pads or cuts text by characters, never inside a multi-byte sequence.
std::string fitText(std::string_view text, const Spec& spec) {
  std::string_view kept = text;
  std::size_t characters = 0;
  Utf8Cursor cursor{text};
  char32_t c = 0;
  std::size_t length = 0;
  while (cursor.next(c, length)) {
    if (spec.precision >= 0 && characters == static_cast<std::size_t>(spec.precision)) {
      kept = text.substr(0, cursor.offset - length);
      break;
    }
    ++characters;
  }
  std::string out;
  const std::size_t width = spec.width < 0 ? 0 : static_cast<std::size_t>(spec.width);
  const std::size_t pad = width > characters ? width - characters : 0;
  if (!spec.left) out.append(pad, ' ');
  out.append(kept);
  if (spec.left) out.append(pad, ' ');
  return out;
}

std::string pointerText(std::uintptr_t value) {
  char buffer[2 + 16];
  buffer[0] = '0';
  buffer[1] = 'x';
  const auto result = std::to_chars(buffer + 2, buffer + sizeof buffer, value, 16);
  return std::string(buffer, result.ptr);
}

std::string shortestDouble(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// Reads the number of a width, precision or position; stops at kMaxWidth so huge values cannot overflow.
int readNumber(std::string_view tmpl, std::size_t& pos) {
  int value = 0;
  while (pos < tmpl.size() && tmpl[pos] >= '0' && tmpl[pos] <= '9') {
    value = std::min(kMaxWidth, value * 10 + (tmpl[pos] - '0'));
    ++pos;
  }
  return value;
}

class Formatter {
 public:
  Formatter(std::string_view tmpl, std::span<const FormatArg> args) : tmpl_(tmpl), args_(args) {}

  std::string run() {
    CLocaleScope locale;
    std::size_t pos = 0;
    while (pos < tmpl_.size()) {
      const std::size_t percent = tmpl_.find('%', pos);
      if (percent == std::string_view::npos) {
        out_.append(tmpl_.substr(pos));
        break;
      }
      out_.append(tmpl_.substr(pos, percent - pos));
      pos = placeholder(percent);
    }
    return std::move(out_);
  }

 private:
  // Handles the placeholder starting at `start` (a '%'); returns the position after it.
  std::size_t placeholder(std::size_t start) {
    std::size_t pos = start + 1;
    Spec spec;
    const FormatArg* positional = nullptr;
    bool hasPosition = false;
    // "n$" selects an argument by position.
    {
      std::size_t probe = pos;
      const int number = readNumber(tmpl_, probe);
      if (probe > pos && probe < tmpl_.size() && tmpl_[probe] == '$') {
        hasPosition = true;
        if (number >= 1 && static_cast<std::size_t>(number) <= args_.size()) positional = &args_[static_cast<std::size_t>(number) - 1];
        pos = probe + 1;
      }
    }
    for (; pos < tmpl_.size(); ++pos) {
      const char c = tmpl_[pos];
      if (c == '-') spec.left = true;
      else if (c == '+') spec.plus = true;
      else if (c == ' ') spec.space = true;
      else if (c == '#') spec.alternate = true;
      else if (c == '0') spec.zero = true;
      else if (c == '\'') continue;  // grouping: accepted, not applied
      else break;
    }
    if (pos < tmpl_.size() && tmpl_[pos] == '*') {
      ++pos;
      spec.width = starValue();
      if (spec.width < 0) {
        spec.left = true;
        spec.width = spec.width == std::numeric_limits<int>::min() ? kMaxWidth : std::min(kMaxWidth, -spec.width);
      }
    } else if (pos < tmpl_.size() && tmpl_[pos] >= '0' && tmpl_[pos] <= '9') {
      spec.width = readNumber(tmpl_, pos);
    }
    if (pos < tmpl_.size() && tmpl_[pos] == '.') {
      ++pos;
      if (pos < tmpl_.size() && tmpl_[pos] == '*') {
        ++pos;
        const int value = starValue();
        spec.precision = value < 0 ? -1 : value;
      } else {
        spec.precision = readNumber(tmpl_, pos);
      }
    }
    while (pos < tmpl_.size() && std::string_view("hlqjztL").find(tmpl_[pos]) != std::string_view::npos) ++pos;
    if (pos >= tmpl_.size()) {
      // A template ending inside a placeholder: keep what was written.
      out_.append(tmpl_.substr(start));
      return tmpl_.size();
    }
    spec.conversion = tmpl_[pos++];
    if (spec.conversion == '%') {
      out_.push_back('%');
      return pos;
    }
    if (spec.conversion == 'n') return pos;
    if (std::string_view("@sSdiuoxXcCpfFeEgGaA").find(spec.conversion) == std::string_view::npos) {
      out_.append(tmpl_.substr(start, pos - start));
      return pos;
    }
    const FormatArg* arg = hasPosition ? positional : nextArgument();
    if (arg) render(spec, *arg);
    return pos;
  }

  const FormatArg* nextArgument() { return next_ < args_.size() ? &args_[next_++] : nullptr; }

  // A '*' width or precision takes an integer argument; anything else counts as 0.
  int starValue() {
    const FormatArg* arg = nextArgument();
    if (!arg) return 0;
    std::int64_t value = 0;
    if (const auto* i = std::get_if<std::int64_t>(arg)) value = *i;
    else if (const auto* u = std::get_if<std::uint64_t>(arg)) value = static_cast<std::int64_t>(std::min<std::uint64_t>(*u, kMaxWidth));
    else if (const auto* d = std::get_if<double>(arg)) value = std::isfinite(*d) ? static_cast<std::int64_t>(std::clamp(*d, -1e9, 1e9)) : 0;
    return static_cast<int>(std::clamp<std::int64_t>(value, -kMaxWidth, kMaxWidth));
  }

  static std::optional<double> asDouble(const FormatArg& arg) {
    if (const auto* d = std::get_if<double>(&arg)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&arg)) return static_cast<double>(*i);
    if (const auto* u = std::get_if<std::uint64_t>(&arg)) return static_cast<double>(*u);
    return std::nullopt;
  }

  // A floating value becomes an integer by truncation, saturated at the 64-bit limits; NaN becomes 0.
  static std::int64_t saturate(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
    if (d <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(d);
  }

  void render(const Spec& spec, const FormatArg& arg) {
    switch (spec.conversion) {
      case '@': renderObject(spec, arg); break;
      case 's': case 'S': renderText(spec, arg); break;
      case 'd': case 'i': renderSigned(spec, arg); break;
      case 'u': case 'o': case 'x': case 'X': renderUnsigned(spec, arg); break;
      case 'c': case 'C': renderCharacter(spec, arg); break;
      case 'p': renderPointer(spec, arg); break;
      default: renderFloating(spec, arg); break;
    }
  }

  void renderObject(const Spec& spec, const FormatArg& arg) {
    if (std::holds_alternative<std::string>(arg) || std::holds_alternative<std::wstring>(arg)) return renderText(spec, arg);
    std::string text;
    if (const auto* i = std::get_if<std::int64_t>(&arg)) text = std::to_string(*i);
    else if (const auto* u = std::get_if<std::uint64_t>(&arg)) text = std::to_string(*u);
    else if (const auto* d = std::get_if<double>(&arg)) text = shortestDouble(*d);
    else if (const auto* p = std::get_if<const void*>(&arg)) text = *p ? pointerText(reinterpret_cast<std::uintptr_t>(*p)) : "(null)";
    out_ += fitText(text, spec);
  }

  void renderText(const Spec& spec, const FormatArg& arg) {
    if (const auto* s = std::get_if<std::string>(&arg)) out_ += fitText(*s, spec);
    else if (const auto* w = std::get_if<std::wstring>(&arg)) out_ += fitText(utf8FromWideLossy(*w), spec);
  }

  void renderSigned(const Spec& spec, const FormatArg& arg) {
    if (const auto* i = std::get_if<std::int64_t>(&arg)) {
      out_ += printNumber(spec, "ll", 'd', static_cast<long long>(*i));
    } else if (const auto* u = std::get_if<std::uint64_t>(&arg)) {
      // Keep the true value of a large unsigned argument rather than wrapping it negative.
      if (*u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        Spec unsignedSpec = spec;
        unsignedSpec.plus = unsignedSpec.space = false;
        out_ += printNumber(unsignedSpec, "ll", 'u', static_cast<unsigned long long>(*u));
      } else {
        out_ += printNumber(spec, "ll", 'd', static_cast<long long>(*u));
      }
    } else if (const auto* d = std::get_if<double>(&arg)) {
      out_ += printNumber(spec, "ll", 'd', static_cast<long long>(saturate(*d)));
    }
  }

  void renderUnsigned(const Spec& spec, const FormatArg& arg) {
    unsigned long long value = 0;
    if (const auto* u = std::get_if<std::uint64_t>(&arg)) value = *u;
    else if (const auto* i = std::get_if<std::int64_t>(&arg)) value = static_cast<unsigned long long>(*i);
    else if (const auto* d = std::get_if<double>(&arg)) value = static_cast<unsigned long long>(saturate(*d));
    else return;
    out_ += printNumber(spec, "ll", spec.conversion == 'u' ? 'u' : spec.conversion, value);
  }

  void renderCharacter(const Spec& spec, const FormatArg& arg) {
    std::int64_t code = 0;
    if (const auto* i = std::get_if<std::int64_t>(&arg)) code = *i;
    else if (const auto* u = std::get_if<std::uint64_t>(&arg)) code = static_cast<std::int64_t>(std::min<std::uint64_t>(*u, 0x110000));
    else return;
    std::string text;
    appendUtf8(text, code < 0 || code > 0x10FFFF ? kReplacementCharacter : static_cast<char32_t>(code));
    Spec textSpec = spec;
    textSpec.precision = -1;
    out_ += fitText(text, textSpec);
  }

  void renderPointer(const Spec& spec, const FormatArg& arg) {
    std::uintptr_t value = 0;
    if (const auto* p = std::get_if<const void*>(&arg)) value = reinterpret_cast<std::uintptr_t>(*p);
    else if (const auto* u = std::get_if<std::uint64_t>(&arg)) value = static_cast<std::uintptr_t>(*u);
    else if (const auto* i = std::get_if<std::int64_t>(&arg)) value = static_cast<std::uintptr_t>(*i);
    else return;
    Spec textSpec = spec;
    textSpec.precision = -1;
    out_ += fitText(pointerText(value), textSpec);
  }

  void renderFloating(const Spec& spec, const FormatArg& arg) {
    const std::optional<double> value = asDouble(arg);
    if (!value) return;
    out_ += printNumber(spec, "", spec.conversion, *value);
  }

  std::string_view tmpl_;
  std::span<const FormatArg> args_;
  std::size_t next_ = 0;
  std::string out_;
};

}  // namespace

std::string formatArgs(std::string_view tmpl, std::span<const FormatArg> args) { return Formatter(tmpl, args).run(); }

std::wstring formatArgsWide(std::wstring_view tmpl, std::span<const FormatArg> args) {
  return wideFromUtf8Lossy(formatArgs(utf8FromWideLossy(tmpl), args));
}

}  // namespace foundation

#pragma once
// printf-style formatting of the system's message templates, safe against templates whose placeholders do not
// match their arguments (a translated template may carry a different set than the code supplies).
//
// Arguments are packed into `FormatArg` values, so the formatter always knows what it holds and never reads
// past the end. Placeholders: %[n$][flags][width][.precision][length]conversion with
//   %@            a text (std::string / std::optional<std::string>, nil prints "(null)"), a wide text, or the
//                 description of a number or pointer;
//   %s %ls %S     a text or a wide text;
//   %d %i         signed integer; %u %o %x %X unsigned integer (a negative value as its 64-bit two's complement);
//   %f %F %e %E %g %G %a %A   floating point;
//   %c %C         a character given by its code;
//   %p            a pointer, as 0x followed by lower-case hexadecimal ("0x0" for none);
//   %%            a percent sign.
// Length modifiers (hh h l ll q j z t L) are accepted and ignored: integers are always formatted at their full
// 64-bit value, never truncated to the modifier's width.
// Mismatches: numbers convert among themselves (a floating value for %d is truncated toward zero and saturated,
// NaN gives 0); a text, pointer or missing argument where a number is expected renders nothing, as does a
// number for %s. A mismatched argument is still consumed. %n renders nothing and consumes nothing. An unknown
// conversion is copied as it stands. Width and precision are capped at 4096.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace foundation {

using FormatArg = std::variant<std::int64_t, std::uint64_t, double, std::string, std::wstring, const void*>;

std::string formatArgs(std::string_view tmpl, std::span<const FormatArg> args);
// The same engine for host command-line texts; the template and the result are wide.
std::wstring formatArgsWide(std::wstring_view tmpl, std::span<const FormatArg> args);

namespace format_detail {

inline FormatArg pack(bool value) { return static_cast<std::int64_t>(value ? 1 : 0); }
template <std::signed_integral T>
FormatArg pack(T value) { return static_cast<std::int64_t>(value); }
template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>)
FormatArg pack(T value) { return static_cast<std::uint64_t>(value); }
template <typename T>
  requires std::is_enum_v<T>
FormatArg pack(T value) { return pack(static_cast<std::underlying_type_t<T>>(value)); }
template <std::floating_point T>
FormatArg pack(T value) { return static_cast<double>(value); }
inline FormatArg pack(const std::string& value) { return value; }
inline FormatArg pack(std::string&& value) { return std::move(value); }
inline FormatArg pack(std::string_view value) { return std::string(value); }
inline FormatArg pack(const char* value) { return std::string(value ? value : "(null)"); }
inline FormatArg pack(char* value) { return pack(static_cast<const char*>(value)); }
inline FormatArg pack(const std::optional<std::string>& value) { return value ? *value : std::string("(null)"); }
inline FormatArg pack(const std::wstring& value) { return value; }
inline FormatArg pack(std::wstring&& value) { return std::move(value); }
inline FormatArg pack(std::wstring_view value) { return std::wstring(value); }
inline FormatArg pack(const wchar_t* value) { return std::wstring(value ? value : L"(null)"); }
inline FormatArg pack(wchar_t* value) { return pack(static_cast<const wchar_t*>(value)); }
inline FormatArg pack(std::nullptr_t) { return static_cast<const void*>(nullptr); }
template <typename T>
  requires(!std::is_same_v<std::remove_cv_t<T>, char> && !std::is_same_v<std::remove_cv_t<T>, wchar_t>)
FormatArg pack(T* value) { return static_cast<const void*>(value); }

}  // namespace format_detail

template <typename... Args>
std::string format(std::string_view tmpl, Args&&... args) {
  const FormatArg packed[sizeof...(Args) + 1] = {format_detail::pack(std::forward<Args>(args))..., FormatArg{}};
  return formatArgs(tmpl, std::span<const FormatArg>(packed, sizeof...(Args)));
}

template <typename... Args>
std::wstring formatWide(std::wstring_view tmpl, Args&&... args) {
  const FormatArg packed[sizeof...(Args) + 1] = {format_detail::pack(std::forward<Args>(args))..., FormatArg{}};
  return formatArgsWide(tmpl, std::span<const FormatArg>(packed, sizeof...(Args)));
}

}  // namespace foundation

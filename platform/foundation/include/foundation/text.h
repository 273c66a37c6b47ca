#pragma once
// Conversions between the encodings the system meets: UTF-8 (`std::string`, the system string), 32-bit wide
// strings (host text; wchar_t is UTF-32 here), UTF-16 (what system strings hold internally) and UTF-32LE byte
// data (how the host bridge hands text across). Nothing here throws.
//
// Two forms of each conversion: the checked one gives std::nullopt for input that is not valid in its encoding
// (overlong UTF-8, encoded or unpaired surrogates, values above U+10FFFF, truncated sequences); the lossy one
// replaces each maximal ill-formed subsequence with U+FFFD and always succeeds.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// True for a Unicode scalar value: 0..0x10FFFF without the surrogates 0xD800..0xDFFF.
constexpr bool isScalarValue(char32_t c) noexcept { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

bool isValidUtf8(std::string_view text) noexcept;
// The text with every ill-formed subsequence replaced by U+FFFD; valid text comes back unchanged.
std::string sanitizedUtf8(std::string_view text);
// Appends the UTF-8 form of a scalar value; a non-scalar value appends U+FFFD.
void appendUtf8(std::string& out, char32_t c);

std::optional<std::wstring> wideFromUtf8(std::string_view text);
std::wstring wideFromUtf8Lossy(std::string_view text);
// Fails on a wide character that is a surrogate code point or above 0x10FFFF, as system strings refuse them.
std::optional<std::string> utf8FromWide(std::wstring_view text);
std::string utf8FromWideLossy(std::wstring_view text);

std::optional<std::u16string> utf16FromUtf8(std::string_view text);
// Fails on an unpaired surrogate.
std::optional<std::string> utf8FromUtf16(std::u16string_view text);
// The length of the text in UTF-16 code units (the length a system string reports); ill-formed bytes count as
// one unit each, as their replacement would.
std::size_t utf16Length(std::string_view text) noexcept;

// UTF-32LE byte data, four bytes per character, no byte-order mark.
std::optional<std::string> utf32leFromUtf8(std::string_view text);
// Fails when the length is not a multiple of four or a unit is not a scalar value.
std::optional<std::string> utf8FromUtf32le(std::string_view bytes);
// Fails on a character that is not a scalar value.
std::optional<std::string> utf32leFromWide(std::wstring_view text);
std::optional<std::wstring> wideFromUtf32le(std::string_view bytes);

// Walks UTF-8 text one character at a time, tolerating ill-formed bytes (each maximal ill-formed subsequence is
// one U+FFFD). Returns false at the end.
struct Utf8Cursor {
  std::string_view text;
  std::size_t offset = 0;
  // On success `c` is the character (or U+FFFD) and `length` the bytes it took.
  bool next(char32_t& c, std::size_t& length) noexcept;
};

}  // namespace foundation

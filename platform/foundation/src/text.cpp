#include "foundation/text.h"

#include <cstdint>

namespace foundation {
namespace {

// Decodes one character at `pos`. Returns true for a well-formed sequence; otherwise `length` is the maximal
// ill-formed subpart (at least one byte), so that callers replace it with one U+FFFD as Unicode recommends.
bool decodeUtf8(std::string_view text, std::size_t pos, char32_t& c, std::size_t& length) noexcept {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) {
    c = lead;
    length = 1;
    return true;
  }
  std::size_t need = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    c = kReplacementCharacter;
    length = 1;
    return false;
  }
  length = 1;
  for (std::size_t i = 0; i < need; ++i) {
    const std::size_t at = pos + 1 + i;
    if (at >= text.size()) break;
    const unsigned char b = byte(at);
    const unsigned char lo = i == 0 ? low : 0x80;
    const unsigned char hi = i == 0 ? high : 0xBF;
    if (b < lo || b > hi) break;
    value = (value << 6) | (b & 0x3F);
    ++length;
  }
  if (length != need + 1) {
    c = kReplacementCharacter;
    return false;
  }
  c = value;
  return true;
}

template <typename Sink>
bool decodeAll(std::string_view text, bool lossy, Sink&& sink) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    std::size_t length = 0;
    if (!decodeUtf8(text, pos, c, length) && !lossy) return false;
    sink(c);
    pos += length;
  }
  return true;
}

void appendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void appendUtf32le(std::string& out, char32_t c) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((c >> shift) & 0xFF));
}

// wchar_t may be signed; a negative value is never a character.
char32_t asChar32(wchar_t w) noexcept { return static_cast<char32_t>(static_cast<std::uint32_t>(w)); }

}  // namespace

bool Utf8Cursor::next(char32_t& c, std::size_t& length) noexcept {
  if (offset >= text.size()) return false;
  decodeUtf8(text, offset, c, length);
  offset += length;
  return true;
}

void appendUtf8(std::string& out, char32_t c) {
  if (!isScalarValue(c)) c = kReplacementCharacter;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isValidUtf8(std::string_view text) noexcept {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    std::size_t length = 0;
    if (!decodeUtf8(text, pos, c, length)) return false;
    pos += length;
  }
  return true;
}

std::string sanitizedUtf8(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  decodeAll(text, true, [&](char32_t c) { appendUtf8(out, c); });
  return out;
}

std::optional<std::wstring> wideFromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  if (!decodeAll(text, false, [&](char32_t c) { out.push_back(static_cast<wchar_t>(c)); })) return std::nullopt;
  return out;
}

std::wstring wideFromUtf8Lossy(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  decodeAll(text, true, [&](char32_t c) { out.push_back(static_cast<wchar_t>(c)); });
  return out;
}

std::optional<std::string> utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) {
    const char32_t c = asChar32(w);
    if (!isScalarValue(c)) return std::nullopt;
    appendUtf8(out, c);
  }
  return out;
}

std::string utf8FromWideLossy(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) appendUtf8(out, asChar32(w));
  return out;
}

std::optional<std::u16string> utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  if (!decodeAll(text, false, [&](char32_t c) { appendUtf16(out, c); })) return std::nullopt;
  return out;
}

std::optional<std::string> utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= text.size()) return std::nullopt;
      const char32_t trail = text[i + 1];
      if (trail < 0xDC00 || trail > 0xDFFF) return std::nullopt;
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00));
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return std::nullopt;
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

std::size_t utf16Length(std::string_view text) noexcept {
  std::size_t units = 0;
  Utf8Cursor cursor{text};
  char32_t c = 0;
  std::size_t length = 0;
  while (cursor.next(c, length)) units += c >= 0x10000 ? 2 : 1;
  return units;
}

std::optional<std::string> utf32leFromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  if (!decodeAll(text, false, [&](char32_t c) { appendUtf32le(out, c); })) return std::nullopt;
  return out;
}

namespace {
template <typename Sink>
bool decodeUtf32le(std::string_view bytes, Sink&& sink) {
  if (bytes.size() % 4 != 0) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    char32_t c = 0;
    for (int k = 3; k >= 0; --k) c = (c << 8) | static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
    if (!isScalarValue(c)) return false;
    sink(c);
  }
  return true;
}
}  // namespace

std::optional<std::string> utf8FromUtf32le(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  if (!decodeUtf32le(bytes, [&](char32_t c) { appendUtf8(out, c); })) return std::nullopt;
  return out;
}

std::optional<std::string> utf32leFromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 4);
  for (wchar_t w : text) {
    const char32_t c = asChar32(w);
    if (!isScalarValue(c)) return std::nullopt;
    appendUtf32le(out, c);
  }
  return out;
}

std::optional<std::wstring> wideFromUtf32le(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size() / 4);
  if (!decodeUtf32le(bytes, [&](char32_t c) { out.push_back(static_cast<wchar_t>(c)); })) return std::nullopt;
  return out;
}

}  // namespace foundation

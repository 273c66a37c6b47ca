#include "text.h"


#include <vector>

#include "foundation/icu_library.h"
#include "foundation/text.h"
#include "scanner.h"

namespace cad::dxf {
namespace {

std::wstring widenAscii(std::string_view raw) {
  std::wstring out(raw.size(), L'\0');
  for (std::size_t i = 0; i < raw.size(); ++i) out[i] = static_cast<wchar_t>(static_cast<unsigned char>(raw[i]));
  return out;
}

std::wstring fromUtf16(const std::vector<UChar>& units, std::size_t length) {
  std::wstring out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u));
    }
  }
  return out;
}

int hexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Four hexadecimal digits at `at`, or -1.
long hex4(const std::wstring& text, std::size_t at) {
  if (at + 4 > text.size()) return -1;
  long value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const int digit = hexValue(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// The code pages \M+N escapes name: 1 Japanese, 2 Traditional Chinese, 3 Korean (Wansung), 4 Korean (Johab),
// 5 Simplified Chinese.
const char* multibytePage(wchar_t n) {
  switch (n) {
    case L'1': return "windows-932";
    case L'2': return "windows-950";
    case L'3': return "windows-949";
    case L'4': return "ibm-1361";
    case L'5': return "windows-936";
    default: return nullptr;
  }
}

}  // namespace

TextDecoder::~TextDecoder() {
  for (auto& [name, converter] : converters_) {
    if (converter != nullptr) foundation::icuLibrary()->converterClose(converter);
  }
}

UConverter* TextDecoder::converterFor(const std::string& icuName) {
  auto it = converters_.find(icuName);
  if (it != converters_.end()) return it->second;
  const foundation::IcuLibrary* icu = foundation::icuLibrary();
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = icu != nullptr ? icu->converterOpen(icuName.c_str(), &status) : nullptr;
  if (U_FAILURE(status)) converter = nullptr;
  converters_.emplace(icuName, converter);
  return converter;
}

UConverter* TextDecoder::codePageConverter(std::string_view codePage) {
  std::string name(trim(codePage));
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  std::string digits;
  if (name.rfind("ANSI_", 0) == 0) digits = name.substr(5);
  else if (name.rfind("DOS", 0) == 0) digits = name.substr(3);
  if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos) {
    if (UConverter* c = converterFor("windows-" + digits)) return c;
    if (UConverter* c = converterFor("cp" + digits)) return c;
    return nullptr;
  }
  if (name.empty() || name == "UTF8" || name == "UTF-8") return nullptr;
  return converterFor(name);  // ISO8859-1, BIG5, GB2312, … by ICU's aliases
}

void TextDecoder::configure(std::string_view acadVersion, std::string_view codePage) {
  names_.clear();  // they may decode differently now
  const std::string_view version = trim(acadVersion);
  const std::string_view page = trim(codePage);
  const bool utf8Page = sameWord(page, "UTF8") || sameWord(page, "UTF-8");
  pageConverter_ = nullptr;
  utf8FilePage_.clear();
  // AC1021 (R2007) and later are UTF-8 whatever the code page says.
  if ((version.size() >= 6 && version.substr(0, 2) == "AC" && version.substr(2) >= "1021") || utf8Page) {
    mode_ = Mode::kUtf8;
    // The page reads only text that is not UTF-8, which few such files have: it is opened when some comes.
    if (!page.empty() && !utf8Page) utf8FilePage_ = std::string(page);
  } else if (page.empty()) {
    mode_ = Mode::kGuess;
  } else {
    pageConverter_ = codePageConverter(page);
    mode_ = pageConverter_ != nullptr ? Mode::kCodePage : Mode::kLatin1;
  }
}

std::wstring TextDecoder::bytesToWide(std::string_view raw) {
  bool ascii = true;
  for (char c : raw) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return widenAscii(raw);
  switch (mode_) {
    case Mode::kUtf8:
      // Some tools label code-page text as a UTF-8 version: the declared page reads what UTF-8 cannot.
      if (foundation::isValidUtf8(raw)) return foundation::wideFromUtf8Lossy(raw);
      if (!utf8FilePage_.empty()) {
        pageConverter_ = codePageConverter(utf8FilePage_);
        utf8FilePage_.clear();
      }
      if (pageConverter_ == nullptr) return foundation::wideFromUtf8Lossy(raw);
      break;
    case Mode::kGuess:
      // No code page declared: UTF-8 when the bytes are, else the usual Western page.
      if (foundation::isValidUtf8(raw)) return foundation::wideFromUtf8Lossy(raw);
      pageConverter_ = converterFor("windows-1252");
      if (pageConverter_ == nullptr) return widenAscii(raw);
      break;
    case Mode::kLatin1:
      return widenAscii(raw);
    case Mode::kCodePage:
      break;
  }
  const foundation::IcuLibrary* icu = foundation::icuLibrary();  // there, as it made the converter
  std::vector<UChar> units(raw.size() * 2 + 2);
  UErrorCode status = U_ZERO_ERROR;
  icu->converterReset(pageConverter_);
  const int32_t length = icu->converterToUChars(pageConverter_, units.data(), static_cast<int32_t>(units.size()),
                                                raw.data(), static_cast<int32_t>(raw.size()), &status);
  if (U_FAILURE(status) || length < 0) return widenAscii(raw);
  return fromUtf16(units, static_cast<std::size_t>(length));
}

void TextDecoder::decodeEscapes(std::wstring& text) {
  if (text.find(L'\\') == std::wstring::npos) return;
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c != L'\\' || i + 1 >= text.size()) {
      out.push_back(c);
      continue;
    }
    const wchar_t next = text[i + 1];
    if (next == L'\\') {  // an escaped backslash stays as written
      out.append(L"\\\\");
      ++i;
      continue;
    }
    if ((next == L'U' || next == L'u') && i + 2 < text.size() && text[i + 2] == L'+') {
      const long value = hex4(text, i + 3);
      if (value >= 0 && foundation::isScalarValue(static_cast<char32_t>(value))) {
        out.push_back(static_cast<wchar_t>(value));
        i += 6;
        continue;
      }
    }
    if ((next == L'M' || next == L'm') && i + 3 < text.size() && text[i + 2] == L'+') {
      const char* page = multibytePage(text[i + 3]);
      const long value = hex4(text, i + 4);
      UConverter* converter = page != nullptr && value >= 0 ? converterFor(page) : nullptr;
      if (converter != nullptr) {
        const char bytes[2] = {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
        std::vector<UChar> units(4);
        const foundation::IcuLibrary* icu = foundation::icuLibrary();  // there, as it made the converter
        UErrorCode status = U_ZERO_ERROR;
        icu->converterReset(converter);
        const int32_t length = icu->converterToUChars(converter, units.data(), 4, bytes, value > 0xFF ? 2 : 1, &status);
        if (U_SUCCESS(status) && length > 0) {
          out += fromUtf16(units, static_cast<std::size_t>(length));
          i += 7;
          continue;
        }
      }
    }
    out.push_back(c);
  }
  text = std::move(out);
}

std::wstring TextDecoder::decode(std::string_view raw) {
  std::wstring text = bytesToWide(raw);
  decodeEscapes(text);
  return text;
}

}  // namespace cad::dxf

namespace cad::dxf {

Name TextDecoder::name(std::string_view raw) {
  auto found = names_.find(raw);
  if (found != names_.end()) return found->second;
  const std::wstring decoded = decode(raw);
  const Name pooled = pool_ != nullptr ? pool_->intern(decoded) : Name(decoded);
  names_.emplace(raw, pooled);
  return pooled;
}

}  // namespace cad::dxf

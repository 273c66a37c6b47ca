#include "cad/render/text_codes.h"

#include <cmath>
#include <cwchar>

namespace cad::render {
namespace {

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// "%%d" and its kin at `i`; false when there is none. `i` ends on the code's last character.
bool specialCharacter(std::wstring_view text, std::size_t& i, std::wstring& out) {
  if (text[i] != L'%' || i + 2 >= text.size() || text[i + 1] != L'%') return false;
  const wchar_t code = text[i + 2];
  if (isDigit(code)) {
    std::size_t j = i + 2;
    int value = 0;
    while (j < text.size() && j < i + 5 && isDigit(text[j])) value = value * 10 + (text[j++] - L'0');
    if (value > 0) out.push_back(static_cast<wchar_t>(value));
    i = j - 1;
    return true;
  }
  switch (code) {
    case L'd':
    case L'D': out.push_back(L'\u00B0'); break;
    case L'p':
    case L'P': out.push_back(L'\u00B1'); break;
    case L'c':
    case L'C': out.push_back(L'\u2300'); break;
    case L'%': out.push_back(L'%'); break;
    case L'u':
    case L'U':
    case L'o':
    case L'O':
    case L'k':
    case L'K': break;
    default: return false;
  }
  i += 2;
  return true;
}

// The value of a code that runs to the next ';' (or the end), starting at `i`; `i` ends on the ';'.
std::wstring codeValue(std::wstring_view text, std::size_t& i) {
  const std::size_t end = text.find(L';', i);
  const std::wstring value(text.substr(i, end == std::wstring_view::npos ? std::wstring_view::npos : end - i));
  i = end == std::wstring_view::npos ? text.size() : end;
  return value;
}

std::optional<double> number(const std::wstring& value) {
  if (value.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  const double v = std::wcstod(value.c_str(), &end);
  if (end == value.c_str() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "2.5" sets, "1.5x" multiplies; nonsense and values that are not positive leave it.
double scaled(double current, const std::wstring& value) {
  const bool relative = !value.empty() && (value.back() == L'x' || value.back() == L'X');
  const std::optional<double> v = number(relative ? value.substr(0, value.size() - 1) : value);
  if (!v || !(*v > 0)) return current;
  return relative ? current * *v : *v;
}

struct Format {
  double height, widthFactor;
  std::optional<int> aci;
  std::optional<std::uint32_t> rgb;
};

class Paragraphs {
 public:
  explicit Paragraphs(Format format) : format_(format) { out_.emplace_back(); }

  void put(wchar_t c) {
    TextParagraph& p = out_.back();
    if (p.empty() || p.back().height != format_.height || p.back().widthFactor != format_.widthFactor ||
        p.back().aci != format_.aci || p.back().rgb != format_.rgb) {
      p.push_back({{}, format_.height, format_.widthFactor, format_.aci, format_.rgb});
    }
    p.back().text.push_back(c);
  }
  void put(std::wstring_view text) {
    for (wchar_t c : text) put(c);
  }
  void breakParagraph() { out_.emplace_back(); }
  Format& format() { return format_; }
  std::vector<TextParagraph> take() { return std::move(out_); }

 private:
  Format format_;
  std::vector<TextParagraph> out_;
};

}  // namespace

std::wstring withSpecialCharacters(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!specialCharacter(text, i, out)) out.push_back(text[i]);
  }
  return out;
}

std::vector<TextParagraph> mtextParagraphs(std::wstring_view text, double height, double widthFactor) {
  Paragraphs paragraphs({height, widthFactor, std::nullopt, std::nullopt});
  std::vector<Format> groups;
  std::wstring special;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'{') {
      groups.push_back(paragraphs.format());
      continue;
    }
    if (c == L'}') {
      if (!groups.empty()) {
        paragraphs.format() = groups.back();
        groups.pop_back();
      }
      continue;
    }
    special.clear();
    if (specialCharacter(text, i, special)) {
      paragraphs.put(special);
      continue;
    }
    if (c != L'\\' || i + 1 >= text.size()) {
      paragraphs.put(c);
      continue;
    }
    const wchar_t code = text[++i];
    Format& format = paragraphs.format();
    switch (code) {
      case L'P':
      case L'X':
      case L'N': paragraphs.breakParagraph(); break;
      case L'~': paragraphs.put(L'\u00A0'); break;
      case L'\\':
      case L'{':
      case L'}': paragraphs.put(code); break;
      case L'H': format.height = scaled(format.height, codeValue(text, ++i)); break;
      case L'W': format.widthFactor = scaled(format.widthFactor, codeValue(text, ++i)); break;
      case L'C': {
        const std::optional<double> index = number(codeValue(text, ++i));
        // 0 (by block) and 256 (by layer) go back to the entity's own colour.
        format.aci =
            index && *index >= 1 && *index <= 255 ? std::optional<int>(static_cast<int>(*index)) : std::nullopt;
        format.rgb.reset();
        break;
      }
      case L'c': {
        const std::optional<double> value = number(codeValue(text, ++i));
        if (value && *value >= 0 && *value <= 0xFFFFFF) {
          // Stored red first from the low byte.
          const auto v = static_cast<std::uint32_t>(*value);
          format.rgb = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
          format.aci.reset();
        }
        break;
      }
      case L'S': {
        std::wstring stack = codeValue(text, ++i);
        for (wchar_t& s : stack) {
          if (s == L'^' || s == L'#') s = L'/';
        }
        paragraphs.put(withSpecialCharacters(stack));
        break;
      }
      case L'f':
      case L'F':
      case L'A':
      case L'Q':
      case L'T':
      case L'p': (void)codeValue(text, ++i); break;
      default: break;  // toggles (\L \l \O \o \K \k) and unknown codes show nothing
    }
  }
  std::vector<TextParagraph> out = paragraphs.take();
  for (TextParagraph& p : out) std::erase_if(p, [](const TextRun& r) { return r.text.empty(); });
  return out;
}

}  // namespace cad::render

#include "graphics/text_measurer.h"

#include <algorithm>

#include "foundation/text.h"

namespace graphics {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// Byte offsets of every character boundary, 0 and the end included.
std::vector<std::size_t> boundaries(std::string_view text) {
  std::vector<std::size_t> out{0};
  foundation::Utf8Cursor cursor{text};
  char32_t c;
  std::size_t length;
  while (cursor.next(c, length)) out.push_back(cursor.offset);
  return out;
}

std::string_view firstLine(std::string_view text) {
  const auto end = text.find_first_of("\r\n");
  return end == std::string_view::npos ? text : text.substr(0, end);
}

bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000; }

std::string_view trimmedRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (s.size() >= 3 && s.substr(s.size() - 3) == "\xE3\x80\x80") return trimmedRight(s.substr(0, s.size() - 3));
  return s;
}

// The largest n in [0, count] with fits(n), assuming fits is monotonic and fits(0).
template <typename Fits>
std::size_t largestFitting(std::size_t count, Fits fits) {
  std::size_t lo = 0, hi = count;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (fits(mid)) lo = mid;
    else hi = mid - 1;
  }
  return lo;
}

// Pieces that a line may not split under word wrap: a run of narrow characters with the blanks after it, or one
// wide character with the blanks after it.
std::vector<std::string_view> wordPieces(std::string_view para, bool everyCharacter) {
  std::vector<std::string_view> pieces;
  foundation::Utf8Cursor cursor{para};
  char32_t c;
  std::size_t length;
  std::size_t start = 0;
  bool inBlanks = false, lastWide = false, any = false;
  while (cursor.next(c, length)) {
    const std::size_t at = cursor.offset - length;
    const bool blank = isBlank(c);
    const bool wide = isWideCharacter(c);
    const bool breakBefore = any && !blank && (everyCharacter || inBlanks || wide || lastWide);
    if (breakBefore) {
      pieces.push_back(para.substr(start, at - start));
      start = at;
    }
    inBlanks = blank;
    if (!blank) lastWide = wide;
    any = true;
  }
  if (start < para.size() || pieces.empty()) pieces.push_back(para.substr(start));
  return pieces;
}

}  // namespace

bool isWideCharacter(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::string TextMeasurer::truncated(std::string_view whole, const Font& font, double maxWidth,
                                    LineBreakMode mode) const {
  const std::string_view text = firstLine(whole);
  if (mode != LineBreakMode::truncatingHead && mode != LineBreakMode::truncatingTail &&
      mode != LineBreakMode::truncatingMiddle) {
    return std::string(text);
  }
  if (width(text, font) <= maxWidth) return std::string(text);
  const std::vector<std::size_t> at = boundaries(text);
  const std::size_t count = at.size() - 1;
  auto build = [&](std::size_t keep) {
    std::string out;
    if (mode == LineBreakMode::truncatingTail) {
      out.append(text.substr(0, at[keep])).append(kEllipsis);
    } else if (mode == LineBreakMode::truncatingHead) {
      out.append(kEllipsis).append(text.substr(at[count - keep]));
    } else {
      const std::size_t head = (keep + 1) / 2, tail = keep / 2;
      out.append(text.substr(0, at[head])).append(kEllipsis).append(text.substr(at[count - tail]));
    }
    return out;
  };
  const std::size_t keep = largestFitting(count, [&](std::size_t n) { return width(build(n), font) <= maxWidth; });
  return build(keep);
}

std::vector<std::string> TextMeasurer::wrappedLines(std::string_view text, const Font& font, double maxWidth,
                                                    LineBreakMode mode) const {
  std::vector<std::string> lines;
  const bool everyCharacter = mode == LineBreakMode::charWrap;
  std::size_t paraStart = 0;
  for (;;) {
    const std::size_t paraEnd = text.find('\n', paraStart);
    std::string_view para = text.substr(paraStart, paraEnd == std::string_view::npos ? std::string_view::npos
                                                                                     : paraEnd - paraStart);
    if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
    std::string line;
    for (std::string_view piece : wordPieces(para, everyCharacter)) {
      std::string candidate = line + std::string(piece);
      if (width(trimmedRight(candidate), font) <= maxWidth || piece.empty()) {
        line = std::move(candidate);
        continue;
      }
      if (!line.empty()) {
        lines.push_back(std::move(line));
        line.clear();
        if (width(trimmedRight(piece), font) <= maxWidth) {
          line = std::string(piece);
          continue;
        }
      }
      // A piece wider than a whole line: as many characters per line as fit, at least one.
      std::string_view rest = piece;
      while (!rest.empty()) {
        const std::vector<std::size_t> at = boundaries(rest);
        std::size_t n = largestFitting(at.size() - 1, [&](std::size_t k) {
          return width(trimmedRight(rest.substr(0, at[k])), font) <= maxWidth;
        });
        n = std::max<std::size_t>(n, 1);
        if (n == at.size() - 1) {
          line = std::string(rest);
          break;
        }
        lines.emplace_back(rest.substr(0, at[n]));
        rest = rest.substr(at[n]);
      }
    }
    lines.push_back(std::move(line));
    if (paraEnd == std::string_view::npos) break;
    paraStart = paraEnd + 1;
  }
  return lines;
}

std::vector<std::string> TextMeasurer::lines(std::string_view text, const Font& font, double maxWidth,
                                             LineBreakMode mode) const {
  if (wraps(mode)) return wrappedLines(text, font, maxWidth, mode);
  return {truncated(text, font, maxWidth, mode)};
}

Size TextMeasurer::size(std::string_view text, const Font& font, double maxWidth, LineBreakMode mode) const {
  std::vector<std::string> shown;
  if (maxWidth > 0) {
    shown = lines(text, font, maxWidth, mode);
  } else {
    shown = wrappedLines(text, font, 1e300, LineBreakMode::wordWrap);
  }
  double w = 0;
  for (const std::string& line : shown) w = std::max(w, width(trimmedRight(line), font));
  return {w, font.lineHeight() * static_cast<double>(shown.size())};
}

double FixedAdvanceMeasurer::width(std::string_view text, const Font& font) const {
  double ems = 0;
  foundation::Utf8Cursor cursor{text};
  char32_t c;
  std::size_t length;
  while (cursor.next(c, length)) {
    if ((c >= 0x0300 && c <= 0x036F) || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F)) continue;
    ems += isWideCharacter(c) ? 1.0 : narrowEm_;
  }
  return ems * font.size();
}

namespace {
std::shared_ptr<const TextMeasurer>& installedMeasurer() {
  static std::shared_ptr<const TextMeasurer> installed;
  return installed;
}
}  // namespace

const TextMeasurer& textMeasurer() {
  const auto& installed = installedMeasurer();
  return installed ? *installed : fontMeasurer();
}

void setTextMeasurer(std::shared_ptr<const TextMeasurer> measurer) { installedMeasurer() = std::move(measurer); }

}  // namespace graphics

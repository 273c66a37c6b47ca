// Text boxes by a font-metric estimate: the real glyph metrics are the host's, so a character is taken as
// 0.8 of the text height wide for CJK and 0.6 otherwise, times the width factor.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cad/extents_outline.h"

namespace cad {
namespace {

bool isWide(wchar_t c) {
  const auto v = static_cast<std::uint32_t>(c);
  return (v >= 0x1100 && v <= 0x115F) || (v >= 0x2E80 && v <= 0xA4CF) || (v >= 0xAC00 && v <= 0xD7A3) ||
         (v >= 0xF900 && v <= 0xFAFF) || (v >= 0xFE30 && v <= 0xFE4F) || (v >= 0xFF00 && v <= 0xFF60) ||
         (v >= 0xFFE0 && v <= 0xFFE6) || (v >= 0x20000 && v <= 0x3FFFD);
}

// Width of a run of text in units of the text height.
double runWidth(const std::wstring& text) {
  double width = 0;
  for (wchar_t c : text) width += isWide(c) ? 0.8 : 0.6;
  return width;
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// What a single-line text shows: %%c, %%d, %%p and %%nnn are one character each; %%u, %%o, %%k only toggle.
std::wstring plainText(const std::wstring& contents) {
  std::wstring out;
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (contents[i] == L'%' && i + 2 < contents.size() && contents[i + 1] == L'%') {
      const wchar_t code = contents[i + 2];
      if (isDigit(code)) {
        std::size_t j = i + 2;
        while (j < contents.size() && j < i + 5 && isDigit(contents[j])) ++j;
        out.push_back(L'?');
        i = j - 1;
        continue;
      }
      switch (code) {
        case L'u': case L'U': case L'o': case L'O': case L'k': case L'K':
          i += 2;
          continue;
        case L'c': case L'C': case L'd': case L'D': case L'p': case L'P': case L'%':
          out.push_back(L'?');
          i += 2;
          continue;
        default:
          break;
      }
    }
    out.push_back(contents[i]);
  }
  return out;
}

// The lines a multiline text shows, its formatting codes taken out.
std::vector<std::wstring> mtextLines(const std::wstring& contents) {
  std::vector<std::wstring> lines(1);
  const std::size_t n = contents.size();
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t c = contents[i];
    if (c == L'{' || c == L'}') continue;
    if (c != L'\\' || i + 1 >= n) {
      lines.back().push_back(c);
      continue;
    }
    const wchar_t code = contents[++i];
    switch (code) {
      case L'P': case L'X': case L'N':
        lines.emplace_back();
        break;
      case L'~':
        lines.back().push_back(L' ');
        break;
      case L'\\': case L'{': case L'}':
        lines.back().push_back(code);
        break;
      case L'S': {
        // Stacked text: as wide as its longer part.
        std::size_t end = contents.find(L';', i);
        if (end == std::wstring::npos) end = n;
        const std::wstring stack = contents.substr(i + 1, end - i - 1);
        const std::size_t split = stack.find_first_of(L"^/#");
        const std::wstring top = stack.substr(0, split);
        const std::wstring bottom = split == std::wstring::npos ? std::wstring() : stack.substr(split + 1);
        lines.back() += runWidth(top) >= runWidth(bottom) ? top : bottom;
        i = end;
        break;
      }
      case L'f': case L'F': case L'H': case L'W': case L'Q': case L'T': case L'A': case L'C': case L'c':
      case L'p': {
        const std::size_t end = contents.find(L';', i);
        i = end == std::wstring::npos ? n : end;
        break;
      }
      default:
        break;  // toggles such as \L \l \O \o \K \k show nothing
    }
  }
  return lines;
}

struct TextFrame {
  Point3d anchor;
  Vector3d dir, up;  // unit vectors of the text's baseline and height
};

TextFrame rotatedFrame(const Point3d& anchor, double rotation, const Vector3d& normal) {
  const Matrix3d plane = Matrix3d::planeToWorld(normal);
  const double c = std::cos(rotation), s = std::sin(rotation);
  return {anchor, applyLinear(plane, {c, s, 0}), applyLinear(plane, {-s, c, 0})};
}

void emitBox(const TextFrame& f, double x0, double x1, double y0, double y1, OutlineSink& sink) {
  for (double x : {x0, x1}) {
    for (double y : {y0, y1}) {
      sink.point({f.anchor.x + x * f.dir.x + y * f.up.x, f.anchor.y + x * f.dir.y + y * f.up.y,
                  f.anchor.z + x * f.dir.z + y * f.up.z});
    }
  }
}

}  // namespace

void outlineOfText(const Text& text, OutlineSink& sink) {
  const std::wstring plain = plainText(text.contents);
  if (plain.empty()) return;
  const double h = text.height;
  const double w = runWidth(plain) * h * text.widthFactor;
  const int hMode = text.horizontalMode, vMode = text.verticalMode;

  if (hMode == 3 || hMode == 5) {
    // Aligned and fit texts run from the insertion point to the alignment point.
    const Vector3d d{text.alignment.x - text.position.x, text.alignment.y - text.position.y,
                     text.alignment.z - text.position.z};
    const double length = std::hypot(d.x, d.y, d.z);
    if (length > 0) {
      const Vector3d dir{d.x / length, d.y / length, d.z / length};
      const Vector3d& n = text.normal;
      Vector3d up{n.y * dir.z - n.z * dir.y, n.z * dir.x - n.x * dir.z, n.x * dir.y - n.y * dir.x};
      const double upLength = std::hypot(up.x, up.y, up.z);
      if (upLength > 0) up = {up.x / upLength, up.y / upLength, up.z / upLength};
      const double height = (hMode == 3 && w > 0) ? h * length / w : h;
      emitBox({text.position, dir, up}, 0, length, 0, height, sink);
      return;
    }
  }

  const bool leftBaseline = hMode == 0 && vMode == 0;
  const TextFrame frame = rotatedFrame(leftBaseline ? text.position : text.alignment, text.rotation, text.normal);
  double x0 = 0;
  if (hMode == 1 || hMode == 4) x0 = -w / 2;
  else if (hMode == 2) x0 = -w;
  double y0 = 0;
  if (hMode == 4 || vMode == 2) y0 = -h / 2;
  else if (vMode == 3) y0 = -h;
  emitBox(frame, x0, x0 + w, y0, y0 + h, sink);
}

void outlineOfMText(const MText& text, OutlineSink& sink) {
  const std::vector<std::wstring> lines = mtextLines(text.contents);
  const double h = text.textHeight;
  double widest = 0, lineCount = 0;
  bool any = false;
  for (const auto& line : lines) {
    const double w = runWidth(line) * h;
    any = any || !line.empty();
    if (text.width > 0) {
      // Lines wrap at the reference width.
      lineCount += std::max(1.0, std::ceil(w / text.width));
      widest = std::max(widest, std::min(w, text.width));
    } else {
      lineCount += 1;
      widest = std::max(widest, w);
    }
  }
  if (!any) return;
  const double totalHeight = h * (1 + (lineCount - 1) * 5.0 / 3.0);
  const int attachment = text.attachment >= 1 && text.attachment <= 9 ? text.attachment : 1;
  const int column = (attachment - 1) % 3, row = (attachment - 1) / 3;
  const double x0 = column == 0 ? 0 : column == 1 ? -widest / 2 : -widest;
  const double y0 = row == 0 ? -totalHeight : row == 1 ? -totalHeight / 2 : 0;
  emitBox(rotatedFrame(text.location, text.rotation, text.normal), x0, x0 + widest, y0, y0 + totalHeight, sink);
}

}  // namespace cad

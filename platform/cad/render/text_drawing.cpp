#include "cad/render/text_drawing.h"

#include <algorithm>
#include <cmath>

#include "cad/entities.h"
#include "foundation/text.h"
#include "graphics/text_measurer.h"

namespace cad::render {
namespace {

using graphics::AffineTransform;

// Glyphs are laid out at one nominal size and scaled to each text's height, so that widths measured once serve
// every height.
constexpr double kNominalSize = 10;
// A text's height is the height of its capitals; the font's capitals stand this share of its size.
constexpr double kCapHeight = 0.733;
// The sizes (points on the sheet) between which a text is set at all.
constexpr double kSmallestGlyphs = 0.01;
constexpr double kLargestGlyphs = 1e5;
// Lines of a multiline text follow each other this many text heights apart.
constexpr double kLinePitch = 5.0 / 3.0;

// Drawing units per font unit, for a text this high.
double glyphScale(double height) { return height / (kCapHeight * kNominalSize); }

AffineTransform then(const AffineTransform& first, const AffineTransform& second) {
  return AffineTransform::concat(first, second);
}

// The text's own frame (x along its baseline, y up; drawing units) onto the sheet.
AffineTransform frame(const Point3d& anchor, double rotation, const AffineTransform& toSheet) {
  return then(then(AffineTransform::rotation(rotation), AffineTransform::translation(anchor.x, anchor.y)), toSheet);
}

// Pieces a paragraph wraps at: a word with the blanks after it, or one wide character. A non-breaking space
// joins the words on either side into one piece.
std::vector<std::wstring> wrapPieces(const std::wstring& text) {
  std::vector<std::wstring> pieces;
  std::wstring current;
  bool inBlanks = false;
  for (wchar_t c : text) {
    const bool blank = c == L' ' || c == L'\t';
    const bool wide = graphics::isWideCharacter(static_cast<char32_t>(c));
    if ((!blank && inBlanks) || (wide && !current.empty())) {
      pieces.push_back(std::move(current));
      current.clear();
    }
    current.push_back(c == L'\t' ? L' ' : c);
    inBlanks = blank || wide;
  }
  if (!current.empty()) pieces.push_back(std::move(current));
  return pieces;
}

struct Piece {
  const TextRun* run;
  std::wstring text;
  double x = 0, width = 0;
};

struct Line {
  std::vector<Piece> pieces;
  double width = 0;   // without the blanks at its end
  double height = 0;  // its tallest run's
};

}  // namespace

const graphics::Font& nominalTextFont() {
  static const graphics::Font font = graphics::Font::system(kNominalSize);
  return font;
}

double TextPainter::advance(const std::wstring& text, double height, double widthFactor) const {
  const std::string utf8 = foundation::utf8FromWideLossy(text);
  return context_.measurer().width(utf8, nominalTextFont()) * glyphScale(height) * widthFactor;
}

void TextPainter::drawGlyphs(const std::string& text, const AffineTransform& glyphsToSheet,
                             const graphics::Color& color) {
  if (text.empty()) return;
  // Glyphs too small to see, or larger than any sheet, are not set.
  const double size =
      kNominalSize * std::sqrt(std::fabs(glyphsToSheet.a * glyphsToSheet.d - glyphsToSheet.b * glyphsToSheet.c));
  if (!(size >= kSmallestGlyphs && size <= kLargestGlyphs)) return;
  const graphics::Font& font = nominalTextFont();
  context_.saveGState();
  context_.concat(glyphsToSheet);
  // The point is the line's lower-left corner; the baseline stands the font's descent above it.
  context_.drawString(text, graphics::Point{0, -font.descent()}, graphics::TextAttributes{font, color, {}});
  context_.restoreGState();
}

void TextPainter::drawText(const Text& text, const std::wstring& shown, double height, const AffineTransform& toSheet,
                           const graphics::Color& color) {
  if (shown.empty() || !(height > 0) || !std::isfinite(height)) return;
  const std::string utf8 = foundation::utf8FromWideLossy(shown);
  const double widthFactor = text.widthFactor > 0 ? text.widthFactor : 1;
  const double fontWidth = context_.measurer().width(utf8, nominalTextFont());
  double sx = glyphScale(height) * widthFactor, sy = glyphScale(height);
  const double width = fontWidth * sx;
  const int h = text.horizontalMode, v = text.verticalMode;

  // Aligned and fit texts run from the insertion point to the alignment point.
  if ((h == 3 || h == 5) && fontWidth > 0) {
    const double dx = text.alignment.x - text.position.x, dy = text.alignment.y - text.position.y;
    const double length = std::hypot(dx, dy);
    if (length > 0) {
      sx = length / fontWidth;
      if (h == 3) sy = sx / widthFactor;  // aligned: the height follows the width
      const AffineTransform glyphs = AffineTransform::scaling(sx, sy);
      drawGlyphs(utf8, then(glyphs, frame(text.position, std::atan2(dy, dx), toSheet)), color);
      return;
    }
  }

  const bool leftBaseline = (h == 0 || h == 3 || h == 5) && v == 0;
  double x0 = 0, y0 = 0;  // the baseline's start in the text's frame
  if (h == 1 || h == 4) x0 = -width / 2;
  else if (h == 2) x0 = -width;
  if (h == 4 || v == 2) y0 = -height / 2;
  else if (v == 3) y0 = -height;
  else if (v == 1) y0 = nominalTextFont().descent() * sy;  // bottom: the descenders stand on the point
  const AffineTransform glyphs = then(AffineTransform::scaling(sx, sy), AffineTransform::translation(x0, y0));
  drawGlyphs(utf8, then(glyphs, frame(leftBaseline ? text.position : text.alignment, text.rotation, toSheet)), color);
}

void TextPainter::drawMText(const MText& text, double height, double widthFactor, const AffineTransform& toSheet,
                            const std::function<graphics::Color(const TextRun&)>& colorOf,
                            const std::wstring* contents) {
  if (!(height > 0) || !std::isfinite(height)) return;
  const std::vector<TextParagraph> paragraphs =
      mtextParagraphs(contents != nullptr ? *contents : text.contents, height, widthFactor > 0 ? widthFactor : 1);
  const double wrapWidth = text.width > 0 && std::isfinite(text.width) ? text.width : 0;

  std::vector<Line> lines;
  for (const TextParagraph& paragraph : paragraphs) {
    lines.emplace_back();
    for (const TextRun& run : paragraph) {
      for (std::wstring& part : wrapPieces(run.text)) {
        const double w = advance(part, run.height, run.widthFactor);
        std::wstring trimmed = part;
        while (!trimmed.empty() && (trimmed.back() == L' ' || trimmed.back() == L'\u00A0')) trimmed.pop_back();
        const double inked = trimmed.size() == part.size() ? w : advance(trimmed, run.height, run.widthFactor);
        Line& line = lines.back();
        const double x = line.pieces.empty() ? 0 : line.pieces.back().x + line.pieces.back().width;
        if (wrapWidth > 0 && !line.pieces.empty() && x + inked > wrapWidth * 1.0001) {
          lines.emplace_back();
        }
        Line& target = lines.back();
        const double at = target.pieces.empty() ? 0 : target.pieces.back().x + target.pieces.back().width;
        if (!target.pieces.empty() && target.pieces.back().run == &run) {
          target.pieces.back().text += part;  // one piece a run and line: drawn in one go
          target.pieces.back().width += w;
        } else {
          target.pieces.push_back({&run, std::move(part), at, w});
        }
        target.width = at + inked;
        target.height = std::max(target.height, run.height);
      }
    }
  }
  if (lines.empty()) return;
  for (Line& line : lines) {
    if (line.height == 0) line.height = height;
  }

  double total = lines[0].height;
  for (std::size_t i = 1; i < lines.size(); ++i) total += kLinePitch * lines[i].height;
  const int attachment = text.attachment >= 1 && text.attachment <= 9 ? text.attachment : 1;
  const int column = (attachment - 1) % 3, row = (attachment - 1) / 3;
  const double top = row == 0 ? 0 : row == 1 ? total / 2 : total;
  const AffineTransform textFrame = frame(text.location, text.rotation, toSheet);

  double baseline = top - lines[0].height;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (i > 0) baseline -= kLinePitch * line.height;
    const double x0 = column == 0 ? 0 : column == 1 ? -line.width / 2 : -line.width;
    for (const Piece& piece : line.pieces) {
      const double scale = glyphScale(piece.run->height);
      const AffineTransform glyphs = then(AffineTransform::scaling(scale * piece.run->widthFactor, scale),
                                          AffineTransform::translation(x0 + piece.x, baseline));
      drawGlyphs(foundation::utf8FromWideLossy(piece.text), then(glyphs, textFrame), colorOf(*piece.run));
    }
  }
}

}  // namespace cad::render

#pragma once
// Texts on the sheet with the bundled CJK font (every text style draws with it): single-line texts with their
// alignments (left, centre, right, aligned, middle, fit; baseline, bottom, middle, top), heights, width factors
// and rotations; multiline texts with their attachment point, reference width (words wrap), line spacing and
// the runs their formatting codes make.

#include <functional>
#include <string>

#include "cad/render/text_codes.h"
#include "graphics/context.h"

namespace cad {
class MText;
class Text;
}  // namespace cad

namespace cad::render {

// The font drawing texts are laid out in before they are scaled to their heights.
const graphics::Font& nominalTextFont();

class TextPainter {
 public:
  explicit TextPainter(graphics::GraphicsContext& context) : context_(context) {}

  // `shown` is what the text shows (its contents with the %% codes read, or an attribute definition's tag);
  // `height` is its height, the style's where the text gives none.
  void drawText(const Text& text, const std::wstring& shown, double height, const graphics::AffineTransform& toSheet,
                const graphics::Color& color);
  // `widthFactor` is the text style's; `colorOf` gives each run's colour.
  // `contents`, when given, stands for the text's own.
  void drawMText(const MText& text, double height, double widthFactor, const graphics::AffineTransform& toSheet,
                 const std::function<graphics::Color(const TextRun&)>& colorOf,
                 const std::wstring* contents = nullptr);

  // The advance of a text set `height` high with this width factor, in drawing units.
  double advance(const std::wstring& text, double height, double widthFactor) const;

 private:
  // Draws UTF-8 text whose baseline starts at the origin of `glyphsToSheet` (font units: the nominal size).
  void drawGlyphs(const std::string& text, const graphics::AffineTransform& glyphsToSheet,
                  const graphics::Color& color);
  graphics::GraphicsContext& context_;
};

}  // namespace cad::render

#pragma once
// Private to graphics: the text of a PDF document kept as placed glyphs until the document ends, and then drawn
// with fonts cut down to the glyphs the document uses. Cairo embeds a subset of each font it draws with, but it
// reads the whole font program to make it (over 15 MB for a CJK font, at every page) and keeps much of it; a
// font that holds only the document's glyphs is quick to embed and comes out small. The glyphs, their places
// and the characters they stand for are those Pango laid out, so the page shows and reads as Pango draws it.

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "graphics/geometry.h"

namespace graphics {

// One run of a laid-out line in one font: its glyphs placed from the line's origin.
class GlyphRun {
 public:
  GlyphRun() = default;
  GlyphRun(GlyphRun&&) noexcept;
  GlyphRun& operator=(GlyphRun&&) noexcept;
  ~GlyphRun();

 private:
  friend class PdfTextFonts;
  std::size_t font_ = 0;                   // the document font it draws with
  cairo_scaled_font_t* scaled_ = nullptr;  // Pango's font, with its size
  Point origin_;                           // the line's top-left corner
  Point base_;                             // the run's start on the baseline, from the origin
  std::vector<cairo_glyph_t> glyphs_;      // the font's own glyph indices, placed from the run's start
  std::string text_;                       // the characters the glyphs stand for
  std::vector<cairo_text_cluster_t> clusters_;
  cairo_text_cluster_flags_t clusterFlags_ = cairo_text_cluster_flags_t(0);
  // A run holding glyphs no font has (drawn as boxes) is drawn by Pango itself.
  PangoGlyphItem* pangoRun_ = nullptr;
  std::string pangoText_;
};

// The fonts of one document.
class PdfTextFonts {
 public:
  PdfTextFonts();
  ~PdfTextFonts();
  PdfTextFonts(const PdfTextFonts&) = delete;
  PdfTextFonts& operator=(const PdfTextFonts&) = delete;

  // Appends the runs of the layout, drawn with its top-left corner at `origin`, noting the glyphs they use.
  void addLayout(PangoLayout* layout, Point origin, std::vector<GlyphRun>& runs);
  // Makes each font's subset of the glyphs noted; runs added later are not drawn. A font that cannot be cut
  // down is drawn whole, as Pango draws it.
  void makeSubsets();
  // Draws the run in the current transform and source.
  void draw(cairo_t* cr, const GlyphRun& run) const;

 private:
  struct Font;
  std::size_t fontOf(PangoFont* font, cairo_scaled_font_t* scaled);
  std::vector<std::unique_ptr<Font>> fonts_;
};

}  // namespace graphics

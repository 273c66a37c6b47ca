#pragma once
// Private to graphics: what is drawn into a PDF document, kept in order until the document ends, when the fonts
// its text uses are known and can be cut down to their glyphs first (see pdf_text_fonts.h).

#include <cairo.h>

#include <functional>
#include <variant>
#include <vector>

#include "graphics/bezier_path.h"
#include "graphics/color.h"
#include "graphics/context.h"
#include "graphics/gradient.h"
#include "pdf_text_fonts.h"

namespace graphics {

class PdfDrawingList {
 public:
  // A text: its runs in its own space, which `matrix` places on the page, clipped to `clipWidth` × `clipHeight`
  // from the origin where `clipped`.
  struct Text {
    cairo_matrix_t matrix;
    bool clipped = false;
    double clipWidth = 0, clipHeight = 0;
    Color color;
    std::vector<GlyphRun> runs;
  };

  void save() { items_.emplace_back(Save{}); }
  void restore() { items_.emplace_back(Restore{}); }
  void setMatrix(const cairo_matrix_t& m) { items_.emplace_back(m); }
  void clip(const BezierPath& path) { items_.emplace_back(Clip{path}); }
  void fill(const BezierPath& path, const Color& color) { items_.emplace_back(Fill{path, color}); }
  void gradientFill(const BezierPath& path, const Gradient& gradient) {
    items_.emplace_back(GradientFill{path, gradient});
  }
  void stroke(const BezierPath& path, const Color& color) { items_.emplace_back(Stroke{path, color}); }
  void image(const ImageDraw& draw, const cairo_matrix_t& m) { items_.emplace_back(Picture{draw, m}); }
  void text(Text text) { items_.emplace_back(std::move(text)); }
  void newPage() { items_.emplace_back(NewPage{}); }

  // Draws everything in order onto `cr`, whose state is then as the last item left it; or, once `stopped` says
  // so, stops where it is.
  void draw(cairo_t* cr, const PdfTextFonts& fonts, const std::function<bool()>& stopped = nullptr) const;

 private:
  struct Save {};
  struct Restore {};
  struct Clip {
    BezierPath path;
  };
  struct Fill {
    BezierPath path;
    Color color;
  };
  struct GradientFill {
    BezierPath path;
    Gradient gradient;
  };
  struct Stroke {
    BezierPath path;
    Color color;
  };
  struct Picture {
    ImageDraw draw;
    cairo_matrix_t matrix;
  };
  struct NewPage {};
  using Item = std::variant<Save, Restore, cairo_matrix_t, Clip, Fill, GradientFill, Stroke, Picture, Text, NewPage>;
  std::vector<Item> items_;
};

}  // namespace graphics

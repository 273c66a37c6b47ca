#include "pdf_drawing_list.h"

#include "cairo_painting.h"

namespace graphics {

namespace {

template <typename... Cases>
struct Overloaded : Cases... {
  using Cases::operator()...;
};
template <typename... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;

}  // namespace

void PdfDrawingList::draw(cairo_t* cr, const PdfTextFonts& fonts, const std::function<bool()>& stopped) const {
  namespace paint = cairo_painting;
  std::size_t drawn = 0;
  for (const Item& item : items_) {
    if (stopped && ++drawn % 256 == 0 && stopped()) return;
    std::visit(Overloaded{
                   [&](const Save&) { cairo_save(cr); },
                   [&](const Restore&) { cairo_restore(cr); },
                   [&](const cairo_matrix_t& m) { cairo_set_matrix(cr, &m); },
                   [&](const Clip& c) { paint::clip(cr, c.path); },
                   [&](const Fill& f) { paint::fill(cr, f.path, f.color); },
                   [&](const GradientFill& g) { paint::gradientFill(cr, g.path, g.gradient); },
                   [&](const Stroke& s) { paint::stroke(cr, s.path, s.color); },
                   [&](const Picture& p) { paint::image(cr, p.draw, p.matrix); },
                   [&](const Text& t) {
                     cairo_save(cr);
                     cairo_set_matrix(cr, &t.matrix);
                     if (t.clipped) {
                       cairo_rectangle(cr, 0, 0, t.clipWidth, t.clipHeight);
                       cairo_clip(cr);
                     }
                     paint::setSource(cr, t.color);
                     for (const GlyphRun& run : t.runs) fonts.draw(cr, run);
                     cairo_restore(cr);
                   },
                   [&](const NewPage&) { cairo_show_page(cr); },
               },
               item);
  }
}

}  // namespace graphics

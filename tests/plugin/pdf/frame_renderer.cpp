#include "frame_renderer.h"

#include <cairo.h>

#include <algorithm>

#include "cad/plot/cairo_pdf_page.h"
#include "cad/plot/plot_settings.h"

namespace pdftest {

namespace {

void fill(cairo_t* cr, double x, double y, double w, double h, double grey) {
  cairo_set_source_rgb(cr, grey, grey, grey);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

}  // namespace

bool FrameRenderer::renderPage(const cad::Database&, cad::ObjectId, const cad::PlotSettings& validated,
                               const cad::PageTarget& target, std::string& error) {
  cad::CairoPdfPage page(target, true);
  cairo_t* cr = page.context();

  const double px = target.printableX, py = target.printableY, pw = target.printableWidth, ph = target.printableHeight;
  if (validated.plotType() == cad::PlotType::kWindow) {
    const double ww = validated.windowMax.x - validated.windowMin.x, wh = validated.windowMax.y - validated.windowMin.y;
    const double s = std::min(pw / ww, ph / wh);
    const double w = ww * s, h = wh * s, x = px + (pw - w) / 2, y = py + (ph - h) / 2;
    fill(cr, x, y, w, h, 0.6);
    const double corner = kCornerShare * std::min(w, h);
    fill(cr, x, y, corner, corner, 0);
    // Beside the window where the printable area leaves room, to the right, else above; a few points off, so
    // that a clip on the window's edge is not mistaken for a leak where a rendered pixel straddles the edge.
    constexpr double kGap = 8;
    if (px + pw - (x + w) >= 2 * kGap) {
      fill(cr, x + w + kGap, y, std::min(kGap, px + pw - (x + w) - kGap), h, 0);
    } else if (py + ph - (y + h) >= 2 * kGap) {
      fill(cr, x, y + h + kGap, w, std::min(kGap, py + ph - (y + h) - kGap), 0);
    }
  } else {
    fill(cr, px, py, pw, ph, 0.6);
    const double corner = kCornerShare * std::min(pw, ph);
    fill(cr, px, py, corner, corner, 0);
  }

  return page.finish(error);
}

}  // namespace pdftest

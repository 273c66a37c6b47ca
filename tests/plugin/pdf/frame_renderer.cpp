#include "frame_renderer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>

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
  cairo_surface_t* surface = cairo_pdf_surface_create(target.path.c_str(), target.mediaWidth, target.mediaHeight);
  cairo_t* cr = cairo_create(surface);
  // Upright points, y up, onto cairo's unturned medium, y down.
  const auto& m = target.uprightToMedium;
  cairo_matrix_t upright;
  cairo_matrix_init(&upright, m[0], -m[1], m[2], -m[3], m[4], target.mediaHeight - m[5]);
  cairo_set_matrix(cr, &upright);

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

  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    error = std::string("Cannot write the page: ") + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace pdftest

#include "line_work_renderer.h"

#include <cairo.h>

#include <algorithm>
#include <random>

#include "cad/plot/cairo_pdf_page.h"
#include "cad/plot/plot_settings.h"

bool LineWorkRenderer::renderPage(const cad::Database&, cad::ObjectId, const cad::PlotSettings& validated,
                                  const cad::PageTarget& target, std::string& error) {
  cad::CairoPdfPage page(target, true);
  cairo_t* cr = page.context();

  double x = target.printableX, y = target.printableY, w = target.printableWidth, h = target.printableHeight;
  if (validated.plotType() == cad::PlotType::kWindow) {
    const double ww = validated.windowMax.x - validated.windowMin.x, wh = validated.windowMax.y - validated.windowMin.y;
    const double s = std::min(w / ww, h / wh);
    x += (w - ww * s) / 2;
    y += (h - wh * s) / 2;
    w = ww * s;
    h = wh * s;
  }
  cairo_set_line_width(cr, 0.5);
  cairo_rectangle(cr, x, y, w, h);
  cairo_stroke(cr);
  std::mt19937 random(static_cast<unsigned>(++sheets_));
  std::uniform_real_distribution<double> across(x, x + w), along(y, y + h);
  cairo_set_line_width(cr, 0.25);
  for (int i = 0; i < linesPerSheet_; ++i) {
    cairo_move_to(cr, across(random), along(random));
    cairo_line_to(cr, across(random), along(random));
    if (i % 64 == 63) cairo_stroke(cr);
  }
  cairo_stroke(cr);

  return page.finish(error);
}

#include "cad/plot/cairo_pdf_page.h"

#include <cairo-pdf.h>
#include <cairo.h>

namespace cad {

CairoPdfPage::CairoPdfPage(const PageTarget& target, bool upright)
    : surface_(cairo_pdf_surface_create(target.path.c_str(), target.mediaWidth, target.mediaHeight)),
      cr_(cairo_create(surface_)) {
  if (!upright) return;
  const auto& m = target.uprightToMedium;
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, m[0], -m[1], m[2], -m[3], m[4], target.mediaHeight - m[5]);
  cairo_set_matrix(cr_, &matrix);
}

CairoPdfPage::~CairoPdfPage() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

bool CairoPdfPage::finish(std::string& error) {
  cairo_show_page(cr_);
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (status != CAIRO_STATUS_SUCCESS) {
    error = std::string("Cannot write the page: ") + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace cad

#pragma once
// A one-page PDF of a page target's medium for a renderer that draws with cairo directly.

#include <string>

#include "cad/plot/page_renderer.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace cad {

class CairoPdfPage {
 public:
  // `upright` draws in the sheet's upright points, y up, onto the unturned medium; else in cairo's own
  // medium points, y down.
  CairoPdfPage(const PageTarget& target, bool upright);
  ~CairoPdfPage();
  CairoPdfPage(const CairoPdfPage&) = delete;
  CairoPdfPage& operator=(const CairoPdfPage&) = delete;

  cairo_t* context() const { return cr_; }
  // Ends the page and writes the file; false with `error` set when it could not be written.
  bool finish(std::string& error);

 private:
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

}  // namespace cad

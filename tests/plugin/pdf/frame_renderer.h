#pragma once
// A page renderer for tests that shows where a plot lands: a window plot fills the window's place on the sheet
// grey, with a black square at its lower-left corner and a black bar in the printable area just beside it (ink
// that must be clipped away once the window goes onto its exact paper); a layout plot fills the printable area
// grey with the same corner square. Drawn upright through the page target's transform, as a plot device draws.

#include <string>

#include "cad/plot/page_renderer.h"

namespace pdftest {

class FrameRenderer : public cad::PageRenderer {
 public:
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override;
};

// The corner square's side as a share of the window's shorter side.
inline constexpr double kCornerShare = 0.2;

}  // namespace pdftest

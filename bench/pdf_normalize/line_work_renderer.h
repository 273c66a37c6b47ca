#pragma once
// Stands in for a plotted drawing's content: each sheet's window (or a whole layout's printable area) filled
// with a fixed amount of line work, drawn upright as a plot device draws.

#include <string>

#include "cad/plot/page_renderer.h"

class LineWorkRenderer : public cad::PageRenderer {
 public:
  explicit LineWorkRenderer(int linesPerSheet) : linesPerSheet_(linesPerSheet) {}
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override;

 private:
  int linesPerSheet_;
  int sheets_ = 0;
};

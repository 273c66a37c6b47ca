#pragma once
// The page renderer the stand-in host plots with: each page drawn from the validated settings into a one-page
// PDF through the graphics layer (cairo and Pango), the sheet's content placed on its printable area and turned
// as the plot rotation says.

#include <memory>
#include <string>

#include "cad/plot/page_renderer.h"
#include "cad/render/space_index.h"

namespace cad::render {

class DrawingRenderer final : public PageRenderer {
 public:
  bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                  std::string& error) override;

 private:
  bool drawPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                std::string& error);
  SpaceIndexCache indexes_;
};

// Makes the publish engine draw through a DrawingRenderer.
void installDrawingRenderer();

}  // namespace cad::render

#pragma once
// What part of a layout a page plots, in plot coordinates: paper space for a paper layout; for model space the
// display coordinates of its plan view (target and twist), in which a window is given. A window plot takes
// the window; extents, display and view plots the space's extents; a limits plot the drawing's limits; a
// layout plot the layout's sheet, its printable area's corner at the origin.

#include <optional>

#include "cad/render/space_index.h"
#include "graphics/geometry.h"

namespace cad {
class Database;
class Layout;
class PlotSettings;
}  // namespace cad

namespace cad::render {

struct PlotArea {
  Box2 box;                               // plot coordinates
  graphics::AffineTransform spaceToPlot;  // the space's coordinates to plot coordinates
  bool fromOrigin = false;                // a layout plot: placed by the plot coordinates' origin
};

// Nothing when there is nothing to plot (an empty space plotted by its extents, an empty window).
std::optional<PlotArea> plotAreaFor(const Database& db, const Layout& layout, const PlotSettings& validated,
                                    const SpaceIndex& space);

}  // namespace cad::render

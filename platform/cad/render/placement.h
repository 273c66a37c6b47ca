#pragma once
// Where a page's plot area lands on the sheet, as the validated settings say: scaled to fit or at a standard or
// custom scale, centred on the printable area or put at the plot origin, and clipped to the printable area.

#include <optional>

#include "cad/render/space_index.h"
#include "graphics/geometry.h"

namespace cad {
class PlotSettings;
struct PageTarget;
}  // namespace cad

namespace cad::render {

struct Placement {
  graphics::AffineTransform plotToSheet;  // plot coordinates onto the upright sheet, in points
  graphics::Rect printable;               // the upright sheet's printable area, in points
  double pointsPerUnit = 0;
  double paperUnitsPerUnit = 0;  // the plot scale
};

// Paper units per drawing unit of a standard scale type; nothing for scale to fit and for unknown types.
std::optional<double> standardScale(int type);

// Nothing when the area cannot be placed (an empty area fitted); a custom scale of nothing fits. `fromOrigin`
// places the plot coordinates' origin at the plot origin, as a layout plot does; otherwise the area's lower-left
// corner goes there.
std::optional<Placement> placePlot(const PlotSettings& validated, const PageTarget& target, const Box2& area,
                                   bool fromOrigin);

}  // namespace cad::render

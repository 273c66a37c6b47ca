#pragma once
// Linetypes: a linetype's pattern as the stroke's dashes, so the page carries the pattern itself rather than
// every dash; the pattern starts afresh on each subpath and runs on round corners.

#include <vector>

#include "graphics/bezier_path.h"

namespace cad::render {

// Gives `path` the dashes of a pattern of dashes (> 0), gaps (< 0) and dots (0) in pattern units, `unit`
// points each. Dots are dashes of no length, which a round cap shows. The path stays solid when the pattern is
// continuous, or too fine to tell from a continuous line.
void applyLinetype(graphics::BezierPath& path, const std::vector<double>& pattern, double unit);

}  // namespace cad::render

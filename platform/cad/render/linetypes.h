#pragma once
// Linetypes: a stroke cut into its pattern's dashes, gaps and dots along the path, the pattern starting
// afresh on each subpath.

#include <vector>

#include "graphics/bezier_path.h"

namespace cad::render {

// The dashes of `path` (points on the sheet) for a pattern of dashes (> 0), gaps (< 0) and dots (0) in pattern
// units, `unit` points each. Dots are zero-length segments, which a round cap shows. The path itself when the
// pattern is continuous, or too fine to tell from a continuous line.
graphics::BezierPath dashedPath(const graphics::BezierPath& path, const std::vector<double>& dashes, double unit);

}  // namespace cad::render

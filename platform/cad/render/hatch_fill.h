#pragma once
// A hatch's pattern, drawn from the lines its definition carries and kept inside its boundary (islands left
// empty, by the even-odd rule), and its gradient.

#include <cstddef>

#include "graphics/bezier_path.h"
#include "graphics/gradient.h"

namespace cad {
class Hatch;
}  // namespace cad

namespace cad::render {

// The pattern's dashes inside the boundary, on the sheet. A pattern finer than the sheet can show, or one of
// more dashes than `mostDashes`, gives false: it is then best filled.
bool patternPath(const Hatch& hatch, const graphics::AffineTransform& toSheet, std::size_t mostDashes,
                 graphics::BezierPath& out);
// The hatch's gradient across its boundary on the sheet; false for a hatch without one.
bool hatchGradient(const Hatch& hatch, const graphics::AffineTransform& toSheet, graphics::Gradient& out);

}  // namespace cad::render

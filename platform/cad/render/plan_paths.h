#pragma once
// The shapes of points, wipeouts, construction lines and the kinds drawn as their wire, as paths on the sheet.

#include "graphics/bezier_path.h"
#include "graphics/geometry.h"

namespace cad {
class PointEntity;
class Wipeout;
class WireEntity;
class Xline;
}  // namespace cad

namespace cad::render {

// A wire's open and closed paths to stroke, and its arrowheads to fill.
void wirePaths(const WireEntity& wire, const graphics::AffineTransform& toSheet, graphics::BezierPath& strokes,
               graphics::BezierPath& fills);
// The point's figure as the point style (PDMODE) says, `size` points across on the sheet; a dot is a line of no
// length, which a round cap shows.
graphics::BezierPath pointFigure(const PointEntity& point, const graphics::AffineTransform& toSheet, int mode,
                                 double size);
// The part of a construction line or ray inside `window` (sheet coordinates); false when none is.
bool xlinePath(const Xline& line, const graphics::AffineTransform& toSheet, const graphics::Rect& window,
               graphics::BezierPath& out);
graphics::BezierPath wipeoutPath(const Wipeout& wipeout, const graphics::AffineTransform& toSheet);

}  // namespace cad::render

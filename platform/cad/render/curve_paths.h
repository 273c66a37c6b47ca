#pragma once
// The shapes of entities as paths on the sheet: curves (lines, polylines with bulges, circles, arcs, ellipses,
// splines, 3D polylines flattened), polylines with widths, hatch boundaries and solids. Drawing coordinates go
// through an affine map onto the sheet; z is dropped, as a plan view shows it.

#include "graphics/bezier_path.h"
#include "graphics/geometry.h"

namespace cad {
class Entity;
class Hatch;
class Solid;
}  // namespace cad

namespace cad::render {

// Curves stay within 0.01 mm of their true shape on the paper (in points); what lies closer prints as one.
inline constexpr double kSheetFlatness = 0.01 / 25.4 * 72;

// A curve's path; false for an entity that is no curve (or has nothing to draw). With `reach` (the part of the
// sheet that shows), arcs, circles and ellipses are drawn only where they come near it: one far larger than the
// sheet costs what shows of it.
bool curvePath(const Entity& entity, const graphics::AffineTransform& toSheet, graphics::BezierPath& out,
               const graphics::Rect* reach = nullptr);

// A polyline with widths: filled outlines of its wide segments, and its segments of no width as a line.
struct WidePolyline {
  graphics::BezierPath fill;    // non-zero winding
  graphics::BezierPath thin;    // segments without width
  graphics::BezierPath stroke;  // or, for one width throughout, the path stroked that wide
  double strokeWidth = 0;       // points; > 0 when `stroke` is used
};
// False when the polyline has no width anywhere (it is then a curve).
bool widePolyline(const Entity& entity, const graphics::AffineTransform& toSheet, WidePolyline& out,
                  const graphics::Rect* reach = nullptr);

// The hatch's loops, closed, for an even-odd fill or as its boundary.
graphics::BezierPath hatchPath(const Hatch& hatch, const graphics::AffineTransform& toSheet);
graphics::BezierPath solidPath(const Solid& solid, const graphics::AffineTransform& toSheet);

// How many points on the sheet a unit of drawing length becomes (the mean of the map's two scales).
double sheetScale(const graphics::AffineTransform& toSheet);

}  // namespace cad::render

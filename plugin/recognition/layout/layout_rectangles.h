#pragma once
// Which single paper-space entities are rectangles: lightweight polylines by their vertices, legacy
// two-dimensional polylines by their straight edges and enclosed area.

namespace cad {
class Polyline;
class Entity;
}  // namespace cad

// Four corners of an axis-parallel rectangle, with straight edges only. An open polyline counts only when a
// fifth vertex lies on the first; `closedByGeometry` (optional) then tells that the closed flag was missing.
[[nodiscard]] bool vexBatchIsPaperRectanglePolyline(const cad::Polyline* polyline, bool* closedByGeometry);

// A closed legacy 2D polyline of 4 or 5 vertices without bulges whose area fills its extents box (within 0.5 %),
// with both sides within the sheet limit (vexBatchSidesWithinSheetLimit). Anything else, and any vertex or area
// that cannot be read, gives false.
[[nodiscard]] bool vexBatchIsLegacyRectangle(const cad::Entity* entity);

#include "recognition/layout/layout_rectangles.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "cad/database.h"
#include "recognition/paper.h"

bool vexBatchIsPaperRectanglePolyline(const cad::Polyline* polyline, bool* closedByGeometry) {
  if (closedByGeometry != nullptr) *closedByGeometry = false;
  if (polyline == nullptr || !polyline->isOnlyLines()) return false;
  unsigned count = polyline->numVerts();
  if (count != 4 && count != 5) return false;
  // Three drawn sides are no rectangle: without the closed flag the outline must come back to its start.
  if (count == 4 && !polyline->isClosed()) return false;

  std::array<cad::Point3d, 5> p;
  for (unsigned i = 0; i < count; ++i) {
    if (polyline->getPointAt(i, p[i]) != cad::eOk) return false;
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
  }
  double minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
  for (unsigned i = 1; i < count; ++i) {
    minX = std::min(minX, p[i].x);
    maxX = std::max(maxX, p[i].x);
    minY = std::min(minY, p[i].y);
    maxY = std::max(maxY, p[i].y);
  }
  double w = maxX - minX, h = maxY - minY;
  if (!(w > 1e-6) || !(h > 1e-6)) return false;
  double tol = std::max(1e-4 * std::min(w, h), 1e-4);
  if (count == 5) {
    if (!(std::hypot(p[4].x - p[0].x, p[4].y - p[0].y) <= tol)) return false;
  }

  bool taken[4] = {false, false, false, false};
  for (int i = 0; i < 4; ++i) {
    bool atMaxX = std::fabs(p[i].x - maxX) <= tol;
    bool atMaxY = std::fabs(p[i].y - maxY) <= tol;
    if (!atMaxX && std::fabs(p[i].x - minX) > tol) return false;
    if (!atMaxY && std::fabs(p[i].y - minY) > tol) return false;
    int corner = (atMaxY ? 2 : 0) + (atMaxX ? 1 : 0);
    if (taken[corner]) return false;
    taken[corner] = true;
  }
  for (int i = 0; i < 4; ++i) {
    const cad::Point3d& a = p[i];
    const cad::Point3d& b = p[(i + 1) % 4];
    bool vertical = std::fabs(b.x - a.x) <= tol;
    bool horizontal = std::fabs(b.y - a.y) <= tol;
    if (vertical == horizontal) return false;
  }
  if (closedByGeometry != nullptr) *closedByGeometry = !polyline->isClosed();
  return true;
}

bool vexBatchIsLegacyRectangle(const cad::Entity* entity) {
  auto* polyline = cad::Polyline2d::cast(entity);
  if (polyline == nullptr) return false;
  std::size_t vertices = 0;
  for (cad::ObjectId vertexId : polyline->vertexIds) {
    if (++vertices > 5) return false;
    cad::Vertex2d* vertex = nullptr;
    if (cad::acdbOpenObject(vertex, vertexId, cad::kForRead) != cad::eOk) return false;
    double bulge = vertex->bulge();
    vertex->close();
    if (!(std::fabs(bulge) <= 1e-9)) return false;
  }
  if (vertices < 4 || !polyline->isClosed()) return false;
  double area = 0;
  if (polyline->getArea(area) != cad::eOk) return false;
  cad::Extents3d extents;
  if (polyline->getGeomExtents(extents) != cad::eOk) return false;
  double w = extents.maxPoint.x - extents.minPoint.x;
  double h = extents.maxPoint.y - extents.minPoint.y;
  if (!vexBatchSidesWithinSheetLimit(w, h) || !(w * h > 1)) return false;
  return std::fabs(std::fabs(area) - w * h) / (w * h) <= 0.005;
}

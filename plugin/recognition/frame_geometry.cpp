#include "recognition/frame_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "cad/database.h"
#include "recognition/box.h"
#include "recognition/entity_extents.h"

namespace {

constexpr double kTiny = 0.000001;

bool ratioAllowed(double w, double h, bool wideRatio) {
  double ratio = std::max(w, h) / std::min(w, h);
  return wideRatio ? (ratio >= 1.0 && ratio <= 6.0) : (ratio >= 1.1 && ratio <= 2.0);
}

// Four corner points of the polyline, or false. A fifth vertex that repeats the first closes an open
// polyline; a polyline that is neither flagged nor so closed is no rectangle.
bool readCorners(const cad::Polyline& polyline, const cad::Matrix3d& transform, std::array<cad::Point3d, 4>& out) {
  unsigned count = polyline.numVerts();
  if ((count != 4 && count != 5) || !polyline.isOnlyLines()) return false;
  if (count == 4 && !polyline.isClosed()) return false;
  std::array<cad::Point3d, 5> points;
  for (unsigned i = 0; i < count; ++i) {
    cad::Point3d p;
    if (polyline.getPointAt(i, p) != cad::eOk) return false;
    points[i] = transform.apply(p);
  }
  if (count == 5) {
    double minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (unsigned i = 1; i < 4; ++i) {
      minX = std::min(minX, points[i].x);
      maxX = std::max(maxX, points[i].x);
      minY = std::min(minY, points[i].y);
      maxY = std::max(maxY, points[i].y);
    }
    double tol = std::max(kTiny, kTiny * std::max(maxX - minX, maxY - minY));
    if (!(points[4].distanceTo(points[0]) <= tol)) return false;
  }
  std::copy_n(points.begin(), 4, out.begin());
  return true;
}

// The turn of the first edge against the nearer axis, when the four points form a rectangle of an allowed
// ratio; 0 otherwise.
double turnDegrees(const std::array<cad::Point3d, 4>& p, bool wideRatio) {
  std::array<double, 4> dx{}, dy{}, length{};
  for (int i = 0; i < 4; ++i) {
    dx[i] = p[(i + 1) % 4].x - p[i].x;
    dy[i] = p[(i + 1) % 4].y - p[i].y;
    length[i] = std::hypot(dx[i], dy[i]);
    if (!(length[i] > kTiny)) return 0;
  }
  for (int i = 0; i < 4; ++i) {
    int j = (i + 1) % 4;
    double product = length[i] * length[j];
    if (!(product > 1e-12)) return 0;
    if (std::fabs(dx[i] * dx[j] + dy[i] * dy[j]) / product > 0.00001) return 0;
  }
  if (!ratioAllowed(length[0], length[1], wideRatio)) return 0;
  double a = std::fabs(std::atan2(dy[0], dx[0])) * 180.0 / std::numbers::pi;
  double d = std::fmod(a, 90.0);
  return std::min(d, 90.0 - d);
}

struct BorderLine {
  bool horizontal = false;
  double position = 0;
  double low = 0;
  double high = 0;
};

VexBatchBox boundsOf(const cad::Extents3d& e) { return {e.minPoint.x, e.minPoint.y, e.maxPoint.x, e.maxPoint.y}; }

// The box of everything drawn in a definition, grown entity by entity.
struct Extent {
  bool set = false;
  VexBatchBox box;
  void grow(const cad::Extents3d& e) {
    if (!set) {
      set = true;
      box = boundsOf(e);
      return;
    }
    box.minX = std::min(box.minX, e.minPoint.x);
    box.minY = std::min(box.minY, e.minPoint.y);
    box.maxX = std::max(box.maxX, e.maxPoint.x);
    box.maxY = std::max(box.maxY, e.maxPoint.y);
  }
};

// The border b spans most of the drawn extent u.
bool coversExtent(const VexBatchBox& b, const VexBatchBox& u) {
  double uw = vexBatchWidth(u);
  double uh = vexBatchHeight(u);
  double w = vexBatchWidth(b);
  double h = vexBatchHeight(b);
  if (!(w > kTiny) || !(h > kTiny)) return false;
  return w * h / (uw * uh) >= 0.65 && b.minX <= u.minX + 0.12 * uw && b.maxX >= u.maxX - 0.12 * uw &&
         b.minY <= u.minY + 0.12 * uh && b.maxY >= u.maxY - 0.12 * uh;
}

// A legacy 2D polyline of four straight sides that fills its extents: its extents are a border box.
bool legacyRectangleBounds(const cad::Polyline2d& polyline, VexBatchBox& out) {
  std::size_t vertices = 0;
  for (cad::ObjectId vertexId : polyline.vertexIds) {
    if (++vertices > 5) return false;
    cad::Vertex2d* vertex = nullptr;
    if (cad::acdbOpenObject(vertex, vertexId, cad::kForRead) != cad::eOk) return false;
    double bulge = vertex->bulge();
    vertex->close();
    if (std::fabs(bulge) > 1e-9) return false;
  }
  if (vertices < 4 || !polyline.isClosed()) return false;
  cad::Extents3d extents;
  if (!vexBatchFiniteExtents(polyline, extents)) return false;
  double area = 0;
  if (polyline.getArea(area) != cad::eOk) return false;
  double w = extents.maxPoint.x - extents.minPoint.x;
  double h = extents.maxPoint.y - extents.minPoint.y;
  double boxArea = w * h;
  if (!(w > kTiny) || !(h > kTiny) || !(boxArea > kTiny)) return false;
  if (!(std::fabs(std::fabs(area) - boxArea) / boxArea <= 0.005)) return false;
  out = boundsOf(extents);
  return true;
}

bool axisLine(const cad::Line& line, BorderLine& out) {
  cad::Point3d a = line.startPoint();
  cad::Point3d b = line.endPoint();
  double length = a.distanceTo(b);
  double tol = std::max(kTiny * length, kTiny);
  if (!(length > kTiny)) return false;
  double dx = std::fabs(b.x - a.x);
  double dy = std::fabs(b.y - a.y);
  if (dy <= tol) {
    out = {true, (a.y + b.y) / 2, std::min(a.x, b.x), std::max(a.x, b.x)};
    return true;
  }
  if (dx <= tol) {
    out = {false, (a.x + b.x) / 2, std::min(a.y, b.y), std::max(a.y, b.y)};
    return true;
  }
  return false;
}

// A nested reference whose own definition has the signature contributes its extents as a border box.
bool nestedFrameBounds(const cad::BlockReference& reference, const cad::BlockTableRecord& block, int depth,
                       VexBatchBox& out) {
  if (depth >= 2) return false;
  cad::Extents3d extents;
  if (!vexBatchFiniteExtents(reference, extents)) return false;
  cad::ObjectId definitionId = reference.blockTableRecord();
  if (definitionId.isNull() || definitionId == block.objectId()) return false;
  cad::BlockTableRecord* definition = nullptr;
  if (cad::acdbOpenObject(definition, definitionId, cad::kForRead) != cad::eOk) return false;
  bool signature = vexBatchBlockDefinitionHasFrameSignature(definition, depth + 1);
  definition->close();
  if (!signature) return false;
  out = boundsOf(extents);
  return true;
}

bool fourLineBorder(const std::vector<BorderLine>& lines, const VexBatchBox& u) {
  double uw = vexBatchWidth(u);
  double uh = vexBatchHeight(u);
  double tol = std::max(0.01 * std::min(uw, uh), kTiny);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].horizontal) continue;
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (!lines[j].horizontal) continue;
      double bottom = std::min(lines[i].position, lines[j].position);
      double top = std::max(lines[i].position, lines[j].position);
      double left = std::max(lines[i].low, lines[j].low);
      double right = std::min(lines[i].high, lines[j].high);
      if (!(right - left >= 0.65 * uw) || !(top - bottom >= 0.65 * uh)) continue;
      bool leftFound = false;
      bool rightFound = false;
      for (const BorderLine& v : lines) {
        if (v.horizontal || !(v.low <= bottom + tol) || !(v.high >= top - tol)) continue;
        if (std::fabs(v.position - left) <= tol) leftFound = true;
        if (std::fabs(v.position - right) <= tol) rightFound = true;
      }
      if (leftFound && rightFound && coversExtent({left, bottom, right, top}, u)) return true;
    }
  }
  return false;
}

}  // namespace

bool vexBatchExtractAxisAlignedFrame(const cad::Polyline* polyline, const cad::Matrix3d& transform,
                                     const std::wstring& inheritedLayer, bool wideRatio,
                                     VexBatchPrintFrameRecord& frame, bool* rotated, double* rotationDegrees) {
  if (rotated != nullptr) *rotated = false;
  if (rotationDegrees != nullptr) *rotationDegrees = 0;
  std::array<cad::Point3d, 4> p;
  if (polyline == nullptr || !readCorners(*polyline, transform, p)) return false;

  double angle = turnDegrees(p, wideRatio);
  if (rotationDegrees != nullptr) *rotationDegrees = angle;
  if (rotated != nullptr && angle > 0.1) *rotated = true;

  frame.minX = frame.maxX = p[0].x;
  frame.minY = frame.maxY = p[0].y;
  for (const cad::Point3d& q : p) {
    frame.minX = std::min(frame.minX, q.x);
    frame.maxX = std::max(frame.maxX, q.x);
    frame.minY = std::min(frame.minY, q.y);
    frame.maxY = std::max(frame.maxY, q.y);
  }
  double w = frame.maxX - frame.minX;
  double h = frame.maxY - frame.minY;
  if (!(w > kTiny) || !(h > kTiny)) return false;

  double tol = std::max(kTiny, kTiny * std::max(w, h));
  for (int i = 0; i < 4; ++i) {
    const cad::Point3d& a = p[i];
    const cad::Point3d& b = p[(i + 1) % 4];
    bool onX = std::fabs(a.x - frame.minX) <= tol || std::fabs(a.x - frame.maxX) <= tol;
    bool onY = std::fabs(a.y - frame.minY) <= tol || std::fabs(a.y - frame.maxY) <= tol;
    bool horizontal = std::fabs(b.y - a.y) <= tol;
    bool vertical = std::fabs(b.x - a.x) <= tol;
    if (!onX || !onY || horizontal == vertical) return false;
  }
  if (!ratioAllowed(w, h, wideRatio)) return false;

  if (const wchar_t* layer = polyline->layer()) frame.layer = layer;
  bool baseLayer = frame.layer.empty() || frame.layer == L"0";
  if (baseLayer && !inheritedLayer.empty() && inheritedLayer != L"0") frame.layer = inheritedLayer;
  return true;
}

bool vexBatchBlockDefinitionHasFrameSignature(const cad::BlockTableRecord* block, int depth) {
  if (block == nullptr) return false;
  std::unique_ptr<cad::BlockTableRecordIterator> it;
  if (block->newIterator(it) != cad::eOk || !it) return false;

  Extent u;
  std::vector<VexBatchBox> boxes;
  std::vector<BorderLine> lines;
  static const cad::Matrix3d kIdentity;
  for (it->start(); !it->done(); it->step()) {
    cad::Entity* entity = nullptr;
    if (it->getEntity(entity, cad::kForRead) != cad::eOk) continue;
    cad::Extents3d extents;
    if (vexBatchFiniteExtents(*entity, extents)) u.grow(extents);

    VexBatchBox box;
    BorderLine line;
    VexBatchPrintFrameRecord frame;
    if (auto* reference = cad::BlockReference::cast(entity)) {
      if (nestedFrameBounds(*reference, *block, depth, box)) boxes.push_back(box);
    } else if (auto* polyline = cad::Polyline::cast(entity)) {
      if (vexBatchExtractAxisAlignedFrame(polyline, kIdentity, std::wstring(), true, frame, nullptr, nullptr)) {
        boxes.push_back(vexBatchBoxOf(frame));
      }
    } else if (auto* legacy = cad::Polyline2d::cast(entity)) {
      if (legacyRectangleBounds(*legacy, box)) boxes.push_back(box);
    } else if (auto* drawnLine = cad::Line::cast(entity)) {
      if (axisLine(*drawnLine, line)) lines.push_back(line);
    }
    entity->close();
  }

  if (!u.set) return false;
  double uw = vexBatchWidth(u.box);
  double uh = vexBatchHeight(u.box);
  if (!(uw > kTiny) || !(uh > kTiny) || !(uw * uh > kTiny)) return false;
  for (const VexBatchBox& b : boxes) {
    if (coversExtent(b, u.box)) return true;
  }
  return fourLineBorder(lines, u.box);
}

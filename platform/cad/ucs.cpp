#include "cad/ucs.h"

#include <cmath>
#include <optional>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/layouts.h"
#include "cad/sysvars.h"

namespace cad {

namespace {

Point3d rotated(const Point3d& p, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

struct DisplayFrame {
  Point3d target;
  double twist = 0;
};

// Where display coordinates are measured from: the Model tab's plan view, the layout's paper (identity), or
// the active viewport's view. Only plan views are modelled.
std::optional<DisplayFrame> displayFrame() {
  Database* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return std::nullopt;
  if (db->tileMode()) {
    Document* doc = docManager().curDocument();
    if (doc == nullptr || doc->database() != db) return DisplayFrame{};
    return DisplayFrame{doc->view().target, doc->view().twist};
  }
  const int viewport = systemVariables().currentViewport(db);
  if (viewport < 2) return DisplayFrame{};
  const Layout* layout = layoutObject(db, db->currentLayoutId());
  const auto* record =
      layout == nullptr ? nullptr : BlockTableRecord::cast(db->objectAt(layout->getBlockTableRecordId()));
  if (record == nullptr) return std::nullopt;
  for (ObjectId id : record->entityIds) {
    const auto* v = Viewport::cast(db->objectAt(id));
    if (v != nullptr && v->number() == viewport) return DisplayFrame{v->viewTarget, v->twistAngle};
  }
  return std::nullopt;
}

std::optional<Point3d> toWorld(int from, const Point3d& p, bool displacement) {
  switch (from) {
    case 0:
      return p;
    case 1:
      return ucsToWorld(p, displacement);
    case 2: {
      std::optional<DisplayFrame> frame = displayFrame();
      if (!frame) return std::nullopt;
      Point3d w = rotated(p, frame->twist);
      if (!displacement) w = {w.x + frame->target.x, w.y + frame->target.y, w.z + frame->target.z};
      return w;
    }
    default:
      return std::nullopt;
  }
}

std::optional<Point3d> fromWorld(int to, const Point3d& p, bool displacement) {
  switch (to) {
    case 0:
      return p;
    case 1:
      return worldToUcs(p, displacement);
    case 2: {
      std::optional<DisplayFrame> frame = displayFrame();
      if (!frame) return std::nullopt;
      Point3d d = displacement ? p : Point3d{p.x - frame->target.x, p.y - frame->target.y, p.z - frame->target.z};
      return rotated(d, -frame->twist);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

UcsState& ucsState() {
  static UcsState* instance = new UcsState;
  return *instance;
}

Point3d ucsToWorld(const Point3d& p, bool displacement) {
  const Ucs& ucs = ucsState().current;
  Point3d w = rotated(p, ucs.rotation);
  if (!displacement) w = {w.x + ucs.origin.x, w.y + ucs.origin.y, w.z + ucs.origin.z};
  return w;
}

Point3d worldToUcs(const Point3d& p, bool displacement) {
  const Ucs& ucs = ucsState().current;
  const Point3d d = displacement ? p : Point3d{p.x - ucs.origin.x, p.y - ucs.origin.y, p.z - ucs.origin.z};
  return rotated(d, -ucs.rotation);
}

int acedTrans(const ads_point point, const resbuf* from, const resbuf* to, int displacement, ads_point result) {
  if (point == nullptr || from == nullptr || to == nullptr || result == nullptr) return RTERROR;
  if (ucsState().faults.trans) return RTERROR;
  if (from->restype != RTSHORT || to->restype != RTSHORT) return RTERROR;
  const bool vector = displacement != 0;
  std::optional<Point3d> world = toWorld(from->resval.rint, {point[0], point[1], point[2]}, vector);
  if (!world) return RTERROR;
  std::optional<Point3d> out = fromWorld(to->resval.rint, *world, vector);
  if (!out) return RTERROR;
  result[0] = out->x;
  result[1] = out->y;
  result[2] = out->z;
  return RTNORM;
}

}  // namespace cad

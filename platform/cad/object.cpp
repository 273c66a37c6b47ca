#include "cad/object.h"

#include <cmath>

#include "cad/database.h"

namespace cad {

ErrorStatus Object::close() {
  if (openCount_ == 0) {
    if (db_ != nullptr) ++db_->strayCloses_;
    return eNotApplicable;
  }
  --openCount_;
  if (openForWrite_) {
    // The writer may have changed geometry that block references' memo was built from.
    openForWrite_ = false;
    if (db_ != nullptr) db_->noteGeometryChanged();
  }
  return eOk;
}

void Object::setErased(bool erased) {
  if (erased_ == erased) return;
  erased_ = erased;
  if (db_ != nullptr) db_->noteGeometryChanged();
}

ErrorStatus Entity::getGeomExtents(Extents3d& extents) const {
  if (entityFaults.extents) return eInvalidExtents;
  Extents3d box;
  const ErrorStatus es = computeExtents(box);
  if (es != eOk) return es;
  if (box.isEmpty()) return eInvalidExtents;
  for (double v : {box.minPoint.x, box.minPoint.y, box.minPoint.z, box.maxPoint.x, box.maxPoint.y, box.maxPoint.z}) {
    if (!std::isfinite(v)) return eInvalidExtents;
  }
  extents = box;
  return eOk;
}

}  // namespace cad

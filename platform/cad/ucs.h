#pragma once
// The current user coordinate system (an origin and a rotation about the world Z axis) and the host's
// coordinate transform between the world (0), the UCS (1) and the display of the current viewport (2).

#include "cad/geometry.h"
#include "cad/result_buffer.h"

namespace cad {

struct Ucs {
  Point3d origin;
  double rotation = 0;  // radians, counter-clockwise about Z
};

class UcsState {
 public:
  Ucs current;
  struct Faults {
    bool trans = false;  // acedTrans fails
  } faults;
  void reset() { *this = UcsState(); }
};

UcsState& ucsState();

// With `displacement` the point is a vector: the origin does not apply.
Point3d ucsToWorld(const Point3d& p, bool displacement = false);
Point3d worldToUcs(const Point3d& p, bool displacement = false);

// `from` and `to` are RTSHORT buffers holding 0 (world), 1 (UCS) or 2 (display); RTNORM or RTERROR.
int acedTrans(const ads_point point, const resbuf* from, const resbuf* to, int displacement, ads_point result);

}  // namespace cad

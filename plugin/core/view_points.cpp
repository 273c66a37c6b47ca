#include "core/view_points.h"

#include <algorithm>
#include <cmath>

#include "cad/command_call.h"
#include "cad/result_buffer.h"
#include "cad/ucs.h"

namespace {

constexpr short kWorld = 0;
constexpr short kUcs = 1;

bool transform(const double in[3], short from, short to, double out[3]) {
  cad::resbuf fromSystem, toSystem;
  fromSystem.restype = cad::RTSHORT;
  fromSystem.resval.rint = from;
  toSystem.restype = cad::RTSHORT;
  toSystem.resval.rint = to;
  return cad::acedTrans(in, &fromSystem, &toSystem, 0, out) == cad::RTNORM && std::isfinite(out[0]) &&
         std::isfinite(out[1]) && std::isfinite(out[2]);
}

}  // namespace

std::optional<cad::Point3d> worldPointOfPick(const double ucs[3]) {
  double world[3];
  if (!transform(ucs, kUcs, kWorld, world)) return std::nullopt;
  return cad::Point3d{world[0], world[1], world[2]};
}

cad::Point3d ucsPointOf(const cad::Point3d& world) {
  const double in[3] = {world.x, world.y, world.z};
  double ucs[3];
  if (!transform(in, kWorld, kUcs, ucs)) return world;
  return {ucs[0], ucs[1], ucs[2]};
}

void zoomToWorldWindow(double minX, double minY, double maxX, double maxY) {
  const cad::Point3d corners[] = {ucsPointOf({minX, minY, 0}), ucsPointOf({maxX, minY, 0}), ucsPointOf({maxX, maxY, 0}),
                                  ucsPointOf({minX, maxY, 0})};
  double low[3] = {corners[0].x, corners[0].y, corners[0].z};
  double high[3] = {corners[0].x, corners[0].y, corners[0].z};
  for (const cad::Point3d& c : corners) {
    low[0] = std::min(low[0], c.x);
    low[1] = std::min(low[1], c.y);
    low[2] = std::min(low[2], c.z);
    high[0] = std::max(high[0], c.x);
    high[1] = std::max(high[1], c.y);
    high[2] = std::max(high[2], c.z);
  }
  cad::acedCommandS(cad::RTSTR, L"_.ZOOM", cad::RTSTR, L"_W", cad::RT3DPOINT, low, cad::RT3DPOINT, high, cad::RTNONE);
}

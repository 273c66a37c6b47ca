#include "cad/temporary_vectors.h"

#include "cad/database.h"

namespace cad {

TemporaryVectors& temporaryVectors() {
  static TemporaryVectors* instance = new TemporaryVectors;
  return *instance;
}

int acedGrDraw(const ads_point from, const ads_point to, int color, int highlight) {
  TemporaryVectors& vectors = temporaryVectors();
  if (from == nullptr || to == nullptr || vectors.faults.draw) return RTERROR;
  if (acdbHostApplicationServices()->workingDatabase() == nullptr) return RTERROR;
  vectors.add({{from[0], from[1], from[2]}, {to[0], to[1], to[2]}, color, highlight != 0});
  return RTNORM;
}

}  // namespace cad

#pragma once
// Vectors drawn straight on the screen (not entities): they stay until the next regeneration or redraw.

#include <vector>

#include "cad/geometry.h"
#include "cad/result_buffer.h"

namespace cad {

struct TemporaryVector {
  Point3d from, to;  // current UCS, as given
  int color = 0;
  bool highlight = false;
};

class TemporaryVectors {
 public:
  // Test side: what is on the screen now.
  const std::vector<TemporaryVector>& shown() const { return shown_; }
  struct Faults {
    bool draw = false;
  } faults;

  // Host side
  void add(const TemporaryVector& vector) { shown_.push_back(vector); }
  // REGEN and REDRAW.
  void clear() { shown_.clear(); }
  void reset() {
    shown_.clear();
    faults = {};
  }

 private:
  std::vector<TemporaryVector> shown_;
};

TemporaryVectors& temporaryVectors();

// RTNORM, or RTERROR without a drawing (or when a test makes it fail).
int acedGrDraw(const ads_point from, const ads_point to, int color, int highlight);

}  // namespace cad

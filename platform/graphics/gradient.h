#pragma once
// A fill whose colour runs between stops: along a line, or out from a centre.

#include <utility>
#include <vector>

#include "graphics/color.h"
#include "graphics/geometry.h"

namespace graphics {

struct Gradient {
  bool radial = false;
  Point from, to;     // linear: offset 0 at `from`, 1 at `to`, constant across
  Point centre;       // radial: offset 0 at the centre, 1 at `radius`
  double radius = 0;
  std::vector<std::pair<double, Color>> stops;  // offset in [0, 1], in order
};

}  // namespace graphics

#include "cad/render/linetypes.h"

#include <cmath>

namespace cad::render {
namespace {

// A pattern shorter than this (points) reads as a continuous line, and is drawn as one.
constexpr double kFinestPattern = 0.5;

}  // namespace

void applyLinetype(graphics::BezierPath& path, const std::vector<double>& pattern, double unit) {
  path.dashes.clear();
  path.dashPhase = 0;
  // On and off lengths in turn, neighbours of one kind joined.
  std::vector<double> runs;
  bool firstOn = true, lastOn = false;
  double total = 0;
  for (double element : pattern) {
    const bool on = element >= 0;
    const double length = std::fabs(element) * unit;
    if (!std::isfinite(length)) return;
    total += length;
    if (!runs.empty() && on == lastOn) {
      runs.back() += length;
    } else {
      if (runs.empty()) firstOn = on;
      runs.push_back(length);
    }
    lastOn = on;
  }
  if (runs.size() < 2 || !(total >= kFinestPattern)) return;
  // The pattern repeats: runs of one kind at its two ends are one run, which the pattern starts into.
  double phase = 0;
  if (firstOn == lastOn) {
    phase = runs.back();
    runs.front() += runs.back();
    runs.pop_back();
  }
  if (runs.size() < 2) return;
  // The dashes are given dash first: a pattern that starts with a gap starts that far into them.
  if (!firstOn) {
    const double gap = runs.front();
    runs.erase(runs.begin());
    runs.push_back(gap);
    phase = std::fmod(total - gap + phase, total);
  }
  path.dashPhase = phase;
  path.dashes = std::move(runs);
}

}  // namespace cad::render

#include "cad/render/linetypes.h"

#include <cmath>

namespace cad::render {
namespace {

// A pattern shorter than this (points) reads as a continuous line, and is drawn as one.
constexpr double kFinestPattern = 0.5;
// More dashes than this on one path would only make the page slow to show.
constexpr double kMostRepeats = 20000;
constexpr double kFlatness = 0.05;

class Dasher {
 public:
  Dasher(const std::vector<double>& dashes, double unit) {
    for (double d : dashes) elements_.push_back(d * unit);
  }

  void subpath(const std::vector<graphics::Point>& points, graphics::BezierPath& out) {
    index_ = 0;
    left_ = std::fabs(elements_[0]);
    penDown_ = false;
    for (std::size_t i = 1; i < points.size(); ++i) segment(points[i - 1], points[i], out);
  }

 private:
  bool drawing() const { return elements_[index_] >= 0; }

  void next() {
    index_ = (index_ + 1) % elements_.size();
    left_ = std::fabs(elements_[index_]);
  }

  void segment(graphics::Point a, graphics::Point b, graphics::BezierPath& out) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    double at = 0;
    while (true) {
      if (elements_[index_] == 0) {
        // A dot where the pattern stands.
        const graphics::Point p = along(a, b, length, at);
        out.moveTo(p);
        out.lineTo(p);
        next();
        continue;
      }
      const double step = std::min(left_, length - at);
      if (drawing() && step > 0) {
        const graphics::Point from = along(a, b, length, at);
        if (!penDown_ || !(from == last_)) out.moveTo(from);
        last_ = along(a, b, length, at + step);
        out.lineTo(last_);
        penDown_ = true;
      } else {
        penDown_ = false;
      }
      at += step;
      left_ -= step;
      if (left_ > 1e-9) return;  // the element goes on into the next segment
      next();
      penDown_ = false;
      if (at >= length) return;
    }
  }

  static graphics::Point along(graphics::Point a, graphics::Point b, double length, double at) {
    if (length <= 0) return a;
    const double t = at / length;
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
  }

  std::vector<double> elements_;
  std::size_t index_ = 0;
  double left_ = 0;
  bool penDown_ = false;
  graphics::Point last_;
};

}  // namespace

graphics::BezierPath dashedPath(const graphics::BezierPath& path, const std::vector<double>& dashes, double unit) {
  double pattern = 0;
  bool anyGap = false;
  for (double d : dashes) {
    pattern += std::fabs(d) * unit;
    anyGap = anyGap || d < 0;
  }
  if (!anyGap || !(pattern >= kFinestPattern) || !std::isfinite(pattern)) return path;
  const std::vector<std::vector<graphics::Point>> lines = path.flattened(kFlatness);
  double total = 0;
  for (const auto& line : lines) {
    for (std::size_t i = 1; i < line.size(); ++i)
      total += std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
  }
  if (total / pattern > kMostRepeats) return path;
  graphics::BezierPath out;
  out.lineWidth = path.lineWidth;
  out.lineCap = path.lineCap;
  out.lineJoin = path.lineJoin;
  Dasher dasher(dashes, unit);
  for (const auto& line : lines) dasher.subpath(line, out);
  return out;
}

}  // namespace cad::render

#pragma once
// The animated ring in the middle of the progress window: the share of pages done as a white arc on a dim
// track, three coloured wave outlines that ripple and turn around it, and the percentage in its centre. On
// success the waves go, the arc closes and a green check mark draws itself. Made 200 × 200; every path is built
// around the centre (100, 100), y up. With Reduce Motion on nothing moves. Main thread only.

#include <array>
#include <cstdint>
#include <memory>

#include "graphics/bezier_path.h"
#include "toolkit/layer.h"
#include "toolkit/view.h"

namespace toolkit {
class TextField;
}

// A wave outline: a closed path of 97 points (the last on the first) around the ring's centre.
graphics::BezierPath QDLProgressWave(double phase, double radius);

class QDLPrintProgressRing final : public toolkit::View {
 public:
  // Builds the layers and the label, at 0 % and still.
  explicit QDLPrintProgressRing(const toolkit::Rect& frame);

  // The ripple and spin of the waves, added under the keys "ripple" and "spin", replacing any running ones;
  // nothing with Reduce Motion on.
  void startAnimating();
  // Shows completed / total, rounded down and held within 0 … 99 %: the ring shows 100 % only on success.
  void setCompleted(std::int64_t completed, std::int64_t total);
  // Waves hidden, the arc closed, the check shown (drawn in, unless Reduce Motion is on), the label hidden.
  void showSuccess();
  // Removes every animation of the waves, the arc and the check.
  void stopAnimating();

  const std::shared_ptr<toolkit::TextField>& percentLabel() const { return percentLabel_; }
  const std::shared_ptr<toolkit::ShapeLayer>& progress() const { return progress_; }
  const std::shared_ptr<toolkit::ShapeLayer>& check() const { return check_; }
  const std::array<std::shared_ptr<toolkit::ShapeLayer>, 3>& waves() const { return waves_; }
  const std::shared_ptr<toolkit::ShapeLayer>& track() const { return track_; }

 private:
  std::shared_ptr<toolkit::TextField> percentLabel_;
  std::shared_ptr<toolkit::ShapeLayer> progress_;
  std::shared_ptr<toolkit::ShapeLayer> check_;
  std::array<std::shared_ptr<toolkit::ShapeLayer>, 3> waves_;
  std::shared_ptr<toolkit::ShapeLayer> track_;
};

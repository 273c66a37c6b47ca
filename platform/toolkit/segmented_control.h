#pragma once
// A row of segments, one of which is selected. Selecting from code never sends the action; a click does.

#include <memory>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "toolkit/control.h"

namespace toolkit {

enum class SegmentStyle { automatic = 0, rounded = 1, roundRect = 3, texturedRounded = 4, capsule = 5, smallSquare = 6, separated = 8 };
enum class SegmentDistribution { fit = 0, fill = 1, fillEqually = 2, fillProportionally = 3 };

class SegmentedControl : public Control {
 public:
  SegmentedControl() = default;
  explicit SegmentedControl(const Rect& frame) : Control(frame) {}
  static std::shared_ptr<SegmentedControl> withLabels(const std::vector<std::string>& labels, Action action);

  long segmentCount() const { return static_cast<long>(segments_.size()); }
  // New segments are empty; a selection beyond the new count is dropped.
  void setSegmentCount(long count);
  // Out-of-range segments read empty and ignore writes.
  std::string label(long segment) const;
  void setLabel(const std::string& label, long segment);
  // 0: sized to its content.
  double width(long segment) const;
  void setWidth(double width, long segment);
  std::shared_ptr<graphics::Image> image(long segment) const;
  void setImage(std::shared_ptr<graphics::Image> image, long segment);
  bool isEnabled(long segment) const;
  void setEnabled(bool enabled, long segment);
  std::string toolTip(long segment) const;
  void setToolTip(const std::string& text, long segment);
  using Control::isEnabled;
  using Control::setEnabled;
  using View::setToolTip;

  // -1: none.
  long selectedSegment() const { return selected_; }
  // Out of range selects nothing.
  void setSelectedSegment(long segment);
  SegmentStyle segmentStyle() const { return style_; }
  void setSegmentStyle(SegmentStyle style) { style_ = style; }
  SegmentDistribution segmentDistribution() const { return distribution_; }
  void setSegmentDistribution(SegmentDistribution d) { distribution_ = d; }

  // The user picks a segment: selected and the action sent. Refused (false) when the control or the segment is
  // disabled or the segment does not exist.
  bool userSelectSegment(long segment);
  // The segment under a point of the control's own coordinates; -1 for none.
  long segmentAtPoint(Point point) const;
  // Where a segment is drawn, in the control's coordinates; empty for none.
  Rect rectOfSegment(long segment) const;

  Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 protected:
  void clicked(const Event& event) override;

 private:
  struct Segment {
    std::string label;
    double width = 0;
    std::shared_ptr<graphics::Image> image;
    bool enabled = true;
    std::string toolTip;
  };
  // Each segment's drawn width: set widths as they are, the rest share what is left of the bounds.
  std::vector<double> layoutWidths() const;
  double contentWidth(const Segment& segment) const;
  std::vector<Segment> segments_;
  long selected_ = -1;
  SegmentStyle style_ = SegmentStyle::automatic;
  SegmentDistribution distribution_ = SegmentDistribution::fit;
};

}  // namespace toolkit

#include "ui/modern_place.h"

#include <algorithm>

#include "toolkit/segmented_control.h"
#include "toolkit/view.h"

void QDLModernPlace(toolkit::View& parent, const std::shared_ptr<toolkit::View>& child, double x, double y,
                    double width, double height) {
  if (!child) return;
  if (child->superview() != &parent) parent.addSubview(child);
  child->setTranslatesAutoresizingMaskIntoConstraints(true);
  child->setFrame({x, y, std::max(0.0, width), std::max(0.0, height)});
  if (auto* segmented = dynamic_cast<toolkit::SegmentedControl*>(child.get())) {
    const double each = std::max(0.0, width - 8) / static_cast<double>(std::max(1L, segmented->segmentCount()));
    for (long i = 0; i < segmented->segmentCount(); ++i) segmented->setWidth(each, i);
    segmented->setNeedsDisplay(true);
  }
}

#pragma once
// Puts a view into a parent at an explicit frame, the way every window of the plug-in is laid out.

#include <memory>

namespace toolkit {
class View;
}

// Adds the child when the parent is not already its superview (so its place among the subviews stays), sets the
// frame with negative sizes taken as 0, and shares a segmented control's width less 8 equally among its segments.
// Nothing for a null child.
void QDLModernPlace(toolkit::View& parent, const std::shared_ptr<toolkit::View>& child, double x, double y,
                    double width, double height);

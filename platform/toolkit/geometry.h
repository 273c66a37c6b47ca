#pragma once
// The toolkit measures in the drawing library's points, sizes and rectangles.

#include "graphics/geometry.h"

namespace toolkit {

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

// The value of an intrinsic size component that a view does not have.
inline constexpr double kNoIntrinsicMetric = -1.0;

}  // namespace toolkit

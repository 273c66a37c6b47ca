#pragma once
// Private to graphics: paths, fills, gradients and images drawn with cairo, shared by the context that draws at
// once (bitmaps) and the PDF page list that draws when its document ends.

#include <cairo.h>

#include "graphics/bezier_path.h"
#include "graphics/color.h"
#include "graphics/context.h"
#include "graphics/geometry.h"
#include "graphics/gradient.h"

namespace graphics::cairo_painting {

cairo_matrix_t matrixOf(const AffineTransform& t);
// A transform cairo accepts: finite and invertible. Any other would put cairo in an error state for good, and
// nothing after it would be drawn.
bool usable(const cairo_matrix_t& m);

void setSource(cairo_t* cr, const Color& c);
void clip(cairo_t* cr, const BezierPath& path);
void fill(cairo_t* cr, const BezierPath& path, const Color& color);
void gradientFill(cairo_t* cr, const BezierPath& path, const Gradient& gradient);
// Nothing for a path without a positive line width.
void stroke(cairo_t* cr, const BezierPath& path, const Color& color);
// `m` places the image's box (draw.box after the context's transform).
void image(cairo_t* cr, const ImageDraw& draw, const cairo_matrix_t& m);

}  // namespace graphics::cairo_painting

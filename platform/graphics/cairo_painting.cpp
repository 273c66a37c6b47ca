#include "cairo_painting.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "graphics/symbols.h"

namespace graphics::cairo_painting {

namespace {

void setPath(cairo_t* cr, const BezierPath& path) {
  cairo_new_path(cr);
  for (const BezierPath::Element& e : path.elements()) {
    switch (e.kind) {
      case BezierPath::Element::Kind::moveTo: cairo_move_to(cr, e.points[0].x, e.points[0].y); break;
      case BezierPath::Element::Kind::lineTo: cairo_line_to(cr, e.points[0].x, e.points[0].y); break;
      case BezierPath::Element::Kind::curveTo:
        cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x, e.points[2].y);
        break;
      case BezierPath::Element::Kind::close: cairo_close_path(cr); break;
    }
  }
  cairo_set_fill_rule(cr,
                      path.windingRule == WindingRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
}

void setStroke(cairo_t* cr, const BezierPath& path) {
  cairo_set_line_width(cr, path.lineWidth);
  cairo_set_line_cap(cr, path.lineCap == LineCap::round    ? CAIRO_LINE_CAP_ROUND
                         : path.lineCap == LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                           : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, path.lineJoin == LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                          : path.lineJoin == LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                             : CAIRO_LINE_JOIN_MITER);
  cairo_set_dash(cr, path.dashes.data(), static_cast<int>(path.dashes.size()), path.dashPhase);
}

}  // namespace

cairo_matrix_t matrixOf(const AffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

bool usable(const cairo_matrix_t& m) {
  cairo_matrix_t copy = m;
  return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) && std::isfinite(m.yy) &&
         std::isfinite(m.x0) && std::isfinite(m.y0) && cairo_matrix_invert(&copy) == CAIRO_STATUS_SUCCESS;
}

void setSource(cairo_t* cr, const Color& c) { cairo_set_source_rgba(cr, c.red(), c.green(), c.blue(), c.alpha()); }

void clip(cairo_t* cr, const BezierPath& path) {
  setPath(cr, path);
  cairo_clip(cr);
}

void fill(cairo_t* cr, const BezierPath& path, const Color& color) {
  setPath(cr, path);
  setSource(cr, color);
  cairo_fill(cr);
}

void gradientFill(cairo_t* cr, const BezierPath& path, const Gradient& gradient) {
  if (gradient.stops.empty()) return;
  cairo_pattern_t* pattern =
      gradient.radial ? cairo_pattern_create_radial(gradient.centre.x, gradient.centre.y, 0, gradient.centre.x,
                                                    gradient.centre.y, gradient.radius)
                      : cairo_pattern_create_linear(gradient.from.x, gradient.from.y, gradient.to.x, gradient.to.y);
  for (const auto& [offset, color] : gradient.stops) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, color.red(), color.green(), color.blue(), color.alpha());
  }
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  setPath(cr, path);
  cairo_set_source(cr, pattern);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
}

void stroke(cairo_t* cr, const BezierPath& path, const Color& color) {
  if (!(path.lineWidth > 0)) return;
  setPath(cr, path);
  setStroke(cr, path);
  setSource(cr, color);
  cairo_stroke(cr);
}

void image(cairo_t* cr, const ImageDraw& draw, const cairo_matrix_t& m) {
  if (!draw.image) return;
  const Image& image = *draw.image;
  cairo_save(cr);
  cairo_set_matrix(cr, &m);
  cairo_rectangle(cr, 0, 0, image.size().width, image.size().height);
  cairo_clip(cr);
  if (image.isSymbol()) {
    if (const SymbolDefinition* symbol = findSymbol(image.symbolName())) {
      const Color tint = draw.tint.withAlpha(draw.tint.alpha() * draw.alpha);
      cairo_scale(cr, image.size().width / symbol->size.width, image.size().height / symbol->size.height);
      for (const SymbolShape& shape : symbol->shapes) {
        setPath(cr, shape.path);
        setSource(cr, tint);
        if (shape.filled) {
          cairo_fill(cr);
        } else {
          setStroke(cr, shape.path);
          cairo_stroke(cr);
        }
      }
    }
  } else if (image.pixelWidth() > 0) {
    cairo_surface_t* pixels = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.pixelWidth(), image.pixelHeight());
    if (cairo_surface_status(pixels) == CAIRO_STATUS_SUCCESS) {
      unsigned char* data = cairo_image_surface_get_data(pixels);
      const int stride = cairo_image_surface_get_stride(pixels);
      const auto& rgba = image.rgba();
      for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
          const std::size_t at = (static_cast<std::size_t>(y) * image.pixelWidth() + x) * 4;
          const std::uint32_t a = rgba[at + 3];
          const std::uint32_t argb =
              (a << 24) | ((rgba[at] * a / 255) << 16) | ((rgba[at + 1] * a / 255) << 8) | (rgba[at + 2] * a / 255);
          std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride + x * 4, &argb, 4);
        }
      }
      cairo_surface_mark_dirty(pixels);
      cairo_scale(cr, image.size().width / image.pixelWidth(), image.size().height / image.pixelHeight());
      cairo_set_source_surface(cr, pixels, 0, 0);
      // The clip already bounds the image: padding keeps its edge pixels from fading out when scaled up.
      cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
      if (draw.operation == CompositingOperation::copy) cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_paint_with_alpha(cr, draw.alpha);
    }
    cairo_surface_destroy(pixels);
  }
  cairo_restore(cr);
}

}  // namespace graphics::cairo_painting

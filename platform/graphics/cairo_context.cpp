#include "graphics/cairo_context.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "foundation/files.h"
#include "graphics/pango_text.h"
#include "graphics/pdf_compaction.h"
#include "graphics/symbols.h"

namespace graphics {

namespace {

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

cairo_matrix_t matrixOf(const AffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

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
  cairo_set_fill_rule(cr, path.windingRule == WindingRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
}

// A transform cairo accepts: finite and invertible. Any other would put cairo in an error state for good, and
// nothing after it would be drawn.
bool usable(const cairo_matrix_t& m) {
  cairo_matrix_t copy = m;
  return std::isfinite(m.xx) && std::isfinite(m.yx) && std::isfinite(m.xy) && std::isfinite(m.yy) &&
         std::isfinite(m.x0) && std::isfinite(m.y0) && cairo_matrix_invert(&copy) == CAIRO_STATUS_SUCCESS;
}

void setSource(cairo_t* cr, const Color& c) { cairo_set_source_rgba(cr, c.red(), c.green(), c.blue(), c.alpha()); }

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

struct CairoContext::Impl {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  PangoContext* pango = nullptr;
  PangoLayout* layout = nullptr;
  bool isPdf = false;
  bool finished = false;
  std::string path;
  std::string pdfData;
  double scale = 1;

  ~Impl() {
    if (layout) g_object_unref(layout);
    if (pango) g_object_unref(pango);
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }

  bool start() {
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) return false;
    pango = pango_cairo_create_context(cr);
    pango_text::configure(pango);
    layout = pango_layout_new(pango);
    return true;
  }
  bool live() const { return cr != nullptr && !finished; }
};

CairoContext::CairoContext(std::unique_ptr<Impl> impl) : GraphicsContext(fontMeasurer()), impl_(std::move(impl)) {}

CairoContext::~CairoContext() = default;

std::unique_ptr<CairoContext> CairoContext::bitmap(double width, double height, double scale, Alpha alpha) {
  if (!std::isfinite(width) || !std::isfinite(height) || !std::isfinite(scale) || scale <= 0) return nullptr;
  const double pw = std::ceil(std::max(1.0, width * scale)), ph = std::ceil(std::max(1.0, height * scale));
  if (pw > 32767 || ph > 32767) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->surface = cairo_image_surface_create(alpha == Alpha::opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                             static_cast<int>(pw), static_cast<int>(ph));
  if (cairo_surface_status(impl->surface) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_set_device_scale(impl->surface, scale, scale);
  impl->scale = scale;
  if (!impl->start()) return nullptr;
  return std::unique_ptr<CairoContext>(new CairoContext(std::move(impl)));
}

std::unique_ptr<CairoContext> CairoContext::pdf(const std::string& path, double width, double height) {
  if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->isPdf = true;
  impl->path = path;
  impl->surface = cairo_pdf_surface_create_for_stream(appendToString, &impl->pdfData, width, height);
  if (cairo_surface_status(impl->surface) != CAIRO_STATUS_SUCCESS) return nullptr;
  if (!impl->start()) return nullptr;
  return std::unique_ptr<CairoContext>(new CairoContext(std::move(impl)));
}

int CairoContext::pixelWidth() const { return impl_->isPdf ? 0 : cairo_image_surface_get_width(impl_->surface); }
int CairoContext::pixelHeight() const { return impl_->isPdf ? 0 : cairo_image_surface_get_height(impl_->surface); }

Color CairoContext::pixel(int x, int y) const {
  if (impl_->isPdf || x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return Color::clear();
  cairo_surface_flush(impl_->surface);
  const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
  const int stride = cairo_image_surface_get_stride(impl_->surface);
  std::uint32_t argb;
  std::memcpy(&argb, data + static_cast<std::ptrdiff_t>(y) * stride + x * 4, 4);
  const bool opaque = cairo_image_surface_get_format(impl_->surface) == CAIRO_FORMAT_RGB24;
  const double a = opaque ? 1.0 : ((argb >> 24) & 0xFF) / 255.0;
  if (a == 0) return Color::clear();
  // Premultiplied in the surface.
  return Color::srgb(((argb >> 16) & 0xFF) / 255.0 / a, ((argb >> 8) & 0xFF) / 255.0 / a, (argb & 0xFF) / 255.0 / a, a);
}

std::string CairoContext::pngData() const {
  if (impl_->isPdf) return {};
  cairo_surface_flush(impl_->surface);
  std::string out;
  if (cairo_surface_write_to_png_stream(impl_->surface, appendToString, &out) != CAIRO_STATUS_SUCCESS) return {};
  return out;
}

std::string CairoContext::writePNG(const std::string& path) const {
  if (impl_->isPdf) return "A PDF context has no bitmap to write as PNG";
  const std::string data = pngData();
  if (data.empty()) return "Cannot encode the image as PNG";
  const foundation::FileResult written = foundation::writeFileAtomically(path, data);
  return written.ok ? std::string() : written.error;
}

void CairoContext::newPage() {
  if (impl_->isPdf && impl_->live()) cairo_show_page(impl_->cr);
}

std::string CairoContext::finish() {
  if (!impl_->isPdf) return {};
  if (impl_->finished) return "The PDF is already finished";
  impl_->finished = true;
  cairo_surface_finish(impl_->surface);
  if (const cairo_status_t status = cairo_surface_status(impl_->surface); status != CAIRO_STATUS_SUCCESS) {
    return std::string("Cannot make the PDF: ") + cairo_status_to_string(status);
  }
  // Cairo's file is sound but large (whole fonts' subroutines, coordinates to 1/256 point, loose objects);
  // where it cannot be compacted it is written as it is.
  (void)compactPdf(impl_->pdfData);
  // As a PDF context does, the file is put in place whole without waiting for the disk.
  const foundation::FileResult written =
      foundation::writeFileAtomically(impl_->path, impl_->pdfData, foundation::Flush::none);
  return written.ok ? std::string() : written.error;
}

void CairoContext::onSave() {
  if (impl_->live()) cairo_save(impl_->cr);
}

void CairoContext::onRestore() {
  if (impl_->live()) cairo_restore(impl_->cr);
}

void CairoContext::onTransform(const AffineTransform& transform) {
  if (!impl_->live()) return;
  const cairo_matrix_t m = matrixOf(transform);
  // A transform that collapses space (a scale of 0) or overflows is not given to cairo.
  if (!usable(m)) return;
  cairo_set_matrix(impl_->cr, &m);
}

void CairoContext::onClip(const BezierPath& path) {
  if (!impl_->live()) return;
  setPath(impl_->cr, path);
  cairo_clip(impl_->cr);
}

void CairoContext::onFill(const BezierPath& path, const Color& color) {
  if (!impl_->live()) return;
  setPath(impl_->cr, path);
  setSource(impl_->cr, color);
  cairo_fill(impl_->cr);
}

void CairoContext::onGradientFill(const BezierPath& path, const Gradient& gradient) {
  if (!impl_->live() || gradient.stops.empty()) return;
  cairo_pattern_t* pattern =
      gradient.radial ? cairo_pattern_create_radial(gradient.centre.x, gradient.centre.y, 0, gradient.centre.x,
                                                    gradient.centre.y, gradient.radius)
                      : cairo_pattern_create_linear(gradient.from.x, gradient.from.y, gradient.to.x, gradient.to.y);
  for (const auto& [offset, color] : gradient.stops) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, color.red(), color.green(), color.blue(), color.alpha());
  }
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  setPath(impl_->cr, path);
  cairo_set_source(impl_->cr, pattern);
  cairo_fill(impl_->cr);
  cairo_pattern_destroy(pattern);
}

void CairoContext::onStroke(const BezierPath& path, const Color& color) {
  if (!impl_->live() || !(path.lineWidth > 0)) return;
  setPath(impl_->cr, path);
  setStroke(impl_->cr, path);
  setSource(impl_->cr, color);
  cairo_stroke(impl_->cr);
}

void CairoContext::onText(const TextDraw& text) {
  if (!impl_->live()) return;
  cairo_t* cr = impl_->cr;
  const cairo_matrix_t m = matrixOf(AffineTransform::concat(text.box, currentTransform()));
  if (!usable(m)) return;
  cairo_save(cr);
  cairo_set_matrix(cr, &m);
  if (text.clipped) {
    cairo_rectangle(cr, 0, 0, text.rect.width(), text.rect.height());
    cairo_clip(cr);
  }
  setSource(cr, text.attributes.color);
  // Pango spaces glyphs for one scale: under a transform that scales x and y apart (narrowed or stretched text)
  // it would space them for the wrong one. Metrics are not hinted, so the layout is the same at any uniform
  // scale: it is made for one and drawn under the real transform. A PDF keeps outlines, not pixels: its layouts
  // are all made at scale 1, so that the fonts are looked up once rather than once for every text size.
  const double uniform = impl_->isPdf ? 1.0 : std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
  cairo_matrix_t layoutMatrix;
  cairo_matrix_init_scale(&layoutMatrix, uniform > 0 ? uniform : 1, uniform > 0 ? uniform : 1);
  cairo_set_matrix(cr, &layoutMatrix);
  pango_cairo_update_context(cr, impl_->pango);
  pango_layout_context_changed(impl_->layout);
  cairo_set_matrix(cr, &m);
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    pango_text::setText(impl_->layout, text.lines[i], text.attributes.font);
    cairo_move_to(cr, text.lineOrigins[i].x, text.lineOrigins[i].y);
    pango_cairo_show_layout(cr, impl_->layout);
  }
  cairo_restore(cr);
}

void CairoContext::onImage(const ImageDraw& draw) {
  if (!impl_->live() || !draw.image) return;
  cairo_t* cr = impl_->cr;
  const Image& image = *draw.image;
  cairo_save(cr);
  const cairo_matrix_t m = matrixOf(AffineTransform::concat(draw.box, currentTransform()));
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
          const std::uint32_t argb = (a << 24) | ((rgba[at] * a / 255) << 16) | ((rgba[at + 1] * a / 255) << 8) |
                                     (rgba[at + 2] * a / 255);
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

}  // namespace graphics

#include "graphics/cairo_context.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "cairo_painting.h"
#include "foundation/files.h"
#include "graphics/pango_text.h"
#include "graphics/pdf_compaction.h"
#include "pdf_drawing_list.h"
#include "pdf_text_fonts.h"

namespace graphics {

namespace {

namespace paint = cairo_painting;

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A PDF's bytes as cairo writes them, until the document is cancelled: cairo then stops making it.
struct PdfSink {
  std::string data;
  std::function<bool()> cancelled;
};

cairo_status_t appendToPdf(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<PdfSink*>(closure);
  if (sink->cancelled && sink->cancelled()) return CAIRO_STATUS_WRITE_ERROR;
  sink->data.append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
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
  PdfSink pdf;
  double scale = 1;
  // A PDF is drawn when it is finished, with its fonts cut down to the glyphs it uses.
  PdfDrawingList drawing;
  PdfTextFonts fonts;

  ~Impl() {
    if (layout) g_object_unref(layout);
    if (pango) g_object_unref(pango);
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }

  bool start() {
    // The thread's fonts are those found for measuring (font_loading.h).
    (void)fontMeasurer();
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
  impl->surface = cairo_pdf_surface_create_for_stream(appendToPdf, &impl->pdf, width, height);
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
  if (impl_->isPdf && impl_->live()) impl_->drawing.newPage();
}

std::string CairoContext::finish(const std::function<bool()>& cancelled) {
  if (!impl_->isPdf) return {};
  if (impl_->finished) return "The PDF is already finished";
  impl_->finished = true;
  impl_->pdf.cancelled = cancelled;
  const auto stopped = [&] { return cancelled && cancelled(); };
  impl_->fonts.makeSubsets();
  impl_->drawing.draw(impl_->cr, impl_->fonts, stopped);
  if (!stopped()) cairo_surface_finish(impl_->surface);
  if (stopped()) return "The PDF was cancelled";
  if (const cairo_status_t status = cairo_surface_status(impl_->surface); status != CAIRO_STATUS_SUCCESS) {
    return std::string("Cannot make the PDF: ") + cairo_status_to_string(status);
  }
  // Cairo's file is sound but large (coordinates to 1/256 point, loose objects, the subroutines of a font that
  // could not be cut down); where it cannot be compacted it is written as it is.
  (void)compactPdf(impl_->pdf.data);
  if (stopped()) return "The PDF was cancelled";
  // As a PDF context does, the file is put in place whole without waiting for the disk.
  const foundation::FileResult written =
      foundation::writeFileAtomically(impl_->path, impl_->pdf.data, foundation::Flush::none);
  return written.ok ? std::string() : written.error;
}

void CairoContext::onSave() {
  if (!impl_->live()) return;
  if (impl_->isPdf) impl_->drawing.save();
  else cairo_save(impl_->cr);
}

void CairoContext::onRestore() {
  if (!impl_->live()) return;
  if (impl_->isPdf) impl_->drawing.restore();
  else cairo_restore(impl_->cr);
}

void CairoContext::onTransform(const AffineTransform& transform) {
  if (!impl_->live()) return;
  const cairo_matrix_t m = paint::matrixOf(transform);
  // A transform that collapses space (a scale of 0) or overflows is not given to cairo.
  if (!paint::usable(m)) return;
  if (impl_->isPdf) impl_->drawing.setMatrix(m);
  else cairo_set_matrix(impl_->cr, &m);
}

void CairoContext::onClip(const BezierPath& path) {
  if (!impl_->live()) return;
  if (impl_->isPdf) impl_->drawing.clip(path);
  else paint::clip(impl_->cr, path);
}

void CairoContext::onFill(const BezierPath& path, const Color& color) {
  if (!impl_->live()) return;
  if (impl_->isPdf) impl_->drawing.fill(path, color);
  else paint::fill(impl_->cr, path, color);
}

void CairoContext::onGradientFill(const BezierPath& path, const Gradient& gradient) {
  if (!impl_->live() || gradient.stops.empty()) return;
  if (impl_->isPdf) impl_->drawing.gradientFill(path, gradient);
  else paint::gradientFill(impl_->cr, path, gradient);
}

void CairoContext::onStroke(const BezierPath& path, const Color& color) {
  if (!impl_->live() || !(path.lineWidth > 0)) return;
  if (impl_->isPdf) impl_->drawing.stroke(path, color);
  else paint::stroke(impl_->cr, path, color);
}

void CairoContext::onText(const TextDraw& text) {
  if (!impl_->live()) return;
  cairo_t* cr = impl_->cr;
  const cairo_matrix_t m = paint::matrixOf(AffineTransform::concat(text.box, currentTransform()));
  if (!paint::usable(m)) return;
  // Pango spaces glyphs for one scale: under a transform that scales x and y apart (narrowed or stretched text)
  // it would space them for the wrong one. Metrics are not hinted, so the layout is the same at any uniform
  // scale: it is made for one and drawn under the real transform. A PDF keeps outlines, not pixels: its layouts
  // are all made at scale 1, so that the fonts are looked up once rather than once for every text size.
  const double uniform = impl_->isPdf ? 1.0 : std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
  cairo_save(cr);
  cairo_matrix_t layoutMatrix;
  cairo_matrix_init_scale(&layoutMatrix, uniform > 0 ? uniform : 1, uniform > 0 ? uniform : 1);
  cairo_set_matrix(cr, &layoutMatrix);
  pango_cairo_update_context(cr, impl_->pango);
  pango_layout_context_changed(impl_->layout);
  if (impl_->isPdf) {
    cairo_restore(cr);
    PdfDrawingList::Text drawn{m, text.clipped, text.rect.width(), text.rect.height(), text.attributes.color, {}};
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
      pango_text::setText(impl_->layout, text.lines[i], text.attributes.font);
      impl_->fonts.addLayout(impl_->layout, text.lineOrigins[i], drawn.runs);
    }
    impl_->drawing.text(std::move(drawn));
    return;
  }
  cairo_set_matrix(cr, &m);
  if (text.clipped) {
    cairo_rectangle(cr, 0, 0, text.rect.width(), text.rect.height());
    cairo_clip(cr);
  }
  paint::setSource(cr, text.attributes.color);
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    pango_text::setText(impl_->layout, text.lines[i], text.attributes.font);
    cairo_move_to(cr, text.lineOrigins[i].x, text.lineOrigins[i].y);
    pango_cairo_show_layout(cr, impl_->layout);
  }
  cairo_restore(cr);
}

void CairoContext::onImage(const ImageDraw& draw) {
  if (!impl_->live() || !draw.image) return;
  const cairo_matrix_t m = paint::matrixOf(AffineTransform::concat(draw.box, currentTransform()));
  if (impl_->isPdf) impl_->drawing.image(draw, m);
  else paint::image(impl_->cr, draw, m);
}

}  // namespace graphics

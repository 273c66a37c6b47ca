#pragma once
// The drawing context that really draws, with cairo and Pango: into a bitmap (written as PNG) or into a PDF
// document. User space starts in points with y down from the top-left corner.

#include <functional>
#include <memory>
#include <string>

#include "graphics/context.h"

namespace graphics {

class CairoContext final : public GraphicsContext {
 public:
  // A transparent bitmap of width × height points at `scale` pixels per point (sizes are rounded up to whole
  // pixels, at least one). nullptr when cairo cannot make it (too large, out of memory). An opaque bitmap starts
  // black and keeps no alpha, which makes its PNG smaller and quicker to encode.
  enum class Alpha { kept, opaque };
  static std::unique_ptr<CairoContext> bitmap(double width, double height, double scale = 1.0, Alpha alpha = Alpha::kept);
  // A PDF document whose pages are width × height points; it is written to `path` by finish(). nullptr when the
  // page size is not positive.
  static std::unique_ptr<CairoContext> pdf(const std::string& path, double width, double height);
  ~CairoContext() override;

  int pixelWidth() const;
  int pixelHeight() const;
  // Straight RGBA of one pixel of a bitmap; clear outside it and for a PDF.
  Color pixel(int x, int y) const;
  // The bitmap encoded as PNG; empty for a PDF or when encoding fails.
  std::string pngData() const;
  // Writes the PNG atomically; the reason when it fails.
  std::string writePNG(const std::string& path) const;

  // PDF: ends the current page and starts the next one.
  void newPage();
  // PDF: completes the document and writes it atomically; the reason when it fails. Drawing after it does nothing.
  // `cancelled`, where given, is asked as the document is made: once it says so, nothing is written.
  std::string finish(const std::function<bool()>& cancelled = nullptr);

 protected:
  void onSave() override;
  void onRestore() override;
  void onTransform(const AffineTransform& transform) override;
  void onClip(const BezierPath& path) override;
  void onFill(const BezierPath& path, const Color& color) override;
  void onGradientFill(const BezierPath& path, const Gradient& gradient) override;
  void onStroke(const BezierPath& path, const Color& color) override;
  void onText(const TextDraw& text) override;
  void onImage(const ImageDraw& image) override;

 private:
  struct Impl;
  explicit CairoContext(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace graphics

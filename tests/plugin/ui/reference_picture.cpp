#include "reference_picture.h"

#include <cairo.h>

#include <cstdint>
#include <cstdlib>

#include "toolkit/rendering.h"
#include "toolkit/window.h"

namespace ui_test {

namespace {

// A pixel differs when a channel is off by more than this (of 255); a few such pixels are antialiasing.
constexpr int kChannelTolerance = 40;
constexpr double kDifferingShare = 0.0002;

struct Surface {
  cairo_surface_t* s;
  explicit Surface(cairo_surface_t* surface) : s(surface) {}
  ~Surface() { cairo_surface_destroy(s); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  bool ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
};

}  // namespace

long differingPixels(const std::string& expectedPath, const std::string& actualPath) {
  Surface expected(cairo_image_surface_create_from_png(expectedPath.c_str()));
  Surface actual(cairo_image_surface_create_from_png(actualPath.c_str()));
  if (!expected.ok() || !actual.ok()) return -1;
  cairo_surface_flush(expected.s);
  cairo_surface_flush(actual.s);
  const int w = cairo_image_surface_get_width(expected.s), h = cairo_image_surface_get_height(expected.s);
  if (w != cairo_image_surface_get_width(actual.s) || h != cairo_image_surface_get_height(actual.s)) return -1;
  if (cairo_image_surface_get_format(expected.s) != cairo_image_surface_get_format(actual.s)) return -1;
  const unsigned char* a = cairo_image_surface_get_data(expected.s);
  const unsigned char* b = cairo_image_surface_get_data(actual.s);
  const int strideA = cairo_image_surface_get_stride(expected.s), strideB = cairo_image_surface_get_stride(actual.s);
  long differing = 0;
  for (int y = 0; y < h; ++y) {
    const auto* rowA = reinterpret_cast<const std::uint32_t*>(a + static_cast<std::ptrdiff_t>(y) * strideA);
    const auto* rowB = reinterpret_cast<const std::uint32_t*>(b + static_cast<std::ptrdiff_t>(y) * strideB);
    for (int x = 0; x < w; ++x) {
      for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((rowA[x] >> shift) & 0xff), cb = static_cast<int>((rowB[x] >> shift) & 0xff);
        if (std::abs(ca - cb) > kChannelTolerance) {
          ++differing;
          break;
        }
      }
    }
  }
  return differing;
}

std::string compareWithReference(toolkit::Window& window, const std::filesystem::path& reference,
                                 const std::filesystem::path& outputFolder) {
  if (std::getenv("QUODL_UPDATE_UI_RENDERINGS") != nullptr)
    return toolkit::renderWindowToPNG(window, reference.string());
  std::filesystem::create_directories(outputFolder);
  const std::filesystem::path actual = outputFolder / reference.filename();
  if (std::string why = toolkit::renderWindowToPNG(window, actual.string()); !why.empty()) return why;
  if (!std::filesystem::exists(reference)) return reference.string() + " is missing: run scripts/update-ui-renderings";
  const long differing = differingPixels(reference.string(), actual.string());
  if (differing < 0) return "the pictures differ in size or cannot be read: " + actual.string();
  const double pixels = window.frame().width() * window.frame().height();
  if (static_cast<double>(differing) > pixels * kDifferingShare) {
    return "the window no longer looks as " + reference.string() + " (" + std::to_string(differing) +
           " pixels differ); see " + actual.string();
  }
  return {};
}

}  // namespace ui_test

#pragma once
// Images: bitmaps, and symbol images drawn from vector shapes in one tint colour. Symbols come from a registry of
// the names the system's windows use; an unknown name gives no image.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/color.h"
#include "graphics/geometry.h"

namespace graphics {

class Image {
 public:
  // nullptr when the registry has no symbol of that name.
  static std::shared_ptr<Image> systemSymbol(const std::string& name, const std::string& accessibilityDescription = {});
  // Straight (not premultiplied) RGBA, 4 bytes per pixel, rows from the top; nullptr when the data does not match
  // the size or the size is not positive. The image's size in points equals its pixel size.
  static std::shared_ptr<Image> fromRGBA(int width, int height, std::vector<std::uint8_t> rgba);

  Size size() const { return size_; }
  void setSize(Size size) { size_ = size; }
  const std::string& accessibilityDescription() const { return accessibilityDescription_; }
  void setAccessibilityDescription(const std::string& text) { accessibilityDescription_ = text; }

  bool isSymbol() const { return !symbolName_.empty(); }
  const std::string& symbolName() const { return symbolName_; }
  // The one-colour palette of a symbol; without one a symbol draws in the label colour.
  const std::optional<Color>& paletteColor() const { return palette_; }
  // A copy of the image with the palette; a bitmap ignores it.
  std::shared_ptr<Image> withPalette(const Color& color) const;

  int pixelWidth() const { return pixelWidth_; }
  int pixelHeight() const { return pixelHeight_; }
  const std::vector<std::uint8_t>& rgba() const { return rgba_; }

 private:
  Size size_;
  std::string accessibilityDescription_;
  std::string symbolName_;
  std::optional<Color> palette_;
  int pixelWidth_ = 0, pixelHeight_ = 0;
  std::vector<std::uint8_t> rgba_;
};

}  // namespace graphics

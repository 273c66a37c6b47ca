#include "graphics/image.h"

#include "graphics/symbols.h"

namespace graphics {

std::shared_ptr<Image> Image::systemSymbol(const std::string& name, const std::string& accessibilityDescription) {
  const SymbolDefinition* symbol = findSymbol(name);
  if (symbol == nullptr) return nullptr;
  auto image = std::make_shared<Image>();
  image->size_ = symbol->size;
  image->symbolName_ = name;
  image->accessibilityDescription_ = accessibilityDescription;
  return image;
}

std::shared_ptr<Image> Image::fromRGBA(int width, int height, std::vector<std::uint8_t> rgba) {
  if (width <= 0 || height <= 0) return nullptr;
  if (rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) return nullptr;
  auto image = std::make_shared<Image>();
  image->pixelWidth_ = width;
  image->pixelHeight_ = height;
  image->size_ = {static_cast<double>(width), static_cast<double>(height)};
  image->rgba_ = std::move(rgba);
  return image;
}

std::shared_ptr<Image> Image::withPalette(const Color& color) const {
  auto copy = std::make_shared<Image>(*this);
  if (isSymbol()) copy->palette_ = color;
  return copy;
}

}  // namespace graphics

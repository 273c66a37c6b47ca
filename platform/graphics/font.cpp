#include "graphics/font.h"

#include <cmath>

namespace graphics {

Font Font::system(double size, FontWeight weight) {
  Font f;
  // Zero, negative or non-finite sizes mean the default size, as the platform's font factories do.
  f.size_ = std::isfinite(size) && size > 0 ? size : systemFontSize();
  f.weight_ = weight;
  return f;
}

Font Font::monospacedDigitSystem(double size, FontWeight weight) {
  Font f = system(size, weight);
  f.monospacedDigits_ = true;
  return f;
}

const std::string& Font::familyName() {
  static const std::string name = "Noto Sans CJK SC";
  return name;
}

}  // namespace graphics

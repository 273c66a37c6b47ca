#include "cad/render/colors.h"

#include <array>
#include <cmath>
#include <limits>

namespace cad::render {
namespace {

PenColor rgb(int r, int g, int b) {
  return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

// Indexes 10 to 249 run through 24 hues 15° apart; within a hue, five values, each full and half saturated.
PenColor hueShade(int index) {
  const int offset = index - 10;
  const double hue = (offset / 10) * 15.0;
  const int shade = offset % 10;
  static constexpr double kValues[5] = {255, 165, 127, 76, 38};
  const double value = kValues[shade / 2];
  const double saturation = shade % 2 == 0 ? 1.0 : 0.5;
  const double chroma = value * saturation;
  const double h = hue / 60.0;
  const double x = chroma * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
  }
  const double m = value - chroma;
  // Truncated, as the host's table has it (255 × 0.25 = 63.75 is 63).
  return rgb(static_cast<int>(r + m), static_cast<int>(g + m), static_cast<int>(b + m));
}

const std::array<PenColor, 256>& palette() {
  static const std::array<PenColor, 256> table = [] {
    std::array<PenColor, 256> t{};
    t[1] = rgb(255, 0, 0);
    t[2] = rgb(255, 255, 0);
    t[3] = rgb(0, 255, 0);
    t[4] = rgb(0, 255, 255);
    t[5] = rgb(0, 0, 255);
    t[6] = rgb(255, 0, 255);
    t[7] = rgb(0, 0, 0);
    t[8] = rgb(128, 128, 128);
    t[9] = rgb(192, 192, 192);
    for (int i = 10; i <= 249; ++i) t[i] = hueShade(i);
    static constexpr int kGreys[6] = {51, 80, 105, 130, 190, 255};
    for (int i = 0; i < 6; ++i) t[250 + i] = rgb(kGreys[i], kGreys[i], kGreys[i]);
    return t;
  }();
  return table;
}

}  // namespace

PenColor aciColor(int index) { return index >= 1 && index <= 255 ? palette()[index] : PenColor{}; }

PenColor rgbColor(std::uint32_t value) {
  return rgb(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
             static_cast<int>(value & 0xFF));
}

int nearestAci(std::uint32_t value) {
  const PenColor c = rgbColor(value);
  // White is index 7's colour on screen.
  if (c.red == 255 && c.green == 255 && c.blue == 255) return 7;
  int best = 7;
  long bestDistance = std::numeric_limits<long>::max();
  for (int i = 1; i <= 255; ++i) {
    const PenColor p = palette()[i];
    const long dr = p.red - c.red, dg = p.green - c.green, db = p.blue - c.blue;
    const long distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace cad::render

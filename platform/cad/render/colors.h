#pragma once
// The host's colour index (ACI): the colours of indexes 1 to 255 as a white sheet shows them, and the index
// nearest to a true colour, which chooses the pen of a colour-dependent plot style.

#include <cstdint>

#include "cad/plot/plot_style_table.h"

namespace cad::render {

// Index 7 (white on a dark screen) plots black; indexes outside 1…255 give black too.
PenColor aciColor(int index);
// The index of 1…255 whose colour lies nearest to 0xRRGGBB (7 for black and white alike).
int nearestAci(std::uint32_t rgb);
PenColor rgbColor(std::uint32_t rgb);

}  // namespace cad::render

#pragma once
// Where a renderer writes one plotted page, and how the sheet lies on its medium.

#include <array>
#include <string>

namespace cad {

struct PageTarget {
  std::string path;  // the one-page PDF to write
  // The medium unturned, in whole points: the page's MediaBox is [0 0 mediaWidth mediaHeight].
  double mediaWidth = 0, mediaHeight = 0;
  // Quarter turns clockwise the sheet is shown turned (the plot rotation; the page's /Rotate is 90 × this).
  int quarterTurns = 0;
  // The sheet as a viewer shows it, and its printable area there, in points from its lower-left corner.
  double uprightWidth = 0, uprightHeight = 0;
  double printableX = 0, printableY = 0, printableWidth = 0, printableHeight = 0;
  // (a b c d e f): an upright point (X, Y) lies at (aX + cY + e, bX + dY + f) on the unturned medium, so a
  // renderer that concatenates this draws upright.
  std::array<double, 6> uprightToMedium{1, 0, 0, 1, 0, 0};
};

}  // namespace cad

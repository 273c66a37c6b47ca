#pragma once
// What the publish engine draws a page with. A renderer writes one page of a layout, as its validated plot
// settings say, into a one-page PDF whose MediaBox is the target's; the engine then makes the plot's PDF of
// those pages. Until a renderer is installed the engine writes blank sheets of the validated medium.

#include <array>
#include <memory>
#include <string>

#include "cad/object_id.h"

namespace cad {

class Database;
class PlotSettings;

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

// The geometry of a page plotted with these validated settings; `extraMm` enlarges the medium (a fault a
// test injects).
PageTarget pageTargetFor(const PlotSettings& validated, double extraMm = 0);

class PageRenderer {
 public:
  virtual ~PageRenderer() = default;
  // False with `error` set when the page could not be written.
  virtual bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                          std::string& error) = 0;
};

// Writes the sheet blank.
class BlankPageWriter : public PageRenderer {
 public:
  bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                  std::string& error) override;
};

PageRenderer& pageRenderer();
// nullptr puts the blank page writer back.
void setPageRenderer(std::shared_ptr<PageRenderer> renderer);

}  // namespace cad

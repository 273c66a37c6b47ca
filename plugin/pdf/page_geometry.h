#pragma once
// Where a sheet's plot window lies on a plotted PDF page and where it must go on the sheet's exact paper.
// Pure values and functions without state: an impossible input gives an all-zero result, which valid() tells.

namespace quodl {

// Lower-left corner and size, y up. Millimetres on the paper for plot windows, points for placements.
struct PdfRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  // All four finite, both sides positive.
  [[nodiscard]] bool valid() const;
};

// The plotted window on the validated paper, in millimetres, in the upright orientation of the page (as it is
// viewed, after the plot rotation), origin at the paper's lower-left corner.
struct PdfPlotWindow {
  double paperWidth = 0;
  double paperHeight = 0;
  PdfRect window;

  [[nodiscard]] bool valid() const;
};

// What one page of a plotted PDF must become.
struct PdfPageTarget {
  double paperWidth = 0;  // the exact paper, mm, in the page's orientation
  double paperHeight = 0;
  double contentScalePercent = 100.0;  // share of the paper the window may fill
  // Redraw the page with its plot window placed on the paper; false keeps the page's content and size.
  bool placeWindow = false;
  PdfPlotWindow window;  // as captured from the validated settings
};

// How a page is redrawn, in points: (px, py) lands at (px·scale + translateX, py·scale + translateY), which
// maps `source` onto `target`.
struct PdfPlacement {
  PdfRect source;
  PdfRect target;
  double scale = 0;
  double translateX = 0;
  double translateY = 0;

  [[nodiscard]] bool valid() const;
};

// The largest rectangle of proportions width : height inside `area`, centred in it.
[[nodiscard]] PdfRect fitWindow(PdfRect area, double width, double height);

// The printable area of a paper as the device reports it (unturned, margins left, bottom, right, top), in the
// coordinates of the page turned upright by `rotation` quarter turns (negative counts backwards).
[[nodiscard]] PdfRect uprightPrintableArea(double paperWidth, double paperHeight, double left, double bottom,
                                           double right, double top, int rotation);

// Where a plot window of this size lands when plotted centred and scaled to fit on a medium (mm, unturned, with
// its margins) turned `rotation` quarter turns: the upright paper and the window on it.
[[nodiscard]] PdfPlotWindow centredPlotWindow(double mediaWidth, double mediaHeight, double left, double bottom,
                                              double right, double top, int rotation, double windowWidth,
                                              double windowHeight);

// The plot window scaled onto a plotted page of this upright size (mm). All zero when the page differs from
// the validated paper by more than 1 mm either way: the window on it is unknown.
[[nodiscard]] PdfRect pdfWindow(PdfPlotWindow window, double pageWidth, double pageHeight);

// A window of the plotted page centred on a new page of the given size, filling contentScalePercent (clamped
// to 1 … 100) of it in the tighter direction.
[[nodiscard]] PdfPlacement placeWindow(PdfRect source, double targetWidth, double targetHeight,
                                       double contentScalePercent);

}  // namespace quodl

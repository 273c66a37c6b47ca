#include "pdf/page_geometry.h"

#include <algorithm>
#include <cmath>

namespace quodl {

bool PdfRect::valid() const {
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height) && width > 0 &&
         height > 0;
}

bool PdfPlotWindow::valid() const { return paperWidth > 0 && paperHeight > 0 && window.valid(); }

bool PdfPlacement::valid() const { return source.valid() && target.valid() && scale > 0; }

PdfRect fitWindow(PdfRect area, double width, double height) {
  // Written so that NaN fails the tests too.
  if (!area.valid() || !(width > 0) || !(height > 0)) return {};
  const double s = std::min(area.width / width, area.height / height);
  const double w = width * s, h = height * s;
  return {area.x + (area.width - w) / 2, area.y + (area.height - h) / 2, w, h};
}

PdfRect uprightPrintableArea(double pw, double ph, double left, double bottom, double right, double top, int rotation) {
  if (!(pw > left + right) || !(ph > bottom + top) || !(std::min({left, bottom, right, top}) >= 0) ||
      std::isnan(left) || std::isnan(bottom) || std::isnan(right) || std::isnan(top)) {
    return {};
  }
  const double across = pw - left - right, along = ph - bottom - top;
  switch (((rotation % 4) + 4) % 4) {
    case 1: return {bottom, right, along, across};
    case 2: return {right, top, across, along};
    case 3: return {top, left, along, across};
    default: return {left, bottom, across, along};
  }
}

PdfPlotWindow centredPlotWindow(double mw, double mh, double left, double bottom, double right, double top,
                                int rotation, double windowWidth, double windowHeight) {
  const bool quarter = ((rotation % 4) + 4) % 4 % 2 == 1;
  return {quarter ? mh : mw, quarter ? mw : mh,
          fitWindow(uprightPrintableArea(mw, mh, left, bottom, right, top, rotation), windowWidth, windowHeight)};
}

PdfRect pdfWindow(PdfPlotWindow window, double pageWidth, double pageHeight) {
  if (!window.valid() || !(pageWidth > 0) || !(pageHeight > 0) || !(std::fabs(pageWidth - window.paperWidth) <= 1) ||
      !(std::fabs(pageHeight - window.paperHeight) <= 1)) {
    return {};
  }
  const double sx = pageWidth / window.paperWidth, sy = pageHeight / window.paperHeight;
  return {window.window.x * sx, window.window.y * sy, window.window.width * sx, window.window.height * sy};
}

PdfPlacement placeWindow(PdfRect source, double targetWidth, double targetHeight, double contentScalePercent) {
  if (!source.valid() || !(targetWidth > 0) || !(targetHeight > 0) || !std::isfinite(contentScalePercent)) {
    return {};
  }
  const double fit = std::min(targetWidth / source.width, targetHeight / source.height);
  const double s = fit * std::clamp(contentScalePercent, 1.0, 100.0) / 100;
  const double w = source.width * s, h = source.height * s;
  const double tx0 = (targetWidth - w) / 2, ty0 = (targetHeight - h) / 2;
  return {source, {tx0, ty0, w, h}, s, tx0 - source.x * s, ty0 - source.y * s};
}

}  // namespace quodl

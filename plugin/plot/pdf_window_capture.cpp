#include "plot/pdf_window_capture.h"

#include "cad/command_line.h"
#include "plot/last_result.h"
#include "plot/media_selection.h"

bool vexBatchCapturePdfWindow(VexBatchPrintPreparedPage& page, const VexBatchPrintPaperSpec& paper) {
  const cad::PlotSettings* validated = page.plotInfo == nullptr ? nullptr : page.plotInfo->validatedSettings();
  if (!vexBatchMediaMatchesPaper(validated, paper)) {
    gBatchPrintLastError = L"Validated PDF paper does not match " + paper.name + L": " + page.name;
    return false;
  }
  if (validated->plotType() != cad::PlotType::kWindow || !validated->plotCentered() || !validated->useStandardScale() ||
      validated->stdScaleType() != cad::StdScaleType::kScaleToFit) {
    gBatchPrintLastError = L"Validated centered plot window unavailable";
    return false;
  }
  double mw = 0, mh = 0, left = 0, bottom = 0, right = 0, top = 0, xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  if (validated->getPlotPaperSize(mw, mh) != cad::eOk ||
      validated->getPlotPaperMargins(left, bottom, right, top) != cad::eOk ||
      validated->getPlotWindowArea(xmin, ymin, xmax, ymax) != cad::eOk) {
    gBatchPrintLastError = L"Cannot read validated PDF media and plot window";
    return false;
  }

  const int rotation = static_cast<int>(validated->plotRotation());
  const quodl::PdfPlotWindow window =
      quodl::centredPlotWindow(mw, mh, left, bottom, right, top, rotation, xmax - xmin, ymax - ymin);
  if (!window.valid()) {
    gBatchPrintLastError = L"Invalid native PDF printable area";
    return false;
  }
  page.window = window;
  cad::acutPrintf(
      L"\nDUZOZAREDGEOMETRY page=%ls media=%.4fx%.4f rotation=%d margins=%.4f,%.4f,%.4f,%.4f "
      L"window=%.4f,%.4f,%.4f,%.4f",
      page.name.c_str(), mw, mh, rotation, left, bottom, right, top, window.window.x, window.window.y,
      window.window.width, window.window.height);
  return true;
}

#include "cad/plot/page_renderer.h"

#include <cmath>

#include "cad/plot/cairo_pdf_page.h"
#include "cad/plot/plot_settings.h"

namespace cad {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

std::shared_ptr<PageRenderer>& installed() {
  static auto* renderer = new std::shared_ptr<PageRenderer>;
  return *renderer;
}

}  // namespace

PageTarget pageTargetFor(const PlotSettings& validated, double extraMm) {
  PageTarget t;
  const double mw = validated.paperWidthMm + extraMm, mh = validated.paperHeightMm + extraMm;
  // PDF writers round the sheet to whole points (A3 is 842 × 1191, not 841.89 × 1190.55).
  t.mediaWidth = std::round(mw * kPointsPerMm);
  t.mediaHeight = std::round(mh * kPointsPerMm);
  t.quarterTurns = static_cast<int>(validated.plotRotation()) & 3;
  const bool quarter = t.quarterTurns % 2 == 1;
  t.uprightWidth = quarter ? t.mediaHeight : t.mediaWidth;
  t.uprightHeight = quarter ? t.mediaWidth : t.mediaHeight;

  // Margins of the unturned sheet as they come to lie on the upright one.
  const double l = validated.marginLeft, b = validated.marginBottom, r = validated.marginRight,
               tp = validated.marginTop;
  const double pw = mw - l - r, ph = mh - b - tp;
  double x = l, y = b, w = pw, h = ph;
  switch (t.quarterTurns) {
    case 1: x = b, y = r, w = ph, h = pw; break;
    case 2: x = r, y = tp; break;
    case 3: x = tp, y = l, w = ph, h = pw; break;
    default: break;
  }
  t.printableX = x * kPointsPerMm;
  t.printableY = y * kPointsPerMm;
  t.printableWidth = w * kPointsPerMm;
  t.printableHeight = h * kPointsPerMm;

  const double W = t.mediaWidth, H = t.mediaHeight;
  switch (t.quarterTurns) {
    case 1: t.uprightToMedium = {0, 1, -1, 0, W, 0}; break;
    case 2: t.uprightToMedium = {-1, 0, 0, -1, W, H}; break;
    case 3: t.uprightToMedium = {0, -1, 1, 0, 0, H}; break;
    default: break;
  }
  return t;
}

bool BlankPageWriter::renderPage(const Database&, ObjectId, const PlotSettings&, const PageTarget& target,
                                 std::string& error) {
  return CairoPdfPage(target, false).finish(error);
}

PageRenderer& pageRenderer() {
  static BlankPageWriter blank;
  return installed() ? *installed() : blank;
}

void setPageRenderer(std::shared_ptr<PageRenderer> renderer) { installed() = std::move(renderer); }

}  // namespace cad

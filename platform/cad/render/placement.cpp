#include "cad/render/placement.h"

#include <cmath>

#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_settings.h"

namespace cad::render {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPointsPerInch = 72.0;

}  // namespace

std::optional<double> standardScale(int type) {
  // Paper to drawing, numbered as the host numbers its standard scales: architectural ones first (a fraction of
  // an inch to the foot), then 1:1, reductions and enlargements.
  static constexpr double kScales[] = {
      0,         1.0 / 1536, 1.0 / 768, 1.0 / 384, 1.0 / 192, 1.0 / 128, 1.0 / 96, 1.0 / 64, 1.0 / 48,
      1.0 / 32,  1.0 / 24,   1.0 / 16,  1.0 / 12,  1.0 / 4,   1.0 / 2,   1,        1,        1.0 / 2,
      1.0 / 4,   1.0 / 5,    1.0 / 8,   1.0 / 10,  1.0 / 16,  1.0 / 20,  1.0 / 30, 1.0 / 40, 1.0 / 50,
      1.0 / 100, 2,          4,         8,         10,        100,       1000,     1.0 / 8,
  };
  static_assert(std::size(kScales) == kLastStdScaleType + 1);
  if (type <= 0 || type > kLastStdScaleType) return std::nullopt;
  return kScales[type];
}

std::optional<Placement> placePlot(const PlotSettings& s, const PageTarget& target, const Box2& area, bool fromOrigin) {
  Placement p;
  p.printable = {target.printableX, target.printableY, target.printableWidth, target.printableHeight};
  if (p.printable.isEmpty()) return std::nullopt;
  const double w = area.x1 - area.x0, h = area.y1 - area.y0;
  const double pointsPerPaperUnit = s.plotPaperUnits() == PlotPaperUnits::kInches ? kPointsPerInch : kPointsPerMm;
  std::optional<double> ratio;
  if (s.useStandardScale()) {
    ratio = standardScale(s.standardScaleType);
  } else if (s.customScaleNumerator > 0 && s.customScaleDenominator > 0) {
    ratio = s.customScaleNumerator / s.customScaleDenominator;
  }
  if (ratio) {
    p.pointsPerUnit = *ratio * pointsPerPaperUnit;
  } else {
    if (!(w > 0) || !(h > 0)) return std::nullopt;
    p.pointsPerUnit = std::min(p.printable.width() / w, p.printable.height() / h);
  }
  if (!(p.pointsPerUnit > 0) || !std::isfinite(p.pointsPerUnit)) return std::nullopt;
  p.paperUnitsPerUnit = p.pointsPerUnit / pointsPerPaperUnit;

  const double k = p.pointsPerUnit;
  double tx, ty;
  if (s.plotCentered()) {
    tx = p.printable.midX() - k * (area.x0 + area.x1) / 2;
    ty = p.printable.midY() - k * (area.y0 + area.y1) / 2;
  } else {
    const double ax = fromOrigin ? 0 : area.x0, ay = fromOrigin ? 0 : area.y0;
    tx = p.printable.minX() + s.plotOrigin.x * kPointsPerMm - k * ax;
    ty = p.printable.minY() + s.plotOrigin.y * kPointsPerMm - k * ay;
  }
  if (!std::isfinite(tx) || !std::isfinite(ty)) return std::nullopt;
  p.plotToSheet = {k, 0, 0, k, tx, ty};
  return p;
}

}  // namespace cad::render

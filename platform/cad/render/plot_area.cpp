#include "cad/render/plot_area.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "cad/doc_manager.h"
#include "cad/document.h"
#include "cad/plot/page_renderer.h"
#include "cad/tables.h"

namespace cad::render {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// World to display coordinates of the model tab's plan view of the document showing this drawing.
graphics::AffineTransform modelDisplay(const Database& db) {
  for (Document* doc : docManager().documents()) {
    if (doc == nullptr || doc->database() != &db) continue;
    const DocumentView& view = doc->view();
    const graphics::AffineTransform turn = graphics::AffineTransform::rotation(-view.twist);
    return graphics::AffineTransform::concat(graphics::AffineTransform::translation(-view.target.x, -view.target.y),
                                             turn);
  }
  return {};
}

std::optional<Box2> transformedBox(const Box2& b, const graphics::AffineTransform& t) {
  const graphics::Rect r = t.apply(graphics::Rect{b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0});
  Box2 out{r.minX(), r.minY(), r.maxX(), r.maxY()};
  if (!std::isfinite(out.x0) || !std::isfinite(out.y0) || !std::isfinite(out.x1) || !std::isfinite(out.y1)) {
    return std::nullopt;
  }
  return out;
}

// A header point such as $LIMMIN ("0,0" as the reader keeps it).
std::optional<Point2d> headerPoint(const Database& db, const wchar_t* name) {
  auto it = db.headerVariables.find(name);
  if (it == db.headerVariables.end()) return std::nullopt;
  double x = 0, y = 0;
  if (std::swscanf(it->second.c_str(), L"%lf,%lf", &x, &y) != 2 || !std::isfinite(x) || !std::isfinite(y)) {
    return std::nullopt;
  }
  return Point2d{x, y};
}

// The layout's sheet in paper space: its printable area's lower-left corner is paper space's origin.
std::optional<Box2> layoutSheet(const Layout& layout, const PlotSettings& validated) {
  const PlotSettings& own = layout.paperWidthMm > 0 && layout.paperHeightMm > 0 ? layout : validated;
  const PageTarget sheet = pageTargetFor(own);
  const double w = sheet.uprightWidth / kPointsPerMm, h = sheet.uprightHeight / kPointsPerMm;
  const double x = sheet.printableX / kPointsPerMm, y = sheet.printableY / kPointsPerMm;
  if (!(w > 0) || !(h > 0)) return std::nullopt;
  return Box2{-x, -y, w - x, h - y};
}

}  // namespace

std::optional<PlotArea> plotAreaFor(const Database& db, const Layout& layout, const PlotSettings& validated,
                                    const SpaceIndex& space) {
  PlotArea area;
  const bool model = layout.modelType();
  if (model) area.spaceToPlot = modelDisplay(db);
  std::optional<Box2> box;
  switch (validated.plotType()) {
    case PlotType::kWindow: {
      const Box2 window{std::min(validated.windowMin.x, validated.windowMax.x),
                        std::min(validated.windowMin.y, validated.windowMax.y),
                        std::max(validated.windowMin.x, validated.windowMax.x),
                        std::max(validated.windowMin.y, validated.windowMax.y)};
      if (window.x1 > window.x0 && window.y1 > window.y0) box = window;
      break;
    }
    case PlotType::kLimits: {
      const auto low = headerPoint(db, model ? L"$LIMMIN" : L"$PLIMMIN");
      const auto high = headerPoint(db, model ? L"$LIMMAX" : L"$PLIMMAX");
      if (low && high && high->x > low->x && high->y > low->y) {
        box = transformedBox({low->x, low->y, high->x, high->y}, area.spaceToPlot);
      } else if (!model) {
        box = layoutSheet(layout, validated);
      }
      break;
    }
    case PlotType::kLayout:
      if (!model) {
        box = layoutSheet(layout, validated);
        area.fromOrigin = true;
      }
      break;
    default: break;
  }
  if (!box) {
    // Extents, and whatever else has no area of its own.
    Box2 extents;
    if (!space.bounds(extents)) return std::nullopt;
    box = transformedBox(extents, area.spaceToPlot);
  }
  if (!box || !(box->x1 >= box->x0) || !(box->y1 >= box->y0)) return std::nullopt;
  area.box = *box;
  return area;
}

}  // namespace cad::render

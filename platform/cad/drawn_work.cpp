#include "cad/drawn_work.h"

#include <algorithm>
#include <cmath>

#include "cad/curve_entities.h"
#include "cad/entities.h"
#include "cad/plan_entities.h"

namespace cad {
namespace {

double textWork(std::size_t characters) { return static_cast<double>(std::min(characters, kMostTextCharacters)); }

// The dashes a pattern hatch draws over its boundary's box, as the renderer lays them out, and its boundary.
double hatchWork(const Hatch& hatch) {
  double points = 0, x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (const auto& loop : hatch.loops) {
    points += static_cast<double>(loop.size());
    for (const Point2d& p : loop) {
      x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
  }
  const double span = std::hypot(x1 - x0, y1 - y0);
  if (hatch.solidFill || hatch.gradient || !(span >= 0) || !std::isfinite(span)) return points;
  double dashes = 0;
  for (const Hatch::PatternLine& family : hatch.patternLines) {
    const double spacing =
        std::fabs(family.offset.y * std::cos(family.angle) - family.offset.x * std::sin(family.angle));
    if (!(spacing > 0)) return points;  // lines on top of each other are filled, not drawn
    double period = 0;
    for (double d : family.dashes) period += std::fabs(d);
    const double lines = span / spacing + 1;
    const double perLine = period > 0 ? (span / period + 1) * static_cast<double>(family.dashes.size()) : 1;
    dashes += lines * perLine;
    if (!(dashes < static_cast<double>(kMostPatternDashes))) return points + static_cast<double>(kMostPatternDashes);
  }
  return points + dashes;
}

}  // namespace

double drawnWork(const Entity& entity) {
  double work = 1;
  if (auto* text = Text::cast(&entity)) {
    work += textWork(text->contents.size());
  } else if (auto* mtext = MText::cast(&entity)) {
    work += textWork(mtext->contents.size());
  } else if (auto* pline = Polyline::cast(&entity)) {
    work += static_cast<double>(pline->vertices.size());
  } else if (auto* legacy = Polyline2d::cast(&entity)) {
    work += static_cast<double>(legacy->vertexIds.size());
  } else if (auto* pline3d = Polyline3d::cast(&entity)) {
    work += static_cast<double>(pline3d->points.size());
  } else if (auto* spline = Spline::cast(&entity)) {
    work += kSplineSamplesPerSpan * static_cast<double>(spline->controlPoints.size() + spline->fitPoints.size());
  } else if (auto* hatch = Hatch::cast(&entity)) {
    work += hatchWork(*hatch);
  } else if (auto* wire = WireEntity::cast(&entity)) {
    for (const auto& path : wire->paths) work += static_cast<double>(path.points.size());
    if (auto* leader = MLeader::cast(wire); leader != nullptr && leader->text)
      work += textWork(leader->text->contents.size());
  } else if (auto* wipeout = Wipeout::cast(&entity)) {
    work += static_cast<double>(wipeout->boundary.size());
  } else if (auto* reference = BlockReference::cast(&entity)) {
    const ObjectStore* store = reference->objectStore();
    for (ObjectId id : reference->attributes) {
      if (auto* attribute = store != nullptr ? Entity::cast(store->objectAt(id)) : nullptr)
        work += drawnWork(*attribute);
    }
  }
  return work;
}

}  // namespace cad

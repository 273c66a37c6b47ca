#include "recognition/layout/layout_entity_walk.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "cad/database.h"
#include "recognition/entity_extents.h"
#include "recognition/layout/candidate_trace.h"
#include "recognition/layout/layout_geometry.h"
#include "recognition/layout/layout_rectangles.h"
#include "recognition/paper.h"
#include "recognition/predicates.h"
#include "recognition/recognition_state.h"

bool VexBatchLayoutScanContext::lookUpLayer(const cad::Entity& entity) {
  auto found = layerPlottable_.find(entity.layerId());
  if (found == layerPlottable_.end()) {
    found = layerPlottable_.emplace(entity.layerId(), vexBatchEntityLayerIsPlottable(&entity)).first;
  }
  lastLayer_ = found->first;
  lastLayerPlottable_ = found->second;
  return found->second;
}

bool VexBatchLayoutScanContext::layerIsAllowed(const cad::Entity& entity) {
  return gBatchIncludeNonPlottableLayers || layerIsPlottable(entity);
}

bool VexBatchLayoutScanContext::automaticBlockFrame(const cad::BlockReference& reference) {
  auto& byDynamic = blockFrame_[reference.blockTableRecord()];
  auto found = byDynamic.find(reference.dynamicBlockTableRecord());
  if (found != byDynamic.end()) return found->second;
  // The preferred-name test is applied to the block's name, not its layer.
  bool frame = vexBatchFrameLayerPreferred(definitions.referenceName(reference)) ||
               definitions.facts(reference.blockTableRecord()).frameSignature;
  return byDynamic.emplace(reference.dynamicBlockTableRecord(), frame).first->second;
}

namespace {

class EntityWalk {
 public:
  EntityWalk(VexBatchLayoutCandidates& layout, VexBatchLayoutScanContext& context)
      : layout_(layout), context_(context), diagnostics_(context.diagnostics) {}

  void visit(cad::Entity& entity) {
    // The run-time class name, for the trace and for candidates only.
    const auto typeName = [&entity] {
      const cad::RxClass* rx = entity.isA();
      return rx != nullptr && rx->name() != nullptr ? rx->name() : L"unknown";
    };
    cad::Extents3d extents;
    const bool hasExtents = vexBatchFiniteExtents(entity, extents);
    const VexBatchBox box{extents.minPoint.x, extents.minPoint.y, extents.maxPoint.x, extents.maxPoint.y};
    const double w = vexBatchWidth(box), h = vexBatchHeight(box);
    const double lo = std::min(w, h), hi = std::max(w, h);

    if (hasExtents && lo >= 80 && hi <= 2500 && hi / lo <= 6) {
      context_.trace.push_back(vexBatchEntityTraceLine(typeName(), box, context_.layerIsPlottable(entity)));
    }

    const VexBatchEntityKind kind = context_.kinds.of(entity);
    auto* viewport = kind == VexBatchEntityKind::Viewport ? static_cast<cad::Viewport*>(&entity) : nullptr;
    // Anything but the layout's own paper-space viewport is something to print.
    if (viewport == nullptr || viewport->number() > 1) layout_.base.wholeLayout = true;

    bool rectangle = false;
    if (kind == VexBatchEntityKind::Polyline) {
      bool closedByGeometry = false;
      rectangle = vexBatchIsPaperRectanglePolyline(static_cast<cad::Polyline*>(&entity), &closedByGeometry);
      if (rectangle && closedByGeometry) ++diagnostics_.geometryClosedRectangles;
    } else if (kind == VexBatchEntityKind::LegacyPolyline) {
      rectangle = vexBatchIsLegacyRectangle(&entity);
      if (rectangle) ++diagnostics_.legacyCurveRectangles;
    }

    auto* reference = kind == VexBatchEntityKind::BlockReference ? static_cast<cad::BlockReference*>(&entity) : nullptr;
    bool blockFrame = false;
    if (reference != nullptr) {
      blockFrame = context_.pickedMode ? vexBatchEntityMatchesFrameRecognition(reference)
                                       : context_.automaticBlockFrame(*reference);
    }

    if ((rectangle || blockFrame) && hasExtents) {
      static const std::wstring kNoBlock;
      const std::wstring& blockName = reference != nullptr ? context_.definitions.referenceName(*reference) : kNoBlock;
      if (!addFrameCandidate(entity, box, typeName(), blockName, rectangle, reference != nullptr)) return;
    }

    if (viewport != nullptr) {
      addTile(*viewport);
    } else if (kind == VexBatchEntityKind::Line) {
      addBorderLine(static_cast<cad::Line&>(entity));
    }

    if (viewport == nullptr && hasExtents && context_.layerIsAllowed(entity)) {
      // Filled where it lies: a temporary copied in would cost a stalled load for every entity.
      PaperEntityEvidence& item = layout_.evidence.emplace_back();
      item.entityId = entity.objectId();
      item.box = box;
      item.centerX = vexBatchCenterX(box);
      item.centerY = vexBatchCenterY(box);
    }
  }

 private:
  // A rectangle or block frame with extents. False when the entity is done with (rejected, or a picked frame of
  // no ISO size, which is neither a tile, a line nor content).
  bool addFrameCandidate(cad::Entity& entity, const VexBatchBox& box, const wchar_t* type,
                         const std::wstring& blockName, bool rectangle, bool isReference) {
    const double w = vexBatchWidth(box), h = vexBatchHeight(box);
    const bool picked = context_.pickedMode;
    VexBatchPrintPaperSpec paper;
    if (vexBatchRecognizeIsoPaperFrame(w, h, paper)) {
      ++diagnostics_.rawCandidates;
      // A block frame found by its own rules in automatic mode is not filtered by layer.
      bool rejected = (picked && !vexBatchEntityMatchesFrameRecognition(&entity)) ||
                      ((rectangle || picked) && !context_.layerIsAllowed(entity));
      if (rejected) {
        ++diagnostics_.filteredOut;
        return false;
      }
      layout_.frames.push_back(
          {box, vexBatchEntityLayer(&entity), blockName, std::move(paper), isReference, entity.objectId()});
      return true;
    }
    if (!picked) {
      layout_.rectangles.push_back({box, context_.layerIsPlottable(entity), isReference, type,
                                    vexBatchEntityLayer(&entity), blockName, entity.objectId()});
      return true;
    }
    if (!vexBatchEntityMatchesFrameRecognition(&entity)) {
      ++diagnostics_.filteredOut;
      return false;
    }
    ++diagnostics_.rawCandidates;
    const double lo = std::min(w, h), hi = std::max(w, h);
    if (!context_.layerIsAllowed(entity) || lo < 80 || hi > 5000 || hi / lo > 6) {
      ++diagnostics_.filteredOut;
      return false;
    }
    layout_.frames.push_back({box, vexBatchEntityLayer(&entity), blockName,
                              vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, w, h), isReference,
                              entity.objectId()});
    return false;
  }

  void addTile(const cad::Viewport& viewport) {
    if (viewport.number() < 2) return;
    const double w = viewport.width(), h = viewport.height();
    const cad::Point3d c = viewport.centerPoint();
    if (!(w > 1e-6) || !(h > 1e-6) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(c.x) ||
        !std::isfinite(c.y)) {
      return;
    }
    ViewportTile tile;
    tile.centerX = c.x;
    tile.centerY = c.y;
    tile.width = w;
    tile.height = h;
    tile.isOn = viewport.isOn();
    tile.paper = vexBatchIsoOrAutomaticPaper(w, h);
    layout_.tiles.push_back(std::move(tile));
    ++diagnostics_.viewports;
  }

  void addBorderLine(const cad::Line& line) {
    const cad::Point3d a = line.startPoint(), b = line.endPoint();
    const double sx = std::fabs(b.x - a.x), sy = std::fabs(b.y - a.y), sz = std::fabs(b.z - a.z);
    // Most lines lie exactly along an axis: as long as their one side, and within any tolerance of it. The tests
    // below come to the length alone for them.
    if (sz == 0 && (sy == 0 || sx == 0)) {
      const bool horizontal = sy == 0;
      const double length = horizontal ? sx : sy;
      if (length >= 10 && length <= kVexBatchSheetSideLimit) keepBorderLine(line, a, b, horizontal);
      return;
    }
    {
      // Most lines fail a test below whatever their exact length: too short, too long or slanted by the sum of
      // their sides, which is never less than the length. Those are let go before the costly exact length.
      constexpr double kMargin = 1 + 1e-9;
      const double sum = sx + sy + sz;
      const double largestTolerance = std::max(1e-5 * sum * kMargin, 1e-4);
      if (sum * kMargin < 10 || std::max({sx, sy, sz}) > kVexBatchSheetSideLimit * kMargin ||
          (sx > largestTolerance && sy > largestTolerance)) {
        return;
      }
    }
    const double length = a.distanceTo(b);
    if (!(length >= 10 && length <= kVexBatchSheetSideLimit)) return;
    const double tol = std::max(1e-5 * length, 1e-4);
    if (sx > tol && sy > tol) return;
    keepBorderLine(line, a, b, sy <= tol);
  }

  void keepBorderLine(const cad::Line& line, const cad::Point3d& a, const cad::Point3d& b, bool horizontal) {
    AxisAlignedBorderLine border;
    border.horizontal = horizontal;
    border.position = horizontal ? (a.y + b.y) / 2 : (a.x + b.x) / 2;
    border.from = horizontal ? std::min(a.x, b.x) : std::min(a.y, b.y);
    border.to = horizontal ? std::max(a.x, b.x) : std::max(a.y, b.y);
    border.plottable = context_.layerIsPlottable(line);
    layout_.borderLines.push_back(border);
  }

  VexBatchLayoutCandidates& layout_;
  VexBatchLayoutScanContext& context_;
  VexBatchScanDiagnostics& diagnostics_;
};

// The bucket of a line end: the nearest multiple of 0.5, halves away from zero. False for an end so far out
// that its bucket number does not fit.
bool bucketOf(double value, long long& bucket) {
  double scaled = value / 0.5;
  if (!(std::fabs(scaled) < 9.0e18)) return false;
  // llround's rounding without the library call or a branch (line ends fall anywhere): the fraction
  // x - trunc(x) is exact, and a half or more moves one away from zero.
  const double whole = std::trunc(scaled);
  const double away = std::copysign(static_cast<double>(std::fabs(scaled - whole) >= 0.5), scaled);
  bucket = static_cast<long long>(whole + away);
  return true;
}

}  // namespace

void vexBatchWalkLayoutEntities(cad::ObjectId paperSpaceId, VexBatchLayoutCandidates& layout,
                                VexBatchLayoutScanContext& context) {
  cad::BlockTableRecord* space = nullptr;
  if (cad::acdbOpenObject(space, paperSpaceId, cad::kForRead) != cad::eOk) return;
  std::unique_ptr<cad::BlockTableRecordIterator> it;
  if (space->newIterator(it) == cad::eOk && it) {
    EntityWalk walk(layout, context);
    for (it->start(); !it->done(); it->step()) {
      cad::Entity* entity = nullptr;
      if (it->getEntity(entity, cad::kForRead) != cad::eOk || entity == nullptr) continue;
      walk.visit(*entity);
      entity->close();
    }
  }
  space->close();
}

void vexBatchAddFourLineRectangles(VexBatchLayoutCandidates& layout, bool pickedMode) {
  if (pickedMode) return;
  const std::vector<AxisAlignedBorderLine>& lines = layout.borderLines;

  struct Keyed {
    long long fromKey, toKey;
    std::size_t index;
  };
  std::vector<std::size_t> verticals;  // ordered by `from`, for the lookup of lines that meet a pair's ends
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].horizontal) verticals.push_back(i);
  }
  // Drawn content is mostly short horizontal strokes (text underlines, hatching, dimension lines): without two
  // verticals to join them, they are not keyed at all.
  if (verticals.size() < 2) return;
  std::vector<Keyed> horizontals;
  horizontals.reserve(lines.size() - verticals.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].horizontal) continue;
    Keyed k{0, 0, i};
    if (bucketOf(lines[i].from, k.fromKey) && bucketOf(lines[i].to, k.toKey)) horizontals.push_back(k);
  }
  if (horizontals.size() < 2) return;
  // Ties keep the drawing's order, as a stable sort would keep them, without its buffer.
  std::sort(horizontals.begin(), horizontals.end(), [](const Keyed& a, const Keyed& b) {
    if (a.fromKey != b.fromKey) return a.fromKey < b.fromKey;
    return a.toKey != b.toKey ? a.toKey < b.toKey : a.index < b.index;
  });
  std::sort(verticals.begin(), verticals.end(), [&](std::size_t a, std::size_t b) {
    return lines[a].from != lines[b].from ? lines[a].from < lines[b].from : a < b;
  });

  std::vector<std::size_t> meeting;
  for (std::size_t start = 0; start < horizontals.size();) {
    std::size_t end = start + 1;
    while (end < horizontals.size() && horizontals[end].fromKey == horizontals[start].fromKey &&
           horizontals[end].toKey == horizontals[start].toKey) {
      ++end;
    }
    for (std::size_t i = start; i < end; ++i) {
      for (std::size_t j = i + 1; j < end; ++j) {
        const AxisAlignedBorderLine& first = lines[horizontals[i].index];
        const AxisAlignedBorderLine& second = lines[horizontals[j].index];
        const double left = first.from, right = first.to;
        const double bottom = std::min(first.position, second.position);
        const double top = std::max(first.position, second.position);
        const double w = right - left, h = top - bottom;
        if (!vexBatchSidesWithinSheetLimit(w, h)) continue;
        const double tol = std::max(0.001 * std::min(w, h), 0.5);

        // The vertical lines from the bottom to the top, in the order they were drawn.
        auto low = std::lower_bound(verticals.begin(), verticals.end(), bottom - tol,
                                    [&](std::size_t v, double value) { return lines[v].from < value; });
        meeting.clear();
        for (auto v = low; v != verticals.end() && lines[*v].from <= bottom + tol; ++v) {
          if (std::fabs(lines[*v].to - top) <= tol) meeting.push_back(*v);
        }
        std::sort(meeting.begin(), meeting.end());
        const AxisAlignedBorderLine* leftLine = nullptr;
        const AxisAlignedBorderLine* rightLine = nullptr;
        for (std::size_t v : meeting) {
          if (std::fabs(lines[v].position - left) <= tol) {
            leftLine = &lines[v];
          } else if (std::fabs(lines[v].position - right) <= tol) {
            rightLine = &lines[v];
          }
          if (leftLine != nullptr && rightLine != nullptr) break;
        }
        if (leftLine == nullptr || rightLine == nullptr) continue;
        EnclosingRectangle rectangle;
        rectangle.box = {left, bottom, right, top};
        rectangle.plottable = first.plottable && second.plottable && leftLine->plottable && rightLine->plottable;
        rectangle.source = L"four-lines";
        layout.rectangles.push_back(std::move(rectangle));
      }
    }
    start = end;
  }
}

void vexBatchTraceEnclosingRectangles(const VexBatchLayoutCandidates& layout, std::vector<std::wstring>& trace) {
  for (const EnclosingRectangle& rectangle : layout.rectangles) {
    const VexBatchBox box = rectangle.box;
    const double w = vexBatchWidth(box), h = vexBatchHeight(box);
    if (!(w >= 80 && w <= 2500 && h >= 80 && h <= 2500)) continue;
    // Tiles and content are counted inside the rectangle grown by its edge tolerance, as the promotions
    // count them.
    const double tol = vexBatchEdgeTolerance(box);
    std::uint64_t tiles = 0, evidence = 0;
    for (const ViewportTile& tile : layout.tiles) {
      if (vexBatchInsideGrown(vexBatchBoxOf(tile), box, tol)) ++tiles;
    }
    const VexBatchBox grown = vexBatchGrown(box, tol);
    for (const PaperEntityEvidence& item : layout.evidence) {
      if (vexBatchContainsPoint(grown, item.centerX, item.centerY)) ++evidence;
    }
    trace.push_back(vexBatchCandidateTraceLine(rectangle, tiles, evidence));
  }
}

#include "recognition/layout/layout_promotion.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "recognition/layout/layout_geometry.h"
#include "recognition/paper.h"
#include "recognition/recognition_state.h"

namespace {

bool countsAsPlottable(const EnclosingRectangle& e) { return gBatchIncludeNonPlottableLayers || e.plottable; }

bool polylineShaped(const EnclosingRectangle& e) {
  return e.source.find(L"Polyline") != std::wstring::npos || e.source == L"four-lines";
}

void addFrameFrom(const EnclosingRectangle& e, std::vector<PaperFrame>& frames) {
  frames.push_back({e.box, e.layer, e.blockName,
                    vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, vexBatchWidth(e.box), vexBatchHeight(e.box)),
                    e.fromBlockReference, e.entityId});
}

bool insideSomeFrame(const VexBatchBox& box, const std::vector<PaperFrame>& frames) {
  return std::any_of(frames.begin(), frames.end(), [&](const PaperFrame& f) {
    return vexBatchInsideGrown(box, f.box, vexBatchFrameTolerance(f.paper));
  });
}

std::uint64_t evidenceCentresIn(const VexBatchBox& box, double grow, const std::vector<PaperEntityEvidence>& evidence) {
  const VexBatchBox grown = vexBatchGrown(box, grow);
  return static_cast<std::uint64_t>(std::count_if(evidence.begin(), evidence.end(), [&](const PaperEntityEvidence& e) {
    return vexBatchContainsPoint(grown, e.centerX, e.centerY);
  }));
}

bool anyTileInside(const VexBatchBox& box, double t, const std::vector<ViewportTile>& tiles) {
  return std::any_of(tiles.begin(), tiles.end(),
                     [&](const ViewportTile& tile) { return vexBatchInsideGrown(vexBatchBoxOf(tile), box, t); });
}

// Step 1: a rectangle around 2 to 12 viewports that it does not dwarf.
void promoteEnclosures(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  for (const EnclosingRectangle& e : layout.rectangles) {
    const VexBatchBox box = e.box;
    const double w = vexBatchWidth(box), h = vexBatchHeight(box);
    if (!vexBatchSidesWithinSheetLimit(w, h)) continue;
    const double t = vexBatchEdgeTolerance(box);
    std::size_t inside = 0;
    VexBatchBox united;
    for (const ViewportTile& tile : layout.tiles) {
      const VexBatchBox tileBox = vexBatchBoxOf(tile);
      if (!vexBatchInsideGrown(tileBox, box, t)) continue;
      if (inside++ == 0) {
        united = tileBox;
      } else {
        united = {std::min(united.minX, tileBox.minX), std::min(united.minY, tileBox.minY),
                  std::max(united.maxX, tileBox.maxX), std::max(united.maxY, tileBox.maxY)};
      }
    }
    if (inside < 2 || inside > 12) continue;
    const double unitedArea = vexBatchArea(united);
    if (!(unitedArea > 1.0) || !(vexBatchArea(box) <= 3.5 * unitedArea)) continue;
    ++diagnostics.enclosingCandidates;
    ++diagnostics.rawCandidates;
    if (!countsAsPlottable(e)) {
      ++diagnostics.filteredOut;
      continue;
    }
    addFrameFrom(e, layout.frames);
    ++diagnostics.promotedEnclosures;
  }
}

// Step 2: for each viewport not yet in a frame, the largest rectangle that holds it with room to spare (or
// fits it closely around real content, or overlaps it strongly) and touches no other viewport.
void promoteSingleViewportFrames(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  for (const ViewportTile& tile : layout.tiles) {
    const VexBatchBox tileBox = vexBatchBoxOf(tile);
    if (insideSomeFrame(tileBox, layout.frames)) continue;
    const double tileArea = vexBatchArea(tileBox);
    if (!(tileArea > 1)) continue;
    const EnclosingRectangle* best = nullptr;
    double bestArea = 0;
    for (const EnclosingRectangle& e : layout.rectangles) {
      if (!countsAsPlottable(e)) continue;
      const VexBatchBox box = e.box;
      const double w = vexBatchWidth(box), h = vexBatchHeight(box);
      if (!vexBatchSidesWithinSheetLimit(w, h)) continue;
      const double lo = std::min(w, h), hi = std::max(w, h);
      const double t = vexBatchEdgeTolerance(box);
      const double area = vexBatchArea(box);
      const double overlap = vexBatchOverlapArea(box, tileBox);
      const bool inside = vexBatchInsideGrown(tileBox, box, t);
      const bool overlapCase = !inside && polylineShaped(e) && lo >= 80 && hi <= 5000 && hi / lo <= 6 &&
                               0.12 * tileArea <= area && area <= 3.5 * tileArea && overlap >= 0.12 * area &&
                               overlap >= 0.12 * tileArea;
      if (!inside && !overlapCase) continue;
      const auto touching = std::count_if(layout.tiles.begin(), layout.tiles.end(), [&](const ViewportTile& other) {
        return vexBatchOverlapArea(box, vexBatchBoxOf(other)) > 1.0;
      });
      if (touching != 1) continue;
      const double ratio = area / tileArea;
      bool nearFit = false;
      if (ratio >= 0.995 && ratio < 1.15 && lo >= 250 && e.source == L"AcDbPolyline") {
        nearFit = evidenceCentresIn(box, t, layout.evidence) > 5;
      }
      if (!overlapCase && !((nearFit || ratio >= 1.15) && ratio <= 3.5)) continue;
      ++diagnostics.singleViewportCandidates;
      if (best == nullptr || area > bestArea) {
        best = &e;
        bestArea = area;
      }
    }
    if (best == nullptr) continue;
    addFrameFrom(*best, layout.frames);
    ++diagnostics.rawCandidates;
    ++diagnostics.promotedSingleViewportFrames;
  }
}

struct ContentOnlyFrameCandidate {
  const EnclosingRectangle* rectangle = nullptr;
  std::uint64_t evidenceCount = 0;
  double area = 0;
};

struct PlainRectangleCandidate {
  const EnclosingRectangle* rectangle = nullptr;
  double area = 0;
  std::uint64_t enclosedCount = 0;
};

// Step 3: rectangles holding enough content and no viewport or frame, on a layout without viewports or with
// several framed ones.
void promoteContentOnlyFrames(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  std::vector<ContentOnlyFrameCandidate> candidates;
  for (const EnclosingRectangle& e : layout.rectangles) {
    if (!countsAsPlottable(e) || (layout.tiles.empty() && e.fromBlockReference)) continue;
    const VexBatchBox box = e.box;
    const double lo = vexBatchShortSide(box), hi = vexBatchLongSide(box);
    if (!(lo >= 80 && hi <= kVexBatchSheetSideLimit && hi / lo <= 4)) continue;
    const double t = vexBatchEdgeTolerance(box);
    if (anyTileInside(box, t, layout.tiles)) continue;
    const double area = vexBatchArea(box);
    const bool holdsFrame = std::any_of(layout.frames.begin(), layout.frames.end(), [&](const PaperFrame& f) {
      const VexBatchBox frameBox = f.box;
      return vexBatchInsideGrown(frameBox, box, t) || (area > 1 && vexBatchOverlapArea(box, frameBox) / area > 0.08);
    });
    if (holdsFrame) continue;
    const std::uint64_t m = evidenceCentresIn(box, t, layout.evidence);
    if (m >= (lo < 250 ? 8u : 6u)) {
      candidates.push_back({&e, m, area});
      ++diagnostics.contentOnlyCandidates;
    }
  }
  for (const ContentOnlyFrameCandidate& p : candidates) {
    const VexBatchBox box = p.rectangle->box;
    const bool held = std::any_of(candidates.begin(), candidates.end(), [&](const ContentOnlyFrameCandidate& q) {
      return &q != &p && q.area > 1.02 * p.area && vexBatchInsideGrown(box, q.rectangle->box, 1.0);
    });
    if (held) continue;
    addFrameFrom(*p.rectangle, layout.frames);
    ++diagnostics.rawCandidates;
    ++diagnostics.promotedContentOnlyFrames;
  }
}

bool comparable(const PlainRectangleCandidate& p, const VexBatchBox& box) {
  if (vexBatchOverlapArea(p.rectangle->box, box) > 0.02 * p.area) return false;
  const double a = std::max(vexBatchArea(box), 1.0);
  return std::max(p.area, a) / std::min(p.area, a) <= 6.5;
}

// Step 4: blank plain rectangles, each promoted only beside a comparable peer, so that a lone box drawn on
// the paper never becomes a sheet.
void promotePlainRectangles(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  std::vector<PlainRectangleCandidate> candidates;
  for (const EnclosingRectangle& e : layout.rectangles) {
    if (!countsAsPlottable(e) || e.fromBlockReference || !polylineShaped(e)) continue;
    const VexBatchBox box = e.box;
    const double lo = vexBatchShortSide(box), hi = vexBatchLongSide(box);
    if (!(lo >= 80 && hi <= 5000 && hi / lo <= 6)) continue;
    const double t = vexBatchEdgeTolerance(box);
    if (anyTileInside(box, t, layout.tiles)) continue;
    const double area = vexBatchArea(box);
    const bool nearFrame = std::any_of(layout.frames.begin(), layout.frames.end(), [&](const PaperFrame& f) {
      const VexBatchBox frameBox = f.box;
      return vexBatchOverlapArea(box, frameBox) / std::max(area, 1.0) > 0.08 || vexBatchInsideGrown(frameBox, box, t);
    });
    if (nearFrame) continue;
    candidates.push_back({&e, area, 0});
  }
  for (PlainRectangleCandidate& p : candidates) {
    const VexBatchBox box = p.rectangle->box;
    p.enclosedCount = static_cast<std::uint64_t>(
        std::count_if(candidates.begin(), candidates.end(), [&](const PlainRectangleCandidate& q) {
          return &q != &p && q.area < 0.98 * p.area && vexBatchInsideGrown(q.rectangle->box, box, 1.0);
        }));
  }
  for (const PlainRectangleCandidate& p : candidates) {
    if (p.enclosedCount >= 2) continue;
    const VexBatchBox box = p.rectangle->box;
    auto open = [&](const PlainRectangleCandidate& q) { return &q != &p && q.enclosedCount < 2; };
    const bool held = std::any_of(candidates.begin(), candidates.end(), [&](const PlainRectangleCandidate& q) {
      return open(q) && q.area > 1.02 * p.area && vexBatchInsideGrown(box, q.rectangle->box, 1.0);
    });
    if (held) continue;
    const bool peer = std::any_of(candidates.begin(), candidates.end(), [&](const PlainRectangleCandidate& q) {
      return open(q) && comparable(p, q.rectangle->box);
    });
    const bool besideFrame = !peer && std::any_of(layout.frames.begin(), layout.frames.end(),
                                                  [&](const PaperFrame& f) { return comparable(p, f.box); });
    if (!peer && !besideFrame) continue;
    addFrameFrom(*p.rectangle, layout.frames);
    ++diagnostics.rawCandidates;
  }
}

}  // namespace

void vexBatchPromoteLayoutRectangles(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  promoteEnclosures(layout, diagnostics);
  promoteSingleViewportFrames(layout, diagnostics);

  std::size_t tilesInFrames =
      static_cast<std::size_t>(std::count_if(layout.tiles.begin(), layout.tiles.end(), [&](const ViewportTile& tile) {
        return insideSomeFrame(vexBatchBoxOf(tile), layout.frames);
      }));
  const bool several = tilesInFrames > 1 && layout.frames.size() > 1;
  const bool noTiles = layout.tiles.empty();
  if (!several && !noTiles) return;
  promoteContentOnlyFrames(layout, diagnostics);
  if (!gBatchExcludeBlankRectangles) promotePlainRectangles(layout, diagnostics);
}

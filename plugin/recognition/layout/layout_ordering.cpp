#include "recognition/layout/layout_ordering.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "recognition/layout/layout_geometry.h"
#include "recognition/paper.h"
#include "recognition/reading_order.h"
#include "recognition/recognition_state.h"

namespace {

int priority(const PaperFrame& f) { return f.fromBlockReference ? 2 : 1; }

double fitError(const PaperFrame& f) {
  const VexBatchBox box = f.box;
  return std::fabs(vexBatchShortSide(box) - f.paper.shortSide) + std::fabs(vexBatchLongSide(box) - f.paper.longSide);
}

// Step 1: a frame stays when a viewport or a drawn item reaches into it; an item that covers the whole frame
// (a background hatch, a larger border) is not content.
void removeBlankFrames(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  if (!gBatchExcludeBlankRectangles) return;
  std::vector<PaperFrame> kept;
  kept.reserve(layout.frames.size());
  for (PaperFrame& f : layout.frames) {
    if (f.fromBlockReference) {
      kept.push_back(std::move(f));
      continue;
    }
    const VexBatchBox box = f.box;
    const double t = vexBatchEdgeTolerance(box);
    const VexBatchBox inner = vexBatchShrunk(box, t);
    bool content = std::any_of(layout.tiles.begin(), layout.tiles.end(), [&](const ViewportTile& tile) {
      return vexBatchOverlapsStrictly(vexBatchBoxOf(tile), inner);
    });
    for (auto item = layout.evidence.begin(); !content && item != layout.evidence.end(); ++item) {
      if (!f.entityId.isNull() && item->entityId == f.entityId) continue;
      content = vexBatchIsContentOf(item->box, box, t);
    }
    if (content) {
      kept.push_back(std::move(f));
    } else {
      diagnostics.excludedBlankFrames.emplace_back(layout.base.layoutName, f.box.minX, f.box.minY, f.box.maxX,
                                                   f.box.maxY);
      ++diagnostics.filteredOut;
    }
  }
  layout.frames = std::move(kept);
}

// Step 2: of two frames of one paper at about the same place and size, the block frame stays, else the one
// closer to its paper.
void removeDuplicates(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  std::vector<PaperFrame> kept;
  kept.reserve(layout.frames.size());
  for (PaperFrame& f : layout.frames) {
    const VexBatchBox box = f.box;
    auto same = std::find_if(kept.begin(), kept.end(), [&](const PaperFrame& k) {
      const VexBatchBox keptBox = k.box;
      const double centreSlack = std::max(0.03 * k.paper.shortSide, 2.0);
      const double sizeSlack = std::max(0.04 * k.paper.shortSide, 2.0);
      return k.paper.name == f.paper.name &&
             std::fabs(vexBatchCenterX(keptBox) - vexBatchCenterX(box)) <= centreSlack &&
             std::fabs(vexBatchCenterY(keptBox) - vexBatchCenterY(box)) <= centreSlack &&
             std::fabs(vexBatchWidth(keptBox) - vexBatchWidth(box)) <= sizeSlack &&
             std::fabs(vexBatchHeight(keptBox) - vexBatchHeight(box)) <= sizeSlack;
    });
    if (same == kept.end()) {
      kept.push_back(std::move(f));
      continue;
    }
    const bool better = (f.fromBlockReference && !same->fromBlockReference) ||
                        (priority(f) == priority(*same) && fitError(f) < fitError(*same));
    if (better) *same = std::move(f);
  }
  diagnostics.duplicates += layout.frames.size() - kept.size();
  layout.frames = std::move(kept);
}

// Step 3: an outer frame around a smaller one of higher priority goes (a polyline border around a title
// block); else a frame inside a larger one of no lower priority goes.
void removeNested(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  const std::vector<PaperFrame>& all = layout.frames;
  std::vector<bool> dropped(all.size(), false);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const VexBatchBox f = all[i].box;
    const double areaF = vexBatchArea(f);
    if (!(areaF > 1.0)) {
      dropped[i] = true;
      continue;
    }
    bool outer = false;
    for (std::size_t j = 0; j < all.size() && !outer; ++j) {
      if (j == i || priority(all[j]) <= priority(all[i])) continue;
      const VexBatchBox inner = all[j].box;
      outer = vexBatchArea(inner) < 0.98 * areaF && vexBatchInsideGrown(inner, f, vexBatchEdgeTolerance(inner));
    }
    if (outer) {
      dropped[i] = true;
      ++diagnostics.lowerPriorityOuterExcluded;
      continue;
    }
    const double slack = vexBatchEdgeTolerance(f);
    for (std::size_t j = 0; j < all.size() && !dropped[i]; ++j) {
      if (j == i || priority(all[j]) < priority(all[i])) continue;
      const VexBatchBox holder = all[j].box;
      dropped[i] = vexBatchArea(holder) > 1.02 * areaF && vexBatchInsideGrown(f, holder, slack);
    }
    if (dropped[i]) ++diagnostics.nestedChildExcluded;
  }
  std::vector<PaperFrame> kept;
  kept.reserve(all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (!dropped[i]) kept.push_back(std::move(layout.frames[i]));
  }
  diagnostics.filteredOut += layout.frames.size() - kept.size();
  layout.frames = std::move(kept);
}

// Step 4.
void sortInReadingOrder(VexBatchLayoutCandidates& layout) {
  std::vector<double> centerY, leftX, shortSide;
  for (const PaperFrame& f : layout.frames) {
    centerY.push_back(vexBatchCenterY(f.box));
    leftX.push_back(f.box.minX);
    shortSide.push_back(f.paper.shortSide);
  }
  std::vector<std::size_t> order = vexBatchLayoutReadingOrder(centerY, leftX, shortSide);
  std::vector<PaperFrame> sorted;
  sorted.reserve(order.size());
  for (std::size_t index : order) sorted.push_back(std::move(layout.frames[index]));
  layout.frames = std::move(sorted);
}

// Step 5: each viewport goes to the frame that holds it with the least area to spare and the closest centre;
// the first such frame in reading order wins a tie.
void matchViewports(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  for (ViewportTile& tile : layout.tiles) {
    tile.matched = false;
    tile.matchedBox = {};
    tile.matchedLayer.clear();
    const VexBatchBox tileBox = vexBatchBoxOf(tile);
    const double tileArea = vexBatchArea(tileBox);
    double bestScore = 0;
    for (const PaperFrame& f : layout.frames) {
      const VexBatchBox box = f.box;
      if (!vexBatchInsideGrown(tileBox, box, vexBatchFrameTolerance(f.paper))) continue;
      const double score = std::max(0.0, vexBatchArea(box) - tileArea) +
                           std::fabs(vexBatchCenterX(box) - tile.centerX) +
                           std::fabs(vexBatchCenterY(box) - tile.centerY);
      if (tile.matched && !(score < bestScore)) continue;
      tile.matched = true;
      bestScore = score;
      tile.matchedBox = f.box;
      tile.matchedLayer = f.layer;
      tile.paper = f.paper;
    }
    if (tile.matched) ++diagnostics.matched;
  }
}

bool allWithin(const VexBatchBox& a, const VexBatchBox& b, double t) {
  return std::fabs(a.minX - b.minX) <= t && std::fabs(a.minY - b.minY) <= t && std::fabs(a.maxX - b.maxX) <= t &&
         std::fabs(a.maxY - b.maxY) <= t;
}

// Step 6: counts the ISO frames that stand on content alone, away from every viewport region, as
// content-only frames.
void tallyContentRegions(const VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  std::vector<VexBatchBox> regions;
  for (const ViewportTile& tile : layout.tiles) {
    if (!tile.matched) continue;
    const VexBatchBox& box = tile.matchedBox;
    const double t = vexBatchFrameTolerance(tile.paper);
    const bool known =
        std::any_of(regions.begin(), regions.end(), [&](const VexBatchBox& r) { return allWithin(r, box, t); });
    if (!known) regions.push_back(box);
  }

  std::vector<VexBatchBox> taken;
  for (const PaperFrame& f : layout.frames) {
    if (f.fromBlockReference) continue;
    const VexBatchBox box = f.box;
    VexBatchPrintPaperSpec iso;
    if (!vexBatchRecognizeIsoPaperFrame(vexBatchWidth(box), vexBatchHeight(box), iso)) continue;
    const double t = vexBatchEdgeTolerance(iso.shortSide);
    const VexBatchBox inner = vexBatchShrunk(box, t);
    const double area = vexBatchArea(box);
    const bool byRegion = std::any_of(regions.begin(), regions.end(), [&](const VexBatchBox& r) {
      return allWithin(r, box, t) || vexBatchOverlapArea(r, box) > 0.08 * area;
    });
    if (byRegion) continue;
    const bool holdsTile = std::any_of(layout.tiles.begin(), layout.tiles.end(), [&](const ViewportTile& tile) {
      return tile.centerX > inner.minX && tile.centerX < inner.maxX && tile.centerY > inner.minY &&
             tile.centerY < inner.maxY;
    });
    if (holdsTile) continue;
    std::uint64_t items = 0;
    for (const PaperEntityEvidence& item : layout.evidence) {
      if (!f.entityId.isNull() && item.entityId == f.entityId) continue;
      if (vexBatchContainsPoint(inner, item.centerX, item.centerY) && ++items >= 6) break;
    }
    if (items >= 6) taken.push_back(box);
  }
  for (const VexBatchBox& box : taken) {
    const bool held = std::any_of(taken.begin(), taken.end(), [&](const VexBatchBox& other) {
      return &other != &box && vexBatchArea(other) > 1.02 * vexBatchArea(box) && vexBatchInsideGrown(box, other, 1.0);
    });
    if (!held) ++diagnostics.promotedContentOnlyFrames;
  }
}

// Step 7.
void countFrameViewports(const VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  for (const PaperFrame& f : layout.frames) {
    const VexBatchBox box = f.box;
    const VexBatchBox inner = vexBatchShrunk(box, vexBatchEdgeTolerance(box));
    const auto inside = std::count_if(layout.tiles.begin(), layout.tiles.end(), [&](const ViewportTile& tile) {
      return vexBatchOverlapsStrictly(vexBatchBoxOf(tile), inner);
    });
    if (inside == 0) {
      ++diagnostics.acceptedWithoutViewport;
    } else if (inside == 1) {
      ++diagnostics.acceptedSingleViewport;
    } else {
      ++diagnostics.acceptedMultipleViewports;
    }
  }
}

}  // namespace

std::vector<std::size_t> vexBatchLayoutReadingOrder(const std::vector<double>& centerY,
                                                    const std::vector<double>& leftX,
                                                    const std::vector<double>& paperShortSide) {
  std::vector<VexBatchReadingOrderKey> keys;
  keys.reserve(centerY.size());
  for (std::size_t i = 0; i < centerY.size(); ++i) keys.push_back({centerY[i], leftX[i]});
  return vexBatchReadingOrder(keys, [&](std::size_t rowStart, std::size_t candidate) {
    const double slack = std::max(0.2 * std::min(paperShortSide[rowStart], paperShortSide[candidate]), 1.0);
    return std::fabs(centerY[candidate] - centerY[rowStart]) <= slack;
  });
}

void vexBatchSettleLayoutFrames(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics) {
  removeBlankFrames(layout, diagnostics);
  removeDuplicates(layout, diagnostics);
  removeNested(layout, diagnostics);
  sortInReadingOrder(layout);
  matchViewports(layout, diagnostics);
  tallyContentRegions(layout, diagnostics);
  countFrameViewports(layout, diagnostics);
}

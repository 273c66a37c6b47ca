#include "recognition/layout/layout_records.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <utility>

#include "recognition/layout/layout_geometry.h"
#include "recognition/layout/layout_ordering.h"

namespace {

void countViewports(const VexBatchLayoutCandidates& layout, VexBatchPrintLayoutRecord& record) {
  const VexBatchBox inner = vexBatchShrunk(vexBatchBoxOf(record), 1.0);
  for (const ViewportTile& tile : layout.tiles) {
    if (!vexBatchOverlapsStrictly(vexBatchBoxOf(tile), inner)) continue;
    ++record.enclosedViewportCount;
    if (tile.isOn) ++record.activeViewportCount;
  }
}

VexBatchPrintLayoutRecord windowRecord(const VexBatchLayoutCandidates& layout, std::size_t number,
                                       const VexBatchBox& box, const std::wstring& frameLayer, bool exact,
                                       const VexBatchPrintPaperSpec& paper) {
  VexBatchPrintLayoutRecord record = layout.base;
  record.sheetName = vexBatchLayoutSheetName(record.layoutName, number);
  record.frameLayer = frameLayer;
  record.layoutWindow = true;
  record.exactPaperFrame = exact;
  vexBatchSetBox(record, box);
  record.paperWidth = vexBatchWidth(box);
  record.paperHeight = vexBatchHeight(box);
  record.paper = paper;
  record.enclosedViewportCount = 0;
  record.activeViewportCount = 0;
  countViewports(layout, record);
  return record;
}

// The viewports reach over more than one and a half sheets of the first viewport's paper, so they are
// separate sheets rather than parts of one.
bool viewportsSpread(const std::vector<ViewportTile>& tiles) {
  if (tiles.size() < 2) return false;
  const ViewportTile& first = tiles.front();
  const bool upright = first.width < first.height;
  const double sw = upright ? first.paper.shortSide : first.paper.longSide;
  const double sh = upright ? first.paper.longSide : first.paper.shortSide;
  double minCX = first.centerX, maxCX = first.centerX, minCY = first.centerY, maxCY = first.centerY;
  double maxW = first.width, maxH = first.height;
  for (const ViewportTile& tile : tiles) {
    minCX = std::min(minCX, tile.centerX);
    maxCX = std::max(maxCX, tile.centerX);
    minCY = std::min(minCY, tile.centerY);
    maxCY = std::max(maxCY, tile.centerY);
    maxW = std::max(maxW, tile.width);
    maxH = std::max(maxH, tile.height);
  }
  return (maxCX - minCX) + maxW > 1.5 * sw || (maxCY - minCY) + maxH > 1.5 * sh;
}

}  // namespace

std::wstring vexBatchLayoutSheetName(const std::wstring& layoutName, std::size_t number) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  std::wstring name;
  name.reserve(layoutName.size() + 6 + static_cast<std::size_t>(end - digits));
  name += layoutName;
  name += L" 图框 ";
  if (number < 10) name += L'0';
  name.append(digits, end);
  return name;
}

void vexBatchAppendLayoutRecords(const VexBatchLayoutCandidates& layout, bool pickedMode,
                                 VexBatchScanDiagnostics& diagnostics,
                                 std::vector<VexBatchPrintLayoutRecord>& records) {
  if (pickedMode || !layout.frames.empty()) {
    std::size_t number = 0;
    for (const PaperFrame& f : layout.frames) {
      records.push_back(windowRecord(layout, ++number, f.box, f.layer, true, f.paper));
    }
    if (pickedMode) return;
    const auto matched =
        std::count_if(layout.tiles.begin(), layout.tiles.end(), [](const ViewportTile& tile) { return tile.matched; });
    diagnostics.suppressedFallbackViewports += layout.tiles.size() - static_cast<std::size_t>(matched);
    diagnostics.outerFrameGroups += layout.frames.size();
    diagnostics.groupedViewports += static_cast<std::uint64_t>(matched);
    return;
  }
  if (viewportsSpread(layout.tiles)) {
    std::vector<double> centerY, centerX, shortSide;
    for (const ViewportTile& tile : layout.tiles) {
      centerY.push_back(tile.centerY);
      centerX.push_back(tile.centerX);
      shortSide.push_back(tile.paper.shortSide);
    }
    std::size_t number = 0;
    for (std::size_t index : vexBatchLayoutReadingOrder(centerY, centerX, shortSide)) {
      const ViewportTile& tile = layout.tiles[index];
      records.push_back(windowRecord(layout, ++number, vexBatchBoxOf(tile), std::wstring(), false, tile.paper));
    }
    return;
  }
  records.push_back(layout.base);
}

std::uint64_t vexBatchFinishLayoutRecords(std::vector<VexBatchPrintLayoutRecord>& records,
                                          VexBatchScanDiagnostics& diagnostics) {
  // Windows are grouped by their layout (tab order and name): the guard compares windows within a group only.
  // The keys point into `records`, which stays in place until the groups are done with.
  using LayoutKey = std::pair<std::int32_t, const std::wstring*>;
  auto keyLess = [](const LayoutKey& a, const LayoutKey& b) {
    return a.first != b.first ? a.first < b.first : *a.second < *b.second;
  };
  std::map<LayoutKey, std::vector<std::size_t>, decltype(keyLess)> windowsOfLayout(keyLess);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].layoutWindow) windowsOfLayout[{records[i].tabOrder, &records[i].layoutName}].push_back(i);
  }
  std::vector<bool> removed(records.size(), false);
  for (const auto& [layout, windows] : windowsOfLayout) {
    for (std::size_t r : windows) {
      const VexBatchBox box = vexBatchBoxOf(records[r]);
      const double area = vexBatchArea(box);
      if (!(area > 1.0)) continue;
      const double slack = vexBatchEdgeTolerance(box);
      removed[r] = std::any_of(windows.begin(), windows.end(), [&](std::size_t o) {
        const VexBatchBox other = vexBatchBoxOf(records[o]);
        const bool differs = std::fabs(other.minX - box.minX) > 1e-6 || std::fabs(other.minY - box.minY) > 1e-6 ||
                             std::fabs(other.maxX - box.maxX) > 1e-6 || std::fabs(other.maxY - box.maxY) > 1e-6;
        return o != r && differs && vexBatchArea(other) > 1.02 * area && vexBatchInsideGrown(box, other, slack);
      });
    }
  }
  windowsOfLayout.clear();
  // Records are closed up and put in order within their own list: a drawing of thousands of sheets would
  // otherwise fill two more lists of them, on fresh pages, in every scan.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (removed[i]) continue;
    if (kept != i) records[kept] = std::move(records[i]);
    ++kept;
  }
  const std::uint64_t nestedExcluded = records.size() - kept;
  diagnostics.filteredOut += nestedExcluded;
  records.erase(records.begin() + static_cast<std::ptrdiff_t>(kept), records.end());

  // Sorted through indices (a record is large, an index is not), then moved along each cycle of the order.
  std::vector<std::size_t> order(records.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (records[a].tabOrder != records[b].tabOrder) return records[a].tabOrder < records[b].tabOrder;
    return records[a].sheetName < records[b].sheetName;
  });
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    VexBatchPrintLayoutRecord held = std::move(records[start]);
    std::size_t at = start;
    while (order[at] != start) {
      const std::size_t from = order[at];
      records[at] = std::move(records[from]);
      order[at] = at;
      at = from;
    }
    records[at] = std::move(held);
    order[at] = at;
  }
  std::map<LayoutKey, std::size_t, decltype(keyLess)> counters(keyLess);
  for (VexBatchPrintLayoutRecord& record : records) {
    if (!record.layoutWindow) continue;
    std::size_t number = ++counters[{record.tabOrder, &record.layoutName}];
    record.sheetName = vexBatchLayoutSheetName(record.layoutName, number);
  }
  diagnostics.finalCount = records.size();
  return nestedExcluded;
}

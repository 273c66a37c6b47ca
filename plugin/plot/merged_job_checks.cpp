#include "plot/merged_job_checks.h"

#include <cmath>
#include <optional>

#include "plot/window_papers.h"

namespace {

bool isModelSpace(const VexBatchPrintPageSpec& page) { return page.source == VexBatchPrintSourceModel; }

// The paper the page is plotted on: a layout window on its carrier sheet.
std::optional<VexBatchPrintPaperSpec> effectivePaper(const VexBatchPrintPageSpec& page) {
  const VexBatchPrintPaperSpec window =
      page.layoutWindow || isModelSpace(page) ? vexBatchSourcePaperForWindow(page) : page.paper;
  if (!(window.shortSide > 0) || !(window.longSide > 0)) return std::nullopt;
  return page.layoutWindow ? vexBatchCarrierPaperForLayoutWindow(window) : window;
}

const std::wstring& layoutKey(const VexBatchPrintPageSpec& page) {
  return page.layoutName.empty() ? page.name : page.layoutName;
}

}  // namespace

bool vexBatchMergedJobHasMixedMedia(const std::vector<VexBatchPrintPageSpec>& pages) {
  std::optional<VexBatchPrintPaperSpec> reference;
  for (const VexBatchPrintPageSpec& page : pages) {
    const std::optional<VexBatchPrintPaperSpec> paper = effectivePaper(page);
    if (!paper) continue;
    if (!reference) {
      reference = paper;
      continue;
    }
    if (std::fabs(paper->shortSide - reference->shortSide) > 0.01 ||
        std::fabs(paper->longSide - reference->longSide) > 0.01) {
      return true;
    }
  }
  return false;
}

bool vexBatchMergedJobCrossesLayouts(const std::vector<VexBatchPrintPageSpec>& pages) {
  if (pages.size() < 2) return false;
  const VexBatchPrintPageSpec& first = pages.front();
  for (const VexBatchPrintPageSpec& page : pages) {
    if (page.source != first.source) return true;
    if (!isModelSpace(page) && layoutKey(page) != layoutKey(first)) return true;
  }
  return false;
}

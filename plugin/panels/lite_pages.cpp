#include "panels/lite_pages.h"

#include "core/host_bridge.h"
#include "panels/lite_context.h"
#include "recognition/job_pages.h"
#include "recognition/recognition_state.h"
#include "recognition/scan_scope.h"

std::vector<VexBatchPrintPageSpec> vexBatchCollectLitePages() {
  vexBatchLiteSyncContext();
  std::vector<VexBatchPrintPageSpec> pages;
  {
    QDLScanScope scope;
    gBatchFrameRecognitionMode = 0;
    pages = vexBatchCollectJobPages(vexBatchPrintSourceForCurrentSpace() == 1, true);
  }
  std::erase_if(pages, [](const VexBatchPrintPageSpec& page) { return !vexBatchLitePageInsideRange(page); });
  for (std::size_t i = 0; i < pages.size(); ++i) pages[i].outputIndex = i + 1;
  return pages;
}

bool vexBatchLitePageInsideRange(const VexBatchPrintPageSpec& page) {
  const VexBatchLayoutSelectionRange& range = gBatchLiteRange;
  if (!range.active) return true;
  if (page.source != range.kind || page.layoutName != range.layoutName) return false;
  if (page.source == VexBatchPrintSourceLayout && !page.layoutWindow) return false;
  constexpr double kTolerance = 0.5;
  return page.minX >= range.minX - kTolerance && page.minY >= range.minY - kTolerance &&
         page.maxX <= range.maxX + kTolerance && page.maxY <= range.maxY + kTolerance;
}

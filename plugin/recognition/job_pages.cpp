#include "recognition/job_pages.h"

#include <string>

#include "core/host_bridge.h"
#include "recognition/box.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "recognition/paper.h"

namespace {

std::vector<VexBatchPrintPageSpec> modelSpacePages() {
  std::vector<VexBatchPrintPageSpec> pages;
  for (const VexBatchPrintFrameRecord& frame : vexCollectModelFrames()) {
    VexBatchPrintPageSpec page;
    page.source = VexBatchPrintSourceModel;
    page.name = frame.name;
    page.layoutName = L"Model";
    const VexBatchBox box = vexBatchBoxOf(frame);
    vexBatchSetBox(page, box);
    // The box decides, not the recognised (possibly drawing-scaled) sheet.
    page.paper = vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, vexBatchWidth(box), vexBatchHeight(box));
    page.outputIndex = pages.size() + 1;
    pages.push_back(std::move(page));
  }
  return pages;
}

std::vector<VexBatchPrintPageSpec> layoutPages(bool currentLayoutOnly) {
  const std::wstring current = vexBatchCurrentLayoutName();
  std::vector<VexBatchPrintPageSpec> pages;
  for (const VexBatchPrintLayoutRecord& record : vexCollectPaperLayouts()) {
    if (currentLayoutOnly && record.layoutName != current) continue;
    if (!record.layoutWindow && !record.wholeLayout) continue;
    VexBatchPrintPageSpec page;
    page.name = record.sheetName;
    page.layoutName = record.layoutName;
    page.layoutWindow = record.layoutWindow;
    page.exactPaperFrame = record.exactPaperFrame;
    vexBatchSetBox(page, vexBatchBoxOf(record));
    page.paper = record.layoutWindow
                     ? record.paper
                     : vexBatchPaperForMode(VexBatchPrintPaperModeAutomatic, record.paperWidth, record.paperHeight);
    page.outputIndex = pages.size() + 1;
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace

std::vector<VexBatchPrintPageSpec> vexBatchCollectJobPages(bool modelSpace, bool currentLayoutOnly) {
  return modelSpace ? modelSpacePages() : layoutPages(currentLayoutOnly);
}

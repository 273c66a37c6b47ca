#pragma once
// The pages the full panel stages of the model-space frames the last scan recognised: each frame on the paper
// recognised for it (scaled frames keep their drawing scale), numbered in order.

#include <vector>

#include "recognition/box.h"
#include "recognition/model_scan.h"
#include "recognition/page_spec.h"

inline std::vector<VexBatchPrintPageSpec> stagedModelFramePages() {
  std::vector<VexBatchPrintPageSpec> pages;
  for (const VexBatchPrintFrameRecord& frame : vexCollectModelFrames()) {
    VexBatchPrintPageSpec page;
    page.source = VexBatchPrintSourceModel;
    page.name = frame.name;
    page.layoutName = L"Model";
    vexBatchSetBox(page, vexBatchBoxOf(frame));
    page.paper = frame.paper;
    page.outputIndex = pages.size() + 1;
    pages.push_back(std::move(page));
  }
  return pages;
}

#pragma once
// What one fuzz input goes through past the reader: whatever it accepts is scanned as the plug-in scans a
// drawing (the model-space scan, the layout scan) and made into job pages for both spaces. Returns false on a
// broken promise: an object left open, a sheet whose box is not finite or not ordered, pages misnumbered.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cad/dxf_reader.h"
#include "recognition/job_pages.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "recognition/recognition_state.h"

template <class Item>
bool orderedFiniteBox(const Item& item) {
  for (double v : {item.minX, item.minY, item.maxX, item.maxY}) {
    if (!std::isfinite(v)) return false;
  }
  return item.minX <= item.maxX && item.minY <= item.maxY;
}

inline bool pagesNumberedInOrder(const std::vector<VexBatchPrintPageSpec>& pages) {
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].outputIndex != i + 1 || !orderedFiniteBox(pages[i])) return false;
  }
  return true;
}

inline bool exerciseScans(const std::uint8_t* data, std::size_t size) {
  using namespace cad;
  cad::DxfReadResult result = readDxfText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.database) return !result.error.empty();
  Database& db = *result.database;
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  vexBatchResetRecognitionStateForTesting();
  bool kept = true;
  for (const VexBatchPrintFrameRecord& frame : vexCollectModelFrames()) kept = kept && orderedFiniteBox(frame);
  for (const VexBatchPrintLayoutRecord& record : vexCollectPaperLayouts()) {
    kept = kept && (!record.layoutWindow || orderedFiniteBox(record));
  }
  kept = kept && pagesNumberedInOrder(vexBatchCollectJobPages(true, false));
  kept = kept && pagesNumberedInOrder(vexBatchCollectJobPages(false, false));
  kept = kept && pagesNumberedInOrder(vexBatchCollectJobPages(false, true));
  kept = kept && db.openObjects().empty();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  vexBatchResetRecognitionStateForTesting();
  return kept;
}

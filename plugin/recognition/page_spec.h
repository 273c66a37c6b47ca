#pragma once
// One sheet to plot, as the panels, the job-page builder and the snapshot reader make it. It lives beside
// the recognition records because the job-page builder makes it without linking the plot pipeline.

#include <cstdint>
#include <string>

#include "recognition/records.h"
#include "recognition/selection_range.h"

struct [[nodiscard]] VexBatchPrintPageSpec {
  VexBatchPrintSource source = VexBatchPrintSourceLayout;
  std::wstring name;        // as the user sees and edits it; the {page} token
  std::wstring layoutName;  // "Model" for a model-space frame
  // Paper-space coordinates of the layout for a layout sheet, world coordinates in model space.
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  bool layoutWindow = false;           // the box is the plot window, not the whole layout
  bool exactPaperFrame = false;        // the window is a recognised frame rather than a viewport area
  bool paperOverridden = false;        // the user chose this sheet's paper
  double contentScalePercent = 100.0;  // 1 to 100; 100 fills the paper
  std::uint64_t outputIndex = 0;       // 1-based {index}; 0 numbers the sheet by its place in the job
  VexBatchPrintPaperSpec paper;
};

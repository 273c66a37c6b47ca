#pragma once
// One sheet of the full panel's list: what recognition found, or what the user drew, with the user's edits.
// The controller's row sets share these objects, so a row removed from one set is the same row in another.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/print_source.h"

struct VexBatchPrintRow {
  bool selected = false;  // checked for output
  std::string layoutName;  // the sheet's name as shown; the user may rename it
  std::string sourceName;  // the layout that holds the sheet, or the model-space label
  std::string setupName;   // device, or source and evidence, or layer
  std::string paperName;   // paper shown in the table
  std::int64_t sourceTabOrder = 0;  // the layout's tab order; the largest value for manual rows
  VexBatchPrintSource source = VexBatchPrintSourceLayout;
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  bool layoutWindow = false;     // a window inside a layout, not the whole layout
  bool exactPaperFrame = false;  // a real frame, not inferred from viewports
  bool manuallyAdded = false;
  std::int64_t enclosedViewportCount = 0;
  std::int64_t activeViewportCount = 0;
  double paperShortSide = 0;  // millimetres
  double paperLongSide = 0;
  std::string originalPaperName;  // as recognised, the shown text
  double originalPaperShortSide = 0;
  double originalPaperLongSide = 0;
  bool paperOverridden = false;
  std::int64_t contentScalePercent = 100;  // 1 to 100
};

using VexBatchPrintRows = std::vector<std::shared_ptr<VexBatchPrintRow>>;

#pragma once
// The print range the user selected in the drawing.

#include <string>

#include "core/picked_range.h"
#include "core/print_source.h"

// A print range: layout name "Model" for model space; the box is in world coordinates with its minima and
// maxima ordered. A default range is inactive.
struct VexBatchLayoutSelectionRange {
  VexBatchPrintSource kind = VexBatchPrintSourceLayout;
  std::wstring layoutName;
  double minX = 0;
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  bool active = false;
};

// The active range of a range the user picked.
inline VexBatchLayoutSelectionRange selectionRangeOf(const PickedRange& picked) {
  return {picked.source, picked.layoutName, picked.minX, picked.minY, picked.maxX, picked.maxY, true};
}

#pragma once
// Where a sheet lies, and the print range the user selected in the drawing.

#include <cstdint>
#include <string>

enum VexBatchPrintSource : std::int32_t {
  VexBatchPrintSourceLayout = 0,
  VexBatchPrintSourceModel = 1,
};

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

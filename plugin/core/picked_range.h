#pragma once
// A print range the user picked by two corners, as the range command hands it to recognition or to the
// compact panel.

#include <string>

#include "core/print_source.h"

struct PickedRange {
  VexBatchPrintSource source = VexBatchPrintSourceLayout;
  std::wstring layoutName;  // "Model" in model space
  double minX = 0;          // world coordinates, minima and maxima ordered
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
};

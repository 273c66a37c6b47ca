#pragma once
// One area of the drawing to locate or to mark, as the panels fill it in.

#include <cstdint>
#include <string>

#include "core/print_source.h"

struct VexBatchFocusTarget {
  VexBatchPrintSource source = VexBatchPrintSourceLayout;
  std::wstring layoutName;  // for a layout area; not used in model space
  double minX = 0;          // world coordinates of the space the area lies in
  double minY = 0;
  double maxX = 0;
  double maxY = 0;
  bool pending = false;      // to be acted on: set by whoever fills it, cleared by the locate command
  std::uint64_t number = 0;  // the number its mark shows: the sheet's place in export order, from 1
};

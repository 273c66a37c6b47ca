#pragma once
// Where a sheet or an area of the drawing lies: on a paper-space layout or in model space.

#include <cstdint>

enum VexBatchPrintSource : std::int32_t {
  VexBatchPrintSourceLayout = 0,
  VexBatchPrintSourceModel = 1,
};

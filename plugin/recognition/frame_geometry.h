#pragma once
// Geometric tests that tell whether drawn entities form a sheet frame.

#include <string>

#include "recognition/records.h"

namespace cad {
class Polyline;
class BlockTableRecord;
struct Matrix3d;
}  // namespace cad

// An axis-aligned rectangle from a closed four-vertex polyline (a fifth vertex on the first also closes
// it). Writes the frame's box (even when a later test fails) and layer, nothing else. `rotated` and
// `rotationDegrees` (optional) tell how far the first edge is turned (0 to 45 degrees). `wideRatio` allows
// side ratios 1 to 6, else 1.1 to 2. A frame on layer "0" takes `inheritedLayer` when that is set.
[[nodiscard]] bool vexBatchExtractAxisAlignedFrame(const cad::Polyline* polyline, const cad::Matrix3d& transform,
                                                   const std::wstring& inheritedLayer, bool wideRatio,
                                                   VexBatchPrintFrameRecord& frame, bool* rotated,
                                                   double* rotationDegrees);

// The block definition holds a physical border spanning most of its drawn extent: a rectangle, a nested
// frame block (followed to depth 2) or four border lines. Callers pass depth 0.
[[nodiscard]] bool vexBatchBlockDefinitionHasFrameSignature(const cad::BlockTableRecord* block, int depth);

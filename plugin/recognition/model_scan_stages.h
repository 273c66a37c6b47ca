#pragma once
// Two stages of the model-space scan on plain candidate lists, apart so that they can be checked on their
// own against the plain pairwise rules.

#include <vector>

#include "recognition/records.h"

struct VexBatchModelFrameCandidate {
  VexBatchPrintFrameRecord record;
  int priority = 1;  // 1 polyline, 2 block reference
};

// Keeps the first of frames with the same centre and size (within 0.0001 of the larger side); a block
// reference replaces a polyline in its place. Adds to `duplicates`.
[[nodiscard]] std::vector<VexBatchModelFrameCandidate> vexBatchRemoveDuplicateModelFrames(
    std::vector<VexBatchModelFrameCandidate> survivors, VexBatchScanDiagnostics& diagnostics);

// Drops outer polylines around smaller block frames and frames held by larger ones of no higher priority.
// Adds to `lowerPriorityOuterExcluded` and `nestedChildExcluded`, sets `nestedExcluded`.
[[nodiscard]] std::vector<VexBatchModelFrameCandidate> vexBatchRemoveNestedModelFrames(
    std::vector<VexBatchModelFrameCandidate> unique, VexBatchScanDiagnostics& diagnostics);

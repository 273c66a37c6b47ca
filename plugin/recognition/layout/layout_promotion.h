#pragma once
// The second stage of the layout scan: rectangles that are no ISO sheet by themselves become frames when they
// enclose several viewports, fit one viewport, frame enough content without viewports, or (with blank
// rectangles allowed) stand beside comparable peers. Each promotion appends a frame with the automatic paper
// for the rectangle's size.

#include "recognition/layout/layout_candidates.h"

// Runs the four promotions in order on one layout. Reads gBatchIncludeNonPlottableLayers and
// gBatchExcludeBlankRectangles.
void vexBatchPromoteLayoutRectangles(VexBatchLayoutCandidates& layout, VexBatchScanDiagnostics& diagnostics);

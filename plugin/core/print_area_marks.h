#pragma once
// The print-area marks: DUZOZAREDSHOWRANGES makes one space current (one layout, or model space), zooms to the
// areas that lie there and marks each with its number in export order, until the user does anything but view
// the drawing (the range overlay erases them then).

#include <vector>

#include "core/focus_target.h"

// The areas to mark, each pending and numbered; the full panel fills the list, the compact panel's pages refill
// it when that panel is in use. Every run of the command empties it.
extern std::vector<VexBatchFocusTarget> gBatchPrintRangeTargets;

// Handler of DUZOZAREDSHOWRANGES. Nothing while work is active; a failure says why and shows the panel again.
void vexBatchPrintShowRanges();

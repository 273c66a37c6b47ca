#pragma once
// The sheets the compact export takes: those of the current layout or of model space, inside the selected area
// when there is one.

#include <vector>

#include "recognition/page_spec.h"

// The sheets the export would write, numbered from 1, in the current space (in paper space only the current
// layout), restricted to the selected area when it is active.
std::vector<VexBatchPrintPageSpec> vexBatchCollectLitePages();
// Whether a page lies inside the selected area (always, while none is selected): same space and layout, a
// window rather than a whole layout in paper space, and within 0.5 drawing units of the area on every side.
bool vexBatchLitePageInsideRange(const VexBatchPrintPageSpec& page);

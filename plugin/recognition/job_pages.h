#pragma once
// The sheets of the current drawing as page specs ready to plot, for callers that show no sheet list (the
// compact export, the file queue).

#include <vector>

#include "recognition/page_spec.h"

// modelSpace: every model-space frame, on the automatic paper of its box. Otherwise every paper-space sheet
// that is offered (a window, or a layout with something on it), on its window's paper or the automatic paper
// of the layout's plot paper; with currentLayoutOnly, only the current layout's. Output indices count 1, 2, …
// over the pages returned. Empty when nothing is found or the drawing cannot be read.
[[nodiscard]] std::vector<VexBatchPrintPageSpec> vexBatchCollectJobPages(bool modelSpace, bool currentLayoutOnly);

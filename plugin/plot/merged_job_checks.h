#pragma once
// Whether the pages of a merged job can go through one publish-engine document, or must be plotted one by one
// and merged: they must share their paper and their layout.

#include <vector>

#include "recognition/page_spec.h"

// True when two pages need papers whose sides differ by more than 0.01 mm; pages without a usable paper are
// left out of the comparison.
[[nodiscard]] bool vexBatchMergedJobHasMixedMedia(const std::vector<VexBatchPrintPageSpec>& pages);

// True when a page lies in another space than the first, or on another layout (by layout name, or sheet name
// where the layout name is empty).
[[nodiscard]] bool vexBatchMergedJobCrossesLayouts(const std::vector<VexBatchPrintPageSpec>& pages);

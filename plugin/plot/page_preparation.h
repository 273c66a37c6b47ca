#pragma once
// Turning page specs into prepared pages before the publish engine runs. Model-space frames are plotted as
// windows of the model layout on the medium of their paper; frames on a layout as windows on their own paper,
// or on a standard carrier sheet when the paper is lengthened; whole layouts with their own plot area on the
// medium nearest their own paper (or the paper the user chose). Layouts are only read: every change is made to
// copies of their plot settings in memory.

#include <string>
#include <vector>

#include "plot/prepared_page.h"
#include "recognition/page_spec.h"

// Prepares every page in order into `prepared` (cleared first). True only when all were prepared and there was
// at least one. On failure gBatchPrintLastError gives the reason, and the pages prepared before it stay in
// `prepared` for the caller to discard. `styleSheet` empty keeps each layout's own plot style.
[[nodiscard]] bool vexBatchPreparePages(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& styleSheet,
                                        std::vector<VexBatchPrintPreparedPage>& prepared);

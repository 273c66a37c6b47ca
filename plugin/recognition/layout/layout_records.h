#pragma once
// The last stage of the layout scan: sheet records. Per layout, a window record for each frame (or, without
// frames, for each of its spread viewports), else one record for the whole layout; after all layouts, windows
// inside larger windows of the same layout go, and the list is sorted and numbered.

#include <cstdint>
#include <string>
#include <vector>

#include "recognition/layout/layout_candidates.h"

// "<layout> 图框 NN": the window's number on its layout from 1, two digits at least.
[[nodiscard]] std::wstring vexBatchLayoutSheetName(const std::wstring& layoutName, std::size_t number);

// Appends the records of one layout whose frames are settled (in reading order, viewports matched).
void vexBatchAppendLayoutRecords(const VexBatchLayoutCandidates& layout, bool pickedMode,
                                 VexBatchScanDiagnostics& diagnostics, std::vector<VexBatchPrintLayoutRecord>& records);

// After the last layout: removes windows that lie inside a larger window of the same layout, sorts by tab
// order and sheet name, renumbers the windows of each layout and sets finalCount. Returns how many the
// nesting guard removed (also added to filteredOut).
std::uint64_t vexBatchFinishLayoutRecords(std::vector<VexBatchPrintLayoutRecord>& records,
                                          VexBatchScanDiagnostics& diagnostics);

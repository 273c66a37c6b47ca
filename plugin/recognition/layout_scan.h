#pragma once
// The sheets on the paper-space layouts of the working drawing.

#include <vector>

#include "recognition/records.h"

// Every paper-space layout, in the dictionary's order: its frames (or spread viewports) as window records, or
// the layout as a whole. Sorted by tab order and sheet name, windows numbered per layout. Replaces
// gBatchLayoutDiagnostics and gBatchLayoutCandidateTrace and rewrites the candidate trace file; reads the
// drawing only and closes every object it opens. Without a working database or layout dictionary: an empty
// list, and no trace file.
std::vector<VexBatchPrintLayoutRecord> vexCollectPaperLayouts();

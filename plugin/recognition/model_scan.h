#pragma once
// The sheet frames drawn in model space of the working drawing.

#include <vector>

#include "recognition/records.h"

// Closed rectangular polylines and title-block references, in reading order, named "模型图框 01", … .
// Replaces gBatchModelDiagnostics with this scan's counters and blank frames; reads the drawing only and
// closes every object it opens. A drawing that cannot be read gives an empty list.
std::vector<VexBatchPrintFrameRecord> vexCollectModelFrames();

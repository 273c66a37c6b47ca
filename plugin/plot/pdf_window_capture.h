#pragma once
// Where a window page's plot window lands on the paper the host validated, read from the validated settings:
// the medium, its margins, the plot rotation and the window. Normalisation later moves it onto the exact paper.

#include "plot/prepared_page.h"
#include "recognition/records.h"

// Fills the prepared page's `window`. The validated medium must carry `paper` and the validated settings must
// plot the window centred and scaled to fit; otherwise gBatchPrintLastError says why and the result is false.
[[nodiscard]] bool vexBatchCapturePdfWindow(VexBatchPrintPreparedPage& page, const VexBatchPrintPaperSpec& paper);

#pragma once
// Locating a sheet: DUZOZAREDFOCUS zooms to the pending focus target and marks it. Does nothing yet: it is
// built with the range overlay that draws the mark.

void vexBatchPrintFocusPending();

#pragma once
// Locating a sheet: DUZOZAREDFOCUS makes the sheet's layout or model space current, zooms to the sheet with a
// margin, outlines it in red on the screen until the next regeneration and shows the return window.

#include "core/focus_target.h"

// The sheet the full panel asks to locate; the locate command consumes it (clears `pending`) when it starts.
extern VexBatchFocusTarget gBatchFocusTarget;

// Handler of DUZOZAREDFOCUS. A failure says why on the command line and shows no window.
void vexBatchPrintFocusPending();

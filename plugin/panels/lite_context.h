#pragma once
// The area selected for the compact panel and the drawing context it belongs to: it is kept only while the same
// working database, drawing and current layout stay. Main thread only.

#include "recognition/selection_range.h"

// The area selected for the compact panel; inactive: every sheet of the current layout or of model space.
extern VexBatchLayoutSelectionRange gBatchLiteRange;

// Forgets the selected area when the drawing (its database or its identity) or the current layout changed.
void vexBatchLiteSyncContext();
// Synchronises, then takes the range as the compact panel's own.
void vexBatchLiteSaveRange(const VexBatchLayoutSelectionRange& range);
// Forgets the selected area.
void vexBatchLiteUseAutomatic();
// Forgets the drawing the area belongs to, so that the next synchronisation forgets the area (the drawing was
// closed, and a new one may get its address and with it its key).
void vexBatchLiteForgetContext();

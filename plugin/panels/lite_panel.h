#pragma once
// The compact panel's services that the command table, the work-active test and core's commands use. The
// compact panel itself is built by the batch-print panels subsystem; until then each service only records its
// call.

#include "recognition/selection_range.h"

// True while a compact export runs; false at load. Plain bool, read and written on the main thread only.
extern bool gBatchLitePrinting;

// Handler of DUZOZAREDLITE: shows the compact panel for the current drawing (nothing while work is active).
void vexBatchPrintLiteShow();

// Handler of DUZOZAREDLITEEXEC: exports the current drawing's sheets as the compact panel is set up, with
// gBatchLitePrinting set for the whole export.
void vexBatchPrintLiteExecute();

// Orders the compact panel's window out (nothing when it does not exist).
void vexBatchLiteHide();
// Forgets the compact panel's range when the drawing or the current layout changed since it was taken, then
// takes this one.
void vexBatchLiteSaveRange(const VexBatchLayoutSelectionRange& range);
// Refills gBatchPrintRangeTargets with one area per page the compact panel would export, numbered by output
// index. Without a compact panel there is no page, so the list is left empty.
void vexBatchLitePrepareRangeTargets();

#pragma once
// The compact panel's services that the command table and the work-active test use.

// True while a compact export runs; false at load. Plain bool, read and written on the main thread only.
extern bool gBatchLitePrinting;

// Handler of DUZOZAREDLITE: shows the compact panel for the current drawing (nothing while work is active).
// Does nothing yet: the compact panel (batch-print panels subsystem) fills it.
void vexBatchPrintLiteShow();

// Handler of DUZOZAREDLITEEXEC: exports the current drawing's sheets as the compact panel is set up, with
// gBatchLitePrinting set for the whole export. Does nothing yet: the compact panel's export fills it.
void vexBatchPrintLiteExecute();

#pragma once
// When the plug-in's windows appear and go: the chosen batch-print panel, the return window, and the shutdown
// of every window and staged job at unload. These do nothing yet: the panel lifecycle is built together with
// the panels it shows.

// Shows the chosen batch-print panel (compact or full) for the current drawing; nothing while work is active.
void vexBatchPrintPanelShow();
// Reloads the chosen panel from the current drawing; nothing while work is active.
void vexBatchPrintPanelReload();
// At unload: removes the range marks, closes every plug-in window, resets both staged jobs and deletes the
// temporary preview PDF.
void vexBatchPrintPanelShutdown();
// Handler of DUZOZAREDRETURN: back from the return window to the panel it came from.
void vexBatchPrintReturn();
// Whether the full or the compact panel is visible, for the status report. No panel window exists before the
// batch-print panels build them, so until then none is visible.
bool vexBatchPrintPanelIsVisible();
// Handler of DUZOZAREDPRO: stores the full-panel choice and shows the full panel.
void vexBatchPrintProShow();

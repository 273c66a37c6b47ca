#pragma once
// When the plug-in's windows appear and go: the chosen batch-print panel, the return window, and the shutdown
// of every window and staged job at unload. The panel choice, the range marks' part and the return window are
// built; the windows themselves come through the panels' hand-offs.

#include <string_view>

// The panel the user chose last: the compact one when Quodline.LiteMode holds true, else the full one.
bool vexBatchWantsLite();
// Shows the chosen batch-print panel (compact or full) for the current drawing, erasing the range marks;
// nothing while work is active.
void vexBatchPrintPanelShow();
// Reloads the chosen panel from the current drawing; nothing while work is active.
void vexBatchPrintPanelReload();
// Orders the full and the compact panel out; their controllers stay.
void vexBatchPrintPanelHide();
// At unload: removes the range marks and their host reactors, closes every plug-in window, resets both staged
// jobs and deletes the temporary preview PDF.
void vexBatchPrintPanelShutdown();
// Handler of DUZOZAREDRETURN: back from the return window to the panel it came from, erasing the range marks.
void vexBatchPrintReturn();
// Whether the full or the compact panel is visible, for the status report; asked on the main thread.
bool vexBatchPrintPanelIsVisible();
// Handler of DUZOZAREDPRO: stores the full-panel choice and shows the full panel.
void vexBatchPrintProShow();
// Shows the return window with its default texts.
void vexBatchShowReturnPanel();
// Shows the return window with these texts; an empty one stands for its default.
void vexBatchShowReturnPanelWithMessage(std::string_view title, std::string_view message);

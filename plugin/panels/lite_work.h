#pragma once
// The compact export's work state: whether an export runs, and whether one is queued, so that two quick presses
// of the export button cannot write two job folders. Main thread only.

// True while a compact export runs; false at load. Plain bool, read and written on the main thread only.
extern bool gBatchLitePrinting;

// The export button: queues DUZOZAREDLITEEXEC unless one is queued or running already, which beeps instead.
// The command takes the request when it starts.
void vexBatchLiteQueueExport();
bool vexBatchLiteExportQueued();
// Taken by the export command as it starts, or forgotten when the host never ran it (DUZOZAREDLITE typed
// again, say).
void vexBatchLiteForgetQueuedExport();

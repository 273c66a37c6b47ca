#pragma once
// Handlers of the drawing-file queue's commands. They do nothing yet: the drawing-file queue subsystem fills
// them (the queue panel, the run that opens each drawing, and its per-file step).

// DUZOZAREDFILES: shows the file-queue panel.
void vexBatchPrintFilesShow();
// DUZOZAREDFILESTART (the one session command): starts a queue run from the application context.
void vexBatchPrintFilesStart();
// DUZOZAREDFILEEXEC: plots the drawing the run has just opened and schedules the next step.
void vexBatchPrintFileExecute();

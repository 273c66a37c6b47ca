#pragma once
// Handlers of the drawing-file queue's commands: the queue panel, the start of a run over its rows, and the
// per-drawing step of the run (the step between drawings is queue_advance.h).

// DUZOZAREDFILES: shows the file-queue panel.
void vexBatchPrintFilesShow();
// DUZOZAREDFILESTART (the one session command): starts a queue run from the application context. Every outcome
// shows in the queue panel.
void vexBatchPrintFilesStart();
// DUZOZAREDFILEEXEC: plots the drawing the run has just opened and schedules the next step.
void vexBatchPrintFileExecute();

#pragma once
// The end of a run in output mode 2: when every drawing finished, their PDFs are joined in row order into the
// run's one combined PDF, which is verified before the single PDFs and their folders go, and every row then
// points at it. Otherwise nothing is created and the single PDFs stay. Main thread, in the host's application
// context, at the end of the run; its own progress window can cancel it.

// Nothing unless the run's output mode is 2.
void vexBatchQueueFinalizeMergedOutput();

#pragma once
// Running the jobs that the full panel stages: the print job of DUZOZAREDEXEC and the one-page preview of
// DUZOZAREDPREVIEW. Both return true on success. The plot pipeline (staged-job executor and preview) fills
// them; until then no panel exists to stage a job, so there is never one to run and both return false.

[[nodiscard]] bool vexBatchPrintExecutePending();
[[nodiscard]] bool vexBatchPrintExecutePreview();

#pragma once
// What the most recent plot left behind, read by the status report, the panels and the queue rows. Written
// by the plot pipeline on the host's main thread.

#include <cstdint>
#include <string>
#include <vector>

extern bool gBatchPrintLastSucceeded;
extern bool gBatchPrintLastCancelled;
extern std::wstring gBatchPrintLastError;   // English for the pipeline's own checks
// Whether that failure was a layout of the pages that the drawing lacks or cannot make current: the same pages
// fail the same way until the drawing changes. Set where such a failure is made; a run clears it as it starts.
extern bool gBatchPrintLastFailedOnLayout;
extern std::wstring gBatchPrintLastOutput;  // the last PDF the plot run wrote
extern std::vector<std::wstring> gBatchPrintLastOutputs;
extern std::wstring gBatchPrintLastLog;          // cleared at the start of a job; nothing fills it
extern std::int32_t gBatchPrintLastLayoutCount;  // sheets the last staged run started with
extern std::int32_t gBatchPrintLastPageCount;    // PDF pages the plot run wrote

// All eight values at one moment, so that a plot which must not change the last result (the preview) can put
// them back afterwards.
struct VexBatchPrintLastResult {
  bool succeeded = false;
  bool cancelled = false;
  std::wstring error;
  std::wstring output;
  std::vector<std::wstring> outputs;
  std::wstring log;
  std::int32_t layoutCount = 0;
  std::int32_t pageCount = 0;
};

[[nodiscard]] VexBatchPrintLastResult vexBatchPrintSaveLastResult();
void vexBatchPrintRestoreLastResult(const VexBatchPrintLastResult& saved);

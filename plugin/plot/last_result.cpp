#include "plot/last_result.h"

bool gBatchPrintLastSucceeded = false;
bool gBatchPrintLastCancelled = false;
std::wstring gBatchPrintLastError;
bool gBatchPrintLastFailedOnLayout = false;
std::wstring gBatchPrintLastOutput;
std::vector<std::wstring> gBatchPrintLastOutputs;
std::wstring gBatchPrintLastLog;
std::int32_t gBatchPrintLastLayoutCount = 0;
std::int32_t gBatchPrintLastPageCount = 0;

VexBatchPrintLastResult vexBatchPrintSaveLastResult() {
  return {gBatchPrintLastSucceeded, gBatchPrintLastCancelled, gBatchPrintLastError,       gBatchPrintLastOutput,
          gBatchPrintLastOutputs,   gBatchPrintLastLog,       gBatchPrintLastLayoutCount, gBatchPrintLastPageCount};
}

void vexBatchPrintRestoreLastResult(const VexBatchPrintLastResult& saved) {
  gBatchPrintLastSucceeded = saved.succeeded;
  gBatchPrintLastCancelled = saved.cancelled;
  gBatchPrintLastError = saved.error;
  gBatchPrintLastOutput = saved.output;
  gBatchPrintLastOutputs = saved.outputs;
  gBatchPrintLastLog = saved.log;
  gBatchPrintLastLayoutCount = saved.layoutCount;
  gBatchPrintLastPageCount = saved.pageCount;
}

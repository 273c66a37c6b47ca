#include "recognition/recognition_state.h"

std::int32_t gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
std::wstring gBatchDesignatedFrameLayer;
std::wstring gBatchDesignatedFrameBlock;
std::vector<cad::ObjectId> gBatchSelectedFrameEntityIds;
VexBatchLayoutSelectionRange gBatchLayoutSelectionRange;
bool gBatchIncludeNonPlottableLayers = true;
bool gBatchExcludeBlankRectangles = true;
VexBatchScanDiagnostics gBatchLayoutDiagnostics;
VexBatchScanDiagnostics gBatchModelDiagnostics;
std::vector<std::wstring> gBatchLayoutCandidateTrace;

void vexBatchResetRecognitionStateForTesting() {
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
  gBatchDesignatedFrameLayer.clear();
  gBatchDesignatedFrameBlock.clear();
  gBatchSelectedFrameEntityIds.clear();
  gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
  gBatchIncludeNonPlottableLayers = true;
  gBatchExcludeBlankRectangles = true;
  gBatchLayoutDiagnostics = VexBatchScanDiagnostics();
  gBatchModelDiagnostics = VexBatchScanDiagnostics();
  gBatchLayoutCandidateTrace.clear();
}

#include "recognition/recognition_state.h"

#include <utility>

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

void useDesignatedFrameLayer(const std::wstring& layer) {
  gBatchDesignatedFrameLayer = layer;
  gBatchSelectedFrameEntityIds.clear();
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
}

void usePickedFrames(const std::vector<cad::ObjectId>& entities) {
  gBatchSelectedFrameEntityIds = entities;
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionPickedEntities;
}

void useDesignatedFrameBlock(const std::wstring& block) {
  gBatchDesignatedFrameBlock = block;
  gBatchSelectedFrameEntityIds.clear();
  gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
}

void useSelectionRange(VexBatchLayoutSelectionRange range) {
  range.active = true;
  gBatchLayoutSelectionRange = std::move(range);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionAutomatic;
  gBatchSelectedFrameEntityIds.clear();
  gBatchDesignatedFrameBlock.clear();
}

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

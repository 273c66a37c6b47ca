#pragma once
// Process-wide recognition settings and the results of the last scans. The picking commands and the panels
// write the settings; the scans only read them and replace their own diagnostics.

#include <cstdint>
#include <string>
#include <vector>

#include "cad/object_id.h"
#include "recognition/records.h"
#include "recognition/selection_range.h"

// 0 automatic, 1 designated layer, 2 picked entities, 3 designated block.
enum VexBatchFrameRecognitionMode : std::int32_t {
  VexBatchFrameRecognitionAutomatic = 0,
  VexBatchFrameRecognitionDesignatedLayer = 1,
  VexBatchFrameRecognitionPickedEntities = 2,
  VexBatchFrameRecognitionDesignatedBlock = 3,
};

extern std::int32_t gBatchFrameRecognitionMode;
extern std::wstring gBatchDesignatedFrameLayer;
extern std::wstring gBatchDesignatedFrameBlock;
extern std::vector<cad::ObjectId> gBatchSelectedFrameEntityIds;
extern VexBatchLayoutSelectionRange gBatchLayoutSelectionRange;
extern bool gBatchIncludeNonPlottableLayers;
extern bool gBatchExcludeBlankRectangles;
extern VexBatchScanDiagnostics gBatchLayoutDiagnostics;
extern VexBatchScanDiagnostics gBatchModelDiagnostics;
extern std::vector<std::wstring> gBatchLayoutCandidateTrace;

// The settings the picking commands choose. Each changes only what its choice decides.
// Frames on this layer (mode 1); the picked entities are forgotten, block and range stay.
void useDesignatedFrameLayer(const std::wstring& layer);
// Only these entities (mode 2); layer, block and range stay.
void usePickedFrames(const std::vector<cad::ObjectId>& entities);
// Every reference of this block (mode 3); the picked entities are forgotten and the range goes, the layer stays.
void useDesignatedFrameBlock(const std::wstring& block);
// The frames inside this range (mode 0, the range active); picked entities and block are forgotten, the layer
// stays.
void useSelectionRange(VexBatchLayoutSelectionRange range);

// Puts every setting and result above back to its load-time value: tests run one after another in one process.
void vexBatchResetRecognitionStateForTesting();

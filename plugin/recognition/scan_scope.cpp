#include "recognition/scan_scope.h"

#include "recognition/recognition_state.h"

QDLScanScope::QDLScanScope()
    : savedMode(gBatchFrameRecognitionMode),
      savedFrameLayer(gBatchDesignatedFrameLayer),
      savedFrameBlock(gBatchDesignatedFrameBlock),
      savedSelectedIds(gBatchSelectedFrameEntityIds),
      savedRange(gBatchLayoutSelectionRange),
      savedLayoutDiagnostics(gBatchLayoutDiagnostics),
      savedModelDiagnostics(gBatchModelDiagnostics),
      savedCandidateTrace(gBatchLayoutCandidateTrace) {
  gBatchSelectedFrameEntityIds.clear();
  gBatchLayoutSelectionRange = VexBatchLayoutSelectionRange();
}

// Moves rather than copies: the saved values are not needed afterwards, and a move cannot fail while an
// exception may be unwinding through the scope.
QDLScanScope::~QDLScanScope() {
  gBatchFrameRecognitionMode = savedMode;
  gBatchDesignatedFrameLayer = std::move(savedFrameLayer);
  gBatchDesignatedFrameBlock = std::move(savedFrameBlock);
  gBatchSelectedFrameEntityIds = std::move(savedSelectedIds);
  gBatchLayoutSelectionRange = std::move(savedRange);
  gBatchLayoutDiagnostics = std::move(savedLayoutDiagnostics);
  gBatchModelDiagnostics = std::move(savedModelDiagnostics);
  gBatchLayoutCandidateTrace = std::move(savedCandidateTrace);
}

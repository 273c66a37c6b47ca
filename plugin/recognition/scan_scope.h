#pragma once
// Lets a caller that shows no sheet list scan under its own recognition settings: the scope saves the
// recognition mode, designated layer and block, picked frames, selection range, both scans' diagnostics and
// the candidate trace, and puts them all back when it ends, whatever scans ran inside it. The two recognition
// options (non-plotted layers, blank rectangles) are not saved: a change to them inside a scope stays.

#include <cstdint>
#include <string>
#include <vector>

#include "cad/object_id.h"
#include "recognition/records.h"
#include "recognition/selection_range.h"

class QDLScanScope {
 public:
  // Saves, then empties the picked frames and deactivates the range; the mode, layer and block keep their
  // values for the caller to set.
  QDLScanScope();
  ~QDLScanScope();
  QDLScanScope(const QDLScanScope&) = delete;
  QDLScanScope& operator=(const QDLScanScope&) = delete;
  QDLScanScope(QDLScanScope&&) = delete;
  QDLScanScope& operator=(QDLScanScope&&) = delete;

 private:
  std::int32_t savedMode;
  std::wstring savedFrameLayer;
  std::wstring savedFrameBlock;
  std::vector<cad::ObjectId> savedSelectedIds;
  VexBatchLayoutSelectionRange savedRange;
  VexBatchScanDiagnostics savedLayoutDiagnostics;
  VexBatchScanDiagnostics savedModelDiagnostics;
  std::vector<std::wstring> savedCandidateTrace;
};

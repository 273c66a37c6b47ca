#include "recognition/layout_scan.h"

#include <string>
#include <utility>

#include "cad/database.h"
#include "recognition/layout/candidate_trace.h"
#include "recognition/layout/layout_entity_walk.h"
#include "recognition/layout/layout_ordering.h"
#include "recognition/layout/layout_promotion.h"
#include "recognition/layout/layout_records.h"
#include "recognition/predicates.h"
#include "recognition/recognition_state.h"

namespace {

// The record that every sheet record of the layout copies.
VexBatchPrintLayoutRecord baseRecord(const cad::Layout& layout, cad::ObjectId layoutId) {
  VexBatchPrintLayoutRecord base;
  base.layoutId = layoutId;
  const wchar_t* name = nullptr;
  if (layout.getName(name) == cad::eOk && name != nullptr) base.layoutName = name;
  base.sheetName = base.layoutName;
  base.tabOrder = layout.getTabOrder();
  const wchar_t* device = nullptr;
  if (layout.getPlotCfgName(device) == cad::eOk && device != nullptr) base.plotConfigName = device;
  const wchar_t* media = nullptr;
  if (layout.getCanonicalMediaName(media) == cad::eOk && media != nullptr) base.canonicalMediaName = media;
  layout.getPlotPaperSize(base.paperWidth, base.paperHeight);
  return base;
}

}  // namespace

std::vector<VexBatchPrintLayoutRecord> vexCollectPaperLayouts() {
  gBatchLayoutDiagnostics = VexBatchScanDiagnostics();
  gBatchLayoutCandidateTrace.clear();

  cad::Database* db = cad::acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return {};
  cad::Dictionary* dictionary = nullptr;
  if (db->getLayoutDictionary(dictionary, cad::kForRead) != cad::eOk) return {};
  std::vector<cad::ObjectId> layoutIds;
  layoutIds.reserve(dictionary->entries.size());
  for (const auto& entry : dictionary->entries) layoutIds.push_back(entry.second);
  dictionary->close();

  const bool pickedMode = vexBatchExplicitFrameMode();
  VexBatchLayoutScanContext context(gBatchLayoutDiagnostics, gBatchLayoutCandidateTrace, pickedMode);
  std::vector<VexBatchPrintLayoutRecord> records;
  // Room for four sheets a layout, more than most hold: room not filled is address space only, while a list
  // that grows moves every record made so far into memory the system must first fault in.
  records.reserve(layoutIds.size() * 4);
  // One set of lists for every layout, emptied between layouts: a drawing with hundreds of layouts does not
  // grow them anew each time.
  VexBatchLayoutCandidates candidates;
  for (cad::ObjectId layoutId : layoutIds) {
    cad::Layout* layout = nullptr;
    if (cad::acdbOpenObject(layout, layoutId, cad::kForRead) != cad::eOk) continue;
    if (layout->modelType()) {
      layout->close();
      continue;
    }
    candidates.base = baseRecord(*layout, layoutId);
    candidates.frames.clear();
    candidates.rectangles.clear();
    candidates.tiles.clear();
    candidates.borderLines.clear();
    candidates.evidence.clear();
    vexBatchWalkLayoutEntities(layout->getBlockTableRecordId(), candidates, context);
    layout->close();

    vexBatchAddFourLineRectangles(candidates, pickedMode);
    vexBatchTraceEnclosingRectangles(candidates, gBatchLayoutCandidateTrace);
    vexBatchPromoteLayoutRectangles(candidates, gBatchLayoutDiagnostics);
    vexBatchSettleLayoutFrames(candidates, gBatchLayoutDiagnostics);
    vexBatchAppendLayoutRecords(candidates, pickedMode, gBatchLayoutDiagnostics, records);
  }

  const std::uint64_t nestedExcluded = vexBatchFinishLayoutRecords(records, gBatchLayoutDiagnostics);
  // The trace is a diagnostic aid: a file that cannot be written leaves the records as they are.
  vexBatchWriteCandidateTraceFile(vexBatchLayoutCandidateTracePath(),
                                  vexBatchCandidateTraceFileText(nestedExcluded, records, gBatchLayoutCandidateTrace));
  return records;
}

#pragma once
// The first stage of the layout scan: one pass over a layout's paper space that sorts its entities into raw
// candidates (frames, enclosing rectangles, viewport tiles, border lines, content evidence) and writes the
// entity trace lines; then the rectangles formed by four border lines and the candidate trace lines.

#include <string>
#include <unordered_map>
#include <vector>

#include "cad/object.h"
#include "recognition/block_definition_cache.h"
#include "recognition/entity_kind.h"
#include "recognition/layout/layout_candidates.h"

namespace cad {
class Entity;
}

// What one layout scan carries from layout to layout: where its counters and trace lines go, the recognition
// mode it runs under, and answers that depend only on a layer or a block definition, asked once per scan.
class VexBatchLayoutScanContext {
 public:
  VexBatchLayoutScanContext(VexBatchScanDiagnostics& diagnostics, std::vector<std::wstring>& trace, bool pickedMode)
      : diagnostics(diagnostics), trace(trace), pickedMode(pickedMode) {}

  // vexBatchEntityLayerIsPlottable and vexBatchEntityLayerIsAllowed, remembered per layer. Neighbouring
  // entities mostly share one: the last layer's answer is at hand.
  [[nodiscard]] bool layerIsPlottable(const cad::Entity& entity) {
    if (!lastLayer_.isNull() && entity.layerId() == lastLayer_) return lastLayerPlottable_;
    return lookUpLayer(entity);
  }
  [[nodiscard]] bool layerIsAllowed(const cad::Entity& entity);
  // In automatic mode, whether a reference is a block frame by its name or its definition's drawn border;
  // remembered per definition (and per dynamic definition behind an anonymous one).
  [[nodiscard]] bool automaticBlockFrame(const cad::BlockReference& reference);

  VexBatchScanDiagnostics& diagnostics;
  std::vector<std::wstring>& trace;
  const bool pickedMode;
  VexBatchBlockDefinitionCache definitions;
  VexBatchEntityKinds kinds;

 private:
  bool lookUpLayer(const cad::Entity& entity);  // asks the table, or the answers kept, and keeps the answer at hand
  std::unordered_map<cad::ObjectId, bool> layerPlottable_;
  cad::ObjectId lastLayer_;
  bool lastLayerPlottable_ = true;
  std::unordered_map<cad::ObjectId, std::unordered_map<cad::ObjectId, bool>> blockFrame_;
};

// Walks the entities of the layout's paper-space block in stored order into `layout` (its base record's
// wholeLayout included). A block that cannot be opened or walked adds nothing; an entity that cannot be opened
// is skipped. Every object opened is closed before this returns.
void vexBatchWalkLayoutEntities(cad::ObjectId paperSpaceId, VexBatchLayoutCandidates& layout,
                                VexBatchLayoutScanContext& context);

// Adds a "four-lines" rectangle for each pair of horizontal border lines of about the same span that two
// vertical lines join at both ends (automatic mode only).
void vexBatchAddFourLineRectangles(VexBatchLayoutCandidates& layout, bool pickedMode);

// Appends a "candidate" trace line for each enclosing rectangle of 80 to 2500 units on both sides.
void vexBatchTraceEnclosingRectangles(const VexBatchLayoutCandidates& layout, std::vector<std::wstring>& trace);

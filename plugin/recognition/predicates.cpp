#include "recognition/predicates.h"

#include <algorithm>
#include <cwctype>

#include "cad/database.h"
#include "recognition/recognition_state.h"

namespace {

std::wstring lowered(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

// Plot flag of a layer table record; an id that does not open counts as plotted.
bool layerRecordPlottable(cad::ObjectId layerId) {
  cad::LayerTableRecord* layer = nullptr;
  if (cad::acdbOpenObject(layer, layerId, cad::kForRead) != cad::eOk) return true;
  bool plottable = layer->isPlottable();
  layer->close();
  return plottable;
}

}  // namespace

bool vexBatchFrameLayerPreferred(const std::wstring& name) {
  static const wchar_t* const kWords[] = {L"图框", L"frame", L"border", L"title", L"tk"};
  std::wstring text = lowered(name);
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](const wchar_t* word) { return text.find(word) != std::wstring::npos; });
}

bool vexBatchLayerNamesEqual(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

bool vexBatchEntityMatchesFrameRecognition(const cad::Entity* entity) {
  if (entity == nullptr) return false;
  switch (gBatchFrameRecognitionMode) {
    case VexBatchFrameRecognitionDesignatedLayer:
      return !gBatchDesignatedFrameLayer.empty() &&
             vexBatchLayerNamesEqual(vexBatchEntityLayer(entity), gBatchDesignatedFrameLayer);
    case VexBatchFrameRecognitionPickedEntities:
      return vexBatchSelectedFrameContains(entity->objectId());
    case VexBatchFrameRecognitionDesignatedBlock: {
      auto* reference = cad::BlockReference::cast(entity);
      if (reference == nullptr || gBatchDesignatedFrameBlock.empty()) return false;
      return vexBatchLayerNamesEqual(vexBatchBlockReferenceName(reference), gBatchDesignatedFrameBlock);
    }
    default:
      return true;
  }
}

bool vexBatchLayerNameIsPlottable(const std::wstring& layer) {
  if (layer.empty()) return true;
  cad::Database* db = cad::acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return true;
  cad::LayerTable* table = nullptr;
  if (db->getLayerTable(table, cad::kForRead) != cad::eOk) return true;
  cad::ObjectId layerId;
  cad::ErrorStatus found = table->getAt(layer, layerId);
  table->close();
  if (found != cad::eOk) return true;
  return layerRecordPlottable(layerId);
}

std::wstring vexBatchEntityLayer(const cad::Entity* entity) {
  if (entity == nullptr) return {};
  const wchar_t* name = entity->layer();
  return name == nullptr ? std::wstring() : std::wstring(name);
}

bool vexBatchEntityLayerIsPlottable(const cad::Entity* entity) {
  if (entity == nullptr) return true;
  return layerRecordPlottable(entity->layerId());
}

bool vexBatchEntityLayerIsAllowed(const cad::Entity* entity) {
  return gBatchIncludeNonPlottableLayers || vexBatchEntityLayerIsPlottable(entity);
}

std::wstring vexBatchBlockReferenceName(const cad::BlockReference* reference) {
  if (reference == nullptr || reference->blockTableRecord().isNull()) return {};
  // An anonymous representation of a dynamic block answers with the dynamic definition's name.
  cad::ObjectId recordId = reference->dynamicBlockTableRecord();
  if (recordId.isNull()) recordId = reference->blockTableRecord();
  cad::BlockTableRecord* record = nullptr;
  if (cad::acdbOpenObject(record, recordId, cad::kForRead) != cad::eOk) return {};
  std::wstring name;
  if (record->getName(name) != cad::eOk) name.clear();
  record->close();
  return name;
}

// A mode outside 1..3 (a damaged setting) is automatic here and in the entity match, so it never turns the
// automatic rules off while matching everything.
bool vexBatchExplicitFrameMode() {
  return gBatchFrameRecognitionMode >= VexBatchFrameRecognitionDesignatedLayer &&
         gBatchFrameRecognitionMode <= VexBatchFrameRecognitionDesignatedBlock;
}

bool vexBatchSelectedFrameContains(const cad::ObjectId& id) {
  return std::find(gBatchSelectedFrameEntityIds.begin(), gBatchSelectedFrameEntityIds.end(), id) !=
         gBatchSelectedFrameEntityIds.end();
}

bool vexBatchFrameMatchesDesignatedLayer(const std::wstring& layer) {
  if (gBatchFrameRecognitionMode != VexBatchFrameRecognitionDesignatedLayer) return true;
  if (gBatchDesignatedFrameLayer.empty()) return false;
  return vexBatchLayerNamesEqual(layer, gBatchDesignatedFrameLayer);
}

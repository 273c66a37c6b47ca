#pragma once
// What the picking commands use of sheet recognition, which stands above core: the entity tests they share
// with the scans, and the recognition settings each pick chooses. Recognition links itself in when the plug-in
// starts. Until then entities have no layer and no block name, no layer is allowed, and a choice goes nowhere.

#include <functional>
#include <string>
#include <vector>

#include "cad/object_id.h"
#include "core/picked_range.h"

namespace cad {
class BlockReference;
class Entity;
}  // namespace cad

struct RecognitionLink {
  std::function<std::wstring(const cad::Entity*)> entityLayer;
  // The entity's layer plots, or non-plotted layers are included.
  std::function<bool(const cad::Entity*)> entityLayerIsAllowed;
  std::function<std::wstring(const cad::BlockReference*)> blockReferenceName;

  // The choices. Each changes only what its pick decides: frames on this layer; only these entities; every
  // reference of this block; the frames inside this range.
  std::function<void(const std::wstring& layer)> useFrameLayer;
  std::function<void(const std::vector<cad::ObjectId>& entities)> useFrameEntities;
  std::function<void(const std::wstring& block)> useFrameBlock;
  std::function<void(const PickedRange& range)> useSelectionRange;
};

void setRecognitionLink(RecognitionLink link);

// The link's calls, each with its answer while the link is missing.
std::wstring linkedEntityLayer(const cad::Entity* entity);
bool linkedEntityLayerIsAllowed(const cad::Entity* entity);
std::wstring linkedBlockReferenceName(const cad::BlockReference* reference);
void chooseFrameLayer(const std::wstring& layer);
void chooseFrameEntities(const std::vector<cad::ObjectId>& entities);
void chooseFrameBlock(const std::wstring& block);
void chooseSelectionRange(const PickedRange& range);
// The drawing (its key) that the frames, the block or the range chosen last were picked on; empty before any.
const std::string& pickedChoicesDrawingKey();

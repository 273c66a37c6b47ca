#include "core/recognition_link.h"

#include <utility>

#include "core/host_bridge.h"

namespace {

RecognitionLink& installedLink() {
  static RecognitionLink instance;
  return instance;
}

std::string& pickedDrawingKey() {
  static std::string key;
  return key;
}

}  // namespace

void setRecognitionLink(RecognitionLink link) { installedLink() = std::move(link); }

std::wstring linkedEntityLayer(const cad::Entity* entity) {
  return installedLink().entityLayer ? installedLink().entityLayer(entity) : std::wstring();
}

bool linkedEntityLayerIsAllowed(const cad::Entity* entity) {
  return installedLink().entityLayerIsAllowed && installedLink().entityLayerIsAllowed(entity);
}

std::wstring linkedBlockReferenceName(const cad::BlockReference* reference) {
  return installedLink().blockReferenceName ? installedLink().blockReferenceName(reference) : std::wstring();
}

void chooseFrameLayer(const std::wstring& layer) {
  if (installedLink().useFrameLayer) installedLink().useFrameLayer(layer);
}

void chooseFrameEntities(const std::vector<cad::ObjectId>& entities) {
  pickedDrawingKey() = vexBatchCurrentDrawingKey();
  if (installedLink().useFrameEntities) installedLink().useFrameEntities(entities);
}

void chooseFrameBlock(const std::wstring& block) {
  pickedDrawingKey() = vexBatchCurrentDrawingKey();
  if (installedLink().useFrameBlock) installedLink().useFrameBlock(block);
}

void chooseSelectionRange(const PickedRange& range) {
  pickedDrawingKey() = vexBatchCurrentDrawingKey();
  if (installedLink().useSelectionRange) installedLink().useSelectionRange(range);
}

const std::string& pickedChoicesDrawingKey() { return pickedDrawingKey(); }

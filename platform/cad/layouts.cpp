#include "cad/layouts.h"

#include <algorithm>

#include "cad/database.h"

namespace cad {

namespace {

std::vector<ObjectId> layoutIds(const Database* db) {
  std::vector<ObjectId> ids;
  const auto* dictionary = Dictionary::cast(db->objectAt(db->layoutDictionaryId()));
  if (dictionary == nullptr) return ids;
  for (const auto& [name, id] : dictionary->entries) {
    if (layoutObject(db, id) != nullptr) ids.push_back(id);
  }
  return ids;
}

bool isModel(const Layout* layout) { return layout->modelType() || layout->layoutName == L"Model"; }

template <class Visit>
void forEachViewport(const Database* db, ObjectId layoutId, Visit visit) {
  const Layout* layout = layoutObject(db, layoutId);
  if (layout == nullptr) return;
  const auto* record = BlockTableRecord::cast(db->objectAt(layout->getBlockTableRecordId()));
  if (record == nullptr) return;
  for (ObjectId id : record->entityIds) {
    const auto* viewport = Viewport::cast(db->objectAt(id));
    if (viewport != nullptr && !viewport->isErased() && viewport->isOn()) visit(*viewport);
  }
}

}  // namespace

Layout* layoutObject(const Database* db, ObjectId id) {
  if (db == nullptr || id.isNull()) return nullptr;
  return Layout::cast(db->objectAt(id));
}

std::vector<ObjectId> layoutsInTabOrder(const Database* db) {
  if (db == nullptr) return {};
  std::vector<ObjectId> ids = layoutIds(db);
  std::stable_sort(ids.begin(), ids.end(), [&](ObjectId a, ObjectId b) {
    return layoutObject(db, a)->getTabOrder() < layoutObject(db, b)->getTabOrder();
  });
  return ids;
}

ObjectId modelLayoutId(const Database* db) {
  for (ObjectId id : layoutsInTabOrder(db)) {
    if (isModel(layoutObject(db, id))) return id;
  }
  return {};
}

ObjectId firstPaperLayoutId(const Database* db) {
  for (ObjectId id : layoutsInTabOrder(db)) {
    if (!isModel(layoutObject(db, id))) return id;
  }
  return {};
}

bool layoutHasViewport(const Database* db, ObjectId layout, int number) {
  if (number < 2) return false;
  bool found = false;
  forEachViewport(db, layout, [&](const Viewport& v) { found = found || v.number() == number; });
  return found;
}

int firstViewportNumber(const Database* db, ObjectId layout) {
  int best = 0;
  forEachViewport(db, layout, [&](const Viewport& v) {
    if (v.number() >= 2 && (best == 0 || v.number() < best)) best = v.number();
  });
  return best;
}

}  // namespace cad

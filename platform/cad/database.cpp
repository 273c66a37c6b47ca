#include "cad/database.h"

#include <algorithm>

#include "cad/linetype_table.h"

namespace cad {
namespace {

template <class T>
T* objectAs(const Database& db, ObjectId id) {
  return objectCast<T>(db.objectAt(id));
}

ObjectId findRecord(const Database& db, ObjectId tableId, const std::wstring& name) {
  auto* table = objectAs<SymbolTable>(db, tableId);
  ObjectId id;
  if (table == nullptr || table->getAt(name, id) != eOk) return {};
  return id;
}

}  // namespace

std::unique_ptr<Database> Database::createEmpty() {
  std::unique_ptr<Database> db(new Database());
  db->blockTable_ = db->addObject(std::make_unique<BlockTable>());
  db->layerTable_ = db->addObject(std::make_unique<LayerTable>());
  db->textStyleTable_ = db->addObject(std::make_unique<TextStyleTable>());
  db->layoutDictionary_ = db->addObject(std::make_unique<Dictionary>());
  db->linetypeTable_ = db->addObject(std::make_unique<LinetypeTable>());
  return db;
}

std::unique_ptr<Database> Database::createDefault() {
  auto db = createEmpty();
  db->addLayer(L"0");
  auto style = std::make_unique<TextStyleTableRecord>();
  style->name = L"Standard";
  style->fileName = L"txt";
  const ObjectId styleId = db->addObject(std::move(style), db->textStyleTable_);
  objectAs<TextStyleTable>(*db, db->textStyleTable_)->recordIds.push_back(styleId);
  db->addBlock(L"*Model_Space");
  db->addBlock(L"*Paper_Space");
  db->currentLayout_ = db->addLayout(L"Model", 0);
  db->addLayout(L"Layout1", 1);
  return db;
}

ObjectId Database::appendEntity(ObjectId blockRecord, std::unique_ptr<Entity> entity) {
  auto* record = objectAs<BlockTableRecord>(*this, blockRecord);
  if (record == nullptr || !entity) return {};
  const ObjectId id = addObject(std::move(entity), blockRecord);
  record->entityIds.push_back(id);
  return id;
}

template <class T>
ErrorStatus Database::openTable(ObjectId id, bool fail, OpenMode mode, T*& out) {
  out = nullptr;
  if (fail) return eNotApplicable;
  return acdbOpenObject(out, id, mode);
}

ErrorStatus Database::getBlockTable(BlockTable*& table, OpenMode mode) {
  return openTable(blockTable_, faults.blockTable, mode, table);
}
ErrorStatus Database::getLayerTable(LayerTable*& table, OpenMode mode) {
  return openTable(layerTable_, faults.layerTable, mode, table);
}
ErrorStatus Database::getTextStyleTable(TextStyleTable*& table, OpenMode mode) {
  return openTable(textStyleTable_, faults.textStyleTable, mode, table);
}
ErrorStatus Database::getLayoutDictionary(Dictionary*& dictionary, OpenMode mode) {
  return openTable(layoutDictionary_, faults.layoutDictionary, mode, dictionary);
}

ErrorStatus Database::getLinetypeTable(LinetypeTable*& table, OpenMode mode) {
  return openTable(linetypeTable_, false, mode, table);
}

ErrorStatus Database::getFilename(const wchar_t*& name) const {
  name = filename.c_str();
  return eOk;
}

ObjectId Database::modelSpaceId() const { return blockId(L"*Model_Space"); }
ObjectId Database::layerId(const std::wstring& name) const { return findRecord(*this, layerTable_, name); }
ObjectId Database::blockId(const std::wstring& name) const { return findRecord(*this, blockTable_, name); }

ObjectId Database::layoutId(const std::wstring& name) const {
  auto* dictionary = objectAs<Dictionary>(*this, layoutDictionary_);
  ObjectId id;
  if (dictionary == nullptr || dictionary->getAt(name, id) != eOk) return {};
  return id;
}

ObjectId Database::addLayer(const std::wstring& name, bool plottable) {
  auto* table = objectAs<LayerTable>(*this, layerTable_);
  if (table == nullptr || name.empty() || table->has(name)) return {};
  auto layer = std::make_unique<LayerTableRecord>();
  layer->name = name;
  layer->plottable = plottable;
  const ObjectId id = addObject(std::move(layer), layerTable_);
  table->recordIds.push_back(id);
  return id;
}

ObjectId Database::addBlock(const std::wstring& name, Point3d origin) {
  auto* table = objectAs<BlockTable>(*this, blockTable_);
  if (table == nullptr || name.empty() || table->has(name)) return {};
  auto block = std::make_unique<BlockTableRecord>();
  block->name = name;
  block->origin_ = origin;
  const ObjectId id = addObject(std::move(block), blockTable_);
  table->recordIds.push_back(id);
  return id;
}

ObjectId Database::addLayout(const std::wstring& name, int tabOrder) {
  auto* dictionary = objectAs<Dictionary>(*this, layoutDictionary_);
  if (dictionary == nullptr || name.empty() || !layoutId(name).isNull()) return {};
  const bool model = namesEqual(name, L"Model");
  ObjectId recordId;
  if (model) {
    recordId = modelSpaceId();
    if (recordId.isNull()) recordId = addBlock(L"*Model_Space");
  } else {
    // The first paper layout takes *Paper_Space; later ones get *Paper_Space0, *Paper_Space1, …
    recordId = blockId(L"*Paper_Space");
    auto* existing = objectAs<BlockTableRecord>(*this, recordId);
    if (existing == nullptr) {
      recordId = addBlock(L"*Paper_Space");
    } else if (existing->isLayout()) {
      int n = 0;
      do {
        recordId = addBlock(L"*Paper_Space" + std::to_wstring(n++));
      } while (recordId.isNull());
    }
  }
  auto* record = objectAs<BlockTableRecord>(*this, recordId);
  if (record == nullptr || record->isLayout()) return {};
  auto layout = std::make_unique<Layout>();
  layout->layoutName = name;
  layout->tabOrder = tabOrder;
  layout->blockRecordId = recordId;
  layout->model = model;
  layout->plotCfgName = L"None";
  const ObjectId id = addObject(std::move(layout), layoutDictionary_);
  record->layoutId = id;
  dictionary->entries.emplace_back(name, id);
  return id;
}

bool Database::tileMode() const {
  auto* layout = objectAs<Layout>(*this, currentLayout_);
  return layout == nullptr || layout->modelType();
}

void numberLayoutViewports(const std::vector<Viewport*>& viewports) {
  if (viewports.empty()) return;
  // The layout's own viewport is the one the file marked, else the first in stored order.
  auto own = std::find_if(viewports.begin(), viewports.end(), [](Viewport* v) { return v->fileId == 1; });
  if (own == viewports.end()) own = viewports.begin();
  (*own)->number_ = 1;
  int next = 2;
  for (Viewport* viewport : viewports) {
    if (viewport != *own) viewport->number_ = next++;
  }
}

void Database::renumberViewports() {
  for (Object* object : objects()) {
    if (auto* viewport = Viewport::cast(object)) viewport->number_ = -1;
  }
  auto* dictionary = objectAs<Dictionary>(*this, layoutDictionary_);
  if (dictionary == nullptr) return;
  std::vector<Viewport*> viewports;
  for (const auto& [name, layoutId] : dictionary->entries) {
    auto* layout = objectAs<Layout>(*this, layoutId);
    auto* record = layout == nullptr ? nullptr : objectAs<BlockTableRecord>(*this, layout->blockRecordId);
    if (record == nullptr) continue;
    viewports.clear();
    for (ObjectId entityId : record->entityIds) {
      auto* viewport = objectAs<Viewport>(*this, entityId);
      if (viewport != nullptr && !viewport->isErased()) viewports.push_back(viewport);
    }
    numberLayoutViewports(viewports);
  }
}

HostApplicationServices* acdbHostApplicationServices() {
  static HostApplicationServices services;
  return &services;
}

}  // namespace cad

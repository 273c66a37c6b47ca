#include "cad/database.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>

#include "cad/block_extents.h"

namespace cad {
namespace {

// Live databases by serial, so that an id alone finds its object. Never destroyed: databases held in
// static storage may outlive any static registry.
struct Registry {
  std::mutex mutex;
  std::unordered_map<std::uint16_t, Database*> live;
  std::uint16_t next = 1;
};

Registry& registry() {
  static Registry* instance = new Registry;
  return *instance;
}

// Serials are handed out round-robin so that an id of a closed drawing is unlikely to name an object of a
// later one; 0 (no serial left) makes every open of the database's ids fail rather than hit another drawing.
std::uint16_t allocateSerial(Database* db) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    const std::uint16_t candidate = r.next;
    r.next = static_cast<std::uint16_t>(r.next == 0xFFFF ? 1 : r.next + 1);
    if (r.live.emplace(candidate, db).second) return candidate;
  }
  return 0;
}

void releaseSerial(std::uint16_t serial) {
  if (serial == 0) return;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.live.erase(serial);
}

Database* databaseOf(ObjectId id) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.live.find(id.databaseSerial());
  return it == r.live.end() ? nullptr : it->second;
}

// Handles are hexadecimal numbers: "1a", "001A" and "1A" name one object. Zero, empty, non-hexadecimal or
// overlong text is no handle.
bool handleValue(const std::wstring& text, std::uint64_t& value) {
  value = 0;
  int digits = 0;
  for (wchar_t c : text) {
    int digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else if (c == L' ' || c == L'\t') continue;
    else return false;
    if (digits > 0 || digit != 0) ++digits;
    if (digits > 15) return false;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value != 0;
}

std::wstring hexHandle(std::uint64_t value) {
  char buffer[20];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  std::wstring out;
  for (char* p = buffer; p != end; ++p) out.push_back(static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(*p))));
  return out;
}

template <class T>
T* objectAs(const Database& db, ObjectId id) {
  return dynamic_cast<T*>(db.objectAt(id));
}

ObjectId findRecord(const Database& db, ObjectId tableId, const std::wstring& name) {
  auto* table = objectAs<SymbolTable>(db, tableId);
  ObjectId id;
  if (table == nullptr || table->getAt(name, id) != eOk) return {};
  return id;
}

}  // namespace

Database::Database() : serial_(allocateSerial(this)), extentsCache_(std::make_unique<BlockExtentsCache>()) {}

Database::~Database() { releaseSerial(serial_); }

std::unique_ptr<Database> Database::createEmpty() {
  std::unique_ptr<Database> db(new Database());
  db->blockTable_ = db->addObject(std::make_unique<BlockTable>());
  db->layerTable_ = db->addObject(std::make_unique<LayerTable>());
  db->textStyleTable_ = db->addObject(std::make_unique<TextStyleTable>());
  db->layoutDictionary_ = db->addObject(std::make_unique<Dictionary>());
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

ObjectId Database::addObject(std::unique_ptr<Object> object, ObjectId owner) {
  return addObject(std::move(object), owner, std::wstring());
}

ObjectId Database::addObject(std::unique_ptr<Object> object, ObjectId owner, const std::wstring& handle) {
  if (!object) return {};
  const ObjectId id{(static_cast<std::uint64_t>(serial_) << 48) | (nextIndex_++ & 0xFFFFFFFFFFFFull)};
  object->id_ = id;
  object->db_ = this;
  object->owner_ = owner;
  registerHandle(*object, handle);
  objects_.emplace(id, std::move(object));
  noteGeometryChanged();
  return id;
}

std::uint64_t Database::freshHandle() {
  while (handles_.count(nextHandle_) != 0) ++nextHandle_;
  return nextHandle_++;
}

void Database::registerHandle(Object& object, const std::wstring& handle) {
  std::uint64_t value = 0;
  if (handleValue(handle, value)) {
    if (value >= nextHandle_) nextHandle_ = value + 1;
    auto it = handles_.find(value);
    if (it == handles_.end()) {
      handles_.emplace(value, object.id_);
      object.handle_ = hexHandle(value);
      return;
    }
    if (madeUpHandles_.erase(value) != 0) {
      // The file's own handle wins: the object that had it made up moves to a fresh one.
      Object* other = objectAt(it->second);
      it->second = object.id_;
      object.handle_ = hexHandle(value);
      const std::uint64_t moved = freshHandle();
      handles_.emplace(moved, other->id_);
      madeUpHandles_.insert(moved);
      other->handle_ = hexHandle(moved);
      return;
    }
  }
  const std::uint64_t fresh = freshHandle();
  handles_.emplace(fresh, object.id_);
  madeUpHandles_.insert(fresh);
  object.handle_ = hexHandle(fresh);
}

ObjectId Database::objectIdFromHandle(const std::wstring& handle) const {
  std::uint64_t value = 0;
  if (!handleValue(handle, value)) return {};
  auto it = handles_.find(value);
  return it == handles_.end() ? ObjectId{} : it->second;
}

ObjectId Database::appendEntity(ObjectId blockRecord, std::unique_ptr<Entity> entity) {
  auto* record = objectAs<BlockTableRecord>(*this, blockRecord);
  if (record == nullptr || !entity) return {};
  const ObjectId id = addObject(std::move(entity), blockRecord);
  record->entityIds.push_back(id);
  return id;
}

Object* Database::objectAt(ObjectId id) const {
  auto it = objects_.find(id);
  return it == objects_.end() ? nullptr : it->second.get();
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

void Database::renumberViewports() {
  for (auto& [id, object] : objects_) {
    if (auto* viewport = dynamic_cast<Viewport*>(object.get())) viewport->number_ = -1;
  }
  auto* dictionary = objectAs<Dictionary>(*this, layoutDictionary_);
  if (dictionary == nullptr) return;
  for (const auto& [name, layoutId] : dictionary->entries) {
    auto* layout = objectAs<Layout>(*this, layoutId);
    auto* record = layout == nullptr ? nullptr : objectAs<BlockTableRecord>(*this, layout->blockRecordId);
    if (record == nullptr) continue;
    std::vector<Viewport*> viewports;
    for (ObjectId entityId : record->entityIds) {
      auto* viewport = objectAs<Viewport>(*this, entityId);
      if (viewport != nullptr && !viewport->isErased()) viewports.push_back(viewport);
    }
    if (viewports.empty()) continue;
    // The layout's own viewport is the one the file marked, else the first in stored order.
    auto own = std::find_if(viewports.begin(), viewports.end(), [](Viewport* v) { return v->fileId == 1; });
    if (own == viewports.end()) own = viewports.begin();
    (*own)->number_ = 1;
    int next = 2;
    for (Viewport* viewport : viewports) {
      if (viewport != *own) viewport->number_ = next++;
    }
  }
}

std::vector<ObjectId> Database::openObjects() const {
  std::vector<ObjectId> open;
  for (const auto& [id, object] : objects_) {
    if (object->openCount_ > 0) open.push_back(id);
  }
  std::sort(open.begin(), open.end());
  return open;
}

void Database::noteGeometryChanged() { extentsCache_->invalidate(); }

ErrorStatus Database::openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased) {
  Object* object = objectAt(id);
  if (object == nullptr) return eKeyNotFound;
  if (object->faults.open) return eNotApplicable;
  if (object->erased_ && !openErased) return eWasErased;
  if (object->openForWrite_) return eWasOpenForWrite;
  if (mode == kForWrite && object->openCount_ > 0) return eWasOpenForRead;
  ++object->openCount_;
  if (mode == kForWrite) {
    object->openForWrite_ = true;
    noteGeometryChanged();
  }
  out = object;
  return eOk;
}

ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased) {
  out = nullptr;
  if (id.isNull()) return eNullObjectId;
  Database* db = databaseOf(id);
  if (db == nullptr) return eKeyNotFound;
  return db->openObject(out, id, mode, openErased);
}

HostApplicationServices* acdbHostApplicationServices() {
  static HostApplicationServices services;
  return &services;
}

}  // namespace cad

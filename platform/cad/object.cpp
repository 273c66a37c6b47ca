#include "cad/object.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <mutex>

#include "cad/transient.h"

namespace cad {
namespace {

// Live stores by serial, so that an id alone finds its object. Never destroyed: databases held in static
// storage may outlive any static registry.
struct LiveStores {
  std::mutex mutex;
  std::unordered_map<std::uint16_t, ObjectStore*> live;
  std::uint16_t next = 1;
};

LiveStores& liveStores() {
  static LiveStores* instance = new LiveStores;
  return *instance;
}

// Serials are handed out round-robin so that an id of a closed drawing is unlikely to name an object of a
// later one; 0 (no serial left) makes every open of the store's ids fail rather than hit another drawing.
std::uint16_t allocateSerial(ObjectStore* store) {
  LiveStores& r = liveStores();
  std::lock_guard lock(r.mutex);
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    const std::uint16_t candidate = r.next;
    r.next = static_cast<std::uint16_t>(r.next == 0xFFFF ? 1 : r.next + 1);
    if (r.live.emplace(candidate, store).second) return candidate;
  }
  return 0;
}

void releaseSerial(std::uint16_t serial) {
  if (serial == 0) return;
  LiveStores& r = liveStores();
  std::lock_guard lock(r.mutex);
  r.live.erase(serial);
}

ObjectStore* storeOf(ObjectId id) {
  LiveStores& r = liveStores();
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
  for (char* p = buffer; p != end; ++p) {
    out.push_back(static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(*p))));
  }
  return out;
}

}  // namespace

ErrorStatus Object::close() {
  if (openCount_ == 0) {
    if (store_ != nullptr) ++store_->strayCloses_;
    return eNotApplicable;
  }
  --openCount_;
  if (openForWrite_) {
    // The writer may have changed geometry that block references' memo was built from.
    openForWrite_ = false;
    if (store_ != nullptr) store_->noteGeometryChanged();
  }
  return eOk;
}

void Object::setErased(bool erased) {
  if (erased_ == erased) return;
  erased_ = erased;
  if (store_ != nullptr) store_->noteGeometryChanged();
}

Entity::~Entity() { transientManager().drawableDestroyed(this); }

ErrorStatus Entity::getGeomExtents(Extents3d& extents) const {
  if (entityFaults.extents) return eInvalidExtents;
  Extents3d box;
  const ErrorStatus es = computeExtents(box);
  if (es != eOk) return es;
  if (box.isEmpty()) return eInvalidExtents;
  for (double v : {box.minPoint.x, box.minPoint.y, box.minPoint.z, box.maxPoint.x, box.maxPoint.y, box.maxPoint.z}) {
    if (!std::isfinite(v)) return eInvalidExtents;
  }
  extents = box;
  return eOk;
}

ObjectStore::ObjectStore() : serial_(allocateSerial(this)) {}

ObjectStore::~ObjectStore() { releaseSerial(serial_); }

ObjectId ObjectStore::addObject(std::unique_ptr<Object> object, ObjectId owner) {
  return addObject(std::move(object), owner, std::wstring());
}

ObjectId ObjectStore::addObject(std::unique_ptr<Object> object, ObjectId owner, const std::wstring& handle) {
  if (!object) return {};
  const ObjectId id{(static_cast<std::uint64_t>(serial_) << 48) | (nextIndex_++ & 0xFFFFFFFFFFFFull)};
  object->id_ = id;
  object->store_ = this;
  object->owner_ = owner;
  registerHandle(*object, handle);
  objects_.emplace(id, std::move(object));
  noteGeometryChanged();
  return id;
}

std::uint64_t ObjectStore::freshHandle() {
  while (handles_.count(nextHandle_) != 0) ++nextHandle_;
  return nextHandle_++;
}

void ObjectStore::registerHandle(Object& object, const std::wstring& handle) {
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

ObjectId ObjectStore::objectIdFromHandle(const std::wstring& handle) const {
  std::uint64_t value = 0;
  if (!handleValue(handle, value)) return {};
  auto it = handles_.find(value);
  return it == handles_.end() ? ObjectId{} : it->second;
}

Object* ObjectStore::objectAt(ObjectId id) const {
  auto it = objects_.find(id);
  return it == objects_.end() ? nullptr : it->second.get();
}

std::vector<ObjectId> ObjectStore::openObjects() const {
  std::vector<ObjectId> open;
  for (const auto& [id, object] : objects_) {
    if (object->openCount_ > 0) open.push_back(id);
  }
  std::sort(open.begin(), open.end());
  return open;
}

ErrorStatus ObjectStore::openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased) {
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
  ObjectStore* store = storeOf(id);
  if (store == nullptr) return eKeyNotFound;
  return store->openObject(out, id, mode, openErased);
}

}  // namespace cad

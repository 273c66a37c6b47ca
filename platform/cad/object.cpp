#include "cad/object.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <mutex>
#include <new>
#include <type_traits>

#include "cad/transient.h"

namespace cad {
namespace {

// Live stores by serial, so that an id alone finds its object: a look-up is one load, the lock is taken only
// to hand out and give back serials. All zero to begin with, so that the table's half megabyte costs nothing
// until its entries are used; and never destroyed (it has nothing to destroy): databases held in static
// storage may outlive any static registry.
struct LiveStores {
  std::mutex mutex;
  std::atomic<ObjectStore*> live[0x10000];
  std::uint16_t last;  // the serial handed out last
};
static_assert(std::is_trivially_destructible_v<LiveStores>);
constinit LiveStores liveStoresTable{};

LiveStores& liveStores() { return liveStoresTable; }

// Serials are handed out round-robin so that an id of a closed drawing is unlikely to name an object of a
// later one; 0 (no serial left) makes every open of the store's ids fail rather than hit another drawing.
std::uint16_t allocateSerial(ObjectStore* store) {
  LiveStores& r = liveStores();
  std::lock_guard lock(r.mutex);
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    const std::uint16_t candidate = static_cast<std::uint16_t>(r.last == 0xFFFF ? 1 : r.last + 1);
    r.last = candidate;
    if (r.live[candidate].load(std::memory_order_relaxed) == nullptr) {
      r.live[candidate].store(store, std::memory_order_release);
      return candidate;
    }
  }
  return 0;
}

void releaseSerial(std::uint16_t serial) {
  if (serial == 0) return;
  LiveStores& r = liveStores();
  std::lock_guard lock(r.mutex);
  r.live[serial].store(nullptr, std::memory_order_release);
}

ObjectStore* storeOf(ObjectId id) {
  if (id.databaseSerial() == 0) return nullptr;
  return liveStores().live[id.databaseSerial()].load(std::memory_order_acquire);
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

void* Object::operator new(std::size_t size) {
  if (ObjectArena* arena = ObjectArena::current()) return arena->allocate(size);
  return ::operator new(size);
}

void Object::operator delete(void* p, std::size_t size) {
  if (p == nullptr || ObjectArena::anyOwns(p)) return;  // given back with its arena
  ::operator delete(p, size);
}

std::wstring Object::handle() const { return handle_ == 0 ? std::wstring() : hexHandle(handle_); }

namespace {
const Name& layerZero() {
  static const Name zero(L"0");
  return zero;
}
}  // namespace

Entity::Entity(ObjectKind kind) : Object(kind), layer_(layerZero()) {}

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

ObjectStore::~ObjectStore() {
  releaseSerial(serial_);
  // The objects go in one pass; those in the arena give their memory back with it, all at once.
  for (Object* object : objects_) {
    if (object->inArena_) {
      object->~Object();
    } else {
      delete object;
    }
  }
}

void ObjectStore::reserve(std::size_t objects) {
  objects_.reserve(objects);
  handles_.reserve(objects, [this](std::uint32_t place) { return handleAt(place); });
}

ObjectId ObjectStore::addObject(std::unique_ptr<Object> object, ObjectId owner) {
  return addObject(std::move(object), owner, std::uint64_t{0});
}

ObjectId ObjectStore::addObject(std::unique_ptr<Object> object, ObjectId owner, const std::wstring& handle) {
  std::uint64_t value = 0;
  if (!handleValue(handle, value)) value = 0;
  return addObject(std::move(object), owner, value);
}

ObjectId ObjectStore::addObject(std::unique_ptr<Object> object, ObjectId owner, std::uint64_t handle) {
  if (!object || objects_.size() >= HandleTable::kNone) return {};
  objects_.push_back(nullptr);  // room first, so that nothing below can fail with the object half added
  Object* added = object.release();
  objects_.back() = added;
  added->id_ = ObjectId{(static_cast<std::uint64_t>(serial_) << 48) | (objects_.size() & kIndexMask)};
  added->store_ = this;
  added->owner_ = owner;
  added->inArena_ = arena_.owns(added);
  registerHandle(*added, handle);
  noteGeometryChanged();
  return added->id_;
}

std::uint64_t ObjectStore::freshHandle() {
  while (!objectIdFromHandle(nextHandle_).isNull()) ++nextHandle_;
  return nextHandle_++;
}

void ObjectStore::registerHandle(Object& object, std::uint64_t handle) {
  const auto handleOf = [this](std::uint32_t place) { return handleAt(place); };
  const auto place = static_cast<std::uint32_t>(object.id_.value & kIndexMask) - 1;
  if (handle != 0) {
    if (handle >= nextHandle_) nextHandle_ = handle + 1;
    const std::uint32_t holder = handles_.find(handle, handleOf);
    if (holder == HandleTable::kNone) {
      object.handle_ = handle;
      handles_.insert(handle, place, handleOf);
      return;
    }
    Object* other = objects_[holder];
    if (other->handleMadeUp_) {
      // The file's own handle wins: the object that had it made up moves to a fresh one.
      object.handle_ = handle;
      handles_.replace(handle, place, handleOf);
      const std::uint64_t moved = freshHandle();
      other->handle_ = moved;
      handles_.insert(moved, holder, handleOf);
      return;
    }
  }
  const std::uint64_t fresh = freshHandle();
  object.handle_ = fresh;
  object.handleMadeUp_ = true;
  handles_.insert(fresh, place, handleOf);
}

ObjectId ObjectStore::objectIdFromHandle(const std::wstring& handle) const {
  std::uint64_t value = 0;
  if (!handleValue(handle, value)) return {};
  return objectIdFromHandle(value);
}

ObjectId ObjectStore::objectIdFromHandle(std::uint64_t handle, bool fromFileOnly) const {
  if (handle == 0) return {};
  const std::uint32_t place = handles_.find(handle, [this](std::uint32_t p) { return handleAt(p); });
  if (place == HandleTable::kNone) return {};
  const Object* object = objects_[place];
  return fromFileOnly && object->handleMadeUp_ ? ObjectId{} : object->id_;
}

std::vector<ObjectId> ObjectStore::openObjects() const {
  std::vector<ObjectId> open;
  for (const Object* object : objects_) {
    if (object->openCount_ > 0) open.push_back(object->id_);
  }
  return open;  // in id order, as they were added
}

ErrorStatus ObjectStore::openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased) {
  Object* object = objectAt(id);
  if (object == nullptr) return eKeyNotFound;
  const ErrorStatus es = openObject(object, mode, openErased);
  if (es == eOk) out = object;
  return es;
}

ErrorStatus ObjectStore::openObject(Object* object, OpenMode mode, bool openErased) {
  if (object->faults.open) return eNotApplicable;
  if (object->erased_ && !openErased) return eWasErased;
  if (object->openForWrite_) return eWasOpenForWrite;
  if (mode == kForWrite && object->openCount_ > 0) return eWasOpenForRead;
  ++object->openCount_;
  if (mode == kForWrite) {
    object->openForWrite_ = true;
    noteGeometryChanged();
  }
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

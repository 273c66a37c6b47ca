#pragma once
// Base of every database object, as the host's open-for-read / close discipline needs it, and the store that
// holds one drawing's objects by id and handle and keeps that discipline.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "cad/entity_properties.h"
#include "cad/error_status.h"
#include "cad/geometry.h"
#include "cad/handle_table.h"
#include "cad/names.h"
#include "cad/object_arena.h"
#include "cad/object_id.h"
#include "cad/object_kind.h"
#include "foundation/large_memory.h"

namespace cad {

class ObjectStore;

// Run-time class description: isA()->name() gives the host's class name, e.g. L"AcDbPolyline".
class RxClass {
 public:
  explicit RxClass(const wchar_t* name) : name_(name) {}
  const wchar_t* name() const { return name_; }

 private:
  const wchar_t* name_;
};

class Object {
 public:
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  // In the arena of an open ObjectArena::Scope, else on the heap.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size);

  ObjectKind kind() const { return kind_; }
  ObjectId objectId() const { return id_; }
  ObjectId ownerId() const { return owner_; }
  // The store (the drawing's database) holding the object; null until it is added to one.
  const ObjectStore* objectStore() const { return store_; }
  bool isErased() const { return erased_; }
  void setErased(bool erased);
  // Hexadecimal, upper case, as the file gave it or the store made it up; empty until added to a store.
  std::wstring handle() const;

  // nullptr when the object has no run-time class (test hook noClass).
  const RxClass* isA() const { return faults.noClass ? nullptr : &rxClass(); }
  virtual const RxClass& rxClass() const = 0;

  // Ends one open of this object. Closing an object that is not open is reported, not ignored.
  ErrorStatus close();
  int openCount() const { return openCount_; }
  bool isWriteEnabled() const { return openForWrite_; }

 protected:
  explicit Object(ObjectKind kind = ObjectKind::kObject) : kind_(kind) {}

 private:
  friend class ObjectStore;
  ObjectId id_;
  ObjectId owner_;
  ObjectStore* store_ = nullptr;
  std::uint64_t handle_ = 0;
  int openCount_ = 0;
  ObjectKind kind_;
  bool erased_ = false;
  bool openForWrite_ = false;
  bool inArena_ = false;       // its store destroys it in place and gives the memory back with the arena
  bool handleMadeUp_ = false;  // the store gave the handle, not a file

 public:
  // Test side: make host calls on this object fail. (Last, beside the flags above: no room of its own.)
  struct Faults {
    bool open = false;     // acdbOpenObject fails
    bool noClass = false;  // isA() gives nullptr
  } faults;
};

// Every drawable: layer, colour, extents.
class Entity : public Object {
 public:
  // Tells the transient manager, which must not keep showing an entity that is gone.
  ~Entity() override;
  static auto cast(auto* object) {
    using Result = std::conditional_t<std::is_const_v<std::remove_pointer_t<decltype(object)>>, const Entity*, Entity*>;
    return object != nullptr && isEntityKind(object->kind()) ? static_cast<Result>(object) : nullptr;
  }

  // Layer name; nullptr when it cannot be read (test hook).
  const wchar_t* layer() const { return entityFaults.layerName ? nullptr : layer_.c_str(); }
  ObjectId layerId() const { return layerId_; }
  void setLayer(const Name& name, ObjectId layerId) {
    layer_ = name;
    layerId_ = layerId;
  }
  int colorIndex() const { return colorIndex_; }
  void setColorIndex(int index) { colorIndex_ = index; }
  // Linetype, lineweight, true colour, visibility.
  EntityProperties properties;

  // World (or, inside a block definition, block) coordinates. Non-finite results count as no extents.
  ErrorStatus getGeomExtents(Extents3d& extents) const;

  struct EntityFaults {
    bool extents = false;    // getGeomExtents fails
    bool layerName = false;  // layer() gives nullptr
    bool area = false;       // getArea fails (curves)
  } entityFaults;

 protected:
  explicit Entity(ObjectKind kind = ObjectKind::kEntity);
  // Subclasses compute their own box; the wrapper applies the fault hook and the finiteness rule.
  virtual ErrorStatus computeExtents(Extents3d& extents) const = 0;

 private:
  Name layer_;
  ObjectId layerId_;
  int colorIndex_ = 256;  // by layer
};

// The objects of one drawing. Ids are unique across stores (an id alone finds its object), handles unique
// within one. The drawing database (database.h) is a store with its tables and layouts.
class ObjectStore {
 public:
  ObjectStore(const ObjectStore&) = delete;
  ObjectStore& operator=(const ObjectStore&) = delete;

  std::uint16_t serial() const { return serial_; }

  // Takes ownership; gives the object an id unique across stores and a handle unique in this drawing.
  ObjectId addObject(std::unique_ptr<Object> object, ObjectId owner = {});
  // As above with the handle the file gave. A file's handle wins over one the store made up; one another
  // file object already has (a damaged file) is replaced by a fresh one.
  ObjectId addObject(std::unique_ptr<Object> object, ObjectId owner, const std::wstring& handle);
  // The same with the handle's number; 0 is none.
  ObjectId addObject(std::unique_ptr<Object> object, ObjectId owner, std::uint64_t handle);
  // Hexadecimal handle text, case and leading zeros ignored; null when no object has it.
  ObjectId objectIdFromHandle(const std::wstring& handle) const;
  // The object that has this handle number; with `fromFileOnly`, null when the store made the handle up.
  ObjectId objectIdFromHandle(std::uint64_t handle, bool fromFileOnly = false) const;
  // No open/close; for builders and the reader.
  Object* objectAt(ObjectId id) const {
    const std::uint64_t index = id.value & kIndexMask;
    if (id.databaseSerial() != serial_ || index == 0 || index > objects_.size()) return nullptr;
    return objects_[index - 1];
  }

  // Room for this many objects in the id and handle tables before they grow.
  void reserve(std::size_t objects);
  // Names the drawing's objects share; they live as long as the store.
  NamePool& names() { return names_; }
  // Where a reader places the objects it makes (object_arena.h).
  ObjectArena& arena() { return arena_; }

  // Objects still open: a correct caller leaves none.
  std::vector<ObjectId> openObjects() const;
  // close() calls on objects that were not open.
  int strayCloses() const { return strayCloses_; }

  // Memos of geometry (block references' extents) hold while this stays the same. Adding objects, opening
  // for write, closing and erasing move it on; code that edits entity fields in place afterwards calls
  // noteGeometryChanged.
  std::uint64_t geometryGeneration() const { return geometryGeneration_; }
  void noteGeometryChanged() { ++geometryGeneration_; }

 protected:
  ObjectStore();
  // Destroys the objects; those in the arena are not freed one by one but with it.
  ~ObjectStore();
  // Every object in the order it was added.
  const std::vector<Object*, foundation::LargeAllocator<Object*>>& objects() const { return objects_; }

 private:
  friend class Object;
  friend class BlockTableRecordIterator;
  friend ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  static constexpr std::uint64_t kIndexMask = 0xFFFFFFFFFFFFull;
  ErrorStatus openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  ErrorStatus openObject(Object* object, OpenMode mode, bool openErased);
  void registerHandle(Object& object, std::uint64_t handle);
  std::uint64_t freshHandle();
  std::uint64_t handleAt(std::uint32_t place) const { return objects_[place]->handle_; }
  std::uint16_t serial_;
  std::uint64_t nextHandle_ = 1;
  int strayCloses_ = 0;
  std::atomic<std::uint64_t> geometryGeneration_{1};
  // Members the objects refer to come first, so that they are still there while the objects are destroyed.
  ObjectArena arena_;
  NamePool names_;
  std::vector<Object*, foundation::LargeAllocator<Object*>> objects_;  // by index - 1; owned
  HandleTable handles_;                                                // handle → index - 1
};

// `object` as a T, by its kind where T has a cast() of its own.
template <class T>
T* objectCast(Object* object) {
  if constexpr (requires { T::cast(object); }) {
    return T::cast(object);
  } else {
    return dynamic_cast<T*>(object);
  }
}

// Finds the store by the id's serial; fails on a null id, an erased object (unless asked), the object's
// open fault, or an object of another kind.
ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased);

template <class T>
ErrorStatus acdbOpenObject(T*& out, ObjectId id, OpenMode mode = kForRead, bool openErased = false) {
  out = nullptr;
  Object* object = nullptr;
  ErrorStatus es = openObjectRaw(object, id, mode, openErased);
  if (es != eOk) return es;
  out = objectCast<T>(object);
  if (out == nullptr) {
    object->close();
    return eNotThatKindOfClass;
  }
  return eOk;
}

}  // namespace cad

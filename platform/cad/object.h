#pragma once
// Base of every database object, as the host's open-for-read / close discipline needs it, and the store that
// holds one drawing's objects by id and handle and keeps that discipline.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/entity_properties.h"
#include "cad/error_status.h"
#include "cad/geometry.h"
#include "cad/object_id.h"

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

  ObjectId objectId() const { return id_; }
  ObjectId ownerId() const { return owner_; }
  // The store (the drawing's database) holding the object; null until it is added to one.
  const ObjectStore* objectStore() const { return store_; }
  bool isErased() const { return erased_; }
  void setErased(bool erased);
  const std::wstring& handle() const { return handle_; }

  // nullptr when the object has no run-time class (test hook noClass).
  const RxClass* isA() const { return faults.noClass ? nullptr : &rxClass(); }
  virtual const RxClass& rxClass() const = 0;

  // Ends one open of this object. Closing an object that is not open is reported, not ignored.
  ErrorStatus close();
  int openCount() const { return openCount_; }
  bool isWriteEnabled() const { return openForWrite_; }

  // Test side: make host calls on this object fail.
  struct Faults {
    bool open = false;     // acdbOpenObject fails
    bool noClass = false;  // isA() gives nullptr
  } faults;

 protected:
  Object() = default;

 private:
  friend class ObjectStore;
  ObjectId id_;
  ObjectId owner_;
  ObjectStore* store_ = nullptr;
  bool erased_ = false;
  int openCount_ = 0;
  bool openForWrite_ = false;
  std::wstring handle_;  // DXF handle text, when read from a file
};

// Every drawable: layer, colour, extents.
class Entity : public Object {
 public:
  // Tells the transient manager, which must not keep showing an entity that is gone.
  ~Entity() override;

  // Layer name; nullptr when it cannot be read (test hook).
  const wchar_t* layer() const { return entityFaults.layerName ? nullptr : layer_.c_str(); }
  ObjectId layerId() const { return layerId_; }
  void setLayer(const std::wstring& name, ObjectId layerId) { layer_ = name; layerId_ = layerId; }
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
  // Subclasses compute their own box; the wrapper applies the fault hook and the finiteness rule.
  virtual ErrorStatus computeExtents(Extents3d& extents) const = 0;

 private:
  std::wstring layer_ = L"0";
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
  // Hexadecimal handle text, case and leading zeros ignored; null when no object has it.
  ObjectId objectIdFromHandle(const std::wstring& handle) const;
  Object* objectAt(ObjectId id) const;  // no open/close; for builders and the reader

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
  ~ObjectStore();
  const std::unordered_map<ObjectId, std::unique_ptr<Object>>& objects() const { return objects_; }

 private:
  friend class Object;
  friend ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  ErrorStatus openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  void registerHandle(Object& object, const std::wstring& handle);
  std::uint64_t freshHandle();
  std::uint16_t serial_;
  std::uint64_t nextIndex_ = 1;
  std::uint64_t nextHandle_ = 1;
  int strayCloses_ = 0;
  std::atomic<std::uint64_t> geometryGeneration_{1};
  std::unordered_map<ObjectId, std::unique_ptr<Object>> objects_;
  std::unordered_map<std::uint64_t, ObjectId> handles_;
  std::unordered_set<std::uint64_t> madeUpHandles_;  // handles the store gave, not a file
};

// Finds the store by the id's serial; fails on a null id, an erased object (unless asked), the object's
// open fault, or an object of another kind.
ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased);

template <class T>
ErrorStatus acdbOpenObject(T*& out, ObjectId id, OpenMode mode = kForRead, bool openErased = false) {
  out = nullptr;
  Object* object = nullptr;
  ErrorStatus es = openObjectRaw(object, id, mode, openErased);
  if (es != eOk) return es;
  out = dynamic_cast<T*>(object);
  if (out == nullptr) {
    object->close();
    return eNotThatKindOfClass;
  }
  return eOk;
}

}  // namespace cad

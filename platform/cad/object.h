#pragma once
// Base of every database object, as the host's open-for-read / close discipline needs it.

#include <string>

#include "error_status.h"
#include "geometry.h"
#include "object_id.h"

namespace cad {

class Database;

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
  Database* database() const { return db_; }
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
  friend class Database;
  ObjectId id_;
  ObjectId owner_;
  Database* db_ = nullptr;
  bool erased_ = false;
  int openCount_ = 0;
  bool openForWrite_ = false;
  std::wstring handle_;  // DXF handle text, when read from a file
};

// Every drawable: layer, colour, extents.
class Entity : public Object {
 public:
  // Layer name; nullptr when it cannot be read (test hook).
  const wchar_t* layer() const { return entityFaults.layerName ? nullptr : layer_.c_str(); }
  ObjectId layerId() const { return layerId_; }
  void setLayer(const std::wstring& name, ObjectId layerId) { layer_ = name; layerId_ = layerId; }
  int colorIndex() const { return colorIndex_; }
  void setColorIndex(int index) { colorIndex_ = index; }

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

}  // namespace cad

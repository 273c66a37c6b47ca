#pragma once
// The drawing database: owns every object of one drawing; objects are opened for reading and closed.

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tables.h"

namespace cad {

class BlockExtentsCache;

class Database {
 public:
  // A database with the standard tables, layer "0", style "Standard", "*Model_Space" and "*Paper_Space"
  // records, and the layouts "Model" and "Layout1" (tab orders 0 and 1); model space is current.
  static std::unique_ptr<Database> createDefault();
  // A database with nothing in it, for the DXF reader to fill.
  static std::unique_ptr<Database> createEmpty();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  std::uint16_t serial() const { return serial_; }

  // Takes ownership; gives the object an id unique across databases and a handle unique in this drawing.
  ObjectId addObject(std::unique_ptr<Object> object, ObjectId owner = {});
  // As above with the handle the file gave. A file's handle wins over one the database made up; one another
  // file object already has (a damaged file) is replaced by a fresh one.
  ObjectId addObject(std::unique_ptr<Object> object, ObjectId owner, const std::wstring& handle);
  // Hexadecimal handle text, case and leading zeros ignored; null when no object has it.
  ObjectId objectIdFromHandle(const std::wstring& handle) const;
  // Adds an entity at the end of a block table record's stored order.
  ObjectId appendEntity(ObjectId blockRecord, std::unique_ptr<Entity> entity);
  Object* objectAt(ObjectId id) const;  // no open/close; for builders and the reader

  // Host calls
  ErrorStatus getBlockTable(BlockTable*& table, OpenMode mode = kForRead);
  ErrorStatus getLayerTable(LayerTable*& table, OpenMode mode = kForRead);
  ErrorStatus getTextStyleTable(TextStyleTable*& table, OpenMode mode = kForRead);
  ErrorStatus getLayoutDictionary(Dictionary*& dictionary, OpenMode mode = kForRead);
  ErrorStatus getFilename(const wchar_t*& name) const;

  // Ids of the fixed objects.
  ObjectId blockTableId() const { return blockTable_; }
  ObjectId layerTableId() const { return layerTable_; }
  ObjectId textStyleTableId() const { return textStyleTable_; }
  ObjectId layoutDictionaryId() const { return layoutDictionary_; }
  ObjectId modelSpaceId() const;
  ObjectId layerId(const std::wstring& name) const;  // null when absent
  ObjectId blockId(const std::wstring& name) const;  // null when absent
  ObjectId layoutId(const std::wstring& name) const; // case-insensitive; null when absent

  // Builders: a named layer / block / layout (a layout gets its own paper-space block record).
  ObjectId addLayer(const std::wstring& name, bool plottable = true);
  ObjectId addBlock(const std::wstring& name, Point3d origin = {});
  ObjectId addLayout(const std::wstring& name, int tabOrder);

  // The active layout of this drawing (the layout manager's): "Model" or a paper-space layout.
  ObjectId currentLayoutId() const { return currentLayout_; }
  void setCurrentLayoutId(ObjectId layout) { currentLayout_ = layout; }
  bool tileMode() const;  // true in model space

  // Viewport numbers: each layout's own paper-space viewport is 1, its others 2, 3, … in stored order.
  void renumberViewports();

  std::wstring filename;  // empty for an unsaved drawing
  std::map<std::wstring, std::wstring> headerVariables;  // $ACADVER, $INSUNITS, … as read

  // Test side
  struct Faults {
    bool blockTable = false;
    bool layerTable = false;
    bool textStyleTable = false;
    bool layoutDictionary = false;
  } faults;
  // Objects still open: a correct caller leaves none.
  std::vector<ObjectId> openObjects() const;
  // close() calls on objects that were not open.
  int strayCloses() const { return strayCloses_; }

  // Block references' extents come from a memo of each definition's geometry. Adding objects, opening for
  // write, closing and erasing drop it; code that edits entity fields in place afterwards calls this.
  void noteGeometryChanged();
  BlockExtentsCache& blockExtentsCache() const { return *extentsCache_; }

 private:
  Database();
  friend class Object;
  friend ErrorStatus openObjectRaw(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  ErrorStatus openObject(Object*& out, ObjectId id, OpenMode mode, bool openErased);
  void registerHandle(Object& object, const std::wstring& handle);
  std::uint64_t freshHandle();
  template <class T>
  ErrorStatus openTable(ObjectId id, bool fail, OpenMode mode, T*& out);
  std::uint16_t serial_;
  std::uint64_t nextIndex_ = 1;
  std::uint64_t nextHandle_ = 1;
  int strayCloses_ = 0;
  std::unordered_map<ObjectId, std::unique_ptr<Object>> objects_;
  std::unordered_map<std::uint64_t, ObjectId> handles_;
  std::unordered_set<std::uint64_t> madeUpHandles_;  // handles the database gave, not a file
  std::unique_ptr<BlockExtentsCache> extentsCache_;
  ObjectId blockTable_, layerTable_, textStyleTable_, layoutDictionary_, currentLayout_;
};

// Finds the database by the id's serial; fails on a null id, an erased object (unless asked), the object's
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

class LayoutManager;
class PlotSettingsValidator;

// The host's application services: which database commands work on, and the services that go with it.
class HostApplicationServices {
 public:
  Database* workingDatabase() const { return working_; }
  void setWorkingDatabase(Database* db) { working_ = db; }

  // nullptr while a test makes them absent.
  PlotSettingsValidator* plotSettingsValidator() const;
  LayoutManager* layoutManager() const;

  enum FindFileHint { kDefault = 0, kFontFile = 1, kCompiledShapeFile = 2, kTrueTypeFontFile = 3 };
  // eOk with the full path of the file; font hints look in the font folders too (plot/font_search.h).
  ErrorStatus findFile(std::wstring& found, const wchar_t* name, Database* db = nullptr,
                       FindFileHint hint = kDefault) const;

 private:
  Database* working_ = nullptr;
};
HostApplicationServices* acdbHostApplicationServices();

}  // namespace cad

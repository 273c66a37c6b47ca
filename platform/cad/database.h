#pragma once
// The drawing database: owns every object of one drawing; objects are opened for reading and closed.

#include <map>
#include <memory>
#include <string>

#include "cad/object.h"
#include "cad/tables.h"

namespace cad {

class LinetypeTable;

// A store of objects (object.h) that holds the drawing's tables, layouts and plot settings.
class Database : public ObjectStore {
 public:
  // A database with the standard tables, layer "0", style "Standard", "*Model_Space" and "*Paper_Space"
  // records, and the layouts "Model" and "Layout1" (tab orders 0 and 1); model space is current.
  static std::unique_ptr<Database> createDefault();
  // A database with nothing in it, for the DXF reader to fill.
  static std::unique_ptr<Database> createEmpty();

  // Adds an entity at the end of a block table record's stored order.
  ObjectId appendEntity(ObjectId blockRecord, std::unique_ptr<Entity> entity);

  // Host calls
  ErrorStatus getBlockTable(BlockTable*& table, OpenMode mode = kForRead);
  ErrorStatus getLayerTable(LayerTable*& table, OpenMode mode = kForRead);
  ErrorStatus getTextStyleTable(TextStyleTable*& table, OpenMode mode = kForRead);
  ErrorStatus getLayoutDictionary(Dictionary*& dictionary, OpenMode mode = kForRead);
  ErrorStatus getLinetypeTable(LinetypeTable*& table, OpenMode mode = kForRead);
  ErrorStatus getFilename(const wchar_t*& name) const;

  // Ids of the fixed objects.
  ObjectId blockTableId() const { return blockTable_; }
  ObjectId layerTableId() const { return layerTable_; }
  ObjectId textStyleTableId() const { return textStyleTable_; }
  ObjectId layoutDictionaryId() const { return layoutDictionary_; }
  ObjectId linetypeTableId() const { return linetypeTable_; }
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

 private:
  Database() = default;
  template <class T>
  ErrorStatus openTable(ObjectId id, bool fail, OpenMode mode, T*& out);
  ObjectId blockTable_, layerTable_, textStyleTable_, layoutDictionary_, currentLayout_;
  ObjectId linetypeTable_;
};

// Numbers one layout's live viewports, given in stored order: the one the file marked as the layout's own (or
// else the first) is 1, the others 2, 3, … in that order.
void numberLayoutViewports(const std::vector<Viewport*>& viewports);

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

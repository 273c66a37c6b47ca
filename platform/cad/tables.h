#pragma once
// Symbol tables, block table records, dictionaries and layouts with their plot settings.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/entities.h"
#include "cad/extents_outline.h"
#include "cad/plot/plot_settings.h"

namespace cad {

class BlockTableRecord;

// Names of tables, dictionaries and layouts compare as the host's do: case-insensitively (Unicode case folding).
bool namesEqual(std::wstring_view a, std::wstring_view b);
// The form such names are compared in, for keys of lookup maps.
std::wstring foldedName(std::wstring_view name);

// Walks a block table record's entities in stored order, skipping erased ones unless asked not to. Each entity
// is looked up once, as the walk reaches it.
class BlockTableRecordIterator {
 public:
  void start();
  bool done() const;
  void step();
  ObjectId objectId() const;
  ErrorStatus getEntity(Entity*& entity, OpenMode mode = kForRead) const;

 private:
  friend class BlockTableRecord;
  BlockTableRecordIterator(const BlockTableRecord& record, bool skipErased);
  void skip();
  const BlockTableRecord* record_;
  bool skipErased_;
  std::size_t index_ = 0;
  Object* current_ = nullptr;  // the entity at index_, found once by skip()
};

class SymbolTableRecord : public Object {
 public:
  std::wstring name;
  bool failName = false;  // test hook: getName fails
  ErrorStatus getName(std::wstring& out) const;
  static auto cast(auto* object) {
    return kindCast<SymbolTableRecord>(object, ObjectKind::kSymbolTableRecord, ObjectKind::kSymbolTable);
  }

 protected:
  explicit SymbolTableRecord(ObjectKind kind = ObjectKind::kSymbolTableRecord) : Object(kind) {}
};

class BlockTableRecord : public SymbolTableRecord {
 public:
  BlockTableRecord() : SymbolTableRecord(ObjectKind::kBlockTableRecord) {}
  static auto cast(auto* object) { return kindCast<BlockTableRecord>(object, ObjectKind::kBlockTableRecord); }
  Point3d origin_;  // base point
  std::vector<ObjectId> entityIds;  // stored order
  ObjectId layoutId;                // the layout of a *Model_Space / *Paper_Space record
  bool anonymous = false;
  bool fromExternalReference = false;
  bool fromOverlayReference = false;
  bool dynamicDefinition = false;  // a dynamic block's definition
  std::wstring pathName;           // external reference path
  bool failIterator = false;       // test hook: newIterator fails
  // Memo of the definition's geometry, from which block references take their extents (block_extents.h);
  // it holds while the database's geometry generation is the one it was built at.
  mutable std::shared_ptr<const Outline> geometryMemo;
  mutable std::uint64_t geometryMemoGeneration = 0;

  Point3d origin() const { return origin_; }
  bool isAnonymous() const { return anonymous; }
  bool isFromExternalReference() const { return fromExternalReference; }
  bool isFromOverlayReference() const { return fromOverlayReference; }
  bool isDynamicBlock() const { return dynamicDefinition; }
  bool isLayout() const { return !layoutId.isNull(); }
  ObjectId getLayoutId() const { return layoutId; }
  // The caller owns the iterator.
  ErrorStatus newIterator(std::unique_ptr<BlockTableRecordIterator>& it, bool atBeginning = true,
                          bool skipErased = true) const;
  const RxClass& rxClass() const override;
};

class LayerTableRecord : public SymbolTableRecord {
 public:
  LayerTableRecord() : SymbolTableRecord(ObjectKind::kLayerTableRecord) {}
  static auto cast(auto* object) { return kindCast<LayerTableRecord>(object, ObjectKind::kLayerTableRecord); }
  bool plottable = true;
  bool off = false;
  bool frozen = false;
  bool locked = false;
  int colorIndex = 7;
  std::optional<std::uint32_t> trueColor;  // 0xRRGGBB; wins over the colour index
  ObjectId linetypeId;                     // null: continuous
  int lineWeight = kLnWtByLwDefault;
  bool isPlottable() const { return plottable; }
  bool isOff() const { return off; }
  bool isFrozen() const { return frozen; }
  const RxClass& rxClass() const override;
};

class TextStyleTableRecord : public SymbolTableRecord {
 public:
  TextStyleTableRecord() : SymbolTableRecord(ObjectKind::kTextStyleTableRecord) {}
  static auto cast(auto* object) { return kindCast<TextStyleTableRecord>(object, ObjectKind::kTextStyleTableRecord); }
  std::wstring fileName;     // font file
  std::wstring bigFontFileName;
  double textSize = 0;
  double xScale = 1;
  const RxClass& rxClass() const override;
};

// A table of named records; names compare case-insensitively, as the host's do.
class SymbolTable : public Object {
 public:
  std::vector<ObjectId> recordIds;  // stored order
  ErrorStatus getAt(const std::wstring& name, ObjectId& id) const;
  bool has(const std::wstring& name) const;
  static auto cast(auto* object) {
    return kindCast<SymbolTable>(object, ObjectKind::kSymbolTable, ObjectKind::kPlotSettings);
  }

 protected:
  explicit SymbolTable(ObjectKind kind = ObjectKind::kSymbolTable) : Object(kind) {}
};

class BlockTable : public SymbolTable {
 public:
  BlockTable() : SymbolTable(ObjectKind::kBlockTable) {}
  static auto cast(auto* object) { return kindCast<BlockTable>(object, ObjectKind::kBlockTable); }
  const RxClass& rxClass() const override;
};
class LayerTable : public SymbolTable {
 public:
  LayerTable() : SymbolTable(ObjectKind::kLayerTable) {}
  static auto cast(auto* object) { return kindCast<LayerTable>(object, ObjectKind::kLayerTable); }
  const RxClass& rxClass() const override;
};
class TextStyleTable : public SymbolTable {
 public:
  TextStyleTable() : SymbolTable(ObjectKind::kTextStyleTable) {}
  static auto cast(auto* object) { return kindCast<TextStyleTable>(object, ObjectKind::kTextStyleTable); }
  const RxClass& rxClass() const override;
};

// Name → object id entries in the dictionary's own order.
class Dictionary : public Object {
 public:
  Dictionary() : Object(ObjectKind::kDictionary) {}
  static auto cast(auto* object) { return kindCast<Dictionary>(object, ObjectKind::kDictionary); }
  std::vector<std::pair<std::wstring, ObjectId>> entries;
  ErrorStatus getAt(const std::wstring& name, ObjectId& id) const;
  const RxClass& rxClass() const override;
};

class Layout : public PlotSettings {
 public:
  Layout() : PlotSettings(ObjectKind::kLayout, false) {}
  static auto cast(auto* object) { return kindCast<Layout>(object, ObjectKind::kLayout); }
  std::wstring layoutName;
  int tabOrder = 0;
  ObjectId blockRecordId;
  bool failName = false;  // test hook

  ErrorStatus getName(const wchar_t*& name) const;
  int getTabOrder() const { return tabOrder; }
  ObjectId getBlockTableRecordId() const { return blockRecordId; }
  const RxClass& rxClass() const override;
};

}  // namespace cad

#include "cad/tables.h"

#include "cad/rx_class_definition.h"
#include "foundation/icu_library.h"

namespace cad {

namespace {
char32_t folded(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<char32_t>(c + 32) : static_cast<char32_t>(c);
  const auto value = static_cast<std::uint32_t>(c);
  const foundation::IcuLibrary* icu = value > 0x10FFFF ? nullptr : foundation::icuLibrary();
  if (icu == nullptr) return value;
  return static_cast<char32_t>(icu->foldCase(static_cast<UChar32>(value), U_FOLD_CASE_DEFAULT));
}
}  // namespace

bool namesEqual(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && folded(a[i]) != folded(b[i])) return false;
  }
  return true;
}

std::wstring foldedName(std::wstring_view name) {
  std::wstring out;
  out.reserve(name.size());
  for (wchar_t c : name) out.push_back(static_cast<wchar_t>(folded(c)));
  return out;
}

BlockTableRecordIterator::BlockTableRecordIterator(const BlockTableRecord& record, bool skipErased)
    : record_(&record), skipErased_(skipErased) {}

void BlockTableRecordIterator::start() {
  index_ = 0;
  skip();
}

bool BlockTableRecordIterator::done() const { return index_ >= record_->entityIds.size(); }

void BlockTableRecordIterator::step() {
  if (done()) return;
  ++index_;
  skip();
}

void BlockTableRecordIterator::skip() {
  current_ = nullptr;
  const ObjectStore* store = record_->objectStore();
  if (store == nullptr) return;
  for (; !done(); ++index_) {
    current_ = store->objectAt(record_->entityIds[index_]);
    if (!skipErased_ || (current_ != nullptr && !current_->isErased())) return;
  }
  current_ = nullptr;
}

ObjectId BlockTableRecordIterator::objectId() const { return done() ? ObjectId{} : record_->entityIds[index_]; }

ErrorStatus BlockTableRecordIterator::getEntity(Entity*& entity, OpenMode mode) const {
  entity = nullptr;
  if (done()) return eInvalidIndex;
  if (current_ == nullptr) return acdbOpenObject(entity, record_->entityIds[index_], mode, !skipErased_);
  // The record's store is the entity's: it was found there.
  ErrorStatus es = const_cast<ObjectStore*>(record_->objectStore())->openObject(current_, mode, !skipErased_);
  if (es != eOk) return es;
  entity = Entity::cast(current_);
  if (entity == nullptr) {
    current_->close();
    return eNotThatKindOfClass;
  }
  return eOk;
}

ErrorStatus SymbolTableRecord::getName(std::wstring& out) const {
  if (failName) return eNotApplicable;
  out = name;
  return eOk;
}

ErrorStatus BlockTableRecord::newIterator(std::unique_ptr<BlockTableRecordIterator>& it, bool atBeginning,
                                          bool skipErased) const {
  it.reset();
  if (failIterator) return eNotApplicable;
  it.reset(new BlockTableRecordIterator(*this, skipErased));
  if (atBeginning) {
    it->start();
  } else {
    it->index_ = entityIds.size();
  }
  return eOk;
}

ErrorStatus SymbolTable::getAt(const std::wstring& name, ObjectId& id) const {
  if (const ObjectStore* store = objectStore()) {
    for (ObjectId recordId : recordIds) {
      auto* record = SymbolTableRecord::cast(store->objectAt(recordId));
      if (record != nullptr && !record->isErased() && namesEqual(record->name, name)) {
        id = recordId;
        return eOk;
      }
    }
  }
  id = {};
  return eKeyNotFound;
}

bool SymbolTable::has(const std::wstring& name) const {
  ObjectId id;
  return getAt(name, id) == eOk;
}

ErrorStatus Dictionary::getAt(const std::wstring& name, ObjectId& id) const {
  for (const auto& [key, value] : entries) {
    if (namesEqual(key, name)) {
      id = value;
      return eOk;
    }
  }
  id = {};
  return eKeyNotFound;
}

ErrorStatus Layout::getName(const wchar_t*& name) const {
  if (failName) {
    name = nullptr;
    return eNotApplicable;
  }
  name = layoutName.c_str();
  return eOk;
}

QUODL_RX_CLASS(BlockTableRecord, L"AcDbBlockTableRecord")
QUODL_RX_CLASS(LayerTableRecord, L"AcDbLayerTableRecord")
QUODL_RX_CLASS(TextStyleTableRecord, L"AcDbTextStyleTableRecord")
QUODL_RX_CLASS(BlockTable, L"AcDbBlockTable")
QUODL_RX_CLASS(LayerTable, L"AcDbLayerTable")
QUODL_RX_CLASS(TextStyleTable, L"AcDbTextStyleTable")
QUODL_RX_CLASS(Dictionary, L"AcDbDictionary")
QUODL_RX_CLASS(Layout, L"AcDbLayout")

}  // namespace cad

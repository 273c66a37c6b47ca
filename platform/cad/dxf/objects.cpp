// The OBJECTS section (the layout dictionary and the layouts with their plot settings) and the end of
// loading: layouts bound to their blocks, entities placed in their spaces, references bound to their blocks.
#include <algorithm>
#include <unordered_set>

#include "foundation/text.h"
#include "loader.h"

namespace cad::dxf {

bool Loader::readObjects() {
  Group g;
  while (scanner_.next(g)) {
    const std::string_view type = trim(g.value);
    if (g.code != 0) {
      scanner_.fail(g.line, "expected an object (group code 0), found group code " + std::to_string(g.code));
      return false;
    }
    if (sameWord(type, "ENDSEC")) return true;
    if (sameWord(type, "SECTION") || sameWord(type, "EOF")) {
      scanner_.fail(g.line, "the OBJECTS section has no ENDSEC before " + quoted(type));
      return false;
    }
    collect(record_, g);
    if (sameWord(type, "DICTIONARY") || sameWord(type, "ACDBDICTIONARYWDFLT")) readDictionary(record_);
    else if (sameWord(type, "LAYOUT")) readLayout(record_);
    else if (sameWord(type, "WIPEOUTVARIABLES")) readWipeoutVariables(record_);
    if (scanner_.failed()) return false;
  }
  failUnterminated("the OBJECTS section", "ENDSEC");
  return false;
}

void Loader::readWipeoutVariables(const Record& record) {
  // Whether wipeouts show their frame: kept as the host's system variable, which the renderer reads.
  for (const Group& g : ownFieldsOf(record.groups, fields_)) {
    if (g.code == 70) db_->headerVariables[L"$WIPEOUTFRAME"] = std::to_wstring(scanner_.integer(g));
  }
}

void Loader::readDictionary(const Record& record) {
  ownFields(record.groups, fields_);
  DictionaryRecord dictionary;
  std::string_view name;
  bool subclassSeen = false;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 5: dictionary.handle = normalisedHandle(g.value); break;
      case 100: subclassSeen = true; break;
      case 330: if (!subclassSeen && dictionary.owner.empty()) dictionary.owner = normalisedHandle(g.value); break;
      case 3: name = g.value; break;
      case 350:
      case 360:
        dictionary.entries.emplace_back(decoder_.decode(name), normalisedHandle(g.value));
        name = {};
        break;
      default: break;
    }
  }
  dictionaries_.push_back(std::move(dictionary));
}

void Loader::readLayout(const Record& record) {
  ownFields(record.groups, fields_);
  LayoutRecord entry;
  entry.layout = std::make_unique<Layout>();
  entry.line = record.line;
  Layout& layout = *entry.layout;
  // Code 1 (a name) and 70 (flags) appear in both subclasses: the last 100 marker says whose they are.
  enum class Part { kObject, kPlotSettings, kLayout } part = Part::kObject;
  int plotFlags = 0;
  for (const Group& g : fields_) {
    if (g.code == 100) {
      const std::string_view marker = trim(g.value);
      part = marker == "AcDbPlotSettings" ? Part::kPlotSettings : marker == "AcDbLayout" ? Part::kLayout : part;
      continue;
    }
    if (g.code == 5) {
      entry.handle = normalisedHandle(g.value);
      continue;
    }
    if (part == Part::kLayout) {
      switch (g.code) {
        case 1:
          layout.layoutName = decoder_.decode(g.value);
          // A control character (a NUL above all) would cut the name wherever it is passed on, and the layout
          // could no longer be named: refused like any other name that holds one.
          if (std::any_of(layout.layoutName.begin(), layout.layoutName.end(),
                          [](wchar_t c) { return c < 0x20 || c == 0x7F; })) {
            scanner_.fail(g.line + 1, quoted(g.value) + " is not a name (group code 1)");
            return;
          }
          break;
        case 71: layout.tabOrder = scanner_.integer(g); break;
        case 330: entry.blockHandle = normalisedHandle(g.value); break;
        default: break;
      }
      continue;
    }
    if (part != Part::kPlotSettings) continue;
    switch (g.code) {
      case 1: layout.plotSettingsName = decoder_.decode(g.value); break;
      case 2: layout.plotCfgName = decoder_.decode(g.value); break;
      case 4: layout.canonicalMediaName = decoder_.decode(g.value); break;
      case 7: layout.styleSheet = decoder_.decode(g.value); break;
      case 40: layout.marginLeft = scanner_.real(g); break;
      case 41: layout.marginBottom = scanner_.real(g); break;
      case 42: layout.marginRight = scanner_.real(g); break;
      case 43: layout.marginTop = scanner_.real(g); break;
      case 44: layout.paperWidthMm = scanner_.real(g); break;
      case 45: layout.paperHeightMm = scanner_.real(g); break;
      case 46: layout.plotOrigin.x = scanner_.real(g); break;
      case 47: layout.plotOrigin.y = scanner_.real(g); break;
      case 48: layout.windowMin.x = scanner_.real(g); break;
      case 49: layout.windowMin.y = scanner_.real(g); break;
      case 140: layout.windowMax.x = scanner_.real(g); break;
      case 141: layout.windowMax.y = scanner_.real(g); break;
      case 142: layout.customScaleNumerator = scanner_.real(g); break;
      case 143: layout.customScaleDenominator = scanner_.real(g); break;
      case 70: plotFlags = scanner_.integer(g); break;
      case 72: {
        const int units = scanner_.integer(g);
        if (units >= 0 && units <= 2) layout.paperUnits = static_cast<PlotPaperUnits>(units);
        break;
      }
      case 73: {
        const int rotation = scanner_.integer(g);
        if (rotation >= 0 && rotation <= 3) layout.rotation = static_cast<PlotRotation>(rotation);
        break;
      }
      case 74: {
        const int type = scanner_.integer(g);
        if (type >= 0 && type <= 5) layout.type = static_cast<PlotType>(type);
        break;
      }
      case 75: layout.standardScaleType = scanner_.integer(g); break;
      default: break;
    }
  }
  layout.showStyles = (plotFlags & 2) != 0;
  layout.centered = (plotFlags & 4) != 0;
  layout.useStdScale = (plotFlags & 16) != 0;
  layout.plotStyles = (plotFlags & 32) != 0;
  layout.lineweightScaling = (plotFlags & 64) != 0;
  layout.lineweights = (plotFlags & 128) != 0;
  layout.model = (plotFlags & 1024) != 0;
  layouts_.push_back(std::move(entry));
}

bool Loader::bindLayouts() {
  auto* dictionary = static_cast<Dictionary*>(db_->objectAt(db_->layoutDictionaryId()));
  const ObjectId modelSpace = blockRecordNamed(L"*Model_Space");
  const ObjectId paperSpace = blockRecordNamed(L"*Paper_Space");

  // File order of the layouts: the root dictionary's ACAD_LAYOUT dictionary, then any layout it leaves out.
  std::unordered_map<std::string, std::size_t> byHandle;
  for (std::size_t k = 0; k < layouts_.size(); ++k) {
    if (!layouts_[k].handle.empty()) byHandle.emplace(layouts_[k].handle, k);
  }
  std::vector<std::pair<std::wstring, std::size_t>> order;  // dictionary key, layout
  if (!dictionaries_.empty()) {
    const DictionaryRecord& root = dictionaries_.front();
    std::string layoutDictionary;
    for (const auto& [name, handle] : root.entries) {
      if (name == L"ACAD_LAYOUT") layoutDictionary = handle;
    }
    for (const DictionaryRecord& d : dictionaries_) {
      if (layoutDictionary.empty() || d.handle != layoutDictionary) continue;
      for (const auto& [name, handle] : d.entries) {
        auto it = byHandle.find(handle);
        if (it != byHandle.end() && !layouts_[it->second].placed) {
          layouts_[it->second].placed = true;
          order.emplace_back(name, it->second);
        }
      }
      break;
    }
  }
  for (std::size_t k = 0; k < layouts_.size(); ++k) {
    if (!layouts_[k].placed) order.emplace_back(std::wstring(), k);
  }

  // Block records that name their layout (BLOCK_RECORD 340).
  std::unordered_map<std::string, ObjectId> recordOfLayout;
  for (const auto& [recordId, info] : blockInfo_) {
    if (!info.layoutHandle.empty()) recordOfLayout.emplace(info.layoutHandle, recordId);
  }
  const auto unbound = [&](ObjectId id) {
    auto* record = BlockTableRecord::cast(db_->objectAt(id));
    return record != nullptr && !record->isLayout() ? record : nullptr;
  };

  int generated = 0;
  for (const auto& [key, k] : order) {
    LayoutRecord& entry = layouts_[k];
    std::unique_ptr<Layout>& layout = entry.layout;
    if (layout->layoutName.empty()) layout->layoutName = key;
    while (layout->layoutName.empty() || !db_->layoutId(layout->layoutName).isNull()) {
      if (!layout->layoutName.empty()) {
        scanner_.fail(entry.line, "two layouts are named " + quoted(layout->layoutName));
        return false;
      }
      layout->layoutName = L"Layout" + std::to_wstring(++generated);
      if (!db_->layoutId(layout->layoutName).isNull()) layout->layoutName.clear();
    }
    // Its block: the one the layout names, else the one that names the layout, else by kind.
    BlockTableRecord* record = unbound(idOfHandle(entry.blockHandle));
    if (record == nullptr) {
      auto named = recordOfLayout.find(entry.handle);
      if (named != recordOfLayout.end()) record = unbound(named->second);
    }
    if (record == nullptr && (layout->model || namesEqual(layout->layoutName, L"Model"))) record = unbound(modelSpace);
    if (record == nullptr) record = unbound(paperSpace);
    if (record == nullptr) {
      std::wstring name;
      for (int n = 0; name.empty() || !blockRecordNamed(name).isNull(); ++n) name = L"*Paper_Space" + std::to_wstring(n);
      record = static_cast<BlockTableRecord*>(db_->objectAt(createBlockRecord(name, {})));
    }
    layout->model = record->objectId() == modelSpace;
    layout->blockRecordId = record->objectId();
    const std::wstring name = layout->layoutName;
    const ObjectId id = db_->addObject(std::move(layout), db_->layoutDictionaryId(), handleNumber(entry.handle));
    record->layoutId = id;
    dictionary->entries.emplace_back(name, id);
  }

  // A drawing always has its model layout and a layout for *Paper_Space (R12 files have no layouts at all).
  int lastTab = 0;
  for (const auto& [name, id] : dictionary->entries) {
    lastTab = std::max(lastTab, static_cast<Layout*>(db_->objectAt(id))->tabOrder);
  }
  const auto addLayout = [&](BlockTableRecord& record, const std::wstring& wanted, int tabOrder) {
    std::wstring name = wanted;
    for (int n = 2; !db_->layoutId(name).isNull(); ++n) name = L"Layout" + std::to_wstring(n);
    auto layout = std::make_unique<Layout>();
    layout->layoutName = name;
    layout->tabOrder = tabOrder;
    layout->blockRecordId = record.objectId();
    layout->model = record.objectId() == modelSpace;
    layout->plotCfgName = L"None";
    const ObjectId id = db_->addObject(std::move(layout), db_->layoutDictionaryId());
    record.layoutId = id;
    // The model layout leads the dictionary.
    auto where = record.objectId() == modelSpace ? dictionary->entries.begin() : dictionary->entries.end();
    dictionary->entries.insert(where, {name, id});
  };
  if (auto* model = unbound(modelSpace)) addLayout(*model, L"Model", 0);
  if (auto* paper = unbound(paperSpace)) addLayout(*paper, L"Layout1", lastTab + 1);
  return true;
}

void Loader::placeEntitiesSection() {
  const ObjectId modelSpace = blockRecordNamed(L"*Model_Space");
  const ObjectId paperSpace = blockRecordNamed(L"*Paper_Space");
  // The block record each owner handle names, null where it names none; entities of one space share it.
  std::vector<ObjectId> ownerRecords(deferredOwners_.size());
  std::vector<bool> dangling(deferredOwners_.size());
  for (std::size_t k = 1; k < deferredOwners_.size(); ++k) {
    const ObjectId owner = db_->objectIdFromHandle(deferredOwners_[k], /*fromFileOnly=*/true);
    if (BlockTableRecord::cast(db_->objectAt(owner)) != nullptr) ownerRecords[k] = owner;
    dangling[k] = owner.isNull();
  }
  if (std::find(dangling.begin(), dangling.end(), true) != dangling.end()) {
    std::size_t count = 0;
    for (const DeferredEntity& deferred : entitiesSection_) count += dangling[deferred.owner] ? 1 : 0;
    warnings_.push_back(std::to_string(count) + (count == 1 ? " entity names an owner" : " entities name owners") +
                        " the drawing does not hold; they were placed by their space");
  }
  const auto targetOf = [&](const DeferredEntity& deferred) {
    // The owner handle decides; else the layout named by 410; else paper space (67) or model space.
    ObjectId target = ownerRecords[deferred.owner];
    if (!target.isNull()) return target;
    const std::string_view layoutName =
        deferred.rare == DeferredEntity::kNoRare ? std::string_view() : entitiesSectionRare_[deferred.rare].layout;
    if (!trim(layoutName).empty()) {
      if (auto* layout = Layout::cast(db_->objectAt(db_->layoutId(decoder_.decode(trim(layoutName)))))) {
        target = layout->getBlockTableRecordId();
      }
    }
    if (target.isNull()) target = deferred.paper != 0 ? paperSpace : modelSpace;
    return target;
  };
  // Where each goes is found twice rather than kept for every entity: each block record's list is sized
  // once, and nothing as long as the section is made after the file's text is gone.
  std::unordered_map<ObjectId, std::size_t> counts;
  ObjectId lastTarget;
  std::size_t run = 0;  // entities since the last change of target
  for (const DeferredEntity& deferred : entitiesSection_) {
    const ObjectId target = targetOf(deferred);
    if (target != lastTarget) {
      if (run > 0) counts[lastTarget] += run;
      lastTarget = target;
      run = 0;
    }
    ++run;
  }
  if (run > 0) counts[lastTarget] += run;
  for (const auto& [recordId, count] : counts) {
    auto* record = static_cast<BlockTableRecord*>(db_->objectAt(recordId));
    record->entityIds.reserve(record->entityIds.size() + count);
  }
  for (DeferredEntity& deferred : entitiesSection_) {
    const ObjectId target = targetOf(deferred);
    place(takeDeferred(deferred), target);
  }
  entitiesSection_.clear();
  entitiesSectionRare_.clear();
}

void Loader::resolveReferences() {
  // Anonymous representations of dynamic blocks name their definition; so may an extension dictionary.
  std::unordered_map<ObjectId, ObjectId> definitionOf;
  std::unordered_set<std::string> enhancedDictionaries;
  for (const DictionaryRecord& d : dictionaries_) {
    for (const auto& [name, handle] : d.entries) {
      if (name == L"ACAD_ENHANCEDBLOCK") enhancedDictionaries.insert(d.handle);
    }
  }
  for (const auto& [recordId, info] : blockInfo_) {
    auto* record = static_cast<BlockTableRecord*>(db_->objectAt(recordId));
    if (!info.extensionDictionary.empty() && enhancedDictionaries.count(info.extensionDictionary) != 0) {
      record->dynamicDefinition = true;
    }
    if (info.representationOf.empty()) continue;
    if (auto* definition = BlockTableRecord::cast(db_->objectAt(idOfHandle(info.representationOf)))) {
      definition->dynamicDefinition = true;
      definitionOf.emplace(recordId, definition->objectId());
    }
  }
  // A reference to a block the file does not define keeps a null block: it is kept, without extents. What
  // cannot be drawn as the file means it is told, one line for each kind.
  struct Tally {
    std::size_t count = 0, line = 0;
    std::wstring name;
  } undefined, modelSpace, zeroScale;
  const auto note = [](Tally& tally, const ReferenceRecord& record) {
    if (tally.count++ == 0) {
      tally.line = record.line;
      tally.name = record.blockName;
    }
  };
  const ObjectId model = blockRecordNamed(L"*Model_Space");
  std::unordered_map<std::wstring, ObjectId> blockOfName;  // as written; many references name one block
  for (const ReferenceRecord& record : references_) {
    auto* reference = static_cast<BlockReference*>(db_->objectAt(record.reference));
    auto named = blockOfName.find(record.blockName);
    if (named == blockOfName.end())
      named = blockOfName.emplace(record.blockName, blockRecordNamed(record.blockName)).first;
    reference->blockId = named->second;
    auto it = definitionOf.find(reference->blockId);
    if (it != definitionOf.end()) reference->dynamicBlockId = it->second;
    const auto info = blockInfo_.find(reference->blockId);
    if (reference->blockId == model) note(modelSpace, record);
    else if (info == blockInfo_.end() || !info->second.defined) note(undefined, record);
    if (reference->scale.x == 0 || reference->scale.y == 0 || reference->scale.z == 0) note(zeroScale, record);
  }
  const auto references = [](std::size_t count) {
    return std::to_string(count) + (count == 1 ? " block reference" : " block references");
  };
  if (undefined.count > 0) {
    warnings_.push_back(references(undefined.count) + " to undefined blocks (the first, to " +
                        quoted(undefined.name) + ", on line " + std::to_string(undefined.line) + ")");
  }
  if (modelSpace.count > 0) {
    warnings_.push_back(references(modelSpace.count) + " to the model space block (the first on line " +
                        std::to_string(modelSpace.line) + ")");
  }
  if (zeroScale.count > 0) {
    warnings_.push_back(references(zeroScale.count) + " with a zero scale (the first on line " +
                        std::to_string(zeroScale.line) + ")");
  }
}

}  // namespace cad::dxf

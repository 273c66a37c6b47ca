// The TABLES section (layers, text styles, block records) and the BLOCKS section.
#include <climits>

#include "loader.h"

namespace cad::dxf {

bool Loader::readTables() {
  Group g;
  while (scanner_.next(g)) {
    const std::string_view word = trim(g.value);
    if (g.code != 0) {
      scanner_.fail(g.line, "expected TABLE in the TABLES section, found group code " + std::to_string(g.code));
      return false;
    }
    if (sameWord(word, "ENDSEC")) return true;
    if (!sameWord(word, "TABLE")) {
      scanner_.fail(g.line, "expected TABLE in the TABLES section, found " + quoted(word));
      return false;
    }
    collect(record_, g);
    std::string tableName = "?";
    for (const Group& field : record_.groups) {
      if (field.code == 2) tableName = excerpt(trim(field.value));
    }
    bool closed = false;
    while (!closed && scanner_.next(g)) {
      const std::string_view type = trim(g.value);
      if (sameWord(type, "ENDTAB")) {
        collect(follower_, g);
        closed = true;
      } else if (sameWord(type, "ENDSEC") || sameWord(type, "TABLE") || sameWord(type, "SECTION") ||
                 sameWord(type, "EOF")) {
        scanner_.fail(g.line, "the " + tableName + " table has no ENDTAB before " + quoted(type));
        return false;
      } else {
        collect(record_, g);
        if (sameWord(type, "LAYER")) readLayer(record_);
        else if (sameWord(type, "STYLE")) readStyle(record_);
        else if (sameWord(type, "BLOCK_RECORD")) readBlockRecord(record_);
        else if (sameWord(type, "LTYPE")) readLinetype(record_);
        if (scanner_.failed()) return false;
      }
    }
    if (!closed) {
      failUnterminated("the " + tableName + " table", "ENDTAB");
      return false;
    }
  }
  failUnterminated("the TABLES section", "ENDSEC");
  return false;
}

void Loader::readLayer(const Record& record) {
  ownFields(record.groups, fields_);
  std::string_view name, handle, linetype;
  int flags = 0, color = 7, lineWeight = kLnWtByLwDefault;
  std::optional<std::uint32_t> trueColor;
  bool plottable = true;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 2: name = g.value; break;
      case 6: linetype = g.value; break;
      case 370: lineWeight = scanner_.integer(g); break;
      case 420: trueColor = static_cast<std::uint32_t>(scanner_.integer(g)) & 0xFFFFFFu; break;
      case 5: handle = g.value; break;
      case 70: flags = scanner_.integer(g); break;
      case 62: color = scanner_.integer(g); break;
      case 290: plottable = scanner_.integer(g) != 0; break;
      default: break;
    }
  }
  if (scanner_.failed() || trim(name).empty()) return;
  const std::wstring decoded = decoder_.decode(name);
  LayerTableRecord* layer = nullptr;
  auto it = layersByName_.find(foldedName(decoded));
  if (it != layersByName_.end()) {
    layer = LayerTableRecord::cast(db_->objectAt(it->second));
  } else {
    auto created = std::make_unique<LayerTableRecord>();
    created->name = decoded;
    layer = created.get();
    const ObjectId id = db_->addObject(std::move(created), db_->layerTableId(), handleNumber(handle));
    static_cast<SymbolTable*>(db_->objectAt(db_->layerTableId()))->recordIds.push_back(id);
    layersByName_.emplace(foldedName(decoded), id);
  }
  layer->frozen = (flags & 1) != 0;
  layer->locked = (flags & 4) != 0;
  layer->off = color < 0;  // a negative colour is a layer turned off
  layer->colorIndex = color == INT_MIN ? 7 : (color < 0 ? -color : color);
  layer->plottable = plottable;
  layer->trueColor = trueColor;
  layer->lineWeight = lineWeight;
  layer->linetypeId = linetypeNamed(linetype);
}

void Loader::readStyle(const Record& record) {
  ownFields(record.groups, fields_);
  std::string_view name, handle, font, bigFont;
  double size = 0, xScale = 1;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 2: name = g.value; break;
      case 5: handle = g.value; break;
      case 3: font = g.value; break;
      case 4: bigFont = g.value; break;
      case 40: size = scanner_.real(g); break;
      case 41: xScale = scanner_.real(g); break;
      default: break;
    }
  }
  // Shape-file entries have no name: nothing a text can refer to.
  if (scanner_.failed() || trim(name).empty()) return;
  const std::wstring decoded = decoder_.decode(name);
  if (stylesByName_.count(foldedName(decoded)) != 0) return;
  auto style = std::make_unique<TextStyleTableRecord>();
  style->name = decoded;
  style->fileName = decoder_.decode(font);
  style->bigFontFileName = decoder_.decode(bigFont);
  style->textSize = size;
  style->xScale = xScale;
  const ObjectId id = db_->addObject(std::move(style), db_->textStyleTableId(), handleNumber(handle));
  static_cast<SymbolTable*>(db_->objectAt(db_->textStyleTableId()))->recordIds.push_back(id);
  stylesByName_.emplace(foldedName(decoded), id);
}

void Loader::readBlockRecord(const Record& record) {
  ownFields(record.groups, fields_);
  std::string_view name, handle, layout;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 2: name = g.value; break;
      case 5: handle = g.value; break;
      case 340: layout = g.value; break;
      default: break;
    }
  }
  blockRecordsRead_ = true;
  if (trim(name).empty()) return;
  const std::wstring canonical = canonicalBlockName(decoder_.decode(name));
  if (!blockRecordNamed(canonical).isNull()) {
    scanner_.fail(record.line, "two block records are named " + quoted(canonical));
    return;
  }
  const ObjectId id = createBlockRecord(canonical, handle);
  BlockInfo& info = blockInfo_[id];
  info.layoutHandle = normalisedHandle(layout);
  info.representationOf = normalisedHandle(extendedDataValue(record.groups, "AcDbBlockRepBTag", 1005));
  info.extensionDictionary = normalisedHandle(extensionDictionaryHandle(record.groups));
}

ObjectId Loader::blockRecordNamed(const std::wstring& name) const {
  auto it = blocksByName_.find(foldedName(name));
  return it == blocksByName_.end() ? ObjectId{} : it->second;
}

ObjectId Loader::createBlockRecord(const std::wstring& name, std::string_view handle) {
  auto record = std::make_unique<BlockTableRecord>();
  record->name = name;
  const ObjectId id = db_->addObject(std::move(record), db_->blockTableId(), handleNumber(handle));
  static_cast<SymbolTable*>(db_->objectAt(db_->blockTableId()))->recordIds.push_back(id);
  blocksByName_.emplace(foldedName(name), id);
  return id;
}

bool Loader::readBlocks() {
  Group g;
  while (scanner_.next(g)) {
    const std::string_view word = trim(g.value);
    if (g.code != 0) {
      scanner_.fail(g.line, "expected BLOCK in the BLOCKS section, found group code " + std::to_string(g.code));
      return false;
    }
    if (sameWord(word, "ENDSEC")) return true;
    if (!sameWord(word, "BLOCK")) {
      scanner_.fail(g.line, "expected BLOCK in the BLOCKS section, found " + quoted(word));
      return false;
    }
    collect(record_, g);
    if (!readBlock(record_)) return false;
  }
  failUnterminated("the BLOCKS section", "ENDSEC");
  return false;
}

bool Loader::readBlock(const Record& header) {
  ownFields(header.groups, fields_);
  std::string_view name, otherName, owner, path;
  int flags = 0;
  Point3d base;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 2: name = g.value; break;
      case 3: otherName = g.value; break;
      case 330: owner = g.value; break;
      case 1: path = g.value; break;
      case 70: flags = scanner_.integer(g); break;
      case 10: base.x = scanner_.real(g); break;
      case 20: base.y = scanner_.real(g); break;
      case 30: base.z = scanner_.real(g); break;
      default: break;
    }
  }
  if (trim(name).empty()) name = otherName;
  if (scanner_.failed()) return false;
  if (trim(name).empty()) {
    scanner_.fail(header.line, "a block has no name");
    return false;
  }
  const std::wstring canonical = canonicalBlockName(decoder_.decode(name));
  ObjectId id;
  if (auto* byOwner = BlockTableRecord::cast(db_->objectAt(idOfHandle(owner)))) {
    if (namesEqual(byOwner->name, canonical)) id = byOwner->objectId();
  }
  if (id.isNull()) id = blockRecordNamed(canonical);
  if (id.isNull()) id = createBlockRecord(canonical, {});
  BlockInfo& info = blockInfo_[id];
  if (info.defined) {
    scanner_.fail(header.line, "block " + quoted(canonical) + " is defined twice");
    return false;
  }
  info.defined = true;
  auto* record = static_cast<BlockTableRecord*>(db_->objectAt(id));
  record->origin_ = base;
  record->anonymous = (flags & 1) != 0;
  record->fromExternalReference = (flags & 4) != 0;
  record->fromOverlayReference = (flags & 8) != 0;
  record->pathName = decoder_.decode(path);

  Group terminator;
  if (!readEntityList(id, terminator)) return false;
  if (terminator.code == 0 && sameWord(trim(terminator.value), "ENDBLK")) {
    collect(follower_, terminator);
    return true;
  }
  if (terminator.code == 0) {
    scanner_.fail(terminator.line,
                  "block " + quoted(canonical) + " has no ENDBLK before " + quoted(trim(terminator.value)));
  } else {
    failUnterminated("block " + quoted(canonical), "ENDBLK");
  }
  return false;
}

}  // namespace cad::dxf

// The LTYPE table, and what an entity's common codes say of its linetype, lineweight and colour.
#include <cmath>

#include "cad/linetype_table.h"
#include "loader.h"

namespace cad::dxf {

namespace {
// The longest pattern kept; a damaged table's thousands of dashes would only slow drawing down.
constexpr std::size_t kMaxDashes = 64;
}  // namespace

void Loader::readLinetype(const Record& record) {
  ownFields(record.groups, fields_);
  std::string_view name, handle, description;
  std::vector<double> dashes;
  for (const Group& g : fields_) {
    switch (g.code) {
      case 2: name = g.value; break;
      case 5: handle = g.value; break;
      case 3: description = g.value; break;
      case 49:
        if (dashes.size() < kMaxDashes) dashes.push_back(scanner_.real(g));
        break;
      default: break;
    }
  }
  if (scanner_.failed() || trim(name).empty()) return;
  const std::wstring decoded = decoder_.decode(name);
  const std::wstring key = foldedName(decoded);
  if (linetypesByName_.count(key) != 0) return;
  auto linetype = std::make_unique<LinetypeTableRecord>();
  linetype->name = decoded;
  linetype->comments = decoder_.decode(description);
  // A pattern of nothing but zero-length elements draws nothing useful: it is taken as continuous.
  double length = 0;
  for (double d : dashes) length += std::fabs(d);
  if (length > 0) linetype->dashes = std::move(dashes);
  const ObjectId id = db_->addObject(std::move(linetype), db_->linetypeTableId(), widenHandle(handle));
  static_cast<SymbolTable*>(db_->objectAt(db_->linetypeTableId()))->recordIds.push_back(id);
  linetypesByName_.emplace(key, id);
}

ObjectId Loader::linetypeNamed(std::string_view rawName) {
  if (trim(rawName).empty()) return {};
  auto it = linetypesByName_.find(foldedName(decoder_.decode(rawName)));
  return it == linetypesByName_.end() ? ObjectId{} : it->second;
}

EntityProperties Loader::propertiesFor(const EntityCommon& common) {
  EntityProperties p;
  const std::string_view linetype = trim(common.linetype);
  if (linetype.empty() || sameWord(linetype, "BYLAYER")) {
    p.linetypeFrom = EntityProperties::LinetypeFrom::kLayer;
  } else if (sameWord(linetype, "BYBLOCK")) {
    p.linetypeFrom = EntityProperties::LinetypeFrom::kBlock;
  } else {
    p.linetypeFrom = EntityProperties::LinetypeFrom::kOwn;
    p.linetypeId = linetypeNamed(linetype);
  }
  p.linetypeScale = common.linetypeScale > 0 ? common.linetypeScale : 1;
  p.lineWeight = common.lineWeight;
  p.trueColor = common.trueColor;
  p.visible = !common.invisible;
  return p;
}

}  // namespace cad::dxf

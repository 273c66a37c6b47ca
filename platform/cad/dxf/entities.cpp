// Entities of the BLOCKS and ENTITIES sections.
#include <algorithm>
#include <cmath>

#include "cad/annotation_entities.h"
#include "cad/curve_entities.h"
#include "loader.h"

namespace cad::dxf {

const std::vector<Group>& ownFieldsOf(const std::vector<Group>& groups, std::vector<Group>& scratch) {
  // Most records have no application groups, extended data or embedded object: all their groups are their own.
  std::size_t own = 0;
  while (own < groups.size() && groups[own].code != 102 && groups[own].code != 1001 && groups[own].code != 101) ++own;
  if (own == groups.size()) return groups;
  scratch.clear();
  if (groups[own].code != 102) {
    scratch.assign(groups.begin(), groups.begin() + static_cast<std::ptrdiff_t>(own));
    return scratch;
  }
  bool inApplicationGroup = false;
  for (const Group& g : groups) {
    if (g.code == 1001 || g.code == 101) break;
    if (g.code == 102) {
      inApplicationGroup = !trim(g.value).empty() && trim(g.value).front() == '{';
      continue;
    }
    if (!inApplicationGroup) scratch.push_back(g);
  }
  return scratch;
}

void ownFields(const std::vector<Group>& groups, std::vector<Group>& out) {
  const std::vector<Group>& own = ownFieldsOf(groups, out);
  if (&own != &out) out.assign(own.begin(), own.end());
}

std::string_view extendedDataValue(const std::vector<Group>& groups, std::string_view application, int code) {
  bool inApplication = false;
  for (const Group& g : groups) {
    if (g.code == 1001) {
      inApplication = trim(g.value) == application;
    } else if (inApplication && g.code == code) {
      return trim(g.value);
    }
  }
  return {};
}

std::string_view extensionDictionaryHandle(const std::vector<Group>& groups) {
  bool inGroup = false;
  for (const Group& g : groups) {
    if (g.code == 1001) break;
    if (g.code == 102) {
      inGroup = trim(g.value) == "{ACAD_XDICTIONARY";
    } else if (inGroup && g.code == 360) {
      return trim(g.value);
    }
  }
  return {};
}

std::wstring widenHandle(std::string_view handle) {
  handle = trim(handle);
  std::wstring out;
  for (char c : handle) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

namespace {

bool isAny(std::string_view type, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (sameWord(type, name)) return true;
  }
  return false;
}

EntityCommon readCommon(const std::vector<Group>& fields, Scanner& scanner) {
  EntityCommon common;
  bool subclassSeen = false;
  for (const Group& g : fields) {
    switch (g.code) {
      case 5: common.handle = g.value; break;
      case 100: subclassSeen = true; break;
      case 330:
        // The owner comes before the subclass markers; later 330s point elsewhere (a hatch's boundaries).
        if (!subclassSeen && common.owner.empty()) common.owner = g.value;
        break;
      case 8: common.layer = g.value; break;
      case 62: common.color = scanner.integer(g); break;
      case 67: common.paper = scanner.integer(g) != 0; break;
      case 410: common.layout = g.value; break;
      case 6: common.linetype = g.value; break;
      case 48: common.linetypeScale = scanner.real(g); break;
      case 370: common.lineWeight = scanner.integer(g); break;
      case 420: common.trueColor = static_cast<std::uint32_t>(scanner.integer(g)) & 0xFFFFFFu; break;
      case 60: common.invisible = scanner.integer(g) != 0; break;
      default: break;
    }
  }
  return common;
}

}  // namespace

bool coordinate(const Group& g, int base, Point3d& p, Scanner& scanner) {
  if (g.code == base) p.x = scanner.real(g);
  else if (g.code == base + 10) p.y = scanner.real(g);
  else if (g.code == base + 20) p.z = scanner.real(g);
  else return false;
  return true;
}

bool coordinate(const Group& g, int base, Vector3d& v, Scanner& scanner) {
  Point3d p{v.x, v.y, v.z};
  if (!coordinate(g, base, p, scanner)) return false;
  v = {p.x, p.y, p.z};
  return true;
}

Point3d toWorld(const Point3d& p, const Vector3d& normal) { return Matrix3d::planeToWorld(normal).apply(p); }

namespace {

std::unique_ptr<Entity> readLine(const std::vector<Group>& fields, Scanner& s) {
  auto line = std::make_unique<Line>();
  for (const Group& g : fields) {
    coordinate(g, 10, line->start, s) || coordinate(g, 11, line->end, s) || coordinate(g, 210, line->normal, s);
  }
  return line;
}

std::unique_ptr<Entity> readLwPolyline(const std::vector<Group>& fields, Scanner& s) {
  auto pline = std::make_unique<Polyline>();
  // The count (90) is not trusted for sizing: vertices are taken as they come, after counting them.
  pline->vertices.reserve(static_cast<std::size_t>(
      std::count_if(fields.begin(), fields.end(), [](const Group& g) { return g.code == 10; })));
  for (const Group& g : fields) {
    Polyline::Vertex* last = pline->vertices.empty() ? nullptr : &pline->vertices.back();
    switch (g.code) {
      case 10: pline->vertices.push_back({{s.real(g), 0}}); break;
      case 20: if (last) last->pt.y = s.real(g); break;
      case 40: if (last) last->startWidth = s.real(g); break;
      case 41: if (last) last->endWidth = s.real(g); break;
      case 42: if (last) last->bulge = s.real(g); break;
      case 70: pline->closed = (s.integer(g) & 1) != 0; break;
      case 38: pline->elevation = s.real(g); break;
      case 43: pline->constantWidth = s.real(g); break;
      default: coordinate(g, 210, pline->normal, s); break;
    }
  }
  return pline;
}

std::unique_ptr<Entity> readCircle(const std::vector<Group>& fields, Scanner& s, bool arc) {
  Point3d centre;
  Vector3d normal{0, 0, 1};
  double radius = 0, start = 0, end = 360;
  for (const Group& g : fields) {
    switch (g.code) {
      case 40: radius = s.real(g); break;
      case 50: start = s.real(g); break;
      case 51: end = s.real(g); break;
      default: coordinate(g, 10, centre, s) || coordinate(g, 210, normal, s); break;
    }
  }
  // The file gives the centre in object coordinates; the database keeps world coordinates.
  if (arc) {
    auto a = std::make_unique<Arc>();
    a->center = toWorld(centre, normal);
    a->radius = radius;
    a->normal = normal;
    a->startAngle = start * kDegrees;
    a->endAngle = end * kDegrees;
    return a;
  }
  auto c = std::make_unique<Circle>();
  c->center = toWorld(centre, normal);
  c->radius = radius;
  c->normal = normal;
  return c;
}

}  // namespace

void readTextFields(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder, Text& text, bool attribute) {
  bool hasAlignment = false;
  Point3d position, alignment;
  std::string_view contents, style;
  for (const Group& g : fields) {
    switch (g.code) {
      case 1: contents = g.value; break;
      case 7: style = g.value; break;
      case 40: text.height = s.real(g); break;
      case 41: text.widthFactor = s.real(g); break;
      case 50: text.rotation = s.real(g) * kDegrees; break;
      case 72: text.horizontalMode = s.integer(g); break;
      case 73: if (!attribute) text.verticalMode = s.integer(g); break;
      case 74: if (attribute) text.verticalMode = s.integer(g); break;
      default:
        if (coordinate(g, 11, alignment, s)) hasAlignment = true;
        else coordinate(g, 10, position, s) || coordinate(g, 210, text.normal, s);
        break;
    }
  }
  text.contents = decoder.decode(contents);
  if (!style.empty()) text.styleName = decoder.name(style);
  text.position = toWorld(position, text.normal);
  text.alignment = hasAlignment ? toWorld(alignment, text.normal) : text.position;
}

namespace {

std::unique_ptr<Entity> readMText(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder) {
  auto text = std::make_unique<MText>();
  std::string contents;
  std::string_view style;
  Vector3d direction;
  bool hasDirection = false;
  for (const Group& g : fields) {
    switch (g.code) {
      case 1: case 3: contents += g.value; break;  // 3 carries the leading chunks, 1 the last
      case 7: style = g.value; break;
      case 40: text->textHeight = s.real(g); break;
      case 41: text->width = s.real(g); break;
      case 50: text->rotation = s.real(g) * kDegrees; break;
      case 71: text->attachment = s.integer(g); break;
      case 90: {
        const int flags = s.integer(g);
        text->backgroundFill = (flags & 1) != 0;
        text->useBackgroundColor = (flags & 2) != 0;
        break;
      }
      case 421: text->backgroundRgb = static_cast<unsigned>(s.integer(g)) & 0xFFFFFFu; break;
      case 45: text->backgroundScaleFactor = s.real(g); break;
      default:
        if (coordinate(g, 11, direction, s)) hasDirection = true;
        else coordinate(g, 10, text->location, s) || coordinate(g, 210, text->normal, s);
        break;
    }
  }
  text->contents = decoder.decode(contents);
  if (!style.empty()) text->styleName = decoder.name(style);
  if (hasDirection && (direction.x != 0 || direction.y != 0 || direction.z != 0)) {
    // The direction is in world coordinates; the rotation is measured in the text's plane.
    const Matrix3d plane = Matrix3d::planeToWorld(text->normal);
    const double x = direction.x * plane.m[0][0] + direction.y * plane.m[1][0] + direction.z * plane.m[2][0];
    const double y = direction.x * plane.m[0][1] + direction.y * plane.m[1][1] + direction.z * plane.m[2][1];
    text->rotation = std::atan2(y, x);
  }
  return text;
}

std::unique_ptr<BlockReference> readInsert(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder,
                                           std::wstring& blockName) {
  auto ref = std::make_unique<BlockReference>();
  Point3d position;
  for (const Group& g : fields) {
    switch (g.code) {
      case 2: blockName = canonicalBlockName(decoder.decode(g.value)); break;
      case 41: ref->scale.x = s.real(g); break;
      case 42: ref->scale.y = s.real(g); break;
      case 43: ref->scale.z = s.real(g); break;
      case 50: ref->rotation_ = s.real(g) * kDegrees; break;
      case 70: ref->columns = std::max(1, s.integer(g)); break;
      case 71: ref->rows = std::max(1, s.integer(g)); break;
      case 44: ref->columnSpacing = s.real(g); break;
      case 45: ref->rowSpacing = s.real(g); break;
      default: coordinate(g, 10, position, s) || coordinate(g, 210, ref->normal_, s); break;
    }
  }
  ref->position_ = toWorld(position, ref->normal_);
  return ref;
}

// R12 keeps a viewport's view in the ACAD application's extended data: after "MVIEW", "{" and a version come
// the view target, the view direction, the twist, the view height and the view centre.
void readViewportExtendedData(const std::vector<Group>& groups, Scanner& s, Viewport& viewport) {
  bool inAcad = false, inView = false;
  std::vector<double> reals;
  std::vector<Point3d> points;
  int items = 0;
  for (const Group& g : groups) {
    if (g.code == 1001) {
      inAcad = trim(g.value) == "ACAD";
      continue;
    }
    if (!inAcad) continue;
    if (g.code == 1000) {
      inView = trim(g.value) == "MVIEW";
      continue;
    }
    if (!inView) continue;
    switch (g.code) {
      case 1010: points.push_back({s.real(g), 0, 0}); ++items; break;
      case 1020: if (!points.empty()) points.back().y = s.real(g); break;
      case 1030: if (!points.empty()) points.back().z = s.real(g); break;
      case 1040: if (items >= 3) reals.push_back(s.real(g)); ++items; break;
      case 1070: ++items; break;
      default: break;
    }
  }
  if (points.size() >= 2) {
    viewport.viewTarget = points[0];
    viewport.viewDirection = {points[1].x, points[1].y, points[1].z};
  }
  if (reals.size() >= 4) {
    viewport.twistAngle = reals[0] * kDegrees;
    viewport.viewHeight = reals[1];
    viewport.viewCenter = {reals[2], reals[3]};
  }
}

std::unique_ptr<Entity> readViewport(const std::vector<Group>& fields, const std::vector<Group>& groups,
                                     Scanner& s) {
  auto viewport = std::make_unique<Viewport>();
  int status = 1, flags = 0;
  bool hasView = false;
  for (const Group& g : fields) {
    switch (g.code) {
      case 40: viewport->width_ = s.real(g); break;
      case 41: viewport->height_ = s.real(g); break;
      case 68: status = s.integer(g); break;
      case 69: viewport->fileId = s.integer(g); break;
      case 12: viewport->viewCenter.x = s.real(g); hasView = true; break;
      case 22: viewport->viewCenter.y = s.real(g); break;
      case 45: viewport->viewHeight = s.real(g); hasView = true; break;
      case 51: viewport->twistAngle = s.real(g) * kDegrees; break;
      case 90: flags = s.integer(g); break;
      default:
        coordinate(g, 10, viewport->center, s) || coordinate(g, 17, viewport->viewTarget, s) ||
            coordinate(g, 16, viewport->viewDirection, s);
        break;
    }
  }
  // Status 0 is off; -1 is on but off screen. Flag 0x20000 turns a viewport off as well.
  viewport->on = status != 0 && (flags & 0x20000) == 0;
  if (!hasView) readViewportExtendedData(groups, s, *viewport);
  return viewport;
}

}  // namespace

ObjectId Loader::layerFor(std::string_view rawName, Name& canonical) {
  auto cached = layerCache_.find(rawName);
  if (cached != layerCache_.end()) {
    canonical = cached->second.second;
    return cached->second.first;
  }
  const std::wstring decoded = trim(rawName).empty() ? std::wstring(L"0") : decoder_.decode(rawName);
  const std::wstring key = foldedName(decoded);
  ObjectId id;
  auto it = layersByName_.find(key);
  if (it != layersByName_.end()) {
    id = it->second;
  } else {
    // An entity on a layer the table lacks: the layer is made, as the host does when it repairs a drawing.
    id = db_->addLayer(decoded);
    layersByName_.emplace(key, id);
  }
  canonical = db_->names().intern(static_cast<LayerTableRecord*>(db_->objectAt(id))->name);
  layerCache_.emplace(rawName, std::make_pair(id, canonical));
  return id;
}

bool Loader::readEntityList(ObjectId blockRecord, Group& terminator) {
  Group g;
  while (scanner_.next(g)) {
    if (g.code != 0) {
      scanner_.fail(g.line, "expected an entity (group code 0), found group code " + std::to_string(g.code));
      return false;
    }
    const std::string_view type = trim(g.value);
    if (isAny(type, {"ENDSEC", "ENDBLK", "BLOCK", "SECTION", "EOF", "TABLE", "ENDTAB"})) {
      terminator = g;
      return true;
    }
    collect(record_, g);
    if (scanner_.failed() || !readEntity(record_, blockRecord)) return false;
    // What lies well behind the scan is not read again but for a few names: a mapped file's pages before it
    // are let go, so that the file and the drawing it becomes are never both held whole.
    constexpr std::size_t kDropEvery = std::size_t{4} << 20;
    if (bytes_ != nullptr && scanner_.position() >= dropped_ + 2 * kDropEvery) {
      dropped_ = scanner_.position() - kDropEvery;
      bytes_->dropBefore(dropped_);
    }
  }
  terminator = Group{};
  return !scanner_.failed();
}

bool Loader::readEntity(Record& record, ObjectId blockRecord) {
  // Followers without their leader (a stray VERTEX, ATTRIB or SEQEND) are skipped.
  if (isAny(record.type, {"VERTEX", "ATTRIB", "SEQEND"})) return true;
  const std::vector<Group>& fields = ownFieldsOf(record.groups, fields_);
  PendingEntity pending;
  pending.line = record.line;
  pending.common = readCommon(fields, scanner_);
  pending.handle = handleNumber(pending.common.handle);
  pending.entity = makeEntity(record, fields, pending);
  if (isAny(record.type, {"POLYLINE", "INSERT", "MINSERT"})) {
    readFollowers(pending, sameWord(record.type, "POLYLINE") ? "VERTEX" : "ATTRIB");
  }
  if (scanner_.failed()) return false;
  if (!pending.entity) return true;
  Name layer;
  const ObjectId layerId = layerFor(pending.common.layer, layer);
  pending.entity->setLayer(layer, layerId);
  pending.entity->setColorIndex(pending.common.color);
  pending.entity->properties = propertiesFor(pending.common);
  if (blockRecord.isNull()) {
    defer(std::move(pending));
  } else {
    place(std::move(pending), blockRecord);
  }
  return true;
}

std::unique_ptr<Entity> Loader::makeEntity(const Record& record, const std::vector<Group>& fields,
                                           PendingEntity& pending) {
  const std::string_view type = record.type;
  if (sameWord(type, "LINE")) return readLine(fields, scanner_);
  if (sameWord(type, "LWPOLYLINE")) return readLwPolyline(fields, scanner_);
  if (sameWord(type, "CIRCLE")) return readCircle(fields, scanner_, false);
  if (sameWord(type, "ARC")) return readCircle(fields, scanner_, true);
  if (sameWord(type, "TEXT")) {
    auto text = std::make_unique<Text>();
    readTextFields(fields, scanner_, decoder_, *text, false);
    return text;
  }
  if (sameWord(type, "MTEXT")) return readMText(fields, scanner_, decoder_);
  if (sameWord(type, "INSERT") || sameWord(type, "MINSERT")) {
    return readInsert(fields, scanner_, decoder_, pending.blockName);
  }
  if (sameWord(type, "VIEWPORT")) return readViewport(fields, record.groups, scanner_);
  if (sameWord(type, "HATCH")) return readHatch(fields, scanner_);
  if (sameWord(type, "POLYLINE")) {
    int flags = 0;
    Point3d elevation;
    Vector3d normal{0, 0, 1};
    for (const Group& g : fields) {
      if (g.code == 70) flags = scanner_.integer(g);
      else coordinate(g, 10, elevation, scanner_) || coordinate(g, 210, normal, scanner_);
    }
    // 3D polylines are read as such; the vertices of meshes and polyface meshes are read and dropped.
    if ((flags & 8) != 0 && (flags & (16 | 64)) == 0) return makeOtherEntity(record, fields, pending);
    if ((flags & (8 | 16 | 64)) != 0) return nullptr;
    auto pline = std::make_unique<Polyline2d>();
    pline->closed = (flags & 1) != 0;
    pline->elevation = elevation.z;
    pline->normal = normal;
    return pline;
  }
  return makeOtherEntity(record, fields, pending);
}

void Loader::readFollowers(PendingEntity& pending, std::string_view followerType) {
  auto* pline = Polyline2d::cast(pending.entity.get());
  auto* reference = BlockReference::cast(pending.entity.get());
  auto* pline3d = Polyline3d::cast(pending.entity.get());
  Group g;
  while (scanner_.next(g)) {
    const std::string_view type = trim(g.value);
    const bool follower = sameWord(type, followerType);
    if (!follower && !sameWord(type, "SEQEND")) {
      scanner_.pushBack(g);  // a leader without SEQEND ends at the next entity
      return;
    }
    collect(follower_, g);
    if (!follower) return;
    ownFields(follower_.groups, followerFields_);
    std::string_view handle;
    for (const Group& field : followerFields_) {
      if (field.code == 5) handle = field.value;
    }
    if (pline != nullptr) {
      auto vertex = std::make_unique<Vertex2d>();
      for (const Group& field : followerFields_) {
        switch (field.code) {
          case 42: vertex->bulge_ = scanner_.real(field); break;
          case 40: vertex->startWidth = scanner_.real(field); break;
          case 41: vertex->endWidth = scanner_.real(field); break;
          case 70: vertex->vertexFlags = scanner_.integer(field); break;
          default: coordinate(field, 10, vertex->position, scanner_); break;
        }
      }
      vertex->position.z = pline->elevation;
      pending.parts.emplace_back(std::move(vertex), handle);
    } else if (pline3d != nullptr) {
      Point3d position;
      int flags = 0;
      for (const Group& field : followerFields_) {
        if (field.code == 70) flags = scanner_.integer(field);
        else coordinate(field, 10, position, scanner_);
      }
      // A spline frame's control points shape the curve but are not on it.
      if ((flags & 16) == 0) pline3d->points.push_back(position);
    } else if (reference != nullptr) {
      auto attribute = std::make_unique<AttributeReference>();
      readTextFields(followerFields_, scanner_, decoder_, *attribute, true);
      for (const Group& field : followerFields_) {
        if (field.code == 2) attribute->tag = decoder_.decode(field.value);
        if (field.code == 70) attribute->invisible = (scanner_.integer(field) & 1) != 0;
      }
      Name layer;
      const EntityCommon common = readCommon(followerFields_, scanner_);
      const ObjectId layerId = layerFor(common.layer, layer);
      attribute->setLayer(layer, layerId);
      attribute->setColorIndex(common.color);
      attribute->properties = propertiesFor(common);
      pending.parts.emplace_back(std::move(attribute), handle);
    }
    if (scanner_.failed()) return;
  }
}

void Loader::place(PendingEntity pending, ObjectId blockRecord) {
  auto* record = static_cast<BlockTableRecord*>(db_->objectAt(blockRecord));
  Entity* entity = pending.entity.get();
  const ObjectId id = db_->addObject(std::move(pending.entity), blockRecord, pending.handle);
  record->entityIds.push_back(id);
  if (auto* viewport = Viewport::cast(entity)) viewports_.emplace_back(blockRecord, viewport);
  if (pending.parts.empty() && pending.blockName.empty()) return;
  auto* pline = Polyline2d::cast(entity);
  auto* reference = BlockReference::cast(entity);
  for (auto& [part, handle] : pending.parts) {
    const ObjectId partId = db_->addObject(std::move(part), id, handleNumber(handle));
    if (pline != nullptr) pline->vertexIds.push_back(partId);
    if (reference != nullptr) reference->attributes.push_back(partId);
  }
  if (reference != nullptr) references_.push_back({id, std::move(pending.blockName), pending.line});
  else if (Dimension::cast(entity) != nullptr) dimensions_.push_back({id, std::move(pending.blockName), pending.line});
}

void Loader::defer(PendingEntity pending) {
  DeferredEntity& deferred = entitiesSection_.emplace_back();
  deferred.entity = std::move(pending.entity);
  deferred.handle = pending.handle;
  deferred.paper = pending.common.paper ? 1 : 0;
  // Entities of one space come one after another, naming the same owner.
  const std::uint64_t owner = handleNumber(pending.common.owner);
  if (owner == 0) {
    lastDeferredOwner_ = 0;
  } else if (owner != deferredOwners_[lastDeferredOwner_]) {
    auto [place, added] =
        deferredOwnerPlaces_.try_emplace(owner, static_cast<std::uint32_t>(deferredOwners_.size()));
    if (added) deferredOwners_.push_back(owner);
    lastDeferredOwner_ = place->second;
  }
  deferred.owner = lastDeferredOwner_;
  // Only references and dimensions are named in messages by their line.
  const Entity* entity = deferred.entity.get();
  const bool named = BlockReference::cast(entity) != nullptr || Dimension::cast(entity) != nullptr;
  if (pending.parts.empty() && pending.blockName.empty() && pending.common.layout.empty() && !named) return;
  // What waits beside it is kept in strings of its own: the file's text is gone by the time it is placed.
  deferred.rare = static_cast<std::uint32_t>(entitiesSectionRare_.size());
  DeferredRare& rare = entitiesSectionRare_.emplace_back();
  rare.layout = pending.common.layout;
  for (auto& [part, handle] : pending.parts) rare.parts.emplace_back(std::move(part), std::string(handle));
  rare.blockName = std::move(pending.blockName);
  rare.line = pending.line;
}

PendingEntity Loader::takeDeferred(DeferredEntity& deferred) {
  PendingEntity pending;
  pending.entity = std::move(deferred.entity);
  pending.handle = deferred.handle;
  pending.common.paper = deferred.paper != 0;
  if (deferred.rare != DeferredEntity::kNoRare) {
    DeferredRare& rare = entitiesSectionRare_[deferred.rare];
    pending.common.layout = rare.layout;
    for (auto& [part, handle] : rare.parts) pending.parts.emplace_back(std::move(part), handle);
    pending.blockName = std::move(rare.blockName);
    pending.line = rare.line;
  }
  return pending;
}

}  // namespace cad::dxf

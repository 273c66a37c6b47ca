#pragma once
// The DXF reader's working state while it fills a database: sections are read in file order, entities of the
// ENTITIES section wait until the layouts (in OBJECTS, at the end) are known, and references find their
// blocks once all blocks are read. Internal to the DXF reader; readDxfText is the entry point.

#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cad/database.h"
#include "foundation/files.h"
#include "scanner.h"
#include "text.h"

namespace cad::dxf {

// One record: its type (the 0 group) and the groups up to the next 0 group.
struct Record {
  std::string_view type;
  std::size_t line = 0;
  std::vector<Group> groups;
};

// Codes every entity shares.
struct EntityCommon {
  std::string_view handle, owner, layer, layout;
  int color = 256;
  bool paper = false;
  std::string_view linetype;  // empty: by layer
  double linetypeScale = 1;
  int lineWeight = kLnWtByLayer;
  std::optional<std::uint32_t> trueColor;
  bool invisible = false;
};

// An entity read but not yet in the database, with the objects that belong to it (2D vertices, attributes).
struct PendingEntity {
  std::unique_ptr<Entity> entity;
  EntityCommon common;
  std::uint64_t handle = 0;  // common.handle's number, read while its text is at hand; 0 for none
  std::size_t line = 0;
  std::vector<std::pair<std::unique_ptr<Object>, std::string_view>> parts;  // object, handle
  std::wstring blockName;  // of a block reference
};

// An entity of the ENTITIES section waiting for the layouts, kept to 24 bytes: a drawing holds hundreds of
// thousands, and they are all in memory beside the file's text. Its owner is the place of the owner's handle
// among the few distinct owners the section names. What few entities have (parts, a block name, a layout
// name, a line for messages) waits beside it in `rare`.
struct DeferredEntity {
  std::unique_ptr<Entity> entity;
  std::uint64_t handle = 0;  // a number, so that placing it reads nothing of the file again
  std::uint32_t owner = 0;   // 0: none
  std::uint32_t rare : 31 = kNoRare;
  std::uint32_t paper : 1 = 0;
  static constexpr std::uint32_t kNoRare = 0x7FFFFFFFu;
};
static_assert(sizeof(DeferredEntity) <= 24);
struct DeferredRare {
  std::string layout;
  std::vector<std::pair<std::unique_ptr<Object>, std::string>> parts;  // object, handle
  std::wstring blockName;
  std::size_t line = 0;
};

struct LayoutRecord {
  std::unique_ptr<Layout> layout;
  std::string handle, blockHandle;
  std::size_t line = 0;
  bool placed = false;
};

struct DictionaryRecord {
  std::string handle, owner;
  std::vector<std::pair<std::wstring, std::string>> entries;  // name, handle
};

struct BlockInfo {
  bool defined = false;              // its BLOCK … ENDBLK was read
  std::string layoutHandle;          // BLOCK_RECORD 340
  std::string representationOf;      // a dynamic block's anonymous representation: the definition's handle
  std::string extensionDictionary;   // ACAD_XDICTIONARY
};

class Loader {
 public:
  // `bytes`, when given, holds `text`: it is given back as soon as the sections are read, before the
  // drawing is put together, so that the file and the whole drawing are never in memory at once.
  explicit Loader(std::string_view text, foundation::FileBytes* bytes = nullptr);
  bool run();
  std::unique_ptr<Database> takeDatabase() { return std::move(db_); }
  const std::string& error() const { return refusal_.empty() ? scanner_.error() : refusal_; }
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  // Sections (reader.cpp, tables.cpp, objects.cpp)
  bool readSection(std::string_view name, std::size_t line);
  bool skipSection(std::string_view name);
  bool acceptMissingEof();
  void releaseText();  // nothing read from here on looks at the file's text
  void warn(std::size_t line, const std::string& message);
  bool readHeader();
  bool readTables();
  bool readBlocks();
  bool readEntitiesSection();
  bool readObjects();
  void collect(Record& record, const Group& typeGroup);
  void failUnterminated(std::string_view what, std::string_view expected);

  // Tables (tables.cpp)
  void readLayer(const Record& record);
  void readStyle(const Record& record);
  void readBlockRecord(const Record& record);
  bool readBlock(const Record& header);
  ObjectId blockRecordNamed(const std::wstring& name) const;
  void readLinetype(const Record& record);  // linetypes.cpp
  ObjectId linetypeNamed(std::string_view rawName);
  ObjectId createBlockRecord(const std::wstring& name, std::string_view handle);

  // Entities (entities.cpp, hatch.cpp)
  // Reads entities until a 0 group that is not one; `terminator` gets that group's type (empty at the end).
  bool readEntityList(ObjectId blockRecord, Group& terminator);
  bool readEntity(Record& record, ObjectId blockRecord);
  std::unique_ptr<Entity> makeEntity(const Record& record, const std::vector<Group>& fields, PendingEntity& pending);
  // ELLIPSE, SPLINE, SOLID, TRACE, DIMENSION, ATTDEF and 3D polylines (other_entities.cpp); nullptr for a kind
  // the database does not hold.
  std::unique_ptr<Entity> makeOtherEntity(const Record& record, const std::vector<Group>& fields,
                                          PendingEntity& pending);
  // Points, wipeouts, construction lines, shapes and the kinds drawn as their wire (plan_entities.cpp).
  std::unique_ptr<Entity> makePlanEntity(const Record& record, const std::vector<Group>& fields);
  std::unique_ptr<Entity> readLeader(const std::vector<Group>& fields);
  std::unique_ptr<Entity> readMLeader(const std::vector<Group>& fields);
  double arrowSize() const;
  void readFollowers(PendingEntity& pending, std::string_view followerType);
  // The linetype, lineweight, true colour and visibility the entity's common codes give (linetypes.cpp).
  EntityProperties propertiesFor(const EntityCommon& common);
  void place(PendingEntity pending, ObjectId blockRecord);
  void defer(PendingEntity pending);
  PendingEntity takeDeferred(DeferredEntity& deferred);
  ObjectId layerFor(std::string_view rawName, Name& canonical);

  // Objects and the end of loading (objects.cpp, reader.cpp)
  void readDictionary(const Record& record);
  void readLayout(const Record& record);
  void readWipeoutVariables(const Record& record);
  bool finish();
  bool bindLayouts();
  void placeEntitiesSection();
  void resolveReferences();
  void resolveDimensions();  // other_entities.cpp
  // Refuses a drawing whose references expand to more work than any drawing may draw, and tells of
  // blocks inside themselves and of nesting too deep to draw (expansion.cpp).
  bool checkExpansion();
  // Numbers the viewports placed in layouts' blocks, as Database::renumberViewports would.
  void numberViewports();

  // The object that has this handle in the file; null for none.
  ObjectId idOfHandle(std::string_view handle) const;

  std::string_view text_;
  foundation::FileBytes* bytes_;
  std::size_t dropped_ = 0;  // the file's bytes before this are let go while the sections are read
  Scanner scanner_;
  TextDecoder decoder_;
  std::unique_ptr<Database> db_;
  // Every object made while loading lives in the drawing's arena; the scope ends after the objects below
  // that wait to be placed are gone.
  ObjectArena::Scope arenaScope_;
  Record record_, follower_;
  std::vector<Group> fields_, followerFields_;

  std::unordered_map<std::wstring, ObjectId> blocksByName_;            // folded name → block record
  std::unordered_map<std::wstring, ObjectId> layersByName_;            // folded name → layer
  std::unordered_map<std::wstring, ObjectId> stylesByName_;            // folded name → text style
  std::unordered_map<std::string_view, std::pair<ObjectId, Name>> layerCache_;  // raw name → layer
  std::unordered_map<ObjectId, BlockInfo> blockInfo_;
  std::vector<DeferredEntity, foundation::LargeAllocator<DeferredEntity>> entitiesSection_;
  std::vector<DeferredRare> entitiesSectionRare_;
  // The owner handles the deferred entities name, each once (0 first, for none), and the place of the last.
  std::vector<std::uint64_t> deferredOwners_{0};
  std::unordered_map<std::uint64_t, std::uint32_t> deferredOwnerPlaces_;
  std::uint32_t lastDeferredOwner_ = 0;
  std::vector<std::pair<ObjectId, Viewport*>> viewports_;  // block record, viewport; in the order placed
  struct ReferenceRecord {
    ObjectId reference;
    std::wstring blockName;
    std::size_t line = 0;
  };
  std::vector<ReferenceRecord> references_;
  std::vector<ReferenceRecord> dimensions_;  // a dimension and the name of its block
  std::unordered_map<std::wstring, ObjectId> linetypesByName_;  // folded name → linetype
  std::vector<LayoutRecord> layouts_;
  std::vector<DictionaryRecord> dictionaries_;
  std::vector<std::pair<std::string, std::string>> header_;            // raw name, raw value
  std::vector<std::string> sectionsRead_;                               // the format's own, upper case
  std::string lastSection_;                                             // as the file names it
  bool blockRecordsRead_ = false;
  std::vector<std::string> warnings_;
  std::size_t warningsLeftOut_ = 0;
  std::string refusal_;  // why a drawing read whole cannot open
};

// The groups that describe the object itself: application groups (102 {…}) left out, and nothing from
// extended data (1001) or an embedded object (101) on.
void ownFields(const std::vector<Group>& groups, std::vector<Group>& out);
// The same without a copy where all the groups are the object's own: `groups` itself, else `scratch` filled.
const std::vector<Group>& ownFieldsOf(const std::vector<Group>& groups, std::vector<Group>& scratch);
// The value of the first `code` group in the extended data of `application`, or empty.
std::string_view extendedDataValue(const std::vector<Group>& groups, std::string_view application, int code);
// The handle in a "{ACAD_XDICTIONARY" application group, or empty.
std::string_view extensionDictionaryHandle(const std::vector<Group>& groups);
std::wstring widenHandle(std::string_view handle);
// Sets one coordinate of a point from a group whose code is base, base+10 or base+20 (x, y, z).
bool coordinate(const Group& g, int base, Point3d& p, Scanner& scanner);
bool coordinate(const Group& g, int base, Vector3d& v, Scanner& scanner);
// Object coordinates of an entity with this normal to world coordinates.
Point3d toWorld(const Point3d& p, const Vector3d& normal);
// TEXT, ATTRIB and ATTDEF: the attribute kinds keep their vertical alignment in 74 (73 is their field length).
void readTextFields(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder, Text& text, bool attribute);
// The number of a handle's text; 0 for none.
std::uint64_t handleNumber(std::string_view handle);
// A HATCH from its own groups: boundary loops as polygons (curved edges sampled).
std::unique_ptr<Entity> readHatch(const std::vector<Group>& fields, Scanner& scanner);

// Normalised handle text: upper case, no leading zeros; "" for none.
std::string normalisedHandle(std::string_view handle);
// The number a handle stands for; false for none (empty, zero, not hexadecimal, overlong).
bool handleValue(std::string_view handle, std::uint64_t& value);
// "*Model_Space" and "*Paper_Space…" whatever case or R12 spelling ("$MODEL_SPACE") the file uses.
std::wstring canonicalBlockName(std::wstring name);
constexpr double kDegrees = std::numbers::pi / 180.0;

}  // namespace cad::dxf

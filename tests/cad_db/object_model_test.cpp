// The object model under the database: kind tags against the class hierarchy, objects made in a drawing's
// arena, pooled names, and the handle table at the size of a real drawing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/database.h"
#include "test_support.h"

using namespace cad;

namespace {

// Classes that pass no kind of their own, as a new class may: they share their base's.
class PlainCurve : public Curve {
 public:
  bool isClosed() const override { return false; }
  const RxClass& rxClass() const override {
    static const RxClass kClass(L"PlainCurve");
    return kClass;
  }

 protected:
  ErrorStatus computeExtents(Extents3d&) const override { return eInvalidExtents; }
};
class PlainText : public Text {};
class PlainRecord : public SymbolTableRecord {
 public:
  const RxClass& rxClass() const override {
    static const RxClass kClass(L"PlainRecord");
    return kClass;
  }
};
class PlainTable : public SymbolTable {
 public:
  const RxClass& rxClass() const override {
    static const RxClass kClass(L"PlainTable");
    return kClass;
  }
};

// One object of every class the database holds, and of classes derived from them without kinds of their own.
std::vector<std::unique_ptr<Object>> oneOfEach() {
  std::vector<std::unique_ptr<Object>> all;
  all.push_back(std::make_unique<Line>());
  all.push_back(std::make_unique<Polyline>());
  all.push_back(std::make_unique<Vertex2d>());
  all.push_back(std::make_unique<Polyline2d>());
  all.push_back(std::make_unique<Circle>());
  all.push_back(std::make_unique<Arc>());
  all.push_back(std::make_unique<Text>());
  all.push_back(std::make_unique<AttributeReference>());
  all.push_back(std::make_unique<MText>());
  all.push_back(std::make_unique<BlockReference>());
  all.push_back(std::make_unique<Viewport>());
  all.push_back(std::make_unique<Hatch>());
  all.push_back(std::make_unique<BlockTableRecord>());
  all.push_back(std::make_unique<LayerTableRecord>());
  all.push_back(std::make_unique<TextStyleTableRecord>());
  all.push_back(std::make_unique<BlockTable>());
  all.push_back(std::make_unique<LayerTable>());
  all.push_back(std::make_unique<TextStyleTable>());
  all.push_back(std::make_unique<Dictionary>());
  all.push_back(std::make_unique<PlotSettings>());
  all.push_back(std::make_unique<Layout>());
  all.push_back(std::make_unique<PlainCurve>());
  all.push_back(std::make_unique<PlainText>());
  all.push_back(std::make_unique<PlainRecord>());
  all.push_back(std::make_unique<PlainTable>());
  return all;
}

// T's cast() answers as dynamic_cast does, for objects of every class, const or not.
template <class T>
void expectCastAgrees(const std::vector<std::unique_ptr<Object>>& all, const char* name) {
  for (const auto& object : all) {
    SCOPED_TRACE(std::string(name) + " of " + cadtest::utf8(object->isA()->name()));
    EXPECT_EQ(T::cast(object.get()), dynamic_cast<T*>(object.get()));
    const Object* constant = object.get();
    EXPECT_EQ(T::cast(constant), dynamic_cast<const T*>(constant));
  }
  EXPECT_EQ(T::cast(static_cast<Object*>(nullptr)), nullptr);
}

}  // namespace

TEST(ObjectModel, KindCastsAgreeWithTheClassHierarchy) {
  const auto all = oneOfEach();
  expectCastAgrees<Entity>(all, "Entity");
  expectCastAgrees<Curve>(all, "Curve");
  expectCastAgrees<Line>(all, "Line");
  expectCastAgrees<Polyline>(all, "Polyline");
  expectCastAgrees<Vertex2d>(all, "Vertex2d");
  expectCastAgrees<Polyline2d>(all, "Polyline2d");
  expectCastAgrees<Circle>(all, "Circle");
  expectCastAgrees<Arc>(all, "Arc");
  expectCastAgrees<Text>(all, "Text");
  expectCastAgrees<AttributeReference>(all, "AttributeReference");
  expectCastAgrees<MText>(all, "MText");
  expectCastAgrees<BlockReference>(all, "BlockReference");
  expectCastAgrees<Viewport>(all, "Viewport");
  expectCastAgrees<Hatch>(all, "Hatch");
  expectCastAgrees<SymbolTableRecord>(all, "SymbolTableRecord");
  expectCastAgrees<BlockTableRecord>(all, "BlockTableRecord");
  expectCastAgrees<LayerTableRecord>(all, "LayerTableRecord");
  expectCastAgrees<TextStyleTableRecord>(all, "TextStyleTableRecord");
  expectCastAgrees<SymbolTable>(all, "SymbolTable");
  expectCastAgrees<BlockTable>(all, "BlockTable");
  expectCastAgrees<LayerTable>(all, "LayerTable");
  expectCastAgrees<TextStyleTable>(all, "TextStyleTable");
  expectCastAgrees<Dictionary>(all, "Dictionary");
  expectCastAgrees<PlotSettings>(all, "PlotSettings");
  expectCastAgrees<Layout>(all, "Layout");
  // A table finds records of a class it does not know by their base's kind.
  auto store = Database::createEmpty();
  auto table = std::make_unique<PlainTable>();
  PlainTable* plain = table.get();
  const ObjectId tableId = store->addObject(std::move(table));
  auto record = std::make_unique<PlainRecord>();
  record->name = L"Dashed";
  plain->recordIds.push_back(store->addObject(std::move(record), tableId));
  EXPECT_TRUE(plain->has(L"DASHED"));
  // Opening by a kind the object is not is refused, as before.
  auto db = Database::createDefault();
  const ObjectId line = db->appendEntity(db->modelSpaceId(), std::make_unique<Line>());
  Circle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, line), eNotThatKindOfClass);
  EXPECT_EQ(circle, nullptr);
  EXPECT_TRUE(db->openObjects().empty());
}

TEST(ObjectModel, ObjectsMadeInAScopeLiveInTheDrawingsArena) {
  auto db = Database::createDefault();
  const std::wstring longText(200, L'x');  // beyond any small-string buffer: its memory is the heap's
  ObjectId inArena, onHeap;
  {
    ObjectArena::Scope scope(db->arena());
    auto text = std::make_unique<Text>();
    text->contents = longText;
    EXPECT_TRUE(db->arena().owns(text.get()));
    inArena = db->appendEntity(db->modelSpaceId(), std::move(text));
    // Made and dropped within the scope: destroyed, its memory left to the arena.
    auto dropped = std::make_unique<Polyline>();
    dropped->vertices.resize(100);
    {
      ObjectArena other;
      ObjectArena::Scope inner(other);
      EXPECT_EQ(ObjectArena::current(), &other);
      auto elsewhere = std::make_unique<Line>();
      EXPECT_TRUE(other.owns(elsewhere.get()));
      EXPECT_FALSE(db->arena().owns(elsewhere.get()));
    }
    EXPECT_EQ(ObjectArena::current(), &db->arena());
  }
  EXPECT_EQ(ObjectArena::current(), nullptr);
  auto line = std::make_unique<Line>();
  EXPECT_FALSE(db->arena().owns(line.get()));
  onHeap = db->appendEntity(db->modelSpaceId(), std::move(line));
  // Both kinds are ordinary objects to the database; the leak checker sees that dropping it frees them all.
  EXPECT_EQ(cadtest::as<Text>(*db, inArena)->contents, longText);
  Text* text = nullptr;
  ASSERT_EQ(acdbOpenObject(text, inArena), eOk);
  text->close();
  EXPECT_NE(cadtest::as<Line>(*db, onHeap), nullptr);
  db.reset();
}

TEST(ObjectModel, NamesArePooled) {
  NamePool pool;
  const Name a = pool.intern(L"墙体");
  const Name b = pool.intern(std::wstring(L"墙") + L"体");
  EXPECT_EQ(a.c_str(), b.c_str());  // one text, shared
  EXPECT_EQ(pool.intern(L"WALLS").str(), L"WALLS");
  EXPECT_EQ(pool.size(), 2u);
  EXPECT_EQ(a, L"墙体");
  EXPECT_FALSE(a == L"墙");
  // Names given through the object model's calls are pooled too; an entity starts on layer "0".
  Line line;
  EXPECT_STREQ(line.layer(), L"0");
  line.setLayer(std::wstring(L"FRAME"), {});
  Line other;
  other.setLayer(L"FRAME", {});
  EXPECT_EQ(line.layer(), other.layer());
  Text text;
  EXPECT_EQ(text.styleName, L"Standard");
  text.styleName = L"仿宋";
  EXPECT_EQ(text.styleName.str(), L"仿宋");
}

TEST(ObjectModel, HandlesOfALargeDrawingAreFoundAfterGrowing) {
  auto db = Database::createEmpty();
  std::mt19937_64 random(11);
  std::unordered_map<std::uint64_t, ObjectId> byHandle;
  // Consecutive runs, runs that share their low bits, large numbers and made-up handles mixed.
  std::vector<std::uint64_t> handles;
  for (std::uint64_t h = 0x100; h < 0x100 + 30000; ++h) handles.push_back(h);
  for (std::uint64_t k = 1; k <= 5000; ++k) handles.push_back(k << 32 | 0x100);
  for (int k = 0; k < 20000; ++k) handles.push_back(random() & 0xFFFFFFFFFFFFFFFull);
  for (std::uint64_t h : handles) {
    const bool fileHandle = (h & 7) != 0;  // now and then an object gets a made-up handle instead
    auto line = std::make_unique<Line>();
    const ObjectId id = fileHandle ? db->addObject(std::move(line), {}, h) : db->addObject(std::move(line));
    const std::uint64_t given = std::stoull(db->objectAt(id)->handle(), nullptr, 16);
    if (fileHandle && byHandle.count(h) == 0) {
      EXPECT_EQ(given, h);
    }
    byHandle[given] = id;
  }
  for (const auto& [handle, id] : byHandle) {
    ASSERT_EQ(db->objectIdFromHandle(handle), id) << std::hex << handle;
  }
  EXPECT_TRUE(db->objectIdFromHandle(0xFFFFFFFFFFFFFFFull - 1).isNull() ||
              byHandle.count(0xFFFFFFFFFFFFFFFull - 1) != 0);
  EXPECT_TRUE(db->objectIdFromHandle(std::uint64_t{0}).isNull());
}

TEST(ObjectModel, ViewportsNumberedWhileLoadingAsTheDatabaseNumbersThem) {
  bool ownSeen = false, othersSeen = false;
  for (const std::string& path : {cadtest::samplePath("layouts-frames.dxf"), cadtest::samplePath("viewports-only.dxf"),
                                  cadtest::samplePath("chinese-layouts.dxf"), cadtest::dataPath("r2018-mixed.dxf"),
                                  cadtest::dataPath("r2000-gbk.dxf")}) {
    SCOPED_TRACE(path);
    auto result = cad::readDxfFile(path);
    ASSERT_TRUE(result.database) << result.error;
    Database& db = *result.database;
    std::vector<std::pair<Viewport*, int>> numbers;
    for (const auto& [name, layoutId] : cadtest::as<Dictionary>(db, db.layoutDictionaryId())->entries) {
      auto* layout = cadtest::as<Layout>(db, layoutId);
      for (Entity* entity : cadtest::entitiesOf(db, layout->getBlockTableRecordId())) {
        if (auto* viewport = Viewport::cast(entity)) numbers.emplace_back(viewport, viewport->number());
      }
    }
    db.renumberViewports();
    for (const auto& [viewport, number] : numbers) {
      EXPECT_EQ(viewport->number(), number);
      ownSeen = ownSeen || number == 1;
      othersSeen = othersSeen || number >= 2;
    }
  }
  EXPECT_TRUE(ownSeen && othersSeen);
}

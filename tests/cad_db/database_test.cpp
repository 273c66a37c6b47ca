// The database's host calls: ids, open/close discipline, lookups, layouts, viewport numbers, failure hooks.
#include <algorithm>
#include <set>

#include "test_support.h"

using namespace cad;
using cadtest::as;

TEST(Database, IdsAreUniqueAcrossDatabasesAndNameTheirDatabase) {
  auto a = Database::createDefault();
  auto b = Database::createDefault();
  EXPECT_NE(a->serial(), b->serial());
  std::set<ObjectId> seen;
  for (Database* db : {a.get(), b.get()}) {
    for (ObjectId id : {db->blockTableId(), db->layerTableId(), db->modelSpaceId(), db->layoutId(L"Layout1")}) {
      EXPECT_FALSE(id.isNull());
      EXPECT_EQ(id.databaseSerial(), db->serial());
      EXPECT_TRUE(seen.insert(id).second);
    }
  }
  // An id of one drawing never opens an object of the other, and a dead drawing's ids open nothing.
  const ObjectId fromB = b->modelSpaceId();
  EXPECT_EQ(a->objectAt(fromB), nullptr);
  b.reset();
  BlockTableRecord* record = nullptr;
  EXPECT_EQ(acdbOpenObject(record, fromB), eKeyNotFound);
  EXPECT_EQ(acdbOpenObject(record, ObjectId{}), eNullObjectId);
}

TEST(Database, DefaultDrawingHasTheStandardContents) {
  auto db = Database::createDefault();
  EXPECT_FALSE(db->layerId(L"0").isNull());
  EXPECT_FALSE(db->blockId(L"*Paper_Space").isNull());
  EXPECT_EQ(cadtest::layoutNames(*db), (std::vector<std::wstring>{L"Model", L"Layout1"}));
  auto* model = cadtest::layoutNamed(*db, L"Model");
  auto* paper = cadtest::layoutNamed(*db, L"Layout1");
  EXPECT_TRUE(model->modelType());
  EXPECT_FALSE(paper->modelType());
  EXPECT_EQ(paper->getTabOrder(), 1);
  EXPECT_EQ(model->getBlockTableRecordId(), db->modelSpaceId());
  EXPECT_EQ(paper->getBlockTableRecordId(), db->blockId(L"*Paper_Space"));
  EXPECT_EQ(as<BlockTableRecord>(*db, db->modelSpaceId())->getLayoutId(), model->objectId());
  EXPECT_TRUE(db->tileMode());
  db->setCurrentLayoutId(paper->objectId());
  EXPECT_FALSE(db->tileMode());

  // Later layouts get blocks of their own.
  const ObjectId third = db->addLayout(L"Sheet 2", 2);
  EXPECT_EQ(as<Layout>(*db, third)->getBlockTableRecordId(), db->blockId(L"*Paper_Space0"));
  EXPECT_TRUE(db->addLayout(L"sheet 2", 3).isNull());  // names are unique whatever the case
  EXPECT_TRUE(db->addLayer(L"0").isNull());
}

TEST(Database, LookupsIgnoreCase) {
  auto db = Database::createDefault();
  const ObjectId layer = db->addLayer(L"Ärger-Layer");
  const ObjectId block = db->addBlock(L"TitleBlock");
  const ObjectId chinese = db->addLayout(L"图纸一", 2);
  EXPECT_EQ(db->layerId(L"ärger-LAYER"), layer);
  EXPECT_EQ(db->blockId(L"TITLEBLOCK"), block);
  EXPECT_EQ(db->layoutId(L"图纸一"), chinese);
  EXPECT_EQ(db->layoutId(L"MODEL"), db->layoutId(L"Model"));
  EXPECT_TRUE(db->layerId(L"missing").isNull());
  EXPECT_TRUE(namesEqual(L"ΣΊΣΥΦΟΣ", L"σίσυφος"));
  EXPECT_FALSE(namesEqual(L"A1", L"A2"));

  LayerTable* table = nullptr;
  ASSERT_EQ(db->getLayerTable(table), eOk);
  ObjectId found;
  EXPECT_EQ(table->getAt(L"ÄRGER-layer", found), eOk);
  EXPECT_EQ(found, layer);
  EXPECT_EQ(table->getAt(L"nope", found), eKeyNotFound);
  table->close();

  // An erased record is not found.
  db->objectAt(layer)->setErased(true);
  EXPECT_TRUE(db->layerId(L"Ärger-Layer").isNull());
}

TEST(Database, OpenAndCloseAreAudited) {
  auto db = Database::createDefault();
  auto line = std::make_unique<Line>();
  const ObjectId id = db->appendEntity(db->modelSpaceId(), std::move(line));

  Entity* first = nullptr;
  Entity* second = nullptr;
  ASSERT_EQ(acdbOpenObject(first, id), eOk);
  ASSERT_EQ(acdbOpenObject(second, id), eOk);  // readers share
  EXPECT_EQ(db->openObjects(), std::vector<ObjectId>{id});
  EXPECT_EQ(first->close(), eOk);
  EXPECT_EQ(second->close(), eOk);
  EXPECT_TRUE(db->openObjects().empty());
  EXPECT_NE(first->close(), eOk);  // one close too many is reported
  EXPECT_EQ(db->strayCloses(), 1);

  // A writer excludes everyone else.
  Line* writer = nullptr;
  ASSERT_EQ(acdbOpenObject(writer, id, kForWrite), eOk);
  EXPECT_TRUE(writer->isWriteEnabled());
  EXPECT_EQ(acdbOpenObject(first, id), eWasOpenForWrite);
  writer->close();
  ASSERT_EQ(acdbOpenObject(first, id), eOk);
  EXPECT_EQ(acdbOpenObject(writer, id, kForWrite), eWasOpenForRead);
  first->close();

  // The wrong kind fails and is not left open.
  Circle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, id), eNotThatKindOfClass);
  EXPECT_EQ(circle, nullptr);
  EXPECT_TRUE(db->openObjects().empty());

  // Erased objects open only when asked for.
  db->objectAt(id)->setErased(true);
  EXPECT_EQ(acdbOpenObject(first, id), eWasErased);
  ASSERT_EQ(acdbOpenObject(first, id, kForRead, true), eOk);
  first->close();
}

TEST(Database, FailureHooks) {
  auto db = Database::createDefault();
  BlockTable* blocks = nullptr;
  LayerTable* layers = nullptr;
  TextStyleTable* styles = nullptr;
  Dictionary* layouts = nullptr;
  db->faults.blockTable = db->faults.layerTable = db->faults.textStyleTable = db->faults.layoutDictionary = true;
  EXPECT_NE(db->getBlockTable(blocks), eOk);
  EXPECT_NE(db->getLayerTable(layers), eOk);
  EXPECT_NE(db->getTextStyleTable(styles), eOk);
  EXPECT_NE(db->getLayoutDictionary(layouts), eOk);
  EXPECT_EQ(blocks, nullptr);
  db->faults = {};
  ASSERT_EQ(db->getLayoutDictionary(layouts), eOk);
  EXPECT_EQ(layouts->entries.size(), 2u);
  layouts->close();

  auto* model = as<BlockTableRecord>(*db, db->modelSpaceId());
  model->faults.open = true;
  BlockTableRecord* record = nullptr;
  EXPECT_NE(acdbOpenObject(record, db->modelSpaceId()), eOk);
  model->faults.open = false;

  std::unique_ptr<BlockTableRecordIterator> it;
  model->failIterator = true;
  EXPECT_NE(model->newIterator(it), eOk);
  EXPECT_EQ(it, nullptr);
  model->failIterator = false;

  std::wstring name;
  model->failName = true;
  EXPECT_NE(model->getName(name), eOk);
  model->failName = false;
  EXPECT_EQ(model->getName(name), eOk);
  EXPECT_EQ(name, L"*Model_Space");

  auto* layout = cadtest::layoutNamed(*db, L"Layout1");
  const wchar_t* text = nullptr;
  layout->failName = true;
  EXPECT_NE(layout->getName(text), eOk);
  layout->failCfgName = true;
  EXPECT_NE(layout->getPlotCfgName(text), eOk);

  auto pline = std::make_unique<Polyline>();
  pline->vertices = {{{0, 0}}, {{1, 0}}};
  pline->failVertexReads = {1};
  pline->entityFaults.layerName = true;
  pline->faults.noClass = true;
  Point2d p;
  EXPECT_EQ(pline->getPointAt(0u, p), eOk);
  EXPECT_NE(pline->getPointAt(1u, p), eOk);
  EXPECT_EQ(pline->getPointAt(2u, p), eOutOfRange);
  EXPECT_EQ(pline->layer(), nullptr);
  EXPECT_EQ(pline->isA(), nullptr);
  EXPECT_TRUE(db->openObjects().empty());
}

TEST(Database, IteratorWalksStoredOrderSkippingErased) {
  auto db = Database::createDefault();
  std::vector<ObjectId> ids;
  for (int k = 0; k < 4; ++k) ids.push_back(db->appendEntity(db->modelSpaceId(), std::make_unique<Line>()));
  db->objectAt(ids[1])->setErased(true);
  auto* model = as<BlockTableRecord>(*db, db->modelSpaceId());
  for (bool skipErased : {true, false}) {
    std::unique_ptr<BlockTableRecordIterator> it;
    ASSERT_EQ(model->newIterator(it, true, skipErased), eOk);
    std::vector<ObjectId> walked;
    for (it->start(); !it->done(); it->step()) {
      Entity* entity = nullptr;
      ASSERT_EQ(it->getEntity(entity), eOk);
      walked.push_back(entity->objectId());
      entity->close();
    }
    EXPECT_EQ(walked, (skipErased ? std::vector<ObjectId>{ids[0], ids[2], ids[3]} : ids));
    Entity* none = nullptr;
    EXPECT_NE(it->getEntity(none), eOk);
  }
  EXPECT_TRUE(db->openObjects().empty());
}

TEST(Database, ViewportNumbersPerLayout) {
  auto db = Database::createDefault();
  const ObjectId second = db->addLayout(L"Second", 2);
  const auto addViewport = [&](ObjectId layout, int fileId) {
    auto viewport = std::make_unique<Viewport>();
    viewport->fileId = fileId;
    Viewport* raw = viewport.get();
    db->appendEntity(as<Layout>(*db, layout)->getBlockTableRecordId(), std::move(viewport));
    return raw;
  };
  // Layout1: stored order decides. Second: the file's own viewport (id 1) is 1 wherever it is stored.
  Viewport* a1 = addViewport(db->layoutId(L"Layout1"), 0);
  Viewport* a2 = addViewport(db->layoutId(L"Layout1"), 0);
  Viewport* b2 = addViewport(second, 7);
  Viewport* b1 = addViewport(second, 1);
  Viewport* b3 = addViewport(second, 3);
  Viewport* erased = addViewport(second, 4);
  erased->setErased(true);
  auto loose = std::make_unique<Viewport>();
  Viewport* inBlock = loose.get();
  db->appendEntity(db->addBlock(L"HOLDER"), std::move(loose));
  db->renumberViewports();
  EXPECT_EQ(a1->number(), 1);
  EXPECT_EQ(a2->number(), 2);
  EXPECT_EQ(b1->number(), 1);
  EXPECT_EQ(b2->number(), 2);
  EXPECT_EQ(b3->number(), 3);
  EXPECT_EQ(erased->number(), -1);
  EXPECT_EQ(inBlock->number(), -1);
}

TEST(Database, HandlesFindObjects) {
  auto db = Database::createEmpty();
  const ObjectId a = db->addObject(std::make_unique<Line>(), {}, L"1a");
  const ObjectId b = db->addObject(std::make_unique<Line>(), {}, L"1A");  // taken: gets a fresh one
  const ObjectId c = db->addObject(std::make_unique<Line>());
  EXPECT_EQ(db->objectIdFromHandle(L"001A"), a);
  EXPECT_EQ(db->objectAt(a)->handle(), L"1A");
  EXPECT_NE(db->objectAt(b)->handle(), L"1A");
  EXPECT_EQ(db->objectIdFromHandle(db->objectAt(b)->handle()), b);
  EXPECT_EQ(db->objectIdFromHandle(db->objectAt(c)->handle()), c);
  EXPECT_TRUE(db->objectIdFromHandle(L"FFFF").isNull());

  // A file's handle wins over one the database made up: the tables made with the database move aside.
  const ObjectId tableHandleTaker = db->addObject(std::make_unique<Line>(), {}, L"2");
  EXPECT_EQ(db->objectIdFromHandle(L"2"), tableHandleTaker);
  for (ObjectId table : {db->blockTableId(), db->layerTableId(), db->textStyleTableId(), db->layoutDictionaryId()}) {
    EXPECT_EQ(db->objectIdFromHandle(db->objectAt(table)->handle()), table);
  }
}

TEST(Database, WorkingDatabaseAndFilename) {
  auto db = Database::createDefault();
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), db.get());
  const wchar_t* name = nullptr;
  EXPECT_EQ(db->getFilename(name), eOk);
  EXPECT_STREQ(name, L"");
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_STREQ(errorStatusText(eWasErased), "eWasErased");
}

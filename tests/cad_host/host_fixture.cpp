#include "host_fixture.h"

#include <cstdlib>
#include <fstream>

#include "cad/host_reset.h"
#include "cad/environment.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/main_queue.h"

namespace cadtest {

void HostTest::SetUp() {
  foundation::MainQueue::main().resetForTesting();
  std::string pattern = foundation::temporaryDirectory() + "/cad-host-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
  cad::resetHostForTesting();
}

void HostTest::TearDown() {
  cad::resetHostForTesting();
  foundation::MainQueue::main().resetForTesting();
  foundation::removeItem(folder_);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

CommandStartLog::CommandStartLog() { cad::editor().addReactor(this); }

CommandStartLog::~CommandStartLog() { stop(); }

void CommandStartLog::stop() {
  if (listening_) cad::editor().removeReactor(this);
  listening_ = false;
}

void CommandStartLog::commandWillStart(const wchar_t* name) { started.push_back(name); }

void HostTest::drain() { foundation::MainQueue::main().drain(); }

std::unique_ptr<cad::Database> HostTest::drawing() {
  auto db = cad::Database::createDefault();
  const cad::ObjectId sheet = db->addLayout(L"Sheet A", 2);
  const cad::ObjectId sheetRecord = dynamic_cast<cad::Layout*>(db->objectAt(sheet))->blockRecordId;
  for (int i = 0; i < 2; ++i) {
    auto viewport = std::make_unique<cad::Viewport>();
    viewport->center = {200, 150, 0};
    viewport->width_ = 400;
    viewport->height_ = 300;
    viewport->viewTarget = {1000, 500, 0};
    viewport->twistAngle = i == 1 ? 1.5707963267948966 : 0;
    db->appendEntity(sheetRecord, std::move(viewport));
  }
  db->renumberViewports();

  auto rectangle = std::make_unique<cad::Polyline>();
  rectangle->vertices = {{{0, 0}}, {{100, 0}}, {{100, 50}}, {{0, 50}}};
  rectangle->closed = true;
  db->appendEntity(db->modelSpaceId(), std::move(rectangle));
  auto line = std::make_unique<cad::Line>();
  line->start = {200, 200, 0};
  line->end = {300, 260, 0};
  db->appendEntity(db->modelSpaceId(), std::move(line));
  return db;
}

cad::ObjectId HostTest::rectangleId(const cad::Database& db) {
  auto* record = dynamic_cast<cad::BlockTableRecord*>(db.objectAt(db.modelSpaceId()));
  return record->entityIds.at(0);
}

cad::ObjectId HostTest::lineId(const cad::Database& db) {
  auto* record = dynamic_cast<cad::BlockTableRecord*>(db.objectAt(db.modelSpaceId()));
  return record->entityIds.at(1);
}

cad::Document* HostTest::openDrawing(const std::wstring& name) {
  return cad::docManager().addDocument(drawing(), name);
}

std::string HostTest::writeFile(const std::string& name, const std::string& content) {
  const std::string path = folder_ + "/" + name;
  std::ofstream out(path, std::ios::binary);
  out << content;
  return path;
}

std::string minimalDxf() {
  return "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n 21\n10.0\n 31\n0.0\n"
         "  0\nENDSEC\n  0\nEOF\n";
}

}  // namespace cadtest

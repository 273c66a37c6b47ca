#include "drawing_fixture.h"

#include <memory>

#include "cad/command_loop.h"
#include "cad/editor_input.h"
#include "cad/entities.h"
#include "cad/layouts.h"
#include "cad/sysvars.h"
#include "core/frame_picking.h"
#include "core/panel_handoffs.h"
#include "core/print_area_marks.h"
#include "core/range_overlay.h"
#include "core/sheet_locate.h"
#include "core/work_active.h"
#include "foundation/user_defaults.h"
#include "panels/core_link.h"
#include "panels/lite_panel.h"
#include "recognition/core_link.h"
#include "recognition/recognition_state.h"

namespace core_test {

namespace {

void resetRequests() {
  gBatchRangeOverlay.shutdown();
  vexBatchResetRecognitionStateForTesting();
  gBatchInteractionSource = VexBatchPrintSourceLayout;
  gBatchRangeSource = VexBatchPrintSourceLayout;
  gBatchManualSource = VexBatchPrintSourceLayout;
  gBatchFocusTarget = VexBatchFocusTarget();
  gBatchPrintRangeTargets.clear();
}

void addViewports(cad::Database& db, const std::wstring& layoutName) {
  const auto* layout = dynamic_cast<const cad::Layout*>(db.objectAt(db.layoutId(layoutName)));
  for (int i = 0; i < 2; ++i) {  // the layout's own viewport, then one onto model space
    auto viewport = std::make_unique<cad::Viewport>();
    viewport->center = {150, 100, 0};
    viewport->width_ = i == 0 ? 400 : 200;
    viewport->height_ = i == 0 ? 300 : 150;
    viewport->viewHeight = 100;
    db.appendEntity(layout->getBlockTableRecordId(), std::move(viewport));
  }
  db.renumberViewports();
}

}  // namespace

void DrawingCommandTest::SetUp() {
  HostTest::SetUp();
  foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
  resetRequests();
  linkRecognitionIntoCore();
  linkPanelsIntoCore();

  auto database = cad::Database::createDefault();
  database->filename = L"/drawings/sheets.dwg";
  database->addLayer(L"FRAME");
  database->addLayer(L"NOPLOT", false);
  database->addLayout(L"Sheet B", 2);
  addViewports(*database, L"Layout1");
  addViewports(*database, L"Sheet B");
  const cad::ObjectId border = database->addBlock(L"TK-A3");
  auto outline = std::make_unique<cad::Polyline>();
  for (const Point p : {Point{0, 0}, Point{420, 0}, Point{420, 297}, Point{0, 297}}) {
    outline->vertices.push_back({{p.x, p.y}});
  }
  outline->closed = true;
  database->appendEntity(border, std::move(outline));
  database->addBlock(L"TK-DYN");
  database->addBlock(L"*U1");  // an anonymous representation of TK-DYN (see insert)
  database->setCurrentLayoutId(database->layoutId(L"Layout1"));
  document_ = cad::docManager().addDocument(std::move(database), L"/drawings/sheets.dwg");
}

void DrawingCommandTest::TearDown() {
  closeFullPanel();
  vexBatchLiteShutdown();  // a compact panel shown by a command goes with the test's host
  resetRequests();
  vexBatchInstallWorkActiveTest(nullptr);
  HostTest::TearDown();
  foundation::UserDefaults::setRootForTesting("");
}

cad::ObjectId DrawingCommandTest::space(const std::wstring& layout) {
  if (layout == L"Model") return db().modelSpaceId();
  return dynamic_cast<const cad::Layout*>(db().objectAt(db().layoutId(layout)))->getBlockTableRecordId();
}

cad::ObjectId DrawingCommandTest::polyline(const std::wstring& layout, const std::vector<Point>& points, bool closed,
                                           const std::wstring& layer) {
  auto entity = std::make_unique<cad::Polyline>();
  for (const Point& p : points) entity->vertices.push_back({{p.x, p.y}});
  entity->closed = closed;
  entity->setLayer(layer, db().layerId(layer));
  return db().appendEntity(space(layout), std::move(entity));
}

cad::ObjectId DrawingCommandTest::rectangle(const std::wstring& layout, double minX, double minY, double maxX,
                                            double maxY, const std::wstring& layer) {
  return polyline(layout, {{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}}, true, layer);
}

cad::ObjectId DrawingCommandTest::circle(const std::wstring& layout, double x, double y, double radius) {
  auto entity = std::make_unique<cad::Circle>();
  entity->center = {x, y, 0};
  entity->radius = radius;
  entity->setLayer(L"FRAME", db().layerId(L"FRAME"));
  return db().appendEntity(space(layout), std::move(entity));
}

cad::ObjectId DrawingCommandTest::line(const std::wstring& layout, double x1, double y1, double x2, double y2) {
  auto entity = std::make_unique<cad::Line>();
  entity->start = {x1, y1, 0};
  entity->end = {x2, y2, 0};
  entity->setLayer(L"FRAME", db().layerId(L"FRAME"));
  return db().appendEntity(space(layout), std::move(entity));
}

cad::ObjectId DrawingCommandTest::insert(const std::wstring& layout, const std::wstring& block, double x, double y,
                                         const std::wstring& layer) {
  auto entity = std::make_unique<cad::BlockReference>();
  entity->blockId = db().blockId(block);
  if (block == L"*U1") entity->dynamicBlockId = db().blockId(L"TK-DYN");
  entity->position_ = {x, y, 0};
  entity->setLayer(layer, db().layerId(layer));
  return db().appendEntity(space(layout), std::move(entity));
}

std::wstring DrawingCommandTest::handle(cad::ObjectId id) { return db().objectAt(id)->handle(); }

void DrawingCommandTest::runCommand(const std::function<void()>& work, const std::vector<std::wstring>& answers) {
  for (const std::wstring& answer : answers) cad::editorInput().push(answer);
  cad::commandStack().addCommand(L"QDLCORETEST", L"QDLCORERUN", L"QDLCORERUN", 0, work);
  cad::commandLine().clearTranscript();
  cad::commandLoop().type(L"QDLCORERUN\n", false);
  cad::commandStack().removeGroup(L"QDLCORETEST");
  EXPECT_EQ(cad::editorInput().pendingAnswers(), 0u) << "answers left over";
  EXPECT_EQ(cad::editorInput().liveSelectionSets(), 0u) << "a selection set was not freed";
  EXPECT_TRUE(db().openObjects().empty()) << "objects left open";
}

std::vector<std::wstring> DrawingCommandTest::lines() {
  std::vector<std::wstring> out;
  const std::wstring& text = transcript();
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find(L'\n', start);
    const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    // The full panel's plot-style line comes with each load of its rows, not from the commands tested here.
    if (!line.empty() && !line.starts_with(L"DUZOZAREDPLOTSTYLEMODE")) out.push_back(line);
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return out;
}

std::wstring DrawingCommandTest::ctab() {
  cad::resbuf value;
  if (cad::acedGetVar(L"CTAB", &value) != cad::RTNORM) return L"?";
  std::wstring name = value.resval.rstring != nullptr ? value.resval.rstring : L"";
  cad::acutDelString(value.resval.rstring);
  return name;
}

}  // namespace core_test

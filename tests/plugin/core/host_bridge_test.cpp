// The host bridge against the stand-in host: queuing commands, switching layouts through CTAB, the current
// drawing and space, and work handed to the main thread.
#include <thread>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/entities.h"
#include "cad/layout_manager.h"
#include "cad/sysvars.h"
#include "cad/tables.h"
#include "core/host_bridge.h"
#include "host_fixture.h"
#include "panels/batch_print_panel_controller.h"

namespace {

const std::wstring kEscEsc = L"\x1B\x1B_";

class HostBridgeTest : public HostTest {
 protected:
  // A saved drawing with the Model tab, "Layout1" and "布局2" (which has a viewport); model space is current.
  cad::Document* openDrawing(const std::wstring& path = L"/drawings/plan.dwg") {
    auto db = cad::Database::createDefault();
    db->filename = path;
    db->addLayout(L"布局2", 2);
    addViewport(*db, L"布局2");
    return cad::docManager().addDocument(std::move(db), path);
  }

  static void addViewport(cad::Database& db, const std::wstring& layoutName) {
    cad::Object* object = db.objectAt(db.layoutId(layoutName));
    auto* layout = dynamic_cast<cad::Layout*>(object);
    ASSERT_NE(layout, nullptr);
    for (int i = 0; i < 2; ++i) {  // the layout's own viewport, then one onto model space
      auto viewport = std::make_unique<cad::Viewport>();
      viewport->center = {100, 100, 0};
      viewport->width_ = 150;
      viewport->height_ = 100;
      viewport->viewHeight = 100;
      db.appendEntity(layout->getBlockTableRecordId(), std::move(viewport));
    }
    db.renumberViewports();
  }

  static std::wstring ctab() {
    cad::resbuf value;
    EXPECT_EQ(cad::acedGetVar(L"CTAB", &value), cad::RTNORM);
    std::wstring name = value.resval.rstring != nullptr ? value.resval.rstring : L"";
    cad::acutDelString(value.resval.rstring);
    return name;
  }
};

TEST_F(HostBridgeTest, QueueCommandSendsEscEscUnderscoreNameBlankToTheActiveDocument) {
  openDrawing(L"/drawings/a.dwg");
  cad::Document* active = openDrawing(L"/drawings/b.dwg");
  ASSERT_EQ(cad::docManager().mdiActiveDocument(), active);
  const long beeps = toolkit::beepCount();

  EXPECT_TRUE(queueCommand("DUZOZAREDEXEC"));

  ASSERT_EQ(cad::docManager().sendStringCalls.size(), 1u);
  const auto& call = cad::docManager().sendStringCalls[0];
  EXPECT_EQ(call.document, active);
  EXPECT_EQ(call.text, kEscEsc + L"DUZOZAREDEXEC ");
  EXPECT_EQ(call.text.size(), 17u);
  EXPECT_TRUE(call.activate);
  EXPECT_FALSE(call.wrapUpInactiveDoc);
  EXPECT_FALSE(call.echo);
  EXPECT_EQ(toolkit::beepCount(), beeps);
  EXPECT_EQ(transcript(), L"");
}

TEST_F(HostBridgeTest, QueueCommandRefusesWithABeepWhatItCannotSend) {
  openDrawing();
  // Names that are empty or would type something other than one command word at the prompt.
  for (const std::string name : {"", " ", "DUZOZARED EXEC", "DUZOZARED\n", "A;B", "命令", "DUZOZARED\x1B"}) {
    SCOPED_TRACE(name);
    const long beeps = toolkit::beepCount();
    EXPECT_FALSE(queueCommand(name));
    EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  }
  EXPECT_TRUE(cad::docManager().sendStringCalls.empty());
  EXPECT_TRUE(queueCommand("DUZOZARED_PICK-2"));
  EXPECT_EQ(transcript(), L"");
}

TEST_F(HostBridgeTest, QueueCommandWithoutADocumentOnlyBeeps) {
  long beeps = toolkit::beepCount();
  EXPECT_FALSE(queueCommand("DUZOZAREDEXEC"));
  EXPECT_EQ(toolkit::beepCount(), ++beeps);

  cad::setDocManagerAbsent(true);
  EXPECT_FALSE(queueCommand("DUZOZAREDEXEC"));
  EXPECT_EQ(toolkit::beepCount(), ++beeps);
  cad::setDocManagerAbsent(false);

  EXPECT_TRUE(cad::docManager().sendStringCalls.empty());
  EXPECT_EQ(transcript(), L"");
}

TEST_F(HostBridgeTest, QueueCommandReportsARefusedSendWithTheWholeCommandText) {
  openDrawing();
  cad::docManager().faults.sendString = true;
  const long beeps = toolkit::beepCount();
  EXPECT_FALSE(queueCommand("DUZOZAREDFOCUS"));
  EXPECT_EQ(toolkit::beepCount(), beeps + 1);
  EXPECT_EQ(transcript(), L"\nFerrolin 批打工具无法启动命令：" + kEscEsc + L"DUZOZAREDFOCUS ");
}

TEST_F(HostBridgeTest, QueuedCommandRunsOnceTheHostReadsItsCommandLine) {
  openDrawing();
  int runs = 0;
  cad::commandStack().addCommand(L"TEST", L"QDLPROBE", L"QDLPROBE", 0, [&runs] { ++runs; });
  ASSERT_TRUE(queueCommand("QDLPROBE"));
  EXPECT_EQ(runs, 0);  // never synchronous
  foundation::MainQueue::main().drain();
  EXPECT_EQ(runs, 1);
}

TEST_F(HostBridgeTest, ActivateLayoutConfirmsTheExactNameReadBack) {
  openDrawing();
  const struct {
    std::wstring name;
    bool confirmed;
    std::wstring ctabAfter;
    std::int64_t source;
  } cases[] = {
      {L"Layout1", true, L"Layout1", 0},
      {L"布局2", true, L"布局2", 0},
      {L"Model", true, L"Model", 1},
      // The host switches ignoring case, but what it reads back is not the name asked for.
      {L"LAYOUT1", false, L"Layout1", 0},
      {L"model", false, L"Model", 1},
      // An unknown layout changes nothing.
      {L"Layout9", false, L"Model", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(foundation::utf8FromWideLossy(c.name));
    ASSERT_TRUE(vexBatchActivateLayout(L"Model"));
    EXPECT_EQ(vexBatchActivateLayout(c.name), c.confirmed);
    EXPECT_EQ(ctab(), c.ctabAfter);
    EXPECT_EQ(vexBatchCurrentLayoutName(), c.ctabAfter);
    EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), c.source);
  }
  // Every read-back string was freed, confirmed or not (checked in TearDown).
}

TEST_F(HostBridgeTest, ActivateLayoutFailsWhenCtabCannotBeSetOrReadOrNameIsEmpty) {
  openDrawing();
  ASSERT_TRUE(vexBatchActivateLayout(L"Layout1"));

  EXPECT_FALSE(vexBatchActivateLayout(L""));
  EXPECT_EQ(ctab(), L"Layout1");

  cad::systemVariables().faults.set = {L"CTAB"};
  EXPECT_FALSE(vexBatchActivateLayout(L"Model"));
  EXPECT_EQ(ctab(), L"Layout1");
  cad::systemVariables().faults = {};

  cad::systemVariables().faults.get = {L"CTAB"};
  EXPECT_FALSE(vexBatchActivateLayout(L"布局2"));
  cad::systemVariables().faults = {};

  cad::docManager().reset();  // no drawing: CTAB has nothing to switch
  EXPECT_FALSE(vexBatchActivateLayout(L"Model"));
}

TEST_F(HostBridgeTest, SpaceIsLayoutOnPaperSpaceEvenInsideAViewport) {
  openDrawing();
  EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), 1);
  ASSERT_TRUE(vexBatchActivateLayout(L"布局2"));
  EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), 0);
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);
  EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), 0);

  cad::systemVariables().faults.get = {L"TILEMODE"};
  EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), -1);
  cad::systemVariables().faults = {};
  cad::docManager().reset();
  EXPECT_EQ(vexBatchPrintSourceForCurrentSpace(), -1);
}

TEST_F(HostBridgeTest, CurrentDrawingPathKeyAndLayoutWithAndWithoutADrawing) {
  EXPECT_EQ(vexBatchCurrentDrawingPath(), L"");
  EXPECT_FALSE(vexBatchHasActiveDocument());
  EXPECT_EQ(vexBatchCurrentDrawingKey(), "no-drawing");
  EXPECT_EQ(vexBatchCurrentLayoutName(), L"");

  openDrawing(L"/drawings/图纸 A.dwg");
  EXPECT_EQ(vexBatchCurrentDrawingPath(), L"/drawings/图纸 A.dwg");
  EXPECT_TRUE(vexBatchHasActiveDocument());
  EXPECT_EQ(vexBatchCurrentDrawingKey(), "/drawings/图纸 A.dwg");
  EXPECT_EQ(vexBatchCurrentLayoutName(), L"Model");

  cad::layoutManager()->faults.activeName = true;
  EXPECT_EQ(vexBatchCurrentLayoutName(), L"");
  cad::layoutManager()->faults = {};
  cad::setLayoutManagerAbsent(true);
  EXPECT_EQ(vexBatchCurrentLayoutName(), L"");
  cad::setLayoutManagerAbsent(false);

  cad::setDocManagerAbsent(true);
  EXPECT_EQ(vexBatchCurrentDrawingPath(), L"");
  EXPECT_FALSE(vexBatchHasActiveDocument());
  cad::setDocManagerAbsent(false);
}

TEST_F(HostBridgeTest, UnsavedDrawingsAreKeyedByTheirDatabase) {
  auto first = cad::Database::createDefault();
  auto second = cad::Database::createDefault();
  auto* services = cad::acdbHostApplicationServices();
  services->setWorkingDatabase(first.get());
  const std::string firstKey = vexBatchCurrentDrawingKey();
  services->setWorkingDatabase(second.get());
  const std::string secondKey = vexBatchCurrentDrawingKey();
  services->setWorkingDatabase(nullptr);

  EXPECT_EQ(firstKey.rfind("unsaved-0x", 0), 0u) << firstKey;
  EXPECT_EQ(secondKey.rfind("unsaved-0x", 0), 0u) << secondKey;
  EXPECT_NE(firstKey, secondKey);
}

TEST_F(HostBridgeTest, RunOnMainThreadRunsAtOnceOnMainAndLaterFromElsewhere) {
  int runs = 0;
  runOnMainThread([&runs] { ++runs; });
  EXPECT_EQ(runs, 1);

  std::thread worker([&runs] { runOnMainThread([&runs] { ++runs; }); });
  worker.join();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(foundation::MainQueue::main().drain(), 1u);
  EXPECT_EQ(runs, 2);

  runOnMainThread({});  // an empty block is nothing to run
}

TEST_F(HostBridgeTest, PanelStatusBeforeThePanelExistsChangesNothing) {
  std::thread worker([] {
    vexBatchUpdatePanelStatus("");
    vexBatchUpdatePanelStatus("正在打印第 1 页");
  });
  worker.join();
  EXPECT_EQ(foundation::MainQueue::main().pendingCount(), 1u);  // the empty text went nowhere
  foundation::MainQueue::main().drain();
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
}

}  // namespace

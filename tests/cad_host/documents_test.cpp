#include <gtest/gtest.h>

#include "cad/command_loop.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "host_fixture.h"

namespace {

using cadtest::HostTest;

struct Events : cad::DocManagerReactor {
  std::vector<std::string> log;
  void documentCreated(cad::Document*) override { log.push_back("created"); }
  void documentToBeDestroyed(cad::Document*) override { log.push_back("toBeDestroyed"); }
  void documentDestroyed(const wchar_t*) override { log.push_back("destroyed"); }
  void documentToBeActivated(cad::Document*) override { log.push_back("toBeActivated"); }
  void documentActivated(cad::Document*) override { log.push_back("activated"); }
  void documentToBeDeactivated(cad::Document*) override { log.push_back("toBeDeactivated"); }
  void documentBecameCurrent(cad::Document*) override { log.push_back("becameCurrent"); }
};

class DocumentsTest : public HostTest {
 protected:
  cad::DocManager& docs = cad::docManager();
  // Runs the function in the application context, the only place opens and closes are accepted.
  template <class F>
  void inApplicationContext(F f) {
    static F* pending;
    pending = &f;
    ASSERT_EQ(docs.beginExecuteInApplicationContext([](void*) { (*pending)(); }, nullptr), cad::eOk);
    drain();
  }
};

TEST_F(DocumentsTest, OpensDrawingsByContentWhateverTheExtension) {
  const std::string path = writeFile("plan.dwg", cadtest::minimalDxf());
  const cad::DocManager::OpenResult opened = docs.open(path, true);
  ASSERT_NE(opened.document, nullptr) << opened.error;
  EXPECT_EQ(std::wstring(opened.document->fileName()), std::wstring(path.begin(), path.end()));
  EXPECT_TRUE(opened.document->isReadOnly());
  EXPECT_EQ(docs.mdiActiveDocument(), opened.document);
  EXPECT_EQ(docs.curDocument(), opened.document);
  EXPECT_EQ(cad::acdbHostApplicationServices()->workingDatabase(), opened.document->database());
}

TEST_F(DocumentsTest, UnreadableDrawingsAreRefusedWithAMessage) {
  const struct {
    const char* name;
    std::string content;
  } cases[] = {
      {"binary.dwg", std::string("AC1032\0\0\0\0\0\x01", 12)},
      {"empty.dxf", ""},
      {"damaged.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n"},
  };
  for (const auto& c : cases) {
    const cad::DocManager::OpenResult opened = docs.open(writeFile(c.name, c.content), false);
    EXPECT_EQ(opened.document, nullptr) << c.name;
    EXPECT_NE(opened.error.find(c.name), std::string::npos) << opened.error;
  }
  EXPECT_NE(docs.open(folder() + "/missing.dxf", false).error, "");
  EXPECT_EQ(docs.documentCount(), 0);
}

TEST_F(DocumentsTest, ActivationAndCloseTellReactorsAndMoveTheWorkingDatabase) {
  Events events;
  docs.addReactor(&events);
  cad::Document* first = openDrawing(L"/d/first.dwg");
  EXPECT_EQ(events.log, (std::vector<std::string>{"created", "toBeActivated", "activated", "becameCurrent"}));
  cad::Document* second = openDrawing(L"/d/second.dwg");
  events.log.clear();
  ASSERT_EQ(docs.activateDocument(first), cad::eOk);
  EXPECT_EQ(events.log, (std::vector<std::string>{"toBeDeactivated", "toBeActivated", "activated", "becameCurrent"}));
  EXPECT_EQ(cad::acdbHostApplicationServices()->workingDatabase(), first->database());

  events.log.clear();
  ASSERT_EQ(docs.closeDocument(first), cad::eOk);
  EXPECT_EQ(events.log.front(), "toBeDestroyed");
  EXPECT_EQ(events.log.back(), "destroyed");
  EXPECT_EQ(docs.mdiActiveDocument(), second);
  EXPECT_EQ(cad::acdbHostApplicationServices()->workingDatabase(), second->database());
  EXPECT_FALSE(docs.isOpen(first));
  EXPECT_EQ(docs.activateDocument(first), cad::eInvalidInput);
  EXPECT_EQ(docs.closeDocument(first), cad::eInvalidInput);
  docs.removeReactor(&events);

  ASSERT_EQ(docs.closeDocument(second), cad::eOk);
  EXPECT_EQ(docs.mdiActiveDocument(), nullptr);
  EXPECT_EQ(cad::acdbHostApplicationServices()->workingDatabase(), nullptr);
}

TEST_F(DocumentsTest, ClosedDocumentsAreNeverReused) {
  std::vector<const cad::Document*> seen;
  for (int i = 0; i < 20; ++i) {
    cad::Document* doc = openDrawing();
    for (const cad::Document* old : seen) ASSERT_NE(doc, old);
    seen.push_back(doc);
    docs.closeDocument(doc);
  }
}

TEST_F(DocumentsTest, IterationWalksOpenDocumentsInOrder) {
  cad::Document* a = openDrawing(L"/a.dwg");
  cad::Document* b = openDrawing(L"/b.dwg");
  std::vector<cad::Document*> walked;
  for (auto it = docs.newAcApDocumentIterator(); !it->done(); it->step()) walked.push_back(it->document());
  EXPECT_EQ(walked, (std::vector<cad::Document*>{a, b}));
  EXPECT_EQ(cad::docManager().addDocument(drawing())->fileName(), std::wstring(L"Drawing1.dwg"));
}

TEST_F(DocumentsTest, ApplicationContextOpenRecordsTheRequestAndHonoursTheReadOnlyFlag) {
  const std::string path = writeFile("task.dwg", cadtest::minimalDxf());
  const std::wstring wide(path.begin(), path.end());
  cad::OpenParams params{};
  params.fileName = wide.c_str();
  params.initialView = 1;
  params.flags = 6;

  cad::ErrorStatus insideCommand = cad::eOk;
  cad::commandStack().addCommand(L"T", L"OPENER", L"OPENER", 0,
                                 [&] { insideCommand = docs.appContextOpenDocument(params); });
  cad::commandLoop().type(L"OPENER ");
  EXPECT_EQ(insideCommand, cad::eNotApplicable);  // a document's command is no application context
  cad::ErrorStatus status = cad::eNotImplemented;
  inApplicationContext([&] { status = docs.appContextOpenDocument(params); });
  ASSERT_EQ(status, cad::eOk);
  ASSERT_EQ(docs.documentCount(), 1);
  cad::Document* task = docs.mdiActiveDocument();
  EXPECT_TRUE(task->isReadOnly());
  ASSERT_EQ(docs.openRequests.size(), 2u);
  EXPECT_EQ(docs.openRequests[1].fileName, wide);
  EXPECT_EQ(docs.openRequests[1].initialView, 1);
  EXPECT_EQ(docs.openRequests[1].flags, 6u);

  EXPECT_EQ(docs.appContextCloseDocument(task), cad::eOk);  // outside any command: the application context
  EXPECT_EQ(docs.documentCount(), 0);
}

TEST_F(DocumentsTest, OpenAndCloseFaults) {
  const std::string path = writeFile("task.dwg", cadtest::minimalDxf());
  const std::wstring wide(path.begin(), path.end());
  cad::OpenParams params{};
  params.fileName = wide.c_str();
  params.flags = cad::kOpenFlagReadOnly;

  docs.faults.open = cad::eFileAccessErr;
  EXPECT_EQ(docs.appContextOpenDocument(params), cad::eFileAccessErr);
  docs.faults.open.reset();
  docs.faults.openAcceptedNoDocument = true;
  EXPECT_EQ(docs.appContextOpenDocument(params), cad::eOk);
  EXPECT_EQ(docs.documentCount(), 0);
  docs.faults.openAcceptedNoDocument = false;
  docs.faults.openRefusedButOpened = true;
  EXPECT_NE(docs.appContextOpenDocument(params), cad::eOk);
  EXPECT_EQ(docs.documentCount(), 1);
  docs.faults.openRefusedButOpened = false;
  docs.faults.opensWritable.insert(wide);
  EXPECT_EQ(docs.appContextOpenDocument(params), cad::eOk);
  EXPECT_FALSE(docs.mdiActiveDocument()->isReadOnly());

  const std::string damaged = writeFile("damaged.dwg", "garbage");
  const std::wstring damagedWide(damaged.begin(), damaged.end());
  params.fileName = damagedWide.c_str();
  EXPECT_NE(docs.appContextOpenDocument(params), cad::eOk);

  docs.faults.close = true;
  EXPECT_NE(docs.appContextCloseDocument(docs.mdiActiveDocument()), cad::eOk);
  EXPECT_EQ(docs.documentCount(), 2);
  EXPECT_EQ(docs.closeRequests.size(), 1u);
}

TEST_F(DocumentsTest, ADocumentCannotBeClosedWhileItsCommandRuns) {
  cad::Document* doc = openDrawing();
  cad::ErrorStatus fromInside = cad::eOk, appClose = cad::eOk;
  cad::commandStack().addCommand(L"T", L"SELFCLOSE", L"SELFCLOSE", 0, [&] {
    fromInside = docs.closeDocument(doc);
    appClose = docs.appContextCloseDocument(doc);
  });
  cad::commandLoop().type(L"SELFCLOSE ");
  EXPECT_EQ(fromInside, cad::eNotApplicable);
  EXPECT_EQ(appClose, cad::eNotApplicable);
  EXPECT_TRUE(docs.isOpen(doc));
}

TEST_F(DocumentsTest, TheManagerCanBeAbsent) {
  EXPECT_EQ(cad::acDocManagerPtr(), &cad::docManager());
  cad::setDocManagerAbsent(true);
  EXPECT_EQ(cad::acDocManagerPtr(), nullptr);
}

}  // namespace

#include "queue_run_fixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/entry_point.h"
#include "cad/app_loader.h"
#include "cad/doc_manager.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/paths.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "queue/file_queue_commands.h"
#include "queue/file_queue_panel.h"
#include "queue/queue_run.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/workspace.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"

namespace queue_run_test {

std::unique_ptr<TempFolder> QueueRunTest::cases_;

void QueueRunTest::SetUpTestSuite() {
  cases_ = std::make_unique<TempFolder>("quodl-queue-cases");
  const std::string command =
      std::string("/usr/bin/python3 '") + QUEUE_DRAWINGS_SCRIPT + "' cases '" + cases_->path() + "' > /dev/null";
  if (std::system(command.c_str()) != 0) cases_.reset();
}

void QueueRunTest::TearDownTestSuite() { cases_.reset(); }

void QueueRunTest::SetUp() {
  PlotJobTest::SetUp();
  ASSERT_NE(cases_, nullptr) << "make_queue_drawings.py could not write the drawings";
  foundation::UserDefaults::setRootForTesting(path("defaults"));
  // Timers wait for the test: the update check never starts, progress windows close at unload.
  foundation::MainQueue::main().setClock(std::make_shared<foundation::ManualClock>(100.0));
  toolkit::Application::shared().resetForTesting();
  toolkit::ModalResponder::shared().reset();
  toolkit::Workspace::shared().reset();
  graphics::setTextMeasurer(std::make_shared<graphics::FixedAdvanceMeasurer>());
  ASSERT_EQ(acrxEntryPoint(cad::kInitAppMsg, &appId_), cad::kRetOK);
  // The module's own progress window stands aside for the fixture's, which records each controller.
  makeProgressWindowsWith([](const std::weak_ptr<VexBatchPrintProgressController>&) {
    return std::unique_ptr<VexBatchPrintProgressWindow>();
  });
  ASSERT_TRUE(QDLSetLanguagePreference("zh"));
  ASSERT_TRUE(foundation::createDirectory(path("out"), true));

  origin_ = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
  const cad::DocManager::OpenResult opened = cad::docManager().open(origin_, false);
  ASSERT_NE(opened.document, nullptr) << opened.error;
  cad::docManager().clearRecords();
}

void QueueRunTest::TearDown() {
  // A test that left a run behind ends it as a quit host would see it: flags down, then the module goes.
  gBatchFileQueueRunning = false;
  EXPECT_EQ(acrxEntryPoint(cad::kUnloadAppMsg, &appId_), cad::kRetOK);
  toolkit::ModalResponder::shared().reset();
  toolkit::Workspace::shared().reset();
  toolkit::Application::shared().resetForTesting();
  graphics::setTextMeasurer(nullptr);
  foundation::UserDefaults::setRootForTesting("");
  gFileRun = QDLQueueRun{};
  PlotJobTest::TearDown();
}

std::string QueueRunTest::drawing(const std::string& name) { return *cases_ / name; }

std::string QueueRunTest::copyDrawing(const std::string& drawingName, const std::string& name) const {
  const std::string copy = path(name);
  std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
  std::filesystem::copy_file(drawing(drawingName), copy, std::filesystem::copy_options::overwrite_existing);
  return copy;
}

QDLFileQueuePanel& QueueRunTest::queue(const std::vector<std::string>& paths, long outputMode, long pageOrder,
                                       bool modelSpace) {
  vexBatchPrintFilesShow();
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  // One search each, so that the rows keep the order given.
  for (const std::string& path : paths) {
    panel.addURLs({path});
    for (int i = 0; i < 5000 && panel.discovery(); ++i) {
      foundation::MainQueue::main().drain();
      if (panel.discovery()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  EXPECT_EQ(panel.items().size(), paths.size());
  panel.sourceMode()->setSelectedSegment(modelSpace ? 1 : 0);
  panel.outputMode()->selectItemAtIndex(outputMode);
  panel.pageOrder()->selectItemAtIndex(pageOrder);
  panel.optionsChanged(nullptr);
  panel.setOutputRoot(path("out"));
  return panel;
}

void QueueRunTest::start() {
  gBatchFilePanel->start();
  settle();
}

void QueueRunTest::settle() {
  for (int i = 0; i < 100000; ++i) {
    if (foundation::MainQueue::main().drain() == 0) return;
  }
  ADD_FAILURE() << "the host never came to rest";
}

QDLQueueItem& QueueRunTest::row(std::size_t index) { return *gBatchFilePanel->items().at(index); }

std::string QueueRunTest::status() { return gBatchFilePanel->status()->stringValue(); }

std::string QueueRunTest::runFolder() { return gFileRun.runFolder; }

}  // namespace queue_run_test

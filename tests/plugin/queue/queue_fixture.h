#pragma once
// The queue panel as the module links it: interface texts installed, a clean stand-in host, user defaults in a
// private folder, the main queue on a manual clock, text measured at fixed advances unless a test draws with the
// real fonts. Simplified Chinese unless a test picks another language. The panel goes at the end of each test as
// it goes at unload.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "core/interface_text.h"
#include "file_tree.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "host_fixture.h"
#include "queue/file_queue_panel.h"
#include "queue/queue_file_system.h"
#include "temp_folder.h"
#include "toolkit/application.h"
#include "toolkit/layer.h"
#include "toolkit/modal_responder.h"
#include "toolkit/text_field.h"
#include "toolkit/workspace.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace queue_test {

class QueueTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    clock_ = std::make_shared<foundation::ManualClock>(100.0);
    foundation::MainQueue::main().setClock(clock_);
    toolkit::Application::shared().resetForTesting();
    toolkit::Transaction::resetForTesting();
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    graphics::setTextMeasurer(std::make_shared<graphics::FixedAdvanceMeasurer>());
    linkInterfaceTextIntoCore();
    useLanguage("zh");
  }

  void TearDown() override {
    vexBatchQueuePanelShutdown();
    QDLQueueInstallFileSystem(nullptr);
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    setInterfaceText({});
    graphics::setTextMeasurer(nullptr);
    toolkit::Application::shared().resetForTesting();
    foundation::UserDefaults::setRootForTesting("");
    HostTest::TearDown();
  }

  static void useLanguage(const std::string& code) { ASSERT_TRUE(QDLSetLanguagePreference(code)) << code; }

  // The panel as DUZOZAREDFILES makes it, configured with these styles.
  QDLFileQueuePanel& makePanel(const std::vector<std::string>& styles = {"acad.ctb", "monochrome.ctb"}) {
    gBatchFilePanel = std::make_shared<QDLFileQueuePanel>();
    gBatchFilePanel->configureModel(false, 1, 0, 100, "", styles);
    return *gBatchFilePanel;
  }

 public:
  // Lets the search's worker hand back and the main queue take its result.
  static void waitForScan(QDLFileQueuePanel& panel) {
    for (int i = 0; i < 5000 && panel.discovery(); ++i) {
      foundation::MainQueue::main().drain();
      if (panel.discovery()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(panel.discovery(), nullptr) << "the search did not end";
  }

  // Adds the paths as the add buttons do and waits for the search.
  static void add(QDLFileQueuePanel& panel, const std::vector<std::string>& paths) {
    panel.addURLs(paths);
    waitForScan(panel);
  }

  // The line of text in a table cell.
  static toolkit::TextField* cellLabel(QDLFileQueuePanel& panel, const char* column, long row) {
    toolkit::View* cell = panel.table()->viewAtColumn(panel.table()->columnWithIdentifier(column), row, true);
    if (cell == nullptr || cell->subviews().empty()) return nullptr;
    return dynamic_cast<toolkit::TextField*>(cell->subviews().front().get());
  }

  static std::vector<std::string> rowPaths(QDLFileQueuePanel& panel) {
    std::vector<std::string> paths;
    for (const QDLQueueRow& row : panel.items()) paths.push_back(row->path);
    return paths;
  }

 protected:
  TempFolder folder_{"quodl-queue-panel"};
  std::shared_ptr<foundation::ManualClock> clock_;
};

}  // namespace queue_test

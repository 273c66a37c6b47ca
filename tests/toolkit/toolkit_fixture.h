#pragma once
// Every toolkit test starts from a fresh application, responder and workspace, with fixed-advance text widths
// (narrow characters half the font size), a manual clock and user defaults in a private folder.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/main_queue.h"
#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "temp_folder.h"
#include "toolkit/application.h"
#include "toolkit/layer.h"
#include "toolkit/modal_responder.h"
#include "toolkit/window.h"
#include "toolkit/workspace.h"

namespace toolkit_test {

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    foundation::MainQueue::main().resetForTesting();
    clock_ = std::make_shared<foundation::ManualClock>(100.0);
    foundation::MainQueue::main().setClock(clock_);
    graphics::setTextMeasurer(std::make_shared<graphics::FixedAdvanceMeasurer>());
    toolkit::Application::shared().resetForTesting();
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    toolkit::Transaction::resetForTesting();
  }

  void TearDown() override {
    toolkit::ModalResponder::shared().reset();
    graphics::setTextMeasurer(nullptr);
    foundation::MainQueue::main().resetForTesting();
    foundation::UserDefaults::setRootForTesting("");
  }

  // A titled, closable window with its content of that size, shown.
  static std::shared_ptr<toolkit::Window> shownWindow(double width = 400, double height = 300) {
    auto w = std::make_shared<toolkit::Window>(toolkit::Rect{100, 100, width, height},
                                               toolkit::window_style::titled | toolkit::window_style::closable);
    w->makeKeyAndOrderFront(nullptr);
    return w;
  }

  std::string path(const std::string& name) const { return folder_ / name; }

  TempFolder folder_{"quodl-toolkit"};
  std::shared_ptr<foundation::ManualClock> clock_;
};

}  // namespace toolkit_test

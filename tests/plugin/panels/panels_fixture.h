#pragma once
// The panels as the module links them: interface texts, core's hand-offs and the plot pipeline's progress window
// installed; a clean stand-in host; user defaults in a private folder; the main queue on a manual clock; text
// measured at fixed advances unless a test draws with the real fonts. Simplified Chinese unless a test picks
// another language.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/interface_text.h"
#include "core/panel_handoffs.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "graphics/text_measurer.h"
#include "host_fixture.h"
#include "panels/batch_print_panel_controller.h"
#include "panels/core_link.h"
#include "panels/lite_panel.h"
#include "panels/progress_window.h"
#include "panels/return_controller.h"
#include "plot/progress_controller.h"
#include "temp_folder.h"
#include "toolkit/application.h"
#include "toolkit/layer.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace panels_test {

class PanelsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    foundation::UserDefaults::setRootForTesting(folder_ / "defaults");
    clock_ = std::make_shared<foundation::ManualClock>(100.0);
    foundation::MainQueue::main().setClock(clock_);
    toolkit::Application::shared().resetForTesting();
    toolkit::Transaction::resetForTesting();
    graphics::setTextMeasurer(std::make_shared<graphics::FixedAdvanceMeasurer>());
    linkInterfaceTextIntoCore();
    linkPanelsIntoCore();
    linkProgressWindowIntoPlot();
    useLanguage("zh");
  }

  void TearDown() override {
    vexBatchFullPanelShutdown();
    vexBatchLiteShutdown();
    vexBatchReturnWindowShutdown();
    vexBatchCloseProgressWindows();
    vexBatchSetProgressWindowMaker(nullptr);
    setPanelHandoffs({});
    setInterfaceText({});
    graphics::setTextMeasurer(nullptr);
    toolkit::Application::shared().resetForTesting();
    foundation::UserDefaults::setRootForTesting("");
    HostTest::TearDown();
  }

  static void useLanguage(const std::string& code) { ASSERT_TRUE(QDLSetLanguagePreference(code)) << code; }

  // Advances the clock and runs what is due.
  void after(double seconds) {
    clock_->advance(seconds);
    foundation::MainQueue::main().drain();
  }

  TempFolder folder_{"quodl-panels"};
  std::shared_ptr<foundation::ManualClock> clock_;
};

}  // namespace panels_test

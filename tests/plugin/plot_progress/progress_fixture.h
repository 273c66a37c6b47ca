#pragma once
// A fresh application and main queue on a manual clock for every test, no window maker unless a test installs
// one, and a window that writes down what its controller tells it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/main_queue.h"
#include "plot/progress_controller.h"
#include "toolkit/application.h"

namespace plot_progress_test {

// What a window was told, one line per call ("stage 正在安全取消…", "cancel off", "close", …).
using WindowLog = std::vector<std::string>;

class RecordingWindow final : public VexBatchPrintProgressWindow {
 public:
  explicit RecordingWindow(std::shared_ptr<WindowLog> log) : log_(std::move(log)) {}
  void present() override { note("present"); }
  void setStageText(const std::string& text) override { note("stage " + text); }
  void setDetailText(const std::string& text) override { note("detail " + text); }
  void setDetailToolTip(const std::string& text) override { note("tooltip " + text); }
  void setCompletedText(const std::string& text) override { note("completed " + text); }
  void setRingProgress(std::int64_t completed, std::int64_t total) override {
    note("ring " + std::to_string(completed) + "/" + std::to_string(total));
  }
  void showRingSuccess() override { note("ring success"); }
  void setCancelEnabled(bool enabled) override { note(enabled ? "cancel on" : "cancel off"); }
  void display() override { note("display"); }
  void flushLayers() override { note("flush"); }
  void close() override { note("close"); }

 private:
  void note(std::string line) { log_->push_back(std::move(line)); }
  std::shared_ptr<WindowLog> log_;
};

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::MainQueue::main().resetForTesting();
    clock_ = std::make_shared<foundation::ManualClock>(100.0);
    foundation::MainQueue::main().setClock(clock_);
    toolkit::Application::shared().resetForTesting();
    vexBatchSetProgressWindowMaker(nullptr);
  }
  void TearDown() override {
    vexBatchSetProgressWindowMaker(nullptr);
    foundation::MainQueue::main().resetForTesting();
    toolkit::Application::shared().resetForTesting();
  }

  // Every later controller gets a recording window writing into the returned log.
  std::shared_ptr<WindowLog> recordWindows() {
    auto log = std::make_shared<WindowLog>();
    vexBatchSetProgressWindowMaker([log](const std::weak_ptr<VexBatchPrintProgressController>&) {
      return std::make_unique<RecordingWindow>(log);
    });
    return log;
  }

  // Advances the clock and runs what is due.
  void after(double seconds) {
    clock_->advance(seconds);
    foundation::MainQueue::main().drain();
  }

  std::shared_ptr<foundation::ManualClock> clock_;
};

}  // namespace plot_progress_test

#pragma once
// A clean stand-in host for each test, and a trace of the plug-in's calls into its neighbouring services
// written into the command-line transcript, so one string shows what was called and printed, in order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/command_line.h"
#include "cad/command_stack.h"
#include "cad/host_reset.h"
#include "cad/result_buffer.h"
#include "core/call_trace.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "panels/lite_export.h"
#include "queue/file_queue_state.h"
#include "toolkit/beep.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::MainQueue::main().resetForTesting();
    cad::resetHostForTesting();
    gBatchFileQueueRunning = false;
    gBatchLitePrinting = false;
    gQuodlCallTrace = &HostTest::trace;
    stringsBefore_ = cad::HostAllocations::outstandingStrings();
  }

  void TearDown() override {
    gQuodlCallTrace = nullptr;
    gBatchFileQueueRunning = false;
    gBatchLitePrinting = false;
    // Whatever the host handed the plug-in has been given back.
    EXPECT_EQ(cad::HostAllocations::outstandingStrings(), stringsBefore_);
    cad::resetHostForTesting();
    foundation::MainQueue::main().resetForTesting();
  }

  // Each neighbouring call appears in the transcript as "\n[name]".
  static void trace(const char* name) {
    cad::commandLine().print(L"\n[" + foundation::wideFromUtf8Lossy(name) + L"]");
  }

  static std::wstring transcript() { return cad::commandLine().transcript(); }

  static std::vector<std::wstring> commandNames(const std::wstring& group) {
    std::vector<std::wstring> names;
    for (const cad::Command* command : cad::commandStack().commandsOf(group)) {
      names.push_back(command->globalName());
    }
    return names;
  }

 private:
  std::size_t stringsBefore_ = 0;
};

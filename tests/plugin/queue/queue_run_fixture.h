#pragma once
// A queue run in this process, as cadhost runs it: the module started through its entry point, a drawing of the
// user's open, the queue panel filled through its search, and the run's host commands read from the command
// line and its steps run in the application context as the main queue is drained. The drawings are written by
// make_queue_drawings.py once per test program; plots go through the real plot pipeline and the stand-in's
// publish engine, with the plot-job fixture's page hooks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "plot_job_fixture.h"
#include "queue/queue_rows.h"
#include "temp_folder.h"

class QDLFileQueuePanel;

namespace queue_run_test {

class QueueRunTest : public plot_jobs_test::PlotJobTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A drawing of make_queue_drawings.py's cases ("order.dwg", "five.dwg", "A3.dwg", "no frames.dwg").
  static std::string drawing(const std::string& name);
  // A copy of a case drawing under `name` in this test's folder.
  std::string copyDrawing(const std::string& drawingName, const std::string& name) const;

  // The queue panel as DUZOZAREDFILES shows it, with these drawings added through its search, in this order (the
  // file order left manual) and the output folder chosen; output mode, source and sheet order as given.
  QDLFileQueuePanel& queue(const std::vector<std::string>& paths, long outputMode, long pageOrder = 0,
                           bool modelSpace = false);
  // Presses start and lets the host run its commands and steps until nothing is left to do.
  void start();
  // Lets the host run what is queued until nothing is left.
  static void settle();

  static QDLQueueItem& row(std::size_t index);
  static std::string status();
  // The run folder of the last run.
  static std::string runFolder();

  std::string origin_;  // the user's drawing, open and active when the run starts

 private:
  static std::unique_ptr<TempFolder> cases_;
  int appId_ = 0;
};

}  // namespace queue_run_test

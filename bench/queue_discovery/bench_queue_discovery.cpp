// The queue's search for drawings beside find(1) over the same tree of 100,000 files, then the search as the
// queue panel runs it, in the background, while the main thread pumps events as the host's run loop does.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "drawing_tree.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "queue/dwg_discovery.h"
#include "queue/file_queue_panel.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "ui/compact_label.h"

namespace {

using Clock = std::chrono::steady_clock;

DrawingTree gTree;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int threadCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
    ::closedir(dir);
  }
  return count;
}

void BM_QueueDiscover(benchmark::State& state) {
  std::size_t found = 0;
  for (auto _ : state) {
    std::string error;
    const auto paths = QDLQueueDiscover({gTree.root}, true, error, nullptr);
    if (!paths) {
      state.SkipWithError(error.c_str());
      return;
    }
    found = paths->size();
  }
  state.counters["drawings"] = static_cast<double>(found);
}

void BM_Find(benchmark::State& state) {
  const std::string command = "find '" + gTree.root + "' -iname '*.dwg'";
  std::size_t lines = 0;
  for (auto _ : state) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
      state.SkipWithError("cannot run find");
      return;
    }
    lines = 0;
    char buffer[65536];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) lines += std::count(buffer, buffer + read, '\n');
    ::pclose(pipe);
  }
  state.counters["lines"] = static_cast<double>(lines);
}

BENCHMARK(BM_QueueDiscover)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_Find)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  KeepingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

// Pumps as the host does until the panel's search has ended; returns the longest single turn of the loop.
double pumpUntilScanEnds(QDLFileQueuePanel& panel, double& scanMilliseconds) {
  double longest = 0;
  const Clock::time_point start = Clock::now();
  while (panel.discovery()) {
    const Clock::time_point turn = Clock::now();
    foundation::MainQueue::main().drain();
    toolkit::Application::shared().pumpEvents(24);
    longest = std::max(longest, millisecondsSince(turn));
    std::this_thread::yield();
  }
  scanMilliseconds = millisecondsSince(start);
  return longest;
}

void panelRun(const std::string& scratch) {
  foundation::UserDefaults::setRootForTesting(scratch + "/defaults");
  foundation::MainQueue::main().setMainThread();
  gBatchFilePanel = std::make_shared<QDLFileQueuePanel>();
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  panel.configureModel(false, 1, 0, 100, "", {"acad.ctb"});
  panel.recursive()->setState(toolkit::control_state::on);

  // Some drawings go while the search runs.
  std::thread vanisher([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    for (const std::string& path : gTree.vanishing) std::remove(path.c_str());
  });
  const Clock::time_point start = Clock::now();
  panel.addURLs({gTree.root});
  const double startMilliseconds = millisecondsSince(start);
  double scanMilliseconds = 0;
  const double stall = pumpUntilScanEnds(panel, scanMilliseconds);
  vanisher.join();
  std::printf(
      "\npanel search: %.1f ms with the main thread pumping; starting it took %.2f ms; longest main-thread "
      "stall %.2f ms (the merge of the rows)\n",
      scanMilliseconds, startMilliseconds, stall);
  std::printf("rows: %zu of %zu drawings (%zu removed during the search); status: %s\n", panel.items().size(),
              gTree.drawings.size(), gTree.vanishing.size(), panel.status()->stringValue().c_str());
  for (const std::string& path : gTree.vanishing) std::fclose(std::fopen(path.c_str(), "w"));

  // The queue's limit: another 150 drawings would pass 1,000 rows.
  std::filesystem::create_directories(scratch + "/more");
  for (int i = 0; i < 150; ++i)
    std::fclose(std::fopen((scratch + "/more/m" + std::to_string(i) + ".dwg").c_str(), "w"));
  panel.addURLs({scratch + "/more"});
  pumpUntilScanEnds(panel, scanMilliseconds);
  std::printf("adding 150 more: %zu rows; status: %s\n", panel.items().size(), panel.status()->stringValue().c_str());

  // Unload in the middle of a search of the whole tree.
  panel.table()->selectRowIndexes({0, 1, 2}, false);
  panel.remove();
  const int threadsBefore = threadCount();
  panel.recursiveChanged();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int threadsDuring = threadCount();
  const Clock::time_point unload = Clock::now();
  vexBatchQueuePanelShutdown();
  std::printf("unload during a search: %.2f ms; threads %d before, %d during, %d after; main-queue work left %zu\n",
              millisecondsSince(unload), threadsBefore, threadsDuring, threadCount(),
              foundation::MainQueue::main().pendingCount());
  foundation::UserDefaults::setRootForTesting("");
}

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / ("quodl-bench-queue-" + std::to_string(::getpid()));
  const Clock::time_point start = Clock::now();
  gTree = writeDrawingTree((folder / "tree").string());
  std::printf("tree: %d files, %zu drawings to find, written in %.1f s in %s\n", gTree.files, gTree.drawings.size(),
              millisecondsSince(start) / 1000, gTree.root.c_str());
  std::fflush(stdout);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto ours = reporter.times.find("BM_QueueDiscover");
  const auto find = reporter.times.find("BM_Find");
  if (ours != reporter.times.end() && find != reporter.times.end()) {
    std::printf("\nsearch of %d files: queue %.1f ms, find %.1f ms; queue speed / find speed %.2f (target >= 0.5)\n",
                gTree.files, ours->second, find->second, find->second / ours->second);
  }
  panelRun(folder.string());
  std::filesystem::remove_all(folder);
  return 0;
}

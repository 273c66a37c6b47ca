#pragma once
// The recognition benchmarks print a table of scan-to-bare-pass ratios after Google Benchmark's own report:
// a console reporter that keeps every run's figure, and the main() that prints the table at the end.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A benchmark that times scan and bare pass back to back reports their ratio in this counter, and the ratio of
// their summed times, which one disturbed iteration can move, in the second.
inline constexpr const char* kScanOverBareCounter = "scan_over_bare";
inline constexpr const char* kSummedScanOverBareCounter = "summed_ratio";
// The calling thread's processor time in seconds, for back-to-back timing: on a machine shared with other
// work, waiting for a processor counts for neither side.
double threadCpuSeconds();

// Bare pass and scan timed back to back, a pair in each iteration. The ratio is the median of the pairs':
// other work on the machine that empties the caches in one pair does not move it.
class BackToBack {
 public:
  void add(double bareSeconds, double scanSeconds);
  // Both ratios into the state's counters.
  void report(benchmark::State& state);

 private:
  std::vector<double> ratios_;
  double bare_ = 0, scan_ = 0;
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // A run by its name ("BM_BarePass/50000"): its real time per iteration in the benchmark's unit, or its
  // kScanOverBareCounter where it has one. Nothing for a run that did not happen or failed.
  std::optional<double> figure(const std::string& name) const;

 private:
  std::map<std::string, double> figures_;
};

// Runs the benchmarks the command line selects, then prints the summary table.
int runBenchmarksWithSummary(int argc, char** argv, const std::function<void(const RatioReporter&)>& printSummary);

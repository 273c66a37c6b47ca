#include "ratio_report.h"

#include <time.h>

#include <algorithm>

void BackToBack::add(double bareSeconds, double scanSeconds) {
  if (bareSeconds > 0) ratios_.push_back(scanSeconds / bareSeconds);
  bare_ += bareSeconds;
  scan_ += scanSeconds;
}

void BackToBack::report(benchmark::State& state) {
  if (ratios_.empty()) return;
  const auto middle = ratios_.begin() + static_cast<std::ptrdiff_t>(ratios_.size() / 2);
  std::nth_element(ratios_.begin(), middle, ratios_.end());
  double median = *middle;
  if (ratios_.size() % 2 == 0) median = (median + *std::max_element(ratios_.begin(), middle)) / 2;
  state.counters[kScanOverBareCounter] = median;
  state.counters[kSummedScanOverBareCounter] = scan_ / bare_;
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
    auto ratio = run.counters.find(kScanOverBareCounter);
    figures_[run.benchmark_name()] = ratio != run.counters.end() ? ratio->second.value : run.GetAdjustedRealTime();
  }
  ConsoleReporter::ReportRuns(runs);
}

std::optional<double> RatioReporter::figure(const std::string& name) const {
  auto found = figures_.find(name);
  if (found == figures_.end()) return std::nullopt;
  return found->second;
}

int runBenchmarksWithSummary(int argc, char** argv, const std::function<void(const RatioReporter&)>& printSummary) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printSummary(reporter);
  benchmark::Shutdown();
  return 0;
}

double threadCpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Merging 200 one-page plotted sheets into one PDF through the PDF layer, beside the qpdf command doing the
// same join (`qpdf --empty --pages … -- out.pdf`) on the same files. Wall-clock time, since the command runs
// in a process of its own; the layer also redraws every page upright as a form, which the command does not.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "graphics/pdf_merge.h"
#include "plotted_sheets.h"

extern char** environ;

namespace {

constexpr int kSheets = 200;
std::string gFolder;
std::vector<std::string> gSheets;

void reportPages(benchmark::State& state, const std::string& output) {
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kSheets, benchmark::Counter::kIsRate);
  std::error_code ec;
  state.counters["MB out"] = static_cast<double>(std::filesystem::file_size(output, ec)) / 1e6;
}

void BM_MergeThroughLayer(benchmark::State& state) {
  const std::string output = gFolder + "/layer.pdf";
  for (auto _ : state) {
    std::string error;
    if (!graphics::mergePdfDocuments(gSheets, output, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  reportPages(state, output);
}

// Exit status of `qpdf --empty --pages <sheets> -- <output>`, or -1 when it could not run.
int runQpdfCommand(const std::string& output) {
  std::vector<std::string> words{"qpdf", "--empty", "--pages"};
  words.insert(words.end(), gSheets.begin(), gSheets.end());
  words.insert(words.end(), {"--", output});
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "qpdf", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void BM_QpdfCommand(benchmark::State& state) {
  const std::string output = gFolder + "/qpdf.pdf";
  for (auto _ : state) {
    if (runQpdfCommand(output) != 0) {
      state.SkipWithError("the qpdf command failed");
      return;
    }
  }
  reportPages(state, output);
}

BENCHMARK(BM_MergeThroughLayer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_QpdfCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Keeps each run's wall-clock time per iteration for the closing comparison.
class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a captured report reads plainly.
  KeepingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / ("quodl-bench-pdf-merge-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  gFolder = folder.string();
  gSheets = writePlottedSheets(gFolder, kSheets);
  if (gSheets.size() != kSheets) {
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::uintmax_t bytes = 0;
  for (const std::string& sheet : gSheets) bytes += std::filesystem::file_size(sheet);
  std::printf("sheets: %d one-page PDFs, %.1f MB in %s\n", kSheets, bytes / 1e6, gFolder.c_str());
  std::fflush(stdout);

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto layer = reporter.times.find("BM_MergeThroughLayer");
  const auto command = reporter.times.find("BM_QpdfCommand");
  if (layer != reporter.times.end() && command != reporter.times.end()) {
    std::printf("\nmerge of %d sheets: PDF layer %.1f ms, qpdf command %.1f ms, layer / command %.2f\n", kSheets,
                layer->second, command->second, layer->second / command->second);
  }
  std::filesystem::remove_all(folder);
  return 0;
}

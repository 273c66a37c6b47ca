// DXF load throughput on a large generated drawing, beside the time to merely read the file's bytes and the
// memory the load takes at its peak; a summary after the runs puts the three side by side. The machine is
// shared: each timing is the best of several runs, which other work can only slow, read and load alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include "cad/dxf_reader.h"
#include "large_dxf_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string gPath;
std::uintmax_t gBytes = 0;
// Seconds of the fastest iteration of each benchmark, and the load's peak memory in bytes, for the summary.
std::optional<double> gReadSeconds, gWarmReadSeconds, gLoadSeconds, gDropSeconds;
std::optional<std::uint64_t> gPeakBytes;
bool gPeakFromProcess = false;

// Throughput in decimal megabytes per second, printed as "MB=…/s".
void reportThroughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gBytes));
  state.counters["MB"] = benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(gBytes) / 1e6,
                                            benchmark::Counter::kIsRate);
}

// A "VmRSS:"-style line of /proc/self/status in bytes; nothing where the system has no such file.
std::optional<std::uint64_t> statusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoull(line.substr(field.size())) * 1024;
  }
  return std::nullopt;
}

// Starts the peak resident size afresh from the present size; false where the system cannot.
bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

std::size_t modelSpaceEntities(const cad::Database& db) {
  auto* model = cad::BlockTableRecord::cast(db.objectAt(db.modelSpaceId()));
  return model == nullptr ? 0 : model->entityIds.size();
}

// One load, measured for the most memory it holds at once beyond what the process held before. Runs first, so
// that where the peak cannot be started afresh, the process's own peak is still the load's.
void BM_LoadPeakMemory(benchmark::State& state) {
  for (auto _ : state) {
    gPeakFromProcess = !resetPeak();
    const std::uint64_t before = statusKilobytes("VmRSS:").value_or(0);
    auto result = cad::readDxfFile(gPath);
    if (!result.database) {
      state.SkipWithError(result.error.c_str());
      return;
    }
    std::optional<std::uint64_t> peak = statusKilobytes("VmHWM:");
    if (gPeakFromProcess || !peak) {
      rusage usage{};
      ::getrusage(RUSAGE_SELF, &usage);
      peak = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
      gPeakFromProcess = true;
    }
    gPeakBytes = *peak > before ? *peak - before : 0;
  }
  state.counters["peak_MB"] = static_cast<double>(gPeakBytes.value_or(0)) / 1e6;
  state.counters["peak_per_file"] = static_cast<double>(gPeakBytes.value_or(0)) / static_cast<double>(gBytes);
}

constexpr int kRuns = 7;

double fastest(const std::optional<double>& best, double seconds) { return best ? std::min(*best, seconds) : seconds; }

void BM_ReadFileBytes(benchmark::State& state) {
  gReadSeconds.reset();
  for (auto _ : state) {
    const auto start = Clock::now();
    std::ifstream in(gPath, std::ios::binary);
    std::string bytes(gBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
    gReadSeconds = fastest(gReadSeconds, std::chrono::duration<double>(Clock::now() - start).count());
  }
  reportThroughput(state);
}

// The same into memory the process already holds: the speed of the bytes themselves, with no page to fault in.
void BM_ReadFileBytesIntoHeldMemory(benchmark::State& state) {
  std::string bytes(gBytes, '\0');
  gWarmReadSeconds.reset();
  for (auto _ : state) {
    const auto start = Clock::now();
    std::ifstream in(gPath, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
    gWarmReadSeconds = fastest(gWarmReadSeconds, std::chrono::duration<double>(Clock::now() - start).count());
  }
  reportThroughput(state);
}

// The load alone; dropping the drawing afterwards is timed apart, outside the benchmark's own clock.
void BM_LoadDxfFile(benchmark::State& state) {
  std::size_t entities = 0;
  gLoadSeconds.reset();
  gDropSeconds.reset();
  for (auto _ : state) {
    const auto start = Clock::now();
    auto result = cad::readDxfFile(gPath);
    const auto loaded = Clock::now();
    if (!result.database) {
      state.SkipWithError(result.error.c_str());
      return;
    }
    entities = modelSpaceEntities(*result.database);
    state.PauseTiming();
    const auto dropStart = Clock::now();
    result.database.reset();
    gDropSeconds = fastest(gDropSeconds, std::chrono::duration<double>(Clock::now() - dropStart).count());
    state.ResumeTiming();
    gLoadSeconds = fastest(gLoadSeconds, std::chrono::duration<double>(loaded - start).count());
  }
  reportThroughput(state);
  state.counters["entities"] = static_cast<double>(entities);
  state.counters["drop_ms"] = *gDropSeconds * 1e3;
}

BENCHMARK(BM_LoadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(BM_ReadFileBytesIntoHeldMemory)->Unit(benchmark::kMillisecond)->Iterations(kRuns);
BENCHMARK(BM_LoadDxfFile)->Unit(benchmark::kMillisecond)->Iterations(kRuns);

void printSummary() {
  const double megabytes = static_cast<double>(gBytes) / 1e6;
  const auto rate = [&](double seconds) { return megabytes / seconds; };
  std::printf("\ndrawing %.1f MB; each timing the best of %d runs\n", megabytes, kRuns);
  if (gReadSeconds)
    std::printf("raw read, fresh memory  %8.1f MB/s  (%.0f ms)\n", rate(*gReadSeconds), *gReadSeconds * 1e3);
  if (gWarmReadSeconds) {
    std::printf("raw read, held memory   %8.1f MB/s  (%.0f ms)\n", rate(*gWarmReadSeconds), *gWarmReadSeconds * 1e3);
  }
  if (gLoadSeconds) {
    std::printf("load                    %8.1f MB/s  (%.0f ms, then %.0f ms to drop the drawing)\n",
                rate(*gLoadSeconds), *gLoadSeconds * 1e3, gDropSeconds.value_or(0) * 1e3);
    if (gReadSeconds && gWarmReadSeconds) {
      std::printf("load / raw read         %8.2f times the fresh-memory read, %.2f times the held-memory read\n",
                  *gLoadSeconds / *gReadSeconds, *gLoadSeconds / *gWarmReadSeconds);
    }
  }
  if (gPeakBytes) {
    std::printf("peak memory of a load  %8.1f MB  %.2f times the file%s\n", static_cast<double>(*gPeakBytes) / 1e6,
                static_cast<double>(*gPeakBytes) / static_cast<double>(gBytes),
                gPeakFromProcess ? " (the process's peak: it could not be measured for the load alone)" : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / ("quodl-bench-cad-dxf-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  gPath = (folder / "large-plan.dxf").string();
  constexpr std::uintmax_t kMinimum = 52ull * 1000 * 1000;
  gBytes = writeLargeDxf(gPath, kMinimum);
  if (gBytes < kMinimum) {
    std::fprintf(stderr, "could not write the drawing to %s\n", gPath.c_str());
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::printf("drawing: %s, %.1f MB\n", gPath.c_str(), gBytes / 1e6);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  printSummary();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}

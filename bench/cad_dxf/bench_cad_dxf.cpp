// DXF load throughput on a large generated drawing, beside the time to merely read the file's bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "cad/dxf_reader.h"
#include "large_dxf_writer.h"

namespace {

std::string gPath;
std::uintmax_t gBytes = 0;

// Throughput in decimal megabytes per second, printed as "MB=…/s".
void reportThroughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gBytes));
  state.counters["MB"] = benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(gBytes) / 1e6,
                                            benchmark::Counter::kIsRate);
}

void BM_ReadFileBytes(benchmark::State& state) {
  for (auto _ : state) {
    std::ifstream in(gPath, std::ios::binary);
    std::string bytes(gBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
  reportThroughput(state);
}

void BM_LoadDxfFile(benchmark::State& state) {
  std::size_t entities = 0;
  for (auto _ : state) {
    auto result = cad::readDxfFile(gPath);
    if (!result.database) {
      state.SkipWithError(result.error.c_str());
      return;
    }
    auto* model = dynamic_cast<cad::BlockTableRecord*>(result.database->objectAt(result.database->modelSpaceId()));
    entities = model->entityIds.size();
  }
  reportThroughput(state);
  state.counters["entities"] = static_cast<double>(entities);
}

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadDxfFile)->Unit(benchmark::kMillisecond)->Iterations(2);

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
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}

// Costs of the foundation calls that run per row or per change: sorting sheet names naturally, formatting a
// message, converting host text, and saving a setting (each save is an atomic, flushed write).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "foundation/format.h"
#include "foundation/text.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"

namespace {

std::vector<std::string> sheetNames(std::size_t count) {
  std::vector<std::string> names;
  std::mt19937 random(1);
  for (std::size_t i = 0; i < count; ++i) {
    names.push_back((i % 3 == 0 ? "图纸 " : i % 3 == 1 ? "Sheet " : "layout-") + std::to_string(random() % 500));
  }
  return names;
}

void naturalSort(benchmark::State& state) {
  const std::vector<std::string> names = sheetNames(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::vector<std::string> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(), foundation::naturalLess);
    benchmark::DoNotOptimize(sorted.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(naturalSort)->Arg(100)->Arg(2000);

void formatMessage(benchmark::State& state) {
  const std::string tmpl = "共 %ld 个%@，已选 %ld 个；当前显示 %ld 个；手动 %ld 个；暂时移除 %ld 个；%@";
  for (auto _ : state) {
    benchmark::DoNotOptimize(foundation::format(tmpl, 120L, "图框", 80L, 60L, 2L, 1L, std::string("就绪")));
  }
}
BENCHMARK(formatMessage);

void wideRoundTrip(benchmark::State& state) {
  std::string text;
  while (text.size() < 1024) text += "Layout1 图纸 A3｜297 × 420 ";
  for (auto _ : state) {
    const auto wide = foundation::wideFromUtf8(text);
    benchmark::DoNotOptimize(foundation::utf8FromWide(*wide));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(wideRoundTrip);

void saveSetting(benchmark::State& state) {
  std::string root = (std::filesystem::temp_directory_path() / "quodl-bench-XXXXXX").string();
  if (!mkdtemp(root.data())) {
    state.SkipWithError("no temporary folder");
    return;
  }
  foundation::UserDefaults::setRootForTesting(root);
  foundation::UserDefaults& defaults = foundation::UserDefaults::standard();
  for (int i = 0; i < 40; ++i) defaults.setString("value " + std::to_string(i), "Quodline.Key" + std::to_string(i));
  std::int64_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(defaults.setInteger(++n, "Quodline.SortMode"));
  foundation::UserDefaults::setRootForTesting("");
  std::filesystem::remove_all(root);
}
BENCHMARK(saveSetting)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// The model-space scan against one bare pass over the same drawing that only reads each entity's type and
// extents. Model spaces of 50,000 to 800,000 entities hold one sheet per 200 entities: references to three
// title blocks at 1:100, polyline sheets, and lines, circles and texts in and around them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "bare_pass.h"
#include "bench_drawing.h"
#include "cad/database.h"
#include "ratio_report.h"
#include "recognition/model_scan.h"

namespace {

constexpr int kEntitiesPerSheet = 200;
constexpr long kEntityCounts[] = {50000, 100000, 200000, 400000, 800000};

struct Drawing {
  std::unique_ptr<cad::Database> db;
  std::size_t entities = 0;
  std::size_t sheets = 0;
};

// The model-space sheets' title boxes also have three columns and a second text.
cad::ObjectId titleBlockWithColumns(BenchDrawingBuilder& b, const std::wstring& name, double w, double h) {
  const cad::ObjectId block = b.titleBlock(name, w, h);
  const double left = w - 185;
  for (double dx : {30.0, 80.0, 130.0}) b.line(block, left + dx, 5, left + dx, 61);
  b.text(block, left + 85, 37, 5);
  return block;
}

Drawing& drawingOf(std::size_t entities) {
  static std::map<std::size_t, Drawing> drawings;
  Drawing& d = drawings[entities];
  if (d.db) return d;
  d.db = cad::Database::createDefault();
  // Built in the drawing's own memory, as the DXF reader builds a drawing it opens.
  cad::ObjectArena::Scope arena(d.db->arena());
  BenchDrawingBuilder b(*d.db, L"房间");
  const cad::ObjectId modelSpace = d.db->modelSpaceId();
  struct Sheet {
    cad::ObjectId block;
    double w, h;
  };
  const Sheet sheets[] = {{titleBlockWithColumns(b, L"GB-A1", 841, 594), 84100, 59400},
                          {titleBlockWithColumns(b, L"GB-A2", 594, 420), 59400, 42000},
                          {titleBlockWithColumns(b, L"A3图框", 420, 297), 42000, 29700}};
  std::mt19937 random(42);
  std::uniform_real_distribution<double> unit(0.05, 0.95);
  const std::size_t sheetCount = entities / kEntitiesPerSheet;
  const std::size_t columns = 40;
  std::size_t made = 0;
  for (std::size_t s = 0; s < sheetCount; ++s) {
    const Sheet& kind = sheets[s % 3];
    double x = static_cast<double>(s % columns) * 100000.0;
    double y = -static_cast<double>(s / columns) * 70000.0;
    // Every fourth sheet is a polyline border instead of a title-block reference.
    if (s % 4 == 3) {
      b.rectangle(modelSpace, x, y, x + kind.w, y + kind.h);
    } else {
      b.insert(modelSpace, kind.block, x, y, 100);
    }
    ++made;
    // The sheet's drawing: mostly lines, some circles and texts; a few entities lie between sheets.
    for (int k = 1; k < kEntitiesPerSheet; ++k) {
      double px = x + unit(random) * kind.w, py = y + unit(random) * kind.h;
      if (k % 25 == 0) {
        b.line(modelSpace, x - 5000, py, x - 1000, py);
      } else if (k % 10 == 0) {
        b.text(modelSpace, px, py, 250);
      } else if (k % 7 == 0) {
        b.circle(modelSpace, px, py, 300);
      } else {
        b.line(modelSpace, px, py, px + 800 * unit(random), py + 800 * unit(random));
      }
      ++made;
    }
  }
  d.entities = made;
  d.sheets = sheetCount;
  return d;
}

void BM_BarePass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(barePassOver(d.db->modelSpaceId()));
  state.counters["entities"] = static_cast<double>(d.entities);
}

void BM_ModelScan(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  cad::acdbHostApplicationServices()->setWorkingDatabase(d.db.get());
  std::size_t found = 0;
  for (auto _ : state) {
    found = vexCollectModelFrames().size();
    benchmark::DoNotOptimize(found);
  }
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["frames"] = static_cast<double>(found);
  if (found != d.sheets) state.SkipWithError("the scan did not find every sheet");
}

// Bare pass and scan timed back to back in each iteration, so that both see the same machine load; the
// counter is the median of the iterations' ratios of processor times.
void BM_ScanOverBarePass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  cad::acdbHostApplicationServices()->setWorkingDatabase(d.db.get());
  BackToBack pairs;
  for (auto _ : state) {
    const double t0 = threadCpuSeconds();
    benchmark::DoNotOptimize(barePassOver(d.db->modelSpaceId()));
    const double t1 = threadCpuSeconds();
    benchmark::DoNotOptimize(vexCollectModelFrames().size());
    const double t2 = threadCpuSeconds();
    pairs.add(t1 - t0, t2 - t1);
  }
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  pairs.report(state);
}

void entityCounts(benchmark::internal::Benchmark* b) {
  for (long n : kEntityCounts) b->Arg(n);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_BarePass)->Apply(entityCounts);
BENCHMARK(BM_ModelScan)->Apply(entityCounts);
BENCHMARK(BM_ScanOverBarePass)->Apply(entityCounts);

// The table after the runs; "back to back" is BM_ScanOverBarePass's ratio.
void printSummary(const RatioReporter& report) {
  std::printf("\nentities  frames  bare pass (ms)  scan (ms)  scan / bare  back to back  scan ns per entity\n");
  for (long n : kEntityCounts) {
    const std::optional<double> bare = report.figure("BM_BarePass/" + std::to_string(n));
    const std::optional<double> scan = report.figure("BM_ModelScan/" + std::to_string(n));
    if (!bare || !scan) continue;
    const double backToBack = report.figure("BM_ScanOverBarePass/" + std::to_string(n)).value_or(0.0);
    Drawing& d = drawingOf(static_cast<std::size_t>(n));
    std::printf("%8zu  %6zu  %14.2f  %9.2f  %11.2f  %12.2f  %18.1f\n", d.entities, d.sheets, *bare, *scan,
                *scan / *bare, backToBack, *scan * 1e6 / static_cast<double>(d.entities));
  }
}

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithSummary(argc, argv, printSummary); }

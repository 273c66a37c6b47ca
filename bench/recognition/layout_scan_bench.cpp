// The paper-space layout scan against one bare pass over the same layouts that opens every entity and reads
// its type and extents, nothing else. Drawings of 75 to 1,200 layouts with about 667 entities each (50,000 to
// 800,000 in all); each layout holds 1 to 4 sheets (title-block references, every fourth a polyline border), a
// viewport in each sheet, drawn content, and now and then a viewport beside the sheets.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bare_pass.h"
#include "bench_drawing.h"
#include "cad/database.h"
#include "ratio_report.h"
#include "recognition/layout_scan.h"

namespace {

// Layouts average 2.5 sheets: 265 drawn entities a sheet make about 667 entities a layout.
constexpr int kContentPerSheet = 265;
constexpr long kLayoutCounts[] = {75, 150, 300, 600, 1200};

struct Drawing {
  std::unique_ptr<cad::Database> db;
  std::size_t layouts = 0;
  std::size_t entities = 0;
  std::size_t sheets = 0;
};

Drawing& drawingOf(std::size_t layouts) {
  static std::map<std::size_t, Drawing> drawings;
  Drawing& d = drawings[layouts];
  if (d.db) return d;
  d.db = cad::Database::createDefault();
  // Built in the drawing's own memory, as the DXF reader builds a drawing it opens.
  cad::ObjectArena::Scope arena(d.db->arena());
  BenchDrawingBuilder b(*d.db, L"说明");
  const cad::ObjectId a3 = b.titleBlock(L"A3图框", 420, 297);
  const cad::ObjectId sheet = b.titleBlock(L"Sheet-Border", 420, 297);  // found by its drawn border alone
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.08, 0.92);
  std::size_t entities = 0;
  for (std::size_t n = 0; n < layouts; ++n) {
    cad::ObjectId layoutId = n == 0 ? d.db->layoutId(L"Layout1")
                                    : d.db->addLayout(L"布局" + std::to_wstring(n + 1), static_cast<int>(n + 1));
    auto* layout = dynamic_cast<cad::Layout*>(d.db->objectAt(layoutId));
    const cad::ObjectId space = layout->getBlockTableRecordId();
    const int frames = 1 + static_cast<int>(n % 4);
    layout->paperWidthMm = 440.0 * frames + 20;
    layout->paperHeightMm = 320;
    b.viewport(space, layout->paperWidthMm / 2, 160, layout->paperWidthMm, 320);  // the layout's own
    entities += 1;
    for (int f = 0; f < frames; ++f) {
      const double x = 10 + 440.0 * f, y = 10;
      if (f % 4 == 3) {
        b.rectangle(space, x, y, x + 420, y + 297);
      } else {
        b.insert(space, f % 2 == 0 ? a3 : sheet, x, y);
      }
      b.viewport(space, x + 190, y + 170, 340, 220);
      for (int k = 0; k < kContentPerSheet; ++k) {
        const double px = x + unit(random) * 420, py = y + unit(random) * 297;
        if (k % 6 == 0) {
          b.text(space, px, py, 3.5);
        } else if (k % 10 == 1) {
          b.circle(space, px, py, 4);
        } else {
          b.line(space, px, py, px + 30 * unit(random), py);
        }
      }
      entities += 2 + kContentPerSheet;
      ++d.sheets;
    }
    if (n % 10 == 5) {
      b.viewport(space, 440.0 * frames - 50, 300, 60, 30);  // beside the sheets
      entities += 1;
    }
  }
  d.db->renumberViewports();
  d.layouts = layouts;
  d.entities = entities;
  return d;
}

// Every entity of every paper-space layout opened once, its type and extents read.
std::size_t barePass(cad::Database& db) {
  cad::Dictionary* dictionary = nullptr;
  if (db.getLayoutDictionary(dictionary, cad::kForRead) != cad::eOk) return 0;
  std::vector<cad::ObjectId> ids;
  for (const auto& entry : dictionary->entries) ids.push_back(entry.second);
  dictionary->close();
  std::size_t withExtents = 0;
  for (cad::ObjectId id : ids) {
    cad::Layout* layout = nullptr;
    if (cad::acdbOpenObject(layout, id, cad::kForRead) != cad::eOk) continue;
    if (!layout->modelType()) withExtents += barePassOver(layout->getBlockTableRecordId());
    layout->close();
  }
  return withExtents;
}

void BM_BareLayoutPass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(barePass(*d.db));
  state.counters["entities"] = static_cast<double>(d.entities);
}

void BM_LayoutScan(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  cad::acdbHostApplicationServices()->setWorkingDatabase(d.db.get());
  std::size_t windows = 0;
  for (auto _ : state) {
    std::vector<VexBatchPrintLayoutRecord> records = vexCollectPaperLayouts();
    windows = 0;
    for (const VexBatchPrintLayoutRecord& r : records) windows += r.layoutWindow ? 1 : 0;
    benchmark::DoNotOptimize(windows);
  }
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["sheets"] = static_cast<double>(windows);
  if (windows != d.sheets) state.SkipWithError("the scan did not find every sheet");
}

// Bare pass and scan timed back to back in each iteration, so that both see the same machine load; the
// counter is the median of the iterations' ratios of processor times.
void BM_LayoutScanOverBarePass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  cad::acdbHostApplicationServices()->setWorkingDatabase(d.db.get());
  BackToBack pairs;
  for (auto _ : state) {
    const double t0 = threadCpuSeconds();
    benchmark::DoNotOptimize(barePass(*d.db));
    const double t1 = threadCpuSeconds();
    benchmark::DoNotOptimize(vexCollectPaperLayouts().size());
    const double t2 = threadCpuSeconds();
    pairs.add(t1 - t0, t2 - t1);
  }
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  pairs.report(state);
}

void layoutCounts(benchmark::internal::Benchmark* b) {
  for (long n : kLayoutCounts) b->Arg(n);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_BareLayoutPass)->Apply(layoutCounts);
BENCHMARK(BM_LayoutScan)->Apply(layoutCounts);
BENCHMARK(BM_LayoutScanOverBarePass)->Apply(layoutCounts);

// The table after the runs; "back to back" is BM_LayoutScanOverBarePass's ratio.
void printSummary(const RatioReporter& report) {
  std::printf(
      "\nlayouts  entities  sheets  bare pass (ms)  scan (ms)  scan / bare  back to back  scan ns per entity\n");
  for (long n : kLayoutCounts) {
    const std::optional<double> bare = report.figure("BM_BareLayoutPass/" + std::to_string(n));
    const std::optional<double> scan = report.figure("BM_LayoutScan/" + std::to_string(n));
    if (!bare || !scan) continue;
    const double backToBack = report.figure("BM_LayoutScanOverBarePass/" + std::to_string(n)).value_or(0.0);
    Drawing& d = drawingOf(static_cast<std::size_t>(n));
    std::printf("%7zu  %8zu  %6zu  %14.2f  %9.2f  %11.2f  %12.2f  %18.1f\n", d.layouts, d.entities, d.sheets, *bare,
                *scan, *scan / *bare, backToBack, *scan * 1e6 / static_cast<double>(d.entities));
  }
}

}  // namespace

int main(int argc, char** argv) { return runBenchmarksWithSummary(argc, argv, printSummary); }

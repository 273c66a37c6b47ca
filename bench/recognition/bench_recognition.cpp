// The model-space scan against one bare pass over the same drawing that only reads each entity's type and
// extents. Model spaces of 50k, 100k and 200k entities hold one sheet per 200 entities: references to three
// title blocks at 1:100, polyline sheets, and lines, circles and texts in and around them.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

#include "cad/database.h"
#include "recognition/model_scan.h"

namespace {

constexpr int kEntitiesPerSheet = 200;

struct Drawing {
  std::unique_ptr<cad::Database> db;
  std::size_t entities = 0;
  std::size_t sheets = 0;
};

class Builder {
 public:
  explicit Builder(cad::Database& db) : db_(db), modelSpace_(db.modelSpaceId()) {}

  cad::ObjectId rectangle(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
    auto p = std::make_unique<cad::Polyline>();
    p->vertices = {{{x0, y0}}, {{x1, y0}}, {{x1, y1}}, {{x0, y1}}};
    p->closed = true;
    return add(owner, std::move(p));
  }
  cad::ObjectId line(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
    auto l = std::make_unique<cad::Line>();
    l->start = {x0, y0, 0};
    l->end = {x1, y1, 0};
    return add(owner, std::move(l));
  }
  cad::ObjectId text(cad::ObjectId owner, double x, double y, double height) {
    auto t = std::make_unique<cad::Text>();
    t->position = t->alignment = {x, y, 0};
    t->height = height;
    t->contents = L"房间";
    return add(owner, std::move(t));
  }
  cad::ObjectId circle(cad::ObjectId owner, double x, double y, double r) {
    auto c = std::make_unique<cad::Circle>();
    c->center = {x, y, 0};
    c->radius = r;
    return add(owner, std::move(c));
  }
  cad::ObjectId insert(cad::ObjectId block, double x, double y, double scale) {
    auto b = std::make_unique<cad::BlockReference>();
    b->blockId = block;
    b->position_ = {x, y, 0};
    b->scale = {scale, scale, scale};
    return add(modelSpace_, std::move(b));
  }
  cad::ObjectId titleBlock(const std::wstring& name, double w, double h) {
    cad::ObjectId block = db_.addBlock(name);
    rectangle(block, 0, 0, w, h);
    rectangle(block, 25, 5, w - 5, h - 5);
    double left = w - 185;
    rectangle(block, left, 5, w - 5, 61);
    for (int k = 1; k < 4; ++k) line(block, left, 5 + 14 * k, w - 5, 5 + 14 * k);
    for (double dx : {30.0, 80.0, 130.0}) line(block, left + dx, 5, left + dx, 61);
    text(block, left + 3, 9, 3.5);
    text(block, left + 85, 37, 5);
    return block;
  }
  cad::ObjectId modelSpace() const { return modelSpace_; }

 private:
  cad::ObjectId add(cad::ObjectId owner, std::unique_ptr<cad::Entity> e) {
    e->setLayer(L"0", db_.layerId(L"0"));
    return db_.appendEntity(owner, std::move(e));
  }
  cad::Database& db_;
  cad::ObjectId modelSpace_;
};

Drawing& drawingOf(std::size_t entities) {
  static std::map<std::size_t, Drawing> drawings;
  Drawing& d = drawings[entities];
  if (d.db) return d;
  d.db = cad::Database::createDefault();
  Builder b(*d.db);
  struct Sheet {
    cad::ObjectId block;
    double w, h;
  };
  const Sheet sheets[] = {{b.titleBlock(L"GB-A1", 841, 594), 84100, 59400},
                          {b.titleBlock(L"GB-A2", 594, 420), 59400, 42000},
                          {b.titleBlock(L"A3图框", 420, 297), 42000, 29700}};
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
      b.rectangle(b.modelSpace(), x, y, x + kind.w, y + kind.h);
    } else {
      b.insert(kind.block, x, y, 100);
    }
    ++made;
    // The sheet's drawing: mostly lines, some circles and texts; a few entities lie between sheets.
    for (int k = 1; k < kEntitiesPerSheet; ++k) {
      double px = x + unit(random) * kind.w, py = y + unit(random) * kind.h;
      if (k % 25 == 0) {
        b.line(b.modelSpace(), x - 5000, py, x - 1000, py);
      } else if (k % 10 == 0) {
        b.text(b.modelSpace(), px, py, 250);
      } else if (k % 7 == 0) {
        b.circle(b.modelSpace(), px, py, 300);
      } else {
        b.line(b.modelSpace(), px, py, px + 800 * unit(random), py + 800 * unit(random));
      }
      ++made;
    }
  }
  d.entities = made;
  d.sheets = sheetCount;
  return d;
}

// One pass that opens every model-space entity and reads its type and extents, nothing else.
std::size_t barePass(cad::Database& db) {
  cad::BlockTableRecord* modelSpace = nullptr;
  if (cad::acdbOpenObject(modelSpace, db.modelSpaceId(), cad::kForRead) != cad::eOk) return 0;
  std::unique_ptr<cad::BlockTableRecordIterator> it;
  std::size_t withExtents = 0;
  if (modelSpace->newIterator(it) == cad::eOk) {
    for (it->start(); !it->done(); it->step()) {
      cad::Entity* entity = nullptr;
      if (it->getEntity(entity, cad::kForRead) != cad::eOk) continue;
      const cad::RxClass* type = entity->isA();
      benchmark::DoNotOptimize(type);
      cad::Extents3d extents;
      if (entity->getGeomExtents(extents) == cad::eOk) ++withExtents;
      entity->close();
    }
  }
  modelSpace->close();
  return withExtents;
}

void BM_BarePass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(barePass(*d.db));
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
// counter is the ratio of their summed times.
void BM_ScanOverBarePass(benchmark::State& state) {
  Drawing& d = drawingOf(static_cast<std::size_t>(state.range(0)));
  cad::acdbHostApplicationServices()->setWorkingDatabase(d.db.get());
  double bare = 0, scan = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(barePass(*d.db));
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(vexCollectModelFrames().size());
    auto t2 = std::chrono::steady_clock::now();
    bare += std::chrono::duration<double>(t1 - t0).count();
    scan += std::chrono::duration<double>(t2 - t1).count();
  }
  cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  state.counters["scan_over_bare"] = scan / bare;
}

BENCHMARK(BM_BarePass)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelScan)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanOverBarePass)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

// Keeps the per-iteration times so that the ratio of scan to bare pass can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      times_[run.benchmark_name()] = run.GetAdjustedRealTime();
      auto ratio = run.counters.find("scan_over_bare");
      if (ratio != run.counters.end()) times_[run.benchmark_name()] = ratio->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printSummary() const {
    std::printf("\nentities  frames  bare pass (ms)  scan (ms)  scan / bare  back to back  scan ns per entity\n");
    for (long n : {50000L, 100000L, 200000L}) {
      auto bare = times_.find("BM_BarePass/" + std::to_string(n));
      auto scan = times_.find("BM_ModelScan/" + std::to_string(n));
      if (bare == times_.end() || scan == times_.end()) continue;
      auto interleaved = times_.find("BM_ScanOverBarePass/" + std::to_string(n));
      double backToBack = interleaved == times_.end() ? 0.0 : interleaved->second;
      Drawing& d = drawingOf(static_cast<std::size_t>(n));
      std::printf("%8zu  %6zu  %14.2f  %9.2f  %11.2f  %12.2f  %18.1f\n", d.entities, d.sheets, bare->second,
                  scan->second, scan->second / bare->second, backToBack,
                  scan->second * 1e6 / static_cast<double>(d.entities));
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printSummary();
  benchmark::Shutdown();
  return 0;
}

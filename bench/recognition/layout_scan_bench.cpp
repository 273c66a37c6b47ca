// The paper-space layout scan against one bare pass over the same layouts that opens every entity and reads
// its type and extents, nothing else. Drawings of 75, 150 and 300 layouts; each layout holds 1 to 4 sheets
// (title-block references, every fourth a polyline border), a viewport in each sheet, drawn content, and
// now and then a viewport beside the sheets.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "cad/database.h"
#include "recognition/layout_scan.h"

namespace {

constexpr int kContentPerSheet = 30;

struct Drawing {
  std::unique_ptr<cad::Database> db;
  std::size_t layouts = 0;
  std::size_t entities = 0;
  std::size_t sheets = 0;
};

class Builder {
 public:
  explicit Builder(cad::Database& db) : db_(db), layer_(db.layerId(L"0")) {}

  void rectangle(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
    auto p = std::make_unique<cad::Polyline>();
    p->vertices = {{{x0, y0}}, {{x1, y0}}, {{x1, y1}}, {{x0, y1}}};
    p->closed = true;
    add(owner, std::move(p));
  }
  void line(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
    auto l = std::make_unique<cad::Line>();
    l->start = {x0, y0, 0};
    l->end = {x1, y1, 0};
    add(owner, std::move(l));
  }
  void text(cad::ObjectId owner, double x, double y, double height) {
    auto t = std::make_unique<cad::Text>();
    t->position = t->alignment = {x, y, 0};
    t->height = height;
    t->contents = L"说明";
    add(owner, std::move(t));
  }
  void circle(cad::ObjectId owner, double x, double y, double r) {
    auto c = std::make_unique<cad::Circle>();
    c->center = {x, y, 0};
    c->radius = r;
    add(owner, std::move(c));
  }
  void insert(cad::ObjectId owner, cad::ObjectId block, double x, double y) {
    auto b = std::make_unique<cad::BlockReference>();
    b->blockId = block;
    b->position_ = {x, y, 0};
    add(owner, std::move(b));
  }
  void viewport(cad::ObjectId owner, double cx, double cy, double w, double h) {
    auto v = std::make_unique<cad::Viewport>();
    v->center = {cx, cy, 0};
    v->width_ = w;
    v->height_ = h;
    add(owner, std::move(v));
  }
  cad::ObjectId titleBlock(const std::wstring& name, double w, double h) {
    cad::ObjectId block = db_.addBlock(name);
    rectangle(block, 0, 0, w, h);
    rectangle(block, 25, 5, w - 5, h - 5);
    double left = w - 185;
    rectangle(block, left, 5, w - 5, 61);
    for (int k = 1; k < 4; ++k) line(block, left, 5 + 14 * k, w - 5, 5 + 14 * k);
    text(block, left + 3, 9, 3.5);
    return block;
  }

 private:
  void add(cad::ObjectId owner, std::unique_ptr<cad::Entity> e) {
    e->setLayer(L"0", layer_);
    db_.appendEntity(owner, std::move(e));
  }
  cad::Database& db_;
  cad::ObjectId layer_;
};

Drawing& drawingOf(std::size_t layouts) {
  static std::map<std::size_t, Drawing> drawings;
  Drawing& d = drawings[layouts];
  if (d.db) return d;
  d.db = cad::Database::createDefault();
  Builder b(*d.db);
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
    cad::BlockTableRecord* space = nullptr;
    if (!layout->modelType() &&
        cad::acdbOpenObject(space, layout->getBlockTableRecordId(), cad::kForRead) == cad::eOk) {
      std::unique_ptr<cad::BlockTableRecordIterator> it;
      if (space->newIterator(it) == cad::eOk) {
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
      space->close();
    }
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

BENCHMARK(BM_BareLayoutPass)->Arg(75)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutScan)->Arg(75)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);

// Keeps the per-iteration times so that the ratio of scan to bare pass can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printSummary() const {
    std::printf("\nlayouts  entities  sheets  bare pass (ms)  scan (ms)  scan / bare  scan us per layout\n");
    for (long n : {75L, 150L, 300L}) {
      auto bare = times_.find("BM_BareLayoutPass/" + std::to_string(n));
      auto scan = times_.find("BM_LayoutScan/" + std::to_string(n));
      if (bare == times_.end() || scan == times_.end()) continue;
      Drawing& d = drawingOf(static_cast<std::size_t>(n));
      std::printf("%7zu  %8zu  %6zu  %14.2f  %9.2f  %11.2f  %18.1f\n", d.layouts, d.entities, d.sheets, bare->second,
                  scan->second, scan->second / bare->second, scan->second * 1e3 / static_cast<double>(d.layouts));
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

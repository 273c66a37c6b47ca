// The full panel: its reload against the scans it runs, timed back to back on a drawing of 1,000 model-space
// sheets and one of 300 layouts (target: the reload at most 1.2 times the scan); a keystroke in the filter over
// 10,000 rows, and laying out and drawing the window with its table (targets: 16 ms each on one core).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include <unistd.h>

#include "bench_drawing.h"
#include "cad/doc_manager.h"
#include "cad/host_reset.h"
#include "core/host_bridge.h"
#include "foundation/main_queue.h"
#include "foundation/user_defaults.h"
#include "graphics/cairo_context.h"
#include "panels/batch_print_panel_controller.h"
#include "ratio_report.h"
#include "recognition/layout_scan.h"
#include "recognition/model_scan.h"
#include "toolkit/rendering.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace {

// The run's own folder in the temporary folder it is given, removed at its end: the settings and whatever the
// scans write into the temporary folder.
std::string gFolder;

constexpr int kEntitiesPerModelSheet = 200;
constexpr std::size_t kModelSheets = 1000;
constexpr std::size_t kLayouts = 300;
constexpr std::size_t kFilteredRows = 10000;

struct Drawings {
  cad::Document* model = nullptr;
  cad::Document* layouts = nullptr;
};

// 1,000 sheets at 1:100 (title-block references, every fourth a polyline border) with lines, circles and
// texts inside them.
std::unique_ptr<cad::Database> modelDrawing() {
  auto db = cad::Database::createDefault();
  cad::ObjectArena::Scope arena(db->arena());
  BenchDrawingBuilder b(*db, L"房间");
  const cad::ObjectId block = b.titleBlock(L"GB-A1", 841, 594);
  const cad::ObjectId modelSpace = db->modelSpaceId();
  std::mt19937 random(42);
  std::uniform_real_distribution<double> unit(0.05, 0.95);
  for (std::size_t s = 0; s < kModelSheets; ++s) {
    const double x = static_cast<double>(s % 40) * 100000.0;
    const double y = -static_cast<double>(s / 40) * 70000.0;
    if (s % 4 == 3) {
      b.rectangle(modelSpace, x, y, x + 84100, y + 59400);
    } else {
      b.insert(modelSpace, block, x, y, 100);
    }
    for (int k = 1; k < kEntitiesPerModelSheet; ++k) {
      const double px = x + unit(random) * 84100, py = y + unit(random) * 59400;
      if (k % 10 == 0) {
        b.text(modelSpace, px, py, 250);
      } else if (k % 7 == 0) {
        b.circle(modelSpace, px, py, 300);
      } else {
        b.line(modelSpace, px, py, px + 800 * unit(random), py + 800 * unit(random));
      }
    }
  }
  return db;
}

// 300 layouts of one to four A3 sheets each, every sheet with its viewport and 265 drawn entities.
std::unique_ptr<cad::Database> layoutDrawing() {
  auto db = cad::Database::createDefault();
  cad::ObjectArena::Scope arena(db->arena());
  BenchDrawingBuilder b(*db, L"说明");
  const cad::ObjectId a3 = b.titleBlock(L"A3图框", 420, 297);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.08, 0.92);
  for (std::size_t n = 0; n < kLayouts; ++n) {
    const cad::ObjectId layoutId = n == 0 ? db->layoutId(L"Layout1")
                                          : db->addLayout(L"布局" + std::to_wstring(n + 1), static_cast<int>(n + 1));
    auto* layout = dynamic_cast<cad::Layout*>(db->objectAt(layoutId));
    const cad::ObjectId space = layout->getBlockTableRecordId();
    const int frames = 1 + static_cast<int>(n % 4);
    layout->paperWidthMm = 440.0 * frames + 20;
    layout->paperHeightMm = 320;
    b.viewport(space, layout->paperWidthMm / 2, 160, layout->paperWidthMm, 320);
    for (int f = 0; f < frames; ++f) {
      const double x = 10 + 440.0 * f, y = 10;
      if (f % 4 == 3) {
        b.rectangle(space, x, y, x + 420, y + 297);
      } else {
        b.insert(space, a3, x, y);
      }
      b.viewport(space, x + 190, y + 170, 340, 220);
      for (int k = 0; k < 265; ++k) {
        const double px = x + unit(random) * 420, py = y + unit(random) * 297;
        if (k % 6 == 0) {
          b.text(space, px, py, 3.5);
        } else {
          b.line(space, px, py, px + 30 * unit(random), py);
        }
      }
    }
  }
  db->renumberViewports();
  return db;
}

Drawings& drawings() {
  static Drawings d = [] {
    foundation::MainQueue::main().setMainThread();
    foundation::UserDefaults::setRootForTesting(gFolder + "/defaults");
    linkInterfaceTextIntoCore();
    QDLSetLanguagePreference("zh");
    Drawings made;
    made.model = cad::docManager().addDocument(modelDrawing(), L"/bench/model.dwg");
    made.layouts = cad::docManager().addDocument(layoutDrawing(), L"/bench/layouts.dwg");
    return made;
  }();
  return d;
}

VexBatchPrintPanelController& panelOn(cad::Document* doc, long source) {
  cad::docManager().activateDocument(doc);
  VexBatchPrintPanelController& panel = ensureBatchPrintPanel();
  panel.sourceMode()->setSelectedSegment(source);
  panel.layoutScope()->setSelectedSegment(1);
  return panel;
}

// The scan alone, then the reload that runs it and builds the rows, the table and the summary.
void reloadOverScan(benchmark::State& state, cad::Document* doc, long source, std::size_t (*scan)()) {
  VexBatchPrintPanelController& panel = panelOn(doc, source);
  BackToBack pairs;
  for (auto _ : state) {
    const double t0 = threadCpuSeconds();
    benchmark::DoNotOptimize(scan());
    const double t1 = threadCpuSeconds();
    panel.reloadFromActiveDrawing();
    const double t2 = threadCpuSeconds();
    pairs.add(t1 - t0, t2 - t1);
  }
  state.counters["rows"] = static_cast<double>(panel.allRows().size());
  pairs.report(state);
}

std::size_t modelScan() { return vexCollectModelFrames().size(); }
std::size_t layoutScan() { return vexCollectPaperLayouts().size(); }

void BM_ModelReloadOverScan(benchmark::State& state) {
  reloadOverScan(state, drawings().model, 1, modelScan);
}
void BM_LayoutReloadOverScan(benchmark::State& state) {
  reloadOverScan(state, drawings().layouts, 0, layoutScan);
}

// 10,000 rows as a big drawing's sheets are named; the filter typed matches one in ten.
VexBatchPrintPanelController& panelWithManyRows() {
  VexBatchPrintPanelController& panel = ensureBatchPrintPanel();
  panel.allRows().clear();
  const char* papers[] = {"A3｜420 × 297", "A1｜841 × 594", "A2｜594 × 420", "A0｜1189 × 841"};
  for (std::size_t i = 0; i < kFilteredRows; ++i) {
    auto row = std::make_shared<VexBatchPrintRow>();
    row->layoutName = "布局" + std::to_string(i / 4 + 1) + " 图框 0" + std::to_string(i % 4 + 1);
    row->setupName = "布局" + std::to_string(i / 4 + 1) + "｜实际图框｜图框";
    row->paperName = papers[i % 4];
    row->selected = i % 3 != 0;
    panel.allRows().push_back(row);
  }
  panel.panel()->makeKeyAndOrderFront();
  return panel;
}

void BM_FilterKeystroke10000Rows(benchmark::State& state) {
  drawings();
  VexBatchPrintPanelController& panel = panelWithManyRows();
  long keystroke = 0;
  for (auto _ : state) {
    // Typing "…1" then "…12": each keystroke refilters the whole list.
    panel.filterField()->setStringValue(++keystroke % 2 == 0 ? "图框 01" : "图框 0");
    panel.filterChanged();
  }
  state.counters["shown"] = static_cast<double>(panel.rows().size());
}

void BM_LayOutAndDrawTheTable(benchmark::State& state) {
  drawings();
  VexBatchPrintPanelController& panel = panelWithManyRows();
  panel.filterField()->setStringValue("");
  panel.applyFilterAndSort();
  auto context = graphics::CairoContext::bitmap(panel.panel()->frame().width(), panel.panel()->frame().height());
  long step = 0;
  for (auto _ : state) {
    panel.table()->reloadData();
    panel.table()->scrollRowToVisible((++step * 377) % static_cast<long>(kFilteredRows));
    toolkit::drawWindow(*panel.panel(), *context);
  }
}

BENCHMARK(BM_ModelReloadOverScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LayoutReloadOverScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FilterKeystroke10000Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayOutAndDrawTheTable)->Unit(benchmark::kMillisecond);

void printSummary(const RatioReporter& report) {
  const auto figure = [&](const char* name) { return report.figure(name).value_or(-1); };
  std::printf("\nfull panel                                     figure  target\n");
  std::printf("reload / scan, 1,000 model-space sheets        %6.2f  1.20\n", figure("BM_ModelReloadOverScan/min_time:2.000"));
  std::printf("reload / scan, 300 layouts                     %6.2f  1.20\n", figure("BM_LayoutReloadOverScan/min_time:2.000"));
  std::printf("filter keystroke over 10,000 rows (ms)         %6.2f  16\n", figure("BM_FilterKeystroke10000Rows"));
  std::printf("lay out and draw the window and table (ms)     %6.2f  16\n", figure("BM_LayOutAndDrawTheTable"));
  vexBatchFullPanelShutdown();
}

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quodl-bench-full-panel-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  gFolder = pattern;
  std::filesystem::create_directory(gFolder + "/tmp");
  setenv("TMPDIR", (gFolder + "/tmp").c_str(), 1);
  const int status = runBenchmarksWithSummary(argc, argv, printSummary);
  std::error_code ec;
  std::filesystem::remove_all(gFolder, ec);
  return status;
}

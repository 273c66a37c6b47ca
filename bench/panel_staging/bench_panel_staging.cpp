// The full panel's start button on 100 and 1,000 ticked sheets: the plot-style refresh, the preflight (style,
// PDF device, folder and free space, fonts), the job built from the rows and its snapshot written, up to the
// command queued for the host. The target for 1,000 sheets is at most 50 ms. The plot that follows is
// measured by bench/plot_jobs; what staging adds to a 100-sheet job is this figure against the engine's time
// printed there.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/host_reset.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "panels/batch_print_panel_controller.h"
#include "plot/print_jobs.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/path_field.h"

namespace {

std::string gFolder;

void setUp() {
  gFolder = std::filesystem::temp_directory_path() / ("quodl-bench-staging-" + std::to_string(::getpid()));
  std::filesystem::remove_all(gFolder);
  for (const char* sub : {"data", "config", "tmp", "out"}) std::filesystem::create_directories(gFolder + "/" + sub);
  setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
  setenv("TMPDIR", (gFolder + "/tmp").c_str(), 1);
  foundation::MainQueue::main().resetForTesting();
  cad::resetHostForTesting();
  const std::string drawing = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";
  cad::DxfReadResult read = cad::readDxfFile(drawing);
  if (read.database == nullptr) throw std::runtime_error(drawing + ": " + read.error);
  cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(drawing));
}

// The panel on the grid sample with `sheets` ticked rows (its frames over and over), writing one PDF per sheet.
VexBatchPrintPanelController& panelWith(std::size_t sheets) {
  vexBatchFullPanelShow(true);
  VexBatchPrintPanelController& panel = ensureBatchPrintPanel();
  const VexBatchPrintRows frames = panel.allRows();
  if (frames.empty()) throw std::runtime_error("no frames in the grid sample");
  panel.allRows().clear();
  for (std::size_t i = 0; i < sheets; ++i) {
    auto row = std::make_shared<VexBatchPrintRow>(*frames[i % frames.size()]);
    row->layoutName = "Sheet " + std::to_string(i + 1);
    panel.allRows().push_back(row);
  }
  panel.applyFilterAndSort();
  panel.outputMode()->setSelectedSegment(1);
  panel.outputLocationMode()->selectItemAtIndex(5);
  panel.outputPath()->setStringValue(gFolder + "/out");
  return panel;
}

void BM_StagePrint(benchmark::State& state) {
  const auto sheets = static_cast<std::size_t>(state.range(0));
  VexBatchPrintPanelController& panel = panelWith(sheets);
  for (auto _ : state) {
    panel.stagePrint();
    if (!gBatchPrintPendingJob.active || gBatchPrintPendingJob.pages.size() != sheets) {
      state.SkipWithError(("not staged: " + panel.statusLabel()->stringValue()).c_str());
      break;
    }
    state.PauseTiming();
    gBatchPrintPendingJob = {};
    while (cad::docManager().currentInput().next()) {
    }
    state.ResumeTiming();
  }
  state.counters["sheets"] = static_cast<double>(sheets);
}
BENCHMARK(BM_StagePrint)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  setUp();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  vexBatchFullPanelShutdown();
  std::filesystem::remove_all(gFolder);
  return 0;
}

// A queue run of 20 drawings, each one plan sheet in model space (an A3 frame at 1:100 with about 2,000 entities,
// the drawing of bench/cad_render), one PDF per drawing, run as DUZOZAREDFILESTART runs it: the start, and for
// each drawing the advance step that opens it read-only, the per-drawing step that recognises its sheet, plots it
// and verifies the PDF, and the close; then the end of the run, which verifies every PDF again. Beside it, the
// host's publish engine alone plots the same sheets, from copies of the drawings opened and prepared beforehand,
// one document per sheet. The difference is the queue's own work, the opening of each drawing included. Printed
// at the end as a share of the engine's time (the target is at most 15 %), the way bench/plot_jobs measures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "cad/doc_manager.h"
#include "cad/host_reset.h"
#include "cad/plot/publish_engine.h"
#include "cad/render/drawing_renderer.h"
#include "core/work_active.h"
#include "engine_alone.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "queue/file_queue_commands.h"
#include "queue/file_queue_panel.h"
#include "queue/file_queue_state.h"
#include "queue/plot_link.h"
#include "queue/queue_run.h"
#include "recognition/job_pages.h"
#include "sheet_drawing.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "ui/core_link.h"

namespace {

constexpr int kDrawings = 20;

std::string gFolder;
std::vector<std::string> gQueued;  // the drawings the queue plots
// The engine's own copies, open, each sheet prepared as the plot run prepares it.
std::vector<std::vector<VexBatchPrintPreparedPage>> gPrepared;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void freshFolder(const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

void drain() {
  for (int i = 0; i < 1000000 && foundation::MainQueue::main().drain() > 0; ++i) {
  }
}

void setUp() {
  gFolder = std::filesystem::temp_directory_path() / ("quodl-bench-queue-" + std::to_string(::getpid()));
  freshFolder(gFolder);
  for (const char* sub : {"data", "config", "tmp", "queued", "open", "out", "engine"}) {
    std::filesystem::create_directories(gFolder + "/" + sub);
  }
  setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
  setenv("TMPDIR", (gFolder + "/tmp").c_str(), 1);
  foundation::UserDefaults::setRootForTesting(gFolder + "/config/defaults");
  foundation::MainQueue::main().resetForTesting();
  foundation::MainQueue::main().setMainThread();
  cad::resetHostForTesting();
  cad::render::installDrawingRenderer();  // the engine draws the drawing, as in cadhost
  // What the module installs at load for the queue: its commands and its links.
  linkInterfaceTextIntoCore();
  linkQueueIntoPlot();
  registerCommands();

  for (int i = 0; i < kDrawings; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "plan-%02d.dwg", i + 1);
    const std::string queued = gFolder + "/queued/" + name;
    if (writeSheetDrawing(queued, 1).bytes == 0) throw std::runtime_error("the plan sheet could not be written");
    std::filesystem::copy_file(queued, gFolder + "/open/" + name);
    gQueued.push_back(queued);
  }
  for (int i = 0; i < kDrawings; ++i) {
    const std::string copy = gFolder + "/open/" + std::filesystem::path(gQueued[i]).filename().string();
    const cad::DocManager::OpenResult opened = cad::docManager().open(copy, false);
    if (opened.document == nullptr) throw std::runtime_error(opened.error);
    std::vector<VexBatchPrintPreparedPage> prepared;
    if (!vexBatchPreparePages(vexBatchCollectJobPages(true, false), L"", prepared) || prepared.size() != 1) {
      throw std::runtime_error("the engine's sheet could not be prepared: " +
                               foundation::utf8FromWideLossy(gBatchPrintLastError));
    }
    gPrepared.push_back(std::move(prepared));
  }

  vexBatchPrintFilesShow();
  QDLFileQueuePanel& panel = *gBatchFilePanel;
  panel.addURLs(gQueued);
  for (int i = 0; i < 100000 && panel.discovery(); ++i) {
    drain();
    usleep(1000);
  }
  if (panel.items().size() != gQueued.size()) throw std::runtime_error("the queue did not take the drawings");
  panel.sourceMode()->setSelectedSegment(1);
  panel.outputMode()->selectItemAtIndex(1);
  panel.optionsChanged(nullptr);
  panel.setOutputRoot(gFolder + "/out");
}

// The run, from the start button to the end of the run. Its seconds, or a negative number when a drawing failed.
double runQueue() {
  freshFolder(gFolder + "/out");
  cad::resetPublishEngine();
  const auto start = std::chrono::steady_clock::now();
  gBatchFilePanel->start();
  drain();
  const double taken = seconds(std::chrono::steady_clock::now() - start);
  if (gBatchFileQueueRunning) return -1;
  for (const QDLQueueRow& row : gBatchFilePanel->items()) {
    if (row->outputs.size() != 1 || row->completedPages.value_or(0) != 1) {
      std::fprintf(stderr, "%s: %s\n", row->path.c_str(), row->message.c_str());
      return -1;
    }
  }
  return taken;
}

// The engine alone: one document a sheet, as the queue writes one PDF a drawing.
double runEngineAlone() {
  const std::string out = gFolder + "/engine";
  freshFolder(out);
  cad::resetPublishEngine();
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < gPrepared.size(); ++i) {
    if (!plotWithEngine(gPrepared[i], 0, 1, out + "/" + std::to_string(i + 1) + ".pdf")) return -1;
  }
  return seconds(std::chrono::steady_clock::now() - start);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Share {
  double queueSeconds = 0, engineSeconds = 0, median = 0, low = 0, high = 0;
  bool measured = false;
} gShare;

// Each iteration runs the queue and the engine alone back to back, in turns which goes first; the figure kept is
// the median of the runs' shares.
void BM_QueueRun(benchmark::State& state) {
  std::vector<double> queues, engines, shares;
  for (auto _ : state) {
    const bool engineFirst = queues.size() % 2 == 0;
    const double engine1 = engineFirst ? runEngineAlone() : 0;
    const double queue = runQueue();
    const double engine = engineFirst ? engine1 : runEngineAlone();
    if (queue < 0) return state.SkipWithError("the queue run failed");
    if (engine < 0) return state.SkipWithError("the engine failed");
    queues.push_back(queue);
    engines.push_back(engine);
    shares.push_back((queue - engine) / engine * 100);
  }
  state.counters["queue %"] = median(shares);
  gShare = {median(queues), median(engines), median(shares), *std::min_element(shares.begin(), shares.end()),
            *std::max_element(shares.begin(), shares.end()), true};
}

BENCHMARK(BM_QueueRun)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setUp();
  // Every sheet plotted once before anything is timed: the renderer's space index and the fonts.
  if (runEngineAlone() < 0 || runQueue() < 0) throw std::runtime_error("cannot plot");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%d drawings of one sheet a run, one PDF each; target: the queue adds at most 15 %% to the engine\n",
              kDrawings);
  if (gShare.measured) {
    std::printf("queue run %8.1f ms, engine alone %8.1f ms: the queue adds %5.1f %% (runs %.1f to %.1f %%), "
                "%.2f ms a drawing\n",
                gShare.queueSeconds * 1e3, gShare.engineSeconds * 1e3, gShare.median, gShare.low, gShare.high,
                (gShare.queueSeconds - gShare.engineSeconds) * 1e3 / kDrawings);
  }
  vexBatchQueuePanelShutdown();
  gPrepared.clear();
  cad::resetHostForTesting();
  foundation::UserDefaults::setRootForTesting("");
  std::filesystem::remove_all(gFolder);
  return 0;
}

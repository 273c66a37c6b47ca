// A compact export of 20 plan sheets in model space (A3 frames at 1:100 with about 2,000 entities each, the
// drawing of bench/cad_render), one PDF per sheet and merged, run as DUZOZAREDLITEEXEC runs it with the shipped
// monochrome style, beside the host's publish engine alone plotting the same pages, prepared beforehand with
// the same style, into one document per page or one document for all. The difference is the export's own work: finding the sheets, the style check, the folder,
// the plot run's preparation, normalisation and verification, the merge and the final verification. Printed
// at the end as a share of the engine's time (the target is at most 10 %), the way bench/plot_jobs measures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine_alone.h"
#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/host_reset.h"
#include "cad/plot/plot_style_table.h"
#include "cad/plot/publish_engine.h"
#include "cad/render/drawing_renderer.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "panels/lite_export.h"
#include "panels/lite_panel.h"
#include "panels/lite_plot_style.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "plot/plot_style_selection.h"
#include "sheet_drawing.h"

namespace {

constexpr int kSheets = 20;

std::string gFolder;
std::vector<VexBatchPrintPageSpec> gPages;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void freshFolder(const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

void setUp() {
  gFolder = std::filesystem::temp_directory_path() / ("quodl-bench-lite-" + std::to_string(::getpid()));
  freshFolder(gFolder);
  for (const char* sub : {"data", "config", "tmp", "styles", "resources"}) {
    std::filesystem::create_directories(gFolder + "/" + sub);
  }
  setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
  setenv("TMPDIR", (gFolder + "/tmp").c_str(), 1);
  foundation::MainQueue::main().resetForTesting();
  cad::resetHostForTesting();
  cad::render::installDrawingRenderer();  // the engine draws the drawing, as in cadhost
  cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(gFolder + "/styles").c_str());

  // The shipped table, as the bundle carries it.
  cad::PlotStyleTable mono = cad::PlotStyleTable::colorDependent(L"Every colour plots black at 0.05 mm");
  for (cad::PlotStyle& style : mono.styles) {
    style.color = cad::PenColor{0, 0, 0};
    style.lineweight = 0.05;
  }
  const std::string resource = gFolder + "/resources/" + QDLLitePlotStyleName;
  if (!cad::writePlotStyleTable(mono, resource)) throw std::runtime_error("the style could not be written");
  QDLSetLitePlotStyleResourceForTesting(resource);

  if (writeSheetDrawing(gFolder + "/plans.dxf", kSheets).bytes == 0) {
    throw std::runtime_error("the plan sheets could not be written");
  }
  cad::DxfReadResult read = cad::readDxfFile(gFolder + "/plans.dxf");
  if (read.database == nullptr) throw std::runtime_error(read.error);
  read.database->filename = foundation::wideFromUtf8Lossy(gFolder + "/plans.dxf");
  cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(gFolder + "/plans.dxf"));
  cad::resbuf model;
  model.restype = cad::RTSHORT;
  model.resval.rint = 1;
  cad::acedSetVar(L"TILEMODE", model);

  // Installed once here, so that the engine alone can plot with it; each export finds it in place.
  if (const std::optional<std::string> problem = vexBatchLitePreparePlotStyle()) throw std::runtime_error(*problem);
  gPages = vexBatchCollectLitePages();
  if (gPages.size() != static_cast<std::size_t>(kSheets)) {
    throw std::runtime_error("the export finds " + std::to_string(gPages.size()) + " sheets");
  }
}

// The compact export, as DUZOZAREDLITEEXEC runs it. Returns its seconds, or a negative number when it failed.
double runExport(bool merged) {
  const std::string out = gFolder + "/export";
  freshFolder(out);
  gBatchLiteOutput = out;
  foundation::UserDefaults::standard().setBool(merged, "Quodline.LiteMergePDF");
  cad::resetPublishEngine();
  const auto start = std::chrono::steady_clock::now();
  const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
  const double taken = seconds(std::chrono::steady_clock::now() - start);
  foundation::MainQueue::main().drain();  // the second check and the opening, after the command
  if (result.outcome != VexBatchLiteExportResult::Outcome::succeeded) {
    std::fprintf(stderr, "export failed: %s\n", result.error.c_str());
    return -1;
  }
  return taken;
}

// What the export asks of the engine: one document per page, or, for the merged PDF of these pages (one paper,
// one space), all pages in one document.
double runEngineAlone(std::vector<VexBatchPrintPreparedPage>& prepared, bool merged) {
  const std::string out = gFolder + "/engine";
  freshFolder(out);
  cad::resetPublishEngine();
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  if (merged) {
    ok = plotWithEngine(prepared, 0, prepared.size(), out + "/Sheets.pdf");
  } else {
    for (std::size_t i = 0; ok && i < prepared.size(); ++i) {
      ok = plotWithEngine(prepared, i, 1, out + "/" + std::to_string(i + 1) + ".pdf");
    }
  }
  return ok ? seconds(std::chrono::steady_clock::now() - start) : -1;
}

struct Share {
  double exportSeconds = 0;  // per run, the median
  double engineSeconds = 0;  // per run, the median
  double median = 0;         // of the runs' shares, in percent
  double low = 0, high = 0;
};
std::map<bool, Share> gShares;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<VexBatchPrintPreparedPage> preparedPages() {
  std::vector<VexBatchPrintPreparedPage> prepared;
  gBatchLiteFixedStyle = true;  // the export's settings for its monochrome table
  const bool ok = vexBatchPreparePages(gPages, foundation::wideFromUtf8Lossy(QDLLitePlotStyleName), prepared);
  gBatchLiteFixedStyle = false;
  if (!ok) throw std::runtime_error(foundation::utf8FromWideLossy(L"preparation failed: " + gBatchPrintLastError));
  return prepared;
}

// Each iteration runs the export and the engine alone back to back, in turns which goes first; the figure kept
// is the median of the runs' shares.
void compare(benchmark::State& state, bool merged) {
  std::vector<VexBatchPrintPreparedPage> prepared = preparedPages();
  std::vector<double> exports, engines, shares;
  for (auto _ : state) {
    const bool engineFirst = exports.size() % 2 == 0;
    const double engine1 = engineFirst ? runEngineAlone(prepared, merged) : 0;
    const double plugin = runExport(merged);
    const double engine = engineFirst ? engine1 : runEngineAlone(prepared, merged);
    if (plugin < 0) return state.SkipWithError("the export failed");
    if (engine < 0) return state.SkipWithError("the engine failed");
    exports.push_back(plugin);
    engines.push_back(engine);
    shares.push_back((plugin - engine) / engine * 100);
  }
  state.SetLabel(merged ? "merged" : "separate");
  state.counters["export %"] = median(shares);
  gShares[merged] = {median(exports), median(engines), median(shares), *std::min_element(shares.begin(), shares.end()),
                     *std::max_element(shares.begin(), shares.end())};
}

void BM_SeparateExport(benchmark::State& state) { compare(state, false); }
void BM_MergedExport(benchmark::State& state) { compare(state, true); }

BENCHMARK(BM_SeparateExport)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MergedExport)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setUp();
  // Every sheet plotted once before anything is timed: the renderer's space index and the fonts.
  std::vector<VexBatchPrintPreparedPage> warm = preparedPages();
  if (!plotWithEngine(warm, 0, warm.size(), gFolder + "/warm-up.pdf")) throw std::runtime_error("cannot plot");
  warm.clear();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%d sheets an export; target: the compact export adds at most 10 %% to the engine\n", kSheets);
  for (const bool merged : {false, true}) {
    const auto found = gShares.find(merged);
    if (found == gShares.end()) continue;
    const Share& s = found->second;
    std::printf("%-9s %8.1f ms, engine alone %8.1f ms: the export adds %5.1f %% (runs %.1f to %.1f %%), "
                "%.2f ms a sheet\n",
                merged ? "merged" : "separate", s.exportSeconds * 1e3, s.engineSeconds * 1e3, s.median, s.low, s.high,
                (s.exportSeconds - s.engineSeconds) * 1e3 / kSheets);
  }
  vexBatchLiteShutdown();
  cad::resetHostForTesting();
  std::filesystem::remove_all(gFolder);
  return 0;
}

// A job of 100 sheets split into one PDF per sheet and merged into one, run as DUZOZAREDEXEC runs it, beside
// the host's publish engine alone plotting the same pages, prepared beforehand, into the same files. The
// difference is the plug-in's own work: preparation, naming, snapshot, normalisation, verification and merge.
// Printed at the end as a share of the engine's time (the target is at most 10 %).
//
// Two drawings: plan sheets as a project's drawing has them (A3 frames at 1:100 with about 2,000 entities
// each, the drawing of bench/cad_render), and the A1 frames of the 1:100 grid sample, which hold a few lines
// each, so that the fixed cost of every page shows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/host_reset.h"
#include "cad/plot/publish_engine.h"
#include "cad/render/drawing_renderer.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "plot/isolated_plots.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "recognition/model_scan.h"
#include "sheet_drawing.h"

namespace {

constexpr std::size_t kSheets = 100;

struct Workload {
  const char* name = "";
  cad::Document* document = nullptr;
  std::vector<VexBatchPrintPageSpec> pages;
};

std::string gFolder;
Workload gWorkloads[2];
// Seconds per run, by workload and benchmark, for the closing table.
std::map<std::string, double> gSeconds;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void freshFolder(const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

cad::Document* open(const std::string& drawing) {
  cad::DxfReadResult read = cad::readDxfFile(drawing);
  if (read.database == nullptr) throw std::runtime_error(drawing + ": " + read.error);
  return cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(drawing));
}

VexBatchPrintPageSpec modelPage(std::size_t index, const double box[4], VexBatchPrintPaperSpec paper) {
  VexBatchPrintPageSpec page;
  page.source = VexBatchPrintSourceModel;
  page.name = L"Sheet " + std::to_wstring(index + 1);
  page.layoutName = L"Model";
  page.minX = box[0];
  page.minY = box[1];
  page.maxX = box[2];
  page.maxY = box[3];
  page.paper = std::move(paper);
  page.outputIndex = index + 1;
  return page;
}

void setUp() {
  gFolder = std::filesystem::temp_directory_path() / ("quodl-bench-plot-" + std::to_string(::getpid()));
  freshFolder(gFolder);
  for (const char* sub : {"data", "config", "tmp"}) std::filesystem::create_directories(gFolder + "/" + sub);
  setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
  setenv("TMPDIR", (gFolder + "/tmp").c_str(), 1);
  foundation::MainQueue::main().resetForTesting();
  cad::resetHostForTesting();
  cad::render::installDrawingRenderer();  // the engine draws the drawing, as in cadhost

  gWorkloads[0].name = "plan sheets";
  gWorkloads[1].name = "grid sample";
  const SheetDrawing plans = writeSheetDrawing(gFolder + "/plans.dxf", kSheets);
  if (plans.bytes == 0) throw std::runtime_error("the plan sheets could not be written");
  gWorkloads[0].document = open(gFolder + "/plans.dxf");
  for (std::size_t i = 0; i < kSheets; ++i) {
    double box[4];
    SheetDrawing::window(static_cast<int>(i), box);
    gWorkloads[0].pages.push_back(modelPage(i, box, {L"A3", 297, 420}));
  }

  // The grid's seven frames over and over, each on the paper recognised for it, as the full panel stages them.
  gWorkloads[1].document = open(std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf");
  const std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
  if (frames.empty()) throw std::runtime_error("no frames in the grid sample");
  for (std::size_t i = 0; i < kSheets; ++i) {
    const VexBatchPrintFrameRecord& frame = frames[i % frames.size()];
    const double box[4] = {frame.minX, frame.minY, frame.maxX, frame.maxY};
    gWorkloads[1].pages.push_back(modelPage(i, box, frame.paper));
  }
}

const Workload& use(const benchmark::State& state) {
  const Workload& workload = gWorkloads[state.range(0)];
  cad::docManager().activateDocument(workload.document);
  return workload;
}

void record(benchmark::State& state, const Workload& workload, const std::string& name, double total) {
  state.SetLabel(workload.name);
  gSeconds[std::string(workload.name) + "/" + name] = total / static_cast<double>(state.iterations());
  state.counters["sheets/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kSheets), benchmark::Counter::kIsRate);
}

void fail(benchmark::State& state, const wchar_t* what) {
  state.SkipWithError(foundation::utf8FromWideLossy(what + gBatchPrintLastError).c_str());
}

// The whole job as DUZOZAREDEXEC runs it.
void runJob(benchmark::State& state, bool merged, const std::string& name) {
  const Workload& workload = use(state);
  double total = 0;
  for (auto _ : state) {
    const std::string out = gFolder + "/" + name;
    freshFolder(out);
    VexBatchPrintPendingJob job;
    job.pages = workload.pages;
    job.outputPath = foundation::wideFromUtf8Lossy(merged ? out + "/Sheets.pdf" : out);
    job.totalPageCount = job.pages.size();
    job.merged = merged;
    job.active = true;
    gBatchPrintPendingJob = std::move(job);
    cad::resetPublishEngine();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = vexBatchPrintExecutePending();
    total += seconds(std::chrono::steady_clock::now() - start);
    if (!ok) return fail(state, L"job failed: ");
    foundation::MainQueue::main().drain();  // the second check and the opening, after the command
  }
  record(state, workload, name, total);
}

void BM_SplitJob(benchmark::State& state) { runJob(state, false, "split"); }
void BM_MergedJob(benchmark::State& state) { runJob(state, true, "merged"); }

// The same pages plotted one by one and joined, as a merged job whose pages differ in paper is.
void BM_IsolatedMergedJob(benchmark::State& state) {
  const Workload& workload = use(state);
  double total = 0;
  for (auto _ : state) {
    const std::string out = gFolder + "/isolated";
    freshFolder(out);
    cad::resetPublishEngine();
    const auto start = std::chrono::steady_clock::now();
    const bool ok =
        vexDuzozAredIsolatedPagesAndMerge(workload.pages, foundation::wideFromUtf8Lossy(out + "/Sheets.pdf"), L"");
    total += seconds(std::chrono::steady_clock::now() - start);
    if (!ok) return fail(state, L"job failed: ");
  }
  record(state, workload, "isolated", total);
}

// The engine alone, from the engine's creation to its destruction: one document of `count` pages.
bool plotWithEngine(std::vector<VexBatchPrintPreparedPage>& prepared, std::size_t first, std::size_t count,
                    const std::string& file) {
  cad::PlotEngine* engine = nullptr;
  if (cad::PlotFactory::createPublishEngine(engine) != cad::eOk || engine == nullptr) return false;
  bool ok = engine->beginPlot(nullptr) == cad::eOk &&
            engine->beginDocument(*prepared[first].plotInfo, L"bench", nullptr, 1, true,
                                  foundation::wideFromUtf8Lossy(file).c_str()) == cad::eOk;
  for (std::size_t i = first; ok && i < first + count; ++i) {
    cad::PlotPageInfo pageInfo;
    ok = engine->beginPage(pageInfo, *prepared[i].plotInfo, i + 1 == first + count) == cad::eOk &&
         engine->beginGenerateGraphics() == cad::eOk && engine->endGenerateGraphics() == cad::eOk &&
         engine->endPage() == cad::eOk;
  }
  ok = engine->endDocument() == cad::eOk && ok;
  ok = engine->endPlot() == cad::eOk && ok;
  engine->destroy();
  return ok;
}

// One document per page (as a split job plots) or all pages in one document, from pages prepared before the
// clock starts.
void engineAlone(benchmark::State& state, bool oneDocument, const std::string& name) {
  const Workload& workload = use(state);
  std::vector<VexBatchPrintPreparedPage> prepared;
  if (!vexBatchPreparePages(workload.pages, L"", prepared)) return fail(state, L"preparation failed: ");
  double total = 0;
  for (auto _ : state) {
    const std::string out = gFolder + "/engine";
    freshFolder(out);
    cad::resetPublishEngine();
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    if (oneDocument) {
      ok = plotWithEngine(prepared, 0, prepared.size(), out + "/Sheets.pdf");
    } else {
      for (std::size_t i = 0; ok && i < prepared.size(); ++i) {
        ok = plotWithEngine(prepared, i, 1, out + "/" + std::to_string(i + 1) + ".pdf");
      }
    }
    total += seconds(std::chrono::steady_clock::now() - start);
    if (!ok) return fail(state, L"the engine failed");
  }
  record(state, workload, name, total);
}

// Plots every sheet once before anything is timed, so that no run pays for what the first plot of a drawing
// builds (the renderer's space index, the fonts).
void warmUp() {
  for (const Workload& workload : gWorkloads) {
    cad::docManager().activateDocument(workload.document);
    std::vector<VexBatchPrintPreparedPage> prepared;
    if (!vexBatchPreparePages(workload.pages, L"", prepared) ||
        !plotWithEngine(prepared, 0, prepared.size(), gFolder + "/warm-up.pdf")) {
      throw std::runtime_error(std::string("cannot plot the ") + workload.name);
    }
  }
}

void BM_EngineAloneOnePerSheet(benchmark::State& state) { engineAlone(state, false, "engine per sheet"); }
void BM_EngineAloneOneDocument(benchmark::State& state) { engineAlone(state, true, "engine one document"); }

BENCHMARK(BM_EngineAloneOnePerSheet)->Unit(benchmark::kMillisecond)->Iterations(2)->Arg(0)->Arg(1);
BENCHMARK(BM_SplitJob)->Unit(benchmark::kMillisecond)->Iterations(2)->Arg(0)->Arg(1);
BENCHMARK(BM_IsolatedMergedJob)->Unit(benchmark::kMillisecond)->Iterations(2)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineAloneOneDocument)->Unit(benchmark::kMillisecond)->Iterations(2)->Arg(0)->Arg(1);
BENCHMARK(BM_MergedJob)->Unit(benchmark::kMillisecond)->Iterations(2)->Arg(0)->Arg(1);

void printShare(const std::string& workload, const std::string& job, const std::string& engine) {
  const auto jobSeconds = gSeconds.find(workload + "/" + job);
  const auto engineSeconds = gSeconds.find(workload + "/" + engine);
  if (jobSeconds == gSeconds.end() || engineSeconds == gSeconds.end()) return;
  std::printf("%-12s %-9s %8.1f ms, engine alone %8.1f ms: the plug-in adds %5.1f %% (target at most 10 %%)\n",
              workload.c_str(), job.c_str(), jobSeconds->second * 1e3, engineSeconds->second * 1e3,
              (jobSeconds->second - engineSeconds->second) / engineSeconds->second * 100);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setUp();
  warmUp();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%zu sheets a job\n", kSheets);
  for (const Workload& workload : gWorkloads) {
    printShare(workload.name, "split", "engine per sheet");
    printShare(workload.name, "isolated", "engine per sheet");
    printShare(workload.name, "merged", "engine one document");
  }
  gBatchPrintPendingJob = {};
  cad::resetHostForTesting();
  std::filesystem::remove_all(gFolder);
  return 0;
}

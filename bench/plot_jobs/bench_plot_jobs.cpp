// A job of 100 model-space A1 sheets (the frames of the 1:100 grid sample, over and over), split into one PDF
// per sheet and merged into one, run as DUZOZAREDEXEC runs it; beside it the host's publish engine alone
// plotting the same pages, prepared beforehand, into the same files. The difference is the plug-in's own work:
// preparation, naming, snapshot, normalisation, verification and merge. Printed at the end as a share of the
// engine's time (the target is at most 10 %).
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
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "plot/isolated_plots.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "plot/print_jobs.h"
#include "plot/staged_jobs.h"
#include "recognition/model_scan.h"

namespace {

constexpr std::size_t kSheets = 100;

std::string gFolder;
std::vector<VexBatchPrintPageSpec> gPages;
// Seconds per run, by benchmark name, for the closing table.
std::map<std::string, double> gSeconds;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void freshFolder(const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
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

  const std::string drawing = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";
  cad::DxfReadResult read = cad::readDxfFile(drawing);
  if (read.database == nullptr) throw std::runtime_error(read.error);
  cad::docManager().addDocument(std::move(read.database), foundation::wideFromUtf8Lossy(drawing));
  const std::vector<VexBatchPrintFrameRecord> frames = vexCollectModelFrames();
  if (frames.empty()) throw std::runtime_error("no frames in " + drawing);
  // As the full panel stages them: each frame on the paper recognised for it.
  for (std::size_t i = 0; i < kSheets; ++i) {
    const VexBatchPrintFrameRecord& frame = frames[i % frames.size()];
    VexBatchPrintPageSpec page;
    page.source = VexBatchPrintSourceModel;
    page.name = L"Sheet " + std::to_wstring(i + 1);
    page.layoutName = L"Model";
    page.minX = frame.minX;
    page.minY = frame.minY;
    page.maxX = frame.maxX;
    page.maxY = frame.maxY;
    page.paper = frame.paper;
    page.outputIndex = i + 1;
    gPages.push_back(page);
  }
}

void stage(bool merged, const std::string& output) {
  VexBatchPrintPendingJob job;
  job.pages = gPages;
  job.outputPath = foundation::wideFromUtf8Lossy(output);
  job.totalPageCount = gPages.size();
  job.merged = merged;
  job.overwriteExisting = false;
  job.active = true;
  gBatchPrintPendingJob = std::move(job);
}

void record(benchmark::State& state, const std::string& name, double total) {
  gSeconds[name] = total / static_cast<double>(state.iterations());
  state.counters["sheets/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kSheets), benchmark::Counter::kIsRate);
}

// The whole job as DUZOZAREDEXEC runs it.
void runJob(benchmark::State& state, bool merged, const std::string& name) {
  double total = 0;
  for (auto _ : state) {
    const std::string out = gFolder + "/" + name;
    freshFolder(out);
    stage(merged, merged ? out + "/Sheets.pdf" : out);
    cad::resetPublishEngine();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = vexBatchPrintExecutePending();
    total += seconds(std::chrono::steady_clock::now() - start);
    if (!ok) {
      state.SkipWithError(foundation::utf8FromWideLossy(L"job failed: " + gBatchPrintLastError).c_str());
      return;
    }
    foundation::MainQueue::main().drain();
  }
  record(state, name, total);
}

void BM_SplitJob(benchmark::State& state) { runJob(state, false, "split"); }
void BM_MergedJob(benchmark::State& state) { runJob(state, true, "merged"); }

// The same pages plotted one by one and joined, as a merged job whose pages differ in paper is.
void BM_IsolatedMergedJob(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) {
    const std::string out = gFolder + "/isolated";
    freshFolder(out);
    cad::resetPublishEngine();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = vexDuzozAredIsolatedPagesAndMerge(gPages, foundation::wideFromUtf8Lossy(out + "/Sheets.pdf"), L"");
    total += seconds(std::chrono::steady_clock::now() - start);
    if (!ok) {
      state.SkipWithError(foundation::utf8FromWideLossy(L"job failed: " + gBatchPrintLastError).c_str());
      return;
    }
  }
  record(state, "isolated", total);
}

// The engine alone: one document per page (split) or all pages in one document, from pages prepared before
// the clock starts. Timed from the engine's creation to its destruction.
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

void engineAlone(benchmark::State& state, bool oneDocument, const std::string& name) {
  std::vector<VexBatchPrintPreparedPage> prepared;
  if (!vexBatchPreparePages(gPages, L"", prepared)) {
    state.SkipWithError(foundation::utf8FromWideLossy(L"preparation failed: " + gBatchPrintLastError).c_str());
    return;
  }
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
    if (!ok) {
      state.SkipWithError("the engine failed");
      return;
    }
  }
  record(state, name, total);
}

void BM_EngineAloneOnePerSheet(benchmark::State& state) { engineAlone(state, false, "engine per sheet"); }
void BM_EngineAloneOneDocument(benchmark::State& state) { engineAlone(state, true, "engine one document"); }

BENCHMARK(BM_EngineAloneOnePerSheet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SplitJob)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_IsolatedMergedJob)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineAloneOneDocument)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MergedJob)->Unit(benchmark::kMillisecond)->Iterations(3);

void printShare(const char* job, const char* engine) {
  if (!gSeconds.contains(job) || !gSeconds.contains(engine)) return;
  const double jobSeconds = gSeconds[job];
  const double engineSeconds = gSeconds[engine];
  std::printf("%-10s %8.1f ms, engine alone %8.1f ms: the plug-in adds %5.1f %% (target at most 10 %%)\n", job,
              jobSeconds * 1e3, engineSeconds * 1e3, (jobSeconds - engineSeconds) / engineSeconds * 100);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setUp();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%zu sheets\n", kSheets);
  printShare("split", "engine per sheet");
  printShare("isolated", "engine per sheet");
  printShare("merged", "engine one document");
  gBatchPrintPendingJob = {};
  cad::resetHostForTesting();
  std::filesystem::remove_all(gFolder);
  return 0;
}

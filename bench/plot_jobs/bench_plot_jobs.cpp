// A job of 100 sheets split into one PDF per sheet and merged into one, run as DUZOZAREDEXEC runs it, beside
// the host's publish engine alone plotting the same pages, prepared beforehand, into the same files. The
// difference is the plug-in's own work: preparation, naming, snapshot, normalisation, verification and merge.
// Printed at the end as a share of the engine's time (the target is at most 10 %).
//
// Two drawings: plan sheets as a project's drawing has them (A3 frames at 1:100 with about 2,000 entities
// each, the drawing of bench/cad_render), on which the target is judged, and the A1 frames of the 1:100 grid
// sample, which hold a few lines each, so that the fixed cost of every file shows in milliseconds a sheet:
// however little a sheet holds, its PDF is read and rewritten by the normalisation, verified after it and
// verified again when the job ends.
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

enum class Job { split, isolated, merged };

const char* jobName(Job job) {
  return job == Job::split ? "split" : job == Job::isolated ? "isolated" : "merged";
}

// The whole job as DUZOZAREDEXEC runs it, or the isolated pages joined as a merged job whose pages differ in
// paper is. Returns its seconds, or a negative number when it failed.
double runJob(const Workload& workload, Job job) {
  const std::string out = gFolder + "/" + jobName(job);
  freshFolder(out);
  cad::resetPublishEngine();
  if (job == Job::isolated) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok =
        vexDuzozAredIsolatedPagesAndMerge(workload.pages, foundation::wideFromUtf8Lossy(out + "/Sheets.pdf"), L"");
    return ok ? seconds(std::chrono::steady_clock::now() - start) : -1;
  }
  VexBatchPrintPendingJob pending;
  pending.pages = workload.pages;
  pending.outputPath = foundation::wideFromUtf8Lossy(job == Job::merged ? out + "/Sheets.pdf" : out);
  pending.totalPageCount = pending.pages.size();
  pending.merged = job == Job::merged;
  pending.active = true;
  gBatchPrintPendingJob = std::move(pending);
  const auto start = std::chrono::steady_clock::now();
  const bool ok = vexBatchPrintExecutePending();
  const double taken = seconds(std::chrono::steady_clock::now() - start);
  foundation::MainQueue::main().drain();  // the second check and the opening, after the command
  return ok ? taken : -1;
}

// What the job asks of the engine, from pages prepared before the clock starts: one document per page (as a
// split job and the isolated pages plot) or all pages in one document. Returns its seconds, or a negative
// number when the engine failed.
double runEngineAlone(std::vector<VexBatchPrintPreparedPage>& prepared, Job job) {
  const std::string out = gFolder + "/engine";
  freshFolder(out);
  cad::resetPublishEngine();
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  if (job == Job::merged) {
    ok = plotWithEngine(prepared, 0, prepared.size(), out + "/Sheets.pdf");
  } else {
    for (std::size_t i = 0; ok && i < prepared.size(); ++i) {
      ok = plotWithEngine(prepared, i, 1, out + "/" + std::to_string(i + 1) + ".pdf");
    }
  }
  return ok ? seconds(std::chrono::steady_clock::now() - start) : -1;
}

struct Share {
  double jobSeconds = 0;     // per run, the median
  double engineSeconds = 0;  // per run, the median
  double median = 0;         // of the runs' shares, in percent
  double low = 0, high = 0;  // the least and the largest share of a run
};
std::map<std::string, Share> gShares;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each iteration plots the job and the engine alone back to back, in turns which goes first, so that both
// meet the same machine: the share of a run is its job's time over its engine's. The machine's moods swing
// a run by more than the plug-in's work, so the figure kept is the median of the runs' shares.
void compare(benchmark::State& state, Job job) {
  const Workload& workload = gWorkloads[state.range(0)];
  cad::docManager().activateDocument(workload.document);
  std::vector<VexBatchPrintPreparedPage> prepared;
  if (!vexBatchPreparePages(workload.pages, L"", prepared)) {
    state.SkipWithError(foundation::utf8FromWideLossy(L"preparation failed: " + gBatchPrintLastError).c_str());
    return;
  }
  std::vector<double> jobs, engines, shares;
  for (auto _ : state) {
    const bool engineFirst = jobs.size() % 2 == 0;
    const double engine1 = engineFirst ? runEngineAlone(prepared, job) : 0;
    const double plugin = runJob(workload, job);
    const double engine = engineFirst ? engine1 : runEngineAlone(prepared, job);
    if (plugin < 0) {
      state.SkipWithError(foundation::utf8FromWideLossy(L"job failed: " + gBatchPrintLastError).c_str());
      return;
    }
    if (engine < 0) return state.SkipWithError("the engine failed");
    jobs.push_back(plugin);
    engines.push_back(engine);
    shares.push_back((plugin - engine) / engine * 100);
  }
  state.SetLabel(std::string(workload.name) + ", " + jobName(job));
  const Share share{median(jobs), median(engines), median(shares),
                    *std::min_element(shares.begin(), shares.end()), *std::max_element(shares.begin(), shares.end())};
  state.counters["plug-in %"] = share.median;
  gShares[std::string(workload.name) + "/" + jobName(job)] = share;
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

void BM_SplitJob(benchmark::State& state) { compare(state, Job::split); }
void BM_IsolatedMergedJob(benchmark::State& state) { compare(state, Job::isolated); }
void BM_MergedJob(benchmark::State& state) { compare(state, Job::merged); }

// A plan-sheet run takes seconds, a grid run a fraction of one: the grid gets more runs for a steady median.
BENCHMARK(BM_SplitJob)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(0);
BENCHMARK(BM_SplitJob)->Unit(benchmark::kMillisecond)->Iterations(9)->Arg(1);
BENCHMARK(BM_IsolatedMergedJob)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(0);
BENCHMARK(BM_IsolatedMergedJob)->Unit(benchmark::kMillisecond)->Iterations(9)->Arg(1);
BENCHMARK(BM_MergedJob)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(0);
BENCHMARK(BM_MergedJob)->Unit(benchmark::kMillisecond)->Iterations(9)->Arg(1);

void printShare(const std::string& workload, Job job) {
  const auto found = gShares.find(workload + "/" + jobName(job));
  if (found == gShares.end()) return;
  const Share& s = found->second;
  std::printf("%-12s %-9s %8.1f ms, engine alone %8.1f ms: the plug-in adds %5.1f %% (runs %.1f to %.1f %%), "
              "%.2f ms a sheet\n",
              workload.c_str(), jobName(job), s.jobSeconds * 1e3, s.engineSeconds * 1e3, s.median, s.low, s.high,
              (s.jobSeconds - s.engineSeconds) * 1e3 / kSheets);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  setUp();
  warmUp();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%zu sheets a job; target: the plug-in adds at most 10 %% to the engine on the plan sheets\n",
              kSheets);
  for (const Workload& workload : gWorkloads) {
    for (Job job : {Job::split, Job::isolated, Job::merged}) printShare(workload.name, job);
  }
  gBatchPrintPendingJob = {};
  cad::resetHostForTesting();
  std::filesystem::remove_all(gFolder);
  return 0;
}

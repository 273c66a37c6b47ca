// Normalising a plotted PDF of 200 sheets on mixed papers (margins, turned media, a lengthened sheet on its A3
// carrier, an overridden paper, reduced scales, whole layouts) beside the publish engine plotting that PDF, in
// the same run. The plot's time is the engine's calls from beginPlot to endPlot, its pages drawn with line
// work; the settings are prepared once, outside the timing. Normalisation is timed on a fresh copy of the
// plot each time, including its closing verification. Target: normalisation at most 10 % of the plot.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/host_reset.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "foundation/text.h"
#include "line_work_renderer.h"
#include "pdf/normalization.h"

namespace {

constexpr int kSheets = 200;
constexpr int kLinesPerSheet = 3000;  // as many as the merge benchmark's plotted sheets

// One kind of sheet: how it is plotted and what its page must become.
struct Kind {
  const wchar_t* medium;
  cad::PlotRotation rotation;
  bool window;
  double width, height;            // the window in paper-space millimetres
  double paperWidth, paperHeight;  // the exact paper, upright
  double percent;
};
const Kind kKinds[] = {
    {L"ISO_A3_(420.00_x_297.00_MM)", cad::PlotRotation::k0degrees, true, 420, 297, 420, 297, 100},
    {L"ISO_A4_(210.00_x_297.00_MM)", cad::PlotRotation::k90degrees, true, 297, 210, 297, 210, 100},
    {L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", cad::PlotRotation::k0degrees, true, 630, 297, 630, 297, 100},
    {L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", cad::PlotRotation::k0degrees, true, 420, 297, 594, 420, 100},
    {L"ISO_A1_(841.00_x_594.00_MM)", cad::PlotRotation::k0degrees, true, 841, 594, 841, 594, 80},
    {L"ISO_full_bleed_A0_(841.00_x_1189.00_MM)", cad::PlotRotation::k0degrees, true, 841, 1189, 841, 1189, 100},
    {L"ISO_full_bleed_A2_(420.00_x_594.00_MM)", cad::PlotRotation::k270degrees, true, 594, 420, 594, 420, 100},
    {L"ISO_A4_(210.00_x_297.00_MM)", cad::PlotRotation::k0degrees, false, 0, 0, 210, 297, 60},
};

struct Plot {
  std::unique_ptr<cad::Database> db;
  std::vector<std::unique_ptr<cad::PlotSettings>> settings;  // the plot infos refer to them
  std::vector<std::unique_ptr<cad::PlotInfo>> infos;
  std::vector<quodl::PdfPageTarget> targets;
};

std::string gFolder;
Plot gPlot;

quodl::PdfPlotWindow capturedWindow(const cad::PlotSettings& validated) {
  double mw = 0, mh = 0, l = 0, b = 0, r = 0, t = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  (void)validated.getPlotPaperSize(mw, mh);
  (void)validated.getPlotPaperMargins(l, b, r, t);
  (void)validated.getPlotWindowArea(x0, y0, x1, y1);
  return quodl::centredPlotWindow(mw, mh, l, b, r, t, static_cast<int>(validated.plotRotation()), x1 - x0, y1 - y0);
}

// Settings, validated plot infos and page targets of every sheet; false with `error` when the host refuses.
bool prepare(std::string& error) {
  using namespace cad;
  gPlot.db = Database::createDefault();
  const ObjectId layoutId = gPlot.db->addLayout(L"Sheet", 2);
  const auto* layout = dynamic_cast<const PlotSettings*>(gPlot.db->objectAt(layoutId));
  PlotSettingsValidator& v = *acdbHostApplicationServices()->plotSettingsValidator();
  for (int n = 0; n < kSheets; ++n) {
    const Kind& kind = kKinds[n % std::size(kKinds)];
    auto s = std::make_unique<PlotSettings>(false);
    bool ok = s->copyFrom(layout) == eOk && v.setPlotCfgName(s.get(), kPdfDeviceName) == eOk &&
              v.setCanonicalMediaName(s.get(), kind.medium) == eOk && v.setPlotRotation(s.get(), kind.rotation) == eOk;
    if (kind.window) {
      ok = ok && v.setPlotWindowArea(s.get(), 0, 0, kind.width, kind.height) == eOk &&
           v.setPlotType(s.get(), PlotType::kWindow) == eOk && v.setPlotCentered(s.get(), true) == eOk &&
           v.setStdScaleType(s.get(), StdScaleType::kScaleToFit) == eOk;
    } else {
      ok = ok && v.setPlotType(s.get(), PlotType::kLayout) == eOk;
    }
    auto info = std::make_unique<PlotInfo>();
    info->setLayout(layoutId);
    info->setOverrideSettings(s.get());
    PlotInfoValidator validator;
    validator.setMediaMatchingPolicy(PlotInfoValidator::kMatchEnabled);
    if (!ok || validator.validate(*info) != eOk) {
      error = "sheet " + std::to_string(n + 1) + " cannot be prepared";
      return false;
    }
    gPlot.targets.push_back({kind.paperWidth, kind.paperHeight, kind.percent, kind.window,
                             kind.window ? capturedWindow(*info->validatedSettings()) : quodl::PdfPlotWindow{}});
    gPlot.settings.push_back(std::move(s));
    gPlot.infos.push_back(std::move(info));
  }
  return true;
}

bool plotAll(const std::string& output) {
  using namespace cad;
  PlotEngine* engine = nullptr;
  if (PlotFactory::createPublishEngine(engine) != eOk || engine == nullptr) return false;
  const std::wstring file = foundation::wideFromUtf8Lossy(output);
  bool ok = engine->beginPlot(nullptr) == eOk &&
            engine->beginDocument(*gPlot.infos.front(), L"Bench", nullptr, 1, true, file.c_str()) == eOk;
  for (std::size_t i = 0; ok && i < gPlot.infos.size(); ++i) {
    PlotPageInfo pageInfo;
    ok = engine->beginPage(pageInfo, *gPlot.infos[i], i + 1 == gPlot.infos.size()) == eOk &&
         engine->beginGenerateGraphics() == eOk && engine->endGenerateGraphics() == eOk && engine->endPage() == eOk;
  }
  ok = ok && engine->endDocument() == eOk && engine->endPlot() == eOk;
  engine->destroy();
  return ok;
}

void reportPages(benchmark::State& state, const std::string& output) {
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kSheets, benchmark::Counter::kIsRate);
  std::error_code ec;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(output, ec)) / 1e6;
}

void BM_PlotEngine(benchmark::State& state) {
  const std::string output = gFolder + "/plotted.pdf";
  for (auto _ : state) {
    // Every plot starts from a fresh log; the log's growth is not the engine's cost.
    state.PauseTiming();
    cad::publishLog() = {};
    state.ResumeTiming();
    if (!plotAll(output)) {
      state.SkipWithError("the publish engine refused the plot");
      return;
    }
  }
  reportPages(state, output);
}

void BM_Normalize(benchmark::State& state) {
  const std::string plotted = gFolder + "/plotted.pdf", output = gFolder + "/normalized.pdf";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(plotted, output, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    std::string error;
    if (!quodl::normalizePdf(output, gPlot.targets, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  reportPages(state, output);
}

// The plot first: normalisation works on the file it wrote.
BENCHMARK(BM_PlotEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Normalize)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// Keeps each run's wall-clock time per iteration for the closing comparison.
class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  KeepingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        times[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("quodl-bench-pdf-normalize-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  gFolder = folder.string();
  setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
  cad::resetHostForTesting();
  cad::setPageRenderer(std::make_shared<LineWorkRenderer>(kLinesPerSheet));
  std::string error;
  if (!prepare(error) || !plotAll(gFolder + "/plotted.pdf")) {
    std::fprintf(stderr, "cannot plot the sheets: %s\n", error.empty() ? "the publish engine refused" : error.c_str());
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::printf("plot: %d sheets of %zu kinds, %d lines each, %.1f MB in %s\n", kSheets, std::size(kKinds),
              kLinesPerSheet, std::filesystem::file_size(gFolder + "/plotted.pdf") / 1e6, gFolder.c_str());
  std::fflush(stdout);

  benchmark::Initialize(&argc, argv);
  const bool unrecognized = benchmark::ReportUnrecognizedArguments(argc, argv);
  KeepingReporter reporter;
  if (!unrecognized) benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const auto plot = reporter.times.find("BM_PlotEngine");
  const auto normalize = reporter.times.find("BM_Normalize");
  if (plot != reporter.times.end() && normalize != reporter.times.end()) {
    std::printf("\n%d sheets: plot %.1f ms, normalisation %.1f ms, normalisation / plot %.1f %% (target <= 10 %%)\n",
                kSheets, plot->second, normalize->second, 100 * normalize->second / plot->second);
  }
  cad::setPageRenderer(nullptr);
  gPlot = {};
  cad::resetHostForTesting();
  std::filesystem::remove_all(folder);
  return unrecognized ? 1 : 0;
}

// Plotting a drawing of 100 sheets (about 200,000 entities in model space) to one PDF through the publish
// engine, each sheet a window of model space fitted to an A3 sheet in monochrome, as a batch plot does it. One
// run gives the figures side by side: reading the drawing, the renderer alone (the pages' drawing and writing
// by the page renderer), and the whole publish (the renderer plus the engine joining the pages into one PDF).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "cad/render/drawing_renderer.h"
#include "cad/result_buffer.h"
#include "foundation/text.h"
#include "sheet_drawing.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSheets = 100;
std::string gFolder;
SheetDrawing gDrawing;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The drawing renderer, timed.
class TimedRenderer final : public cad::PageRenderer {
 public:
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    const Clock::time_point start = Clock::now();
    const bool ok = renderer_.renderPage(db, layout, validated, target, error);
    seconds += secondsSince(start);
    return ok;
  }
  double seconds = 0;

 private:
  cad::render::DrawingRenderer renderer_;
};

struct Page {
  std::unique_ptr<cad::PlotSettings> settings;
  std::unique_ptr<cad::PlotInfo> info = std::make_unique<cad::PlotInfo>();
};

// Every sheet's page, validated, as the plot pipeline prepares them.
bool preparePages(cad::Database& db, std::vector<Page>& pages) {
  auto* model = dynamic_cast<cad::Layout*>(db.objectAt(db.layoutId(L"Model")));
  cad::PlotSettingsValidator* v = cad::acdbHostApplicationServices()->plotSettingsValidator();
  if (model == nullptr || v == nullptr) return false;
  for (int n = 0; n < kSheets; ++n) {
    Page page;
    page.settings = std::make_unique<cad::PlotSettings>(true);
    double box[4];
    SheetDrawing::window(n, box);
    cad::PlotSettings& s = *page.settings;
    if (s.copyFrom(model) != cad::eOk || v->setPlotCfgName(&s, cad::kPdfDeviceName) != cad::eOk ||
        v->setCanonicalMediaName(&s, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)") != cad::eOk ||
        v->setPlotWindowArea(&s, box[0], box[1], box[2], box[3]) != cad::eOk ||
        v->setPlotType(&s, cad::PlotType::kWindow) != cad::eOk || v->setPlotCentered(&s, true) != cad::eOk ||
        v->setUseStandardScale(&s, true) != cad::eOk ||
        v->setStdScaleType(&s, cad::StdScaleType::kScaleToFit) != cad::eOk || s.setPlotPlotStyles(true) != cad::eOk ||
        v->setCurrentStyleSheet(&s, L"monochrome.ctb") != cad::eOk) {
      return false;
    }
    page.info->setLayout(model->objectId());
    page.info->setOverrideSettings(page.settings.get());
    cad::PlotInfoValidator validator;
    validator.setMediaMatchingPolicy(cad::PlotInfoValidator::kMatchEnabled);
    if (validator.validate(*page.info) != cad::eOk) return false;
    pages.push_back(std::move(page));
  }
  return true;
}

bool publish(std::vector<Page>& pages, const std::string& output) {
  cad::PlotEngine* engine = nullptr;
  if (cad::PlotFactory::createPublishEngine(engine) != cad::eOk || engine == nullptr) return false;
  const std::wstring file = foundation::wideFromUtf8Lossy(output);
  bool ok = engine->beginPlot(nullptr) == cad::eOk &&
            engine->beginDocument(*pages.front().info, L"Sheets", nullptr, 1, true, file.c_str()) == cad::eOk;
  for (std::size_t i = 0; ok && i < pages.size(); ++i) {
    cad::PlotPageInfo pageInfo;
    ok = engine->beginPage(pageInfo, *pages[i].info, i + 1 == pages.size()) == cad::eOk &&
         engine->beginGenerateGraphics() == cad::eOk && engine->endGenerateGraphics() == cad::eOk &&
         engine->endPage() == cad::eOk;
  }
  ok = engine->endDocument() == cad::eOk && ok;
  ok = engine->endPlot() == cad::eOk && ok;
  engine->destroy();
  return ok;
}

void BM_ReadAndPlotSheets(benchmark::State& state) {
  auto renderer = std::make_shared<TimedRenderer>();
  cad::setPageRenderer(renderer);
  const std::string drawingPath = gFolder + "/sheets.dxf", output = gFolder + "/sheets.pdf";
  double readSeconds = 0, publishSeconds = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    cad::DxfReadResult read = cad::readDxfFile(drawingPath);
    readSeconds += secondsSince(start);
    if (!read.database) {
      state.SkipWithError(read.error.c_str());
      return;
    }
    std::vector<Page> pages;
    if (!preparePages(*read.database, pages)) {
      state.SkipWithError("the pages could not be prepared");
      return;
    }
    start = Clock::now();
    if (!publish(pages, output)) {
      state.SkipWithError("the plot failed");
      return;
    }
    publishSeconds += secondsSince(start);
  }
  cad::setPageRenderer(nullptr);
  const double runs = static_cast<double>(state.iterations());
  const double megabytes = static_cast<double>(gDrawing.bytes) / 1e6;
  std::error_code ec;
  state.counters["read s"] = readSeconds / runs;
  state.counters["render s"] = renderer->seconds / runs;
  state.counters["publish s"] = publishSeconds / runs;
  state.counters["pages/s"] = kSheets * runs / publishSeconds;
  state.counters["render pages/s"] = kSheets * runs / renderer->seconds;
  state.counters["drawing MB/s"] = megabytes * runs / publishSeconds;
  state.counters["PDF MB"] = static_cast<double>(std::filesystem::file_size(output, ec)) / 1e6;
  std::printf("\nDrawing: %d sheets, %zu model-space entities, %.1f MB of DXF.\n", gDrawing.sheets, gDrawing.entities,
              megabytes);
  std::printf("Reading it: %.2f s (%.1f MB/s).\n", readSeconds / runs, megabytes * runs / readSeconds);
  std::printf("Renderer alone: %.2f s for %d pages (%.1f pages/s, %.1f MB/s of drawing).\n", renderer->seconds / runs,
              kSheets, kSheets * runs / renderer->seconds, megabytes * runs / renderer->seconds);
  std::printf("Whole publish: %.2f s (%.1f pages/s, %.1f MB/s of drawing), PDF of %.1f MB.\n", publishSeconds / runs,
              kSheets * runs / publishSeconds, megabytes * runs / publishSeconds,
              static_cast<double>(std::filesystem::file_size(output, ec)) / 1e6);
}

BENCHMARK(BM_ReadAndPlotSheets)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quodl-bench-render-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  gFolder = pattern;
  // Per-user settings of the stand-in host stay in the scratch folder; the plot-style tables are the host's own.
  setenv("XDG_CONFIG_HOME", (gFolder + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (gFolder + "/data").c_str(), 1);
  const std::wstring styles = foundation::wideFromUtf8Lossy(std::string(CADHOST_SUPPORT_DIR) + "/Plot Styles");
  if (cad::acedSetEnv(L"PrinterStyleSheetDir", styles.c_str()) != cad::RTNORM) return 1;
  gDrawing = writeSheetDrawing(gFolder + "/sheets.dxf", kSheets);
  if (gDrawing.bytes == 0) return 1;

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Kept for a look when asked: QUODL_BENCH_KEEP=1 leaves the drawing and the PDF.
  if (const char* keep = std::getenv("QUODL_BENCH_KEEP"); keep != nullptr && *keep == '1') {
    std::printf("Kept in %s\n", gFolder.c_str());
  } else {
    std::error_code ec;
    std::filesystem::remove_all(gFolder, ec);
  }
  return 0;
}

#include "render_fixture.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/host_reset.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "cad/render/drawing_renderer.h"
#include "cad/result_buffer.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"

namespace rendertest {

namespace {

// A binary PPM ("P6", maximum 255), as pdftoppm writes it.
Raster readPpm(const std::string& bytes, double dpi) {
  std::istringstream in(bytes);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  Raster raster;
  if (magic != "P6" || width <= 0 || height <= 0 || maximum != 255) return raster;
  raster.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  in.read(reinterpret_cast<char*>(raster.rgb.data()), static_cast<std::streamsize>(raster.rgb.size()));
  if (!in) return {};
  raster.width = width;
  raster.height = height;
  raster.dpi = dpi;
  return raster;
}

}  // namespace

Raster::Counts Raster::count(double x, double y, double w, double h) const {
  Counts c;
  const double perMm = dpi / 25.4;
  x -= originX;
  y -= originY;
  const int c0 = std::max(0, static_cast<int>(x * perMm)), c1 = std::min(width, static_cast<int>((x + w) * perMm));
  const int r0 = std::max(0, height - static_cast<int>((y + h) * perMm));
  const int r1 = std::min(height, height - static_cast<int>(y * perMm));
  for (int row = r0; row < r1; ++row) {
    for (int column = c0; column < c1; ++column) {
      const unsigned char* p = at(column, row);
      const int lo = std::min({p[0], p[1], p[2]}), hi = std::max({p[0], p[1], p[2]});
      ++c.pixels;
      if (lo < 200 || hi - lo > 60) ++c.ink;
      if (hi - lo > 60) {
        ++c.coloured;
        if (p[0] == hi && p[0] - std::max(p[1], p[2]) > 60) ++c.red;
        if (p[1] == hi && p[1] - std::max(p[0], p[2]) > 60) ++c.green;
        if (p[2] == hi && p[2] - std::max(p[0], p[1]) > 60) ++c.blue;
      }
    }
  }
  return c;
}

bool Raster::inkBox(Box& box) const {
  int left = width, right = -1, top = height, bottom = -1;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const unsigned char* p = at(column, row);
      if (std::min({p[0], p[1], p[2]}) >= 128) continue;
      left = std::min(left, column);
      right = std::max(right, column);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
    }
  }
  if (right < 0) return false;
  const double mm = 25.4 / dpi;
  box = {originX + left * mm, originY + (height - 1 - bottom) * mm, originX + (right + 1) * mm,
         originY + (height - top) * mm};
  return true;
}

void RenderTest::SetUp() {
  foundation::MainQueue::main().resetForTesting();
  folder_ = std::make_unique<TempFolder>("cad-render-test");
  setenv("XDG_CONFIG_HOME", (*folder_ / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (*folder_ / "data").c_str(), 1);
  cad::resetHostForTesting();
  // The plot-style tables the stand-in host ships.
  const std::string styles = std::string(CADHOST_SUPPORT_DIR) + "/Plot Styles";
  ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(styles).c_str()), cad::RTNORM);
  cad::render::installDrawingRenderer();
}

void RenderTest::TearDown() {
  db_.reset();
  cad::resetHostForTesting();
  foundation::MainQueue::main().resetForTesting();
  folder_.reset();
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

void RenderTest::open(const std::string& sample) {
  cad::DxfReadResult read = cad::readDxfFile(std::string(QUODL_SAMPLES_DIR) + "/" + sample);
  ASSERT_TRUE(read.database) << read.error;
  db_ = std::move(read.database);
}

bool RenderTest::plot(const std::wstring& layoutName, const std::function<void(cad::PlotSettings&)>& configure,
                      const std::string& name) {
  auto* layout = dynamic_cast<cad::Layout*>(db_->objectAt(db_->layoutId(layoutName)));
  if (layout == nullptr) return false;
  cad::PlotSettings settings(layout->modelType());
  cad::PlotSettingsValidator* v = cad::acdbHostApplicationServices()->plotSettingsValidator();
  if (settings.copyFrom(layout) != cad::eOk || v->setPlotCfgName(&settings, cad::kPdfDeviceName) != cad::eOk) {
    return false;
  }
  configure(settings);
  cad::PlotInfo info;
  info.setLayout(layout->objectId());
  info.setOverrideSettings(&settings);
  cad::PlotInfoValidator validator;
  validator.setMediaMatchingPolicy(cad::PlotInfoValidator::kMatchEnabled);
  if (validator.validate(info) != cad::eOk) return false;

  cad::PlotEngine* engine = nullptr;
  if (cad::PlotFactory::createPublishEngine(engine) != cad::eOk || engine == nullptr) return false;
  const std::wstring file = foundation::wideFromUtf8Lossy(path(name));
  cad::PlotPageInfo pageInfo;
  bool ok = engine->beginPlot(nullptr) == cad::eOk &&
            engine->beginDocument(info, L"Test", nullptr, 1, true, file.c_str()) == cad::eOk &&
            engine->beginPage(pageInfo, info, true) == cad::eOk && engine->beginGenerateGraphics() == cad::eOk &&
            engine->endGenerateGraphics() == cad::eOk && engine->endPage() == cad::eOk &&
            engine->endDocument() == cad::eOk;
  ok = engine->endPlot() == cad::eOk && ok;
  engine->destroy();
  return ok;
}

Raster RenderTest::raster(const std::string& name, double dpi, int page) const {
  const std::string prefix = path(name + "-page");
  const std::string number = std::to_string(page);
  const std::string resolution = std::to_string(dpi);
  const CadhostRun run =
      runProgram("/usr/bin/pdftoppm", {"-r", resolution, "-f", number, "-l", number, "-singlefile", path(name), prefix},
                 "", RunOptions{});
  if (run.exitStatus != 0) return {};
  if (const char* keep = std::getenv("QUODL_RENDER_PNG_DIR"); keep != nullptr && *keep != 0) {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    (void)runProgram("/usr/bin/pdftoppm",
                     {"-png", "-r", resolution, "-f", number, "-l", number, "-singlefile", path(name),
                      std::string(keep) + "/" + test + "-" + name},
                     "", RunOptions{});
  }
  const foundation::ReadResult read = foundation::readFile(prefix + ".ppm", std::size_t{1} << 28);
  return read ? readPpm(read.data, dpi) : Raster{};
}

Raster RenderTest::rasterPart(const std::string& name, double dpi, double x, double y, double w, double h,
                              double sheetHeight) const {
  const double perMm = dpi / 25.4;
  const std::string prefix = path(name + "-part");
  const auto pixels = [&](double mm) { return std::to_string(static_cast<int>(std::lround(mm * perMm))); };
  const CadhostRun run =
      runProgram("/usr/bin/pdftoppm",
                 {"-r", std::to_string(dpi), "-f", "1", "-l", "1", "-x", pixels(x), "-y", pixels(sheetHeight - y - h),
                  "-W", pixels(w), "-H", pixels(h), "-singlefile", path(name), prefix},
                 "", RunOptions{});
  if (run.exitStatus != 0) return {};
  const foundation::ReadResult read = foundation::readFile(prefix + ".ppm", std::size_t{1} << 28);
  Raster raster = read ? readPpm(read.data, dpi) : Raster{};
  raster.originX = std::lround(x * perMm) / perMm;
  raster.originY = sheetHeight - (std::lround((sheetHeight - y - h) * perMm) + raster.height) / perMm;
  return raster;
}

std::function<void(cad::PlotSettings&)> sheetAtFullSize(const std::wstring& styleSheet, cad::PlotRotation rotation) {
  return [styleSheet, rotation](cad::PlotSettings& s) {
    cad::PlotSettingsValidator* v = cad::acdbHostApplicationServices()->plotSettingsValidator();
    const bool turned = rotation == cad::PlotRotation::k90degrees || rotation == cad::PlotRotation::k270degrees;
    const wchar_t* medium =
        turned ? L"ISO_full_bleed_A3_(297.00_x_420.00_MM)" : L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
    EXPECT_EQ(v->setCanonicalMediaName(&s, medium), cad::eOk);
    EXPECT_EQ(v->setPlotRotation(&s, rotation), cad::eOk);
    EXPECT_EQ(v->setPlotType(&s, cad::PlotType::kLayout), cad::eOk);
    EXPECT_EQ(v->setPlotCentered(&s, false), cad::eOk);
    EXPECT_EQ(v->setUseStandardScale(&s, true), cad::eOk);
    EXPECT_EQ(v->setStdScaleType(&s, cad::StdScaleType::k1_1), cad::eOk);
    s.plotOrigin = {0, 0};
    if (!styleSheet.empty()) {
      EXPECT_EQ(s.setPlotPlotStyles(true), cad::eOk);
      EXPECT_EQ(v->setCurrentStyleSheet(&s, styleSheet.c_str()), cad::eOk);
    } else {
      EXPECT_EQ(s.setPlotPlotStyles(false), cad::eOk);
    }
  };
}

}  // namespace rendertest

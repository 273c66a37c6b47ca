#include "plot_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cad/environment.h"
#include "cad/host_reset.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/plot_style_table.h"
#include "cad/result_buffer.h"
#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"

namespace plottest {

void PlotTest::SetUp() {
  foundation::MainQueue::main().resetForTesting();
  folder_ = std::make_unique<TempFolder>("cad-plot-test");
  setenv("XDG_CONFIG_HOME", (*folder_ / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (*folder_ / "data").c_str(), 1);
  cad::resetHostForTesting();
  stylesFolder_ = *folder_ / "Plot Styles";
  ASSERT_TRUE(foundation::createDirectory(stylesFolder_, true));
  ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(stylesFolder_).c_str()),
            cad::RTNORM);

  db_ = cad::Database::createDefault();
  auto rectangle = std::make_unique<cad::Polyline>();
  rectangle->vertices = {{{0, 0}}, {{400, 0}}, {{400, 200}}, {{0, 200}}};
  rectangle->closed = true;
  db_->appendEntity(db_->modelSpaceId(), std::move(rectangle));
  db_->addLayout(L"Sheet A3", 2);
  db_->addLayout(L"Sheet A4", 3);
  cad::Layout& a3 = layout(L"Sheet A3");
  a3.plotCfgName = L"Some Plotter.pc3";
  a3.canonicalMediaName = L"ISO_full_bleed_A3_(420.00_x_297.00_MM)";
  a3.paperWidthMm = 420;
  a3.paperHeightMm = 297;
  cad::Layout& a4 = layout(L"Sheet A4");
  a4.canonicalMediaName = L"A4";
  a4.paperWidthMm = 210;
  a4.paperHeightMm = 297;
  a4.marginLeft = a4.marginBottom = a4.marginRight = a4.marginTop = 3;
}

void PlotTest::TearDown() {
  db_.reset();
  cad::resetHostForTesting();
  foundation::MainQueue::main().resetForTesting();
  folder_.reset();
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

cad::Layout& PlotTest::layout(const std::wstring& name) const {
  auto* found = dynamic_cast<cad::Layout*>(db_->objectAt(db_->layoutId(name)));
  if (found == nullptr) throw std::runtime_error("no such layout");
  return *found;
}

std::unique_ptr<cad::PlotSettings> PlotTest::pdfSettings(const std::wstring& layoutName) const {
  const cad::Layout& source = layout(layoutName);
  auto settings = std::make_unique<cad::PlotSettings>(source.modelType());
  EXPECT_EQ(settings->copyFrom(&source), cad::eOk);
  EXPECT_EQ(
      cad::acdbHostApplicationServices()->plotSettingsValidator()->setPlotCfgName(settings.get(), cad::kPdfDeviceName),
      cad::eOk);
  return settings;
}

void PlotTest::addStyleTable(const std::string& name) const {
  const bool named =
      name.size() > 4 && (name.substr(name.size() - 4) == ".stb" || name.substr(name.size() - 4) == ".STB");
  const cad::PlotStyleTable table =
      named ? cad::PlotStyleTable::named(L"test") : cad::PlotStyleTable::colorDependent(L"test");
  ASSERT_TRUE(cad::writePlotStyleTable(table, stylesFolder_ + "/" + name));
}

std::vector<PageBox> pageBoxes(const std::string& pdf) {
  const CadhostRun run = runProgram("/usr/bin/pdfinfo", {"-box", "-f", "1", "-l", "9999", pdf}, "", RunOptions{});
  if (run.exitStatus != 0) return {};
  std::vector<PageBox> pages;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    // "Page    1 MediaBox:     0.00     0.00  1191.00   842.00" and "Page    1 rot:  90"
    unsigned n = 0;
    PageBox box;
    int rotation = 0;
    if (std::sscanf(line.c_str(), "Page %u MediaBox: %lf %lf %lf %lf", &n, &box.x0, &box.y0, &box.x1, &box.y1) == 5) {
      if (pages.size() < n) pages.resize(n);
      box.rotation = pages[n - 1].rotation;
      pages[n - 1] = box;
    } else if (std::sscanf(line.c_str(), "Page %u rot: %d", &n, &rotation) == 2) {
      if (pages.size() < n) pages.resize(n);
      pages[n - 1].rotation = rotation;
    }
  }
  return pages;
}

}  // namespace plottest

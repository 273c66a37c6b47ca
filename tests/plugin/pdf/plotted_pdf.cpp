#include "plotted_pdf.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cad/host_reset.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "cadhost_run.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "frame_renderer.h"
#include "graphics/pdf_document.h"

namespace pdftest {

Sheet windowSheet(std::wstring medium, double w, double h, cad::PlotRotation rotation) {
  return Sheet{std::move(medium), rotation, true, 0, 0, w, h};
}

Sheet layoutSheet(std::wstring medium, cad::PlotRotation rotation) {
  return Sheet{std::move(medium), rotation, false, 0, 0, 0, 0};
}

void PlottedPdfTest::SetUp() {
  foundation::MainQueue::main().resetForTesting();
  folder_ = std::make_unique<TempFolder>("quodl-pdf-test");
  setenv("XDG_CONFIG_HOME", (*folder_ / ".config").c_str(), 1);
  setenv("XDG_DATA_HOME", (*folder_ / ".data").c_str(), 1);
  cad::resetHostForTesting();
  cad::setPageRenderer(std::make_shared<FrameRenderer>());
  db_ = cad::Database::createDefault();
  db_->addLayout(L"Sheet", 2);
}

void PlottedPdfTest::TearDown() {
  cad::setPageRenderer(nullptr);
  db_.reset();
  cad::resetHostForTesting();
  foundation::MainQueue::main().resetForTesting();
  folder_.reset();
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

std::vector<std::string> PlottedPdfTest::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_->path())) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(".")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool PlottedPdfTest::plot(const std::vector<Sheet>& sheets, const std::string& output,
                          std::vector<quodl::PdfPlotWindow>* windows) {
  using namespace cad;
  PlotSettingsValidator& v = *acdbHostApplicationServices()->plotSettingsValidator();
  const ObjectId layoutId = db_->layoutId(L"Sheet");
  const auto* layout = dynamic_cast<const PlotSettings*>(db_->objectAt(layoutId));
  if (layout == nullptr || sheets.empty()) return false;

  // Plot infos refer to their settings: both live until the plot ends.
  std::vector<std::unique_ptr<PlotSettings>> settings;
  std::vector<std::unique_ptr<PlotInfo>> infos;
  for (const Sheet& sheet : sheets) {
    auto s = std::make_unique<PlotSettings>(false);
    bool ok = s->copyFrom(layout) == eOk && v.setPlotCfgName(s.get(), kPdfDeviceName) == eOk &&
              v.setPlotPaperUnits(s.get(), PlotPaperUnits::kMillimeters) == eOk &&
              v.setCanonicalMediaName(s.get(), sheet.medium.c_str()) == eOk &&
              v.setPlotRotation(s.get(), sheet.rotation) == eOk && v.setUseStandardScale(s.get(), true) == eOk;
    if (sheet.window) {
      ok = ok && v.setPlotWindowArea(s.get(), sheet.minX, sheet.minY, sheet.maxX, sheet.maxY) == eOk &&
           v.setPlotType(s.get(), PlotType::kWindow) == eOk && v.setPlotCentered(s.get(), true) == eOk &&
           v.setStdScaleType(s.get(), StdScaleType::kScaleToFit) == eOk;
    } else {
      ok = ok && v.setPlotType(s.get(), PlotType::kLayout) == eOk &&
           v.setStdScaleType(s.get(), StdScaleType::k1_1) == eOk;
    }
    auto info = std::make_unique<PlotInfo>();
    info->setLayout(layoutId);
    info->setOverrideSettings(s.get());
    PlotInfoValidator validator;
    validator.setMediaMatchingPolicy(PlotInfoValidator::kMatchEnabled);
    if (!ok || validator.validate(*info) != eOk) return false;
    if (windows) windows->push_back(sheet.window ? capturedWindow(*info->validatedSettings()) : quodl::PdfPlotWindow{});
    settings.push_back(std::move(s));
    infos.push_back(std::move(info));
  }

  PlotEngine* engine = nullptr;
  if (PlotFactory::createPublishEngine(engine) != eOk || engine == nullptr) return false;
  const std::wstring file = foundation::wideFromUtf8Lossy(output);
  bool ok = engine->beginPlot(nullptr) == eOk &&
            engine->beginDocument(*infos.front(), L"Test", nullptr, 1, true, file.c_str()) == eOk;
  for (std::size_t i = 0; ok && i < infos.size(); ++i) {
    PlotPageInfo pageInfo;
    ok = engine->beginPage(pageInfo, *infos[i], i + 1 == infos.size()) == eOk &&
         engine->beginGenerateGraphics() == eOk && engine->endGenerateGraphics() == eOk && engine->endPage() == eOk;
  }
  ok = ok && engine->endDocument() == eOk && engine->endPlot() == eOk;
  engine->destroy();
  return ok;
}

quodl::PdfPlotWindow capturedWindow(const cad::PlotSettings& validated) {
  double mw = 0, mh = 0, l = 0, b = 0, r = 0, t = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  (void)validated.getPlotPaperSize(mw, mh);
  (void)validated.getPlotPaperMargins(l, b, r, t);
  (void)validated.getPlotWindowArea(x0, y0, x1, y1);
  return quodl::centredPlotWindow(mw, mh, l, b, r, t, static_cast<int>(validated.plotRotation()), x1 - x0, y1 - y0);
}

std::vector<PageBox> pageBoxes(const std::string& pdf) {
  std::vector<PageBox> boxes;
  const auto document = graphics::PdfDocument::open(pdf);
  if (!document) return boxes;
  for (std::size_t n = 1; n <= document->pageCount(); ++n) {
    const graphics::PdfRect box = document->page(n)->boxRect(graphics::PdfBox::media);
    boxes.push_back({box.x, box.y, box.x + box.width, box.y + box.height, document->page(n)->rotationAngle()});
  }
  return boxes;
}

namespace {

std::optional<quodl::PdfRect> bounds(const std::vector<unsigned char>& grey, int width, int height, int below,
                                     double pointsPerPixel) {
  int left = width, right = -1, top = height, bottom = -1;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      if (grey[static_cast<std::size_t>(row) * width + column] >= below) continue;
      left = std::min(left, column);
      right = std::max(right, column);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
    }
  }
  if (right < 0) return std::nullopt;
  const double k = pointsPerPixel;
  return quodl::PdfRect{left * k, (height - 1 - bottom) * k, (right - left + 1) * k, (bottom - top + 1) * k};
}

}  // namespace

std::optional<Ink> pageInk(const std::string& pdf, int page, int dpi) {
  TempFolder folder("quodl-pdf-ink");
  const std::string prefix = folder / "page";
  const std::string number = std::to_string(page);
  const CadhostRun run = runProgram("/usr/bin/pdftoppm",
                                    {"-gray", "-aa", "no", "-aaVector", "no", "-r", std::to_string(dpi), "-f", number,
                                     "-l", number, "-singlefile", pdf, prefix},
                                    "", RunOptions{});
  if (run.exitStatus != 0) return std::nullopt;
  std::istringstream in(fileBytes(prefix + ".pgm"));
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  if (magic != "P5" || width <= 0 || height <= 0 || maximum != 255) return std::nullopt;
  std::vector<unsigned char> grey(static_cast<std::size_t>(width) * height);
  in.read(reinterpret_cast<char*>(grey.data()), static_cast<std::streamsize>(grey.size()));
  if (!in) return std::nullopt;
  Ink ink;
  ink.pointsPerPixel = 72.0 / dpi;
  ink.width = width;
  ink.height = height;
  ink.any = bounds(grey, width, height, 250, ink.pointsPerPixel);
  ink.dark = bounds(grey, width, height, 64, ink.pointsPerPixel);
  return ink;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace pdftest

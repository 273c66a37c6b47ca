#include "plot_job_fixture.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_style_table.h"
#include "cad/render/drawing_renderer.h"
#include "cad/result_buffer.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "graphics/pdf_document.h"
#include "plot/last_result.h"
#include "plot/panel_link.h"
#include "plot/pending_job_snapshot.h"
#include "plot/queue_link.h"
#include "recognition/job_pages.h"
#include "recognition/layout/candidate_trace.h"
#include "recognition/recognition_state.h"
#include "staged_pages.h"

namespace plot_jobs_test {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// Runs the test's page actions, then draws the page as cadhost does.
class HookedRenderer : public cad::PageRenderer {
 public:
  explicit HookedRenderer(std::map<int, std::function<void()>>& actions) : actions_(actions) {}
  bool renderPage(const cad::Database& db, cad::ObjectId layout, const cad::PlotSettings& validated,
                  const cad::PageTarget& target, std::string& error) override {
    ++drawn_;
    if (auto found = actions_.find(drawn_); found != actions_.end()) found->second();
    return inner_.renderPage(db, layout, validated, target, error);
  }
  static int drawn_;

 private:
  std::map<int, std::function<void()>>& actions_;
  cad::render::DrawingRenderer inner_;
};
int HookedRenderer::drawn_ = 0;

std::string& stageToCancelOn() {
  static std::string stage;
  return stage;
}

// A window that shows nothing; the controller keeps the state the tests read. Its user presses cancel when the
// test's stage comes up.
class SilentWindow : public VexBatchPrintProgressWindow {
 public:
  explicit SilentWindow(std::weak_ptr<VexBatchPrintProgressController> controller)
      : controller_(std::move(controller)) {}
  void present() override {}
  void setStageText(const std::string& text) override {
    const auto controller = controller_.lock();
    if (controller && !stageToCancelOn().empty() && text == stageToCancelOn()) controller->cancelPrinting();
  }
  void setDetailText(const std::string&) override {}
  void setDetailToolTip(const std::string&) override {}
  void setCompletedText(const std::string&) override {}
  void setRingProgress(std::int64_t, std::int64_t) override {}
  void showRingSuccess() override {}
  void setCancelEnabled(bool) override {}
  void display() override {}
  void flushLayers() override {}
  void close() override {}

 private:
  std::weak_ptr<VexBatchPrintProgressController> controller_;
};

std::vector<std::weak_ptr<VexBatchPrintProgressController>>& windowsMade() {
  static std::vector<std::weak_ptr<VexBatchPrintProgressController>> windows;
  return windows;
}

}  // namespace

std::vector<PageSize> pageSizes(const std::string& pdf) {
  std::string error;
  const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(pdf, &error);
  if (!document) throw std::runtime_error(error);
  std::vector<PageSize> sizes;
  for (std::size_t number = 1; number <= document->pageCount(); ++number) {
    const graphics::PdfPage page = *document->page(number);
    const graphics::PdfRect box = page.boxRect(graphics::PdfBox::media);
    const bool turned = graphics::quarterTurns(page.rotationAngle()) % 2 == 1;
    sizes.push_back(
        {(turned ? box.height : box.width) / kPointsPerMm, (turned ? box.width : box.height) / kPointsPerMm});
  }
  return sizes;
}

std::string narrow(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (!foundation::isDirectory(folder)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> PlotJobTest::workFilesLeft() const {
  std::vector<std::string> left = entries(path("tmp"));
  std::erase(left, foundation::lastPathComponent(vexBatchLayoutCandidateTracePath()));
  return left;
}

bool sameSize(PageSize a, PageSize b) {
  const double tolerance = 0.01 / kPointsPerMm;
  return std::fabs(a.width - b.width) <= tolerance && std::fabs(a.height - b.height) <= tolerance;
}

// A page rendered at low resolution by pdftoppm: grey (one byte a pixel) or colour (three).
struct Rendering {
  int columns = 0, rows = 0, maximum = 0;
  std::vector<unsigned char> pixels;
};

Rendering rendered(const std::string& pdf, int page, bool grey, int resolution) {
  const std::string base = pdf + ".render";
  const std::string command = std::string("pdftoppm ") + (grey ? "-gray " : "") + "-r " + std::to_string(resolution) +
                              " -f " + std::to_string(page) + " -l " + std::to_string(page) + " -singlefile '" + pdf +
                              "' '" + base + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("pdftoppm failed on " + pdf);
  const std::string file = base + (grey ? ".pgm" : ".ppm");
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  Rendering r;
  in >> magic >> r.columns >> r.rows >> r.maximum;
  in.get();
  r.pixels.resize(static_cast<std::size_t>(r.columns) * r.rows * (grey ? 1 : 3));
  in.read(reinterpret_cast<char*>(r.pixels.data()), static_cast<std::streamsize>(r.pixels.size()));
  std::remove(file.c_str());
  if (magic != (grey ? "P5" : "P6") || !in) throw std::runtime_error("unreadable rendering of " + pdf);
  return r;
}

double inkShare(const std::string& pdf, int page, double x, double y, double width, double height) {
  constexpr int kResolution = 36;  // dots per inch: enough to see a frame's thin lines as grey
  const Rendering r = rendered(pdf, page, true, kResolution);
  const double scale = kResolution / 25.4;
  const int left = std::max(0, static_cast<int>(std::floor(x * scale)));
  const int right = std::min(r.columns, static_cast<int>(std::ceil((x + width) * scale)));
  const int top = std::max(0, r.rows - static_cast<int>(std::ceil((y + height) * scale)));
  const int bottom = std::min(r.rows, r.rows - static_cast<int>(std::floor(y * scale)));
  long dark = 0, all = 0;
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) {
      ++all;
      dark += r.pixels[static_cast<std::size_t>(row) * r.columns + column] < r.maximum * 4 / 5 ? 1 : 0;
    }
  }
  return all == 0 ? 0.0 : static_cast<double>(dark) / all;
}

double colouredShare(const std::string& pdf, int page) {
  const Rendering r = rendered(pdf, page, false, 36);
  long coloured = 0;
  for (std::size_t at = 0; at < r.pixels.size(); at += 3) {
    const auto [low, high] = std::minmax({r.pixels[at], r.pixels[at + 1], r.pixels[at + 2]});
    coloured += high - low > r.maximum / 10 ? 1 : 0;
  }
  return r.pixels.empty() ? 0.0 : static_cast<double>(coloured) * 3 / static_cast<double>(r.pixels.size());
}

void PlotJobTest::SetUp() {
  HostTest::SetUp();
  gQuodlCallTrace = nullptr;  // the command line shows what the pipeline prints, no calls
  folder_ = std::make_unique<TempFolder>("quodl-plot-jobs");
  setenv("XDG_CONFIG_HOME", (*folder_ / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (*folder_ / "data").c_str(), 1);
  ASSERT_TRUE(foundation::createDirectory(*folder_ / "tmp", true));
  setenv("TMPDIR", (*folder_ / "tmp").c_str(), 1);
  cad::resetHostForTesting();

  const std::string styles = *folder_ / "Plot Styles";
  ASSERT_TRUE(foundation::createDirectory(styles, true));
  ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(styles).c_str()), cad::RTNORM);
  for (const char* name : {"acad.ctb", "monochrome.ctb", "acad.stb", "monochrome.stb"}) {
    const bool named = std::string(name).ends_with(".stb");
    ASSERT_TRUE(cad::writePlotStyleTable(
        named ? cad::PlotStyleTable::named(L"test") : cad::PlotStyleTable::colorDependent(L"test"),
        styles + "/" + name));
  }

  vexBatchResetRecognitionStateForTesting();
  vexBatchPrintRestoreLastResult({});
  gBatchPrintPendingJob = {};
  gBatchPrintPreviewJob = {};
  setPlotQueueLink({});
  setPlotPanelLink({});
  HookedRenderer::drawn_ = 0;
  cad::setPageRenderer(std::make_shared<HookedRenderer>(pageActions_));
  windowsMade().clear();
  stageToCancelOn().clear();
  makeProgressWindowsWith([](const std::weak_ptr<VexBatchPrintProgressController>& controller) {
    return std::unique_ptr<VexBatchPrintProgressWindow>(std::make_unique<SilentWindow>(controller));
  });
}

void PlotJobTest::makeProgressWindowsWith(VexBatchPrintProgressWindowMaker maker) {
  vexBatchSetProgressWindowMaker(
      [maker = std::move(maker)](const std::weak_ptr<VexBatchPrintProgressController>& controller) {
        windowsMade().push_back(controller);
        return maker(controller);
      });
}

void PlotJobTest::TearDown() {
  stageToCancelOn().clear();
  vexBatchSetProgressWindowMaker({});
  vexBatchCloseProgressWindows();
  windowsMade().clear();
  cad::setPageRenderer(nullptr);
  pageActions_.clear();
  setPlotQueueLink({});
  setPlotPanelLink({});
  gBatchPrintPendingJob = {};
  gBatchPrintPreviewJob = {};
  vexBatchPrintRestoreLastResult({});
  vexBatchResetRecognitionStateForTesting();
  db_ = nullptr;
  HostTest::TearDown();
  folder_.reset();
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"}) unsetenv(name);
}

cad::Database& PlotJobTest::openSample(const std::string& fileName) {
  const std::string file = std::string(QUODL_SAMPLES) + "/" + fileName;
  cad::DxfReadResult read = cad::readDxfFile(file);
  if (read.database == nullptr) throw std::runtime_error(fileName + ": " + read.error);
  const std::wstring name = foundation::wideFromUtf8Lossy(file);
  read.database->filename = name;
  cad::Document* doc = cad::docManager().addDocument(std::move(read.database), name);
  if (doc == nullptr) throw std::runtime_error(fileName + " did not open");
  db_ = doc->database();
  return *db_;
}

std::vector<VexBatchPrintPageSpec> PlotJobTest::layoutPages() { return vexBatchCollectJobPages(false, false); }

std::vector<VexBatchPrintPageSpec> PlotJobTest::modelFramePages() { return stagedModelFramePages(); }

std::wstring PlotJobTest::widePath(const std::string& name) const { return foundation::wideFromUtf8Lossy(path(name)); }

void PlotJobTest::stage(std::vector<VexBatchPrintPageSpec> pages, bool merged, const std::string& output,
                        bool overwrite) {
  VexBatchPrintPendingJob job;
  job.pages = std::move(pages);
  job.outputPath = widePath(output);
  job.drawingPath = vexBatchCurrentDrawingPath();
  job.totalPageCount = job.pages.size();
  job.merged = merged;
  job.overwriteExisting = overwrite;
  job.active = true;
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(job, "pending"));
  gBatchPrintPendingJob = std::move(job);
}

void PlotJobTest::cancelOnPage(int k) {
  onPage(k, [] {
    ASSERT_FALSE(windowsMade().empty());
    const std::shared_ptr<VexBatchPrintProgressController> newest = windowsMade().back().lock();
    ASSERT_NE(newest, nullptr);
    newest->cancelPrinting();
  });
}

void PlotJobTest::cancelOnStage(const std::string& stage) { stageToCancelOn() = stage; }

const std::vector<std::weak_ptr<VexBatchPrintProgressController>>& PlotJobTest::progressWindows() const {
  return windowsMade();
}

int PlotJobTest::drawnPages() { return HookedRenderer::drawn_; }

void PlotJobTest::restartPageCount() {
  HookedRenderer::drawn_ = 0;
  pageActions_.clear();
}

std::string PlotJobTest::snapshotText() {
  const foundation::ReadResult read = foundation::readFile(vexBatchPendingJobSnapshotPath());
  return read ? read.data : std::string();
}

std::vector<std::wstring> PlotJobTest::linesStartingWith(const std::wstring& tag) {
  std::vector<std::wstring> lines;
  std::wistringstream text(transcript());
  for (std::wstring line; std::getline(text, line);) {
    if (line.starts_with(tag)) lines.push_back(line);
  }
  return lines;
}

}  // namespace plot_jobs_test

// The compact export on the sample drawings, through the real plot pipeline: the current layout, model-space
// frames and a selected area, each as separate and as merged PDFs in the export's own folder, opened once the
// command has returned; every way it can fail, each ending with the work flags down, the layout restored, its
// reason and no unverified PDF; and the installation of the shipped monochrome style.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "app/work_flags.h"
#include "cad/environment.h"
#include "cad/plot/publish_engine.h"
#include "cad/plot/plot_style_table.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "core/host_bridge.h"
#include "core/interface_text.h"
#include "core/work_active.h"
#include "foundation/file_faults.h"
#include "foundation/files.h"
#include "foundation/main_queue.h"
#include "foundation/text.h"
#include "foundation/user_defaults.h"
#include "foundation/uuid.h"
#include "panels/core_link.h"
#include "panels/lite_export.h"
#include "panels/lite_panel.h"
#include "panels/lite_panel_window.h"
#include "panels/lite_plot_style.h"
#include "pdf/output_verification.h"
#include "plot/last_result.h"
#include "plot/plot_style_selection.h"
#include "plot_job_fixture.h"
#include "toolkit/modal_responder.h"
#include "toolkit/text_field.h"
#include "toolkit/workspace.h"
#include "ui/application_panel.h"
#include "ui/core_link.h"
#include "ui/localisation.h"

namespace plot_jobs_test {
namespace {

namespace fs = std::filesystem;

void setVar(const wchar_t* name, const std::wstring& text) {
  cad::resbuf value;
  value.restype = cad::RTSTR;
  value.resval.rstring = const_cast<wchar_t*>(text.c_str());
  ASSERT_EQ(cad::acedSetVar(name, value), cad::RTNORM);
}

void setTileMode(short mode) {
  cad::resbuf value;
  value.restype = cad::RTSHORT;
  value.resval.rint = mode;
  ASSERT_EQ(cad::acedSetVar(L"TILEMODE", value), cad::RTNORM);
}

class LiteExportTest : public PlotJobTest {
 protected:
  void SetUp() override {
    PlotJobTest::SetUp();
    foundation::UserDefaults::setRootForTesting(path("defaults"));
    toolkit::Workspace::shared().reset();
    toolkit::ModalResponder::shared().reset();
    linkPanelsIntoCore();
    linkInterfaceTextIntoCore();
    ASSERT_TRUE(QDLSetLanguagePreference("zh"));
    ASSERT_TRUE(foundation::createDirectory(path("out"), true));
    gBatchLiteOutput = path("out");
    gBatchLiteRange = {};
    // The shipped table, as the bundle carries it.
    const std::string resource = path("resources/" + std::string(QDLLitePlotStyleName));
    ASSERT_TRUE(foundation::createDirectory(path("resources"), true));
    cad::PlotStyleTable mono = cad::PlotStyleTable::colorDependent(L"mono 0.05");
    for (cad::PlotStyle& style : mono.styles) {
      style.color = cad::PenColor{0, 0, 0};
      style.lineweight = 0.05;
    }
    ASSERT_TRUE(cad::writePlotStyleTable(mono, resource));
    QDLSetLitePlotStyleResourceForTesting(resource);
  }

  void TearDown() override {
    vexBatchLiteShutdown();
    QDLSetLitePlotStyleResourceForTesting(std::nullopt);
    foundation::clearFileFaults();
    gBatchLiteOutput.clear();
    gBatchLiteRange = {};
    toolkit::ModalResponder::shared().reset();
    toolkit::Workspace::shared().reset();
    foundation::UserDefaults::setRootForTesting("");
    PlotJobTest::TearDown();
  }

  static foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }

  // The model-space sample, in model space.
  void openModel() {
    openSample("model-a1-grid-1to100.dxf");
    setTileMode(1);
  }
  // The layouts sample on one of its layouts.
  void openLayout(const std::wstring& layout) {
    openSample("layouts-frames.dxf");
    setVar(L"CTAB", layout);
  }

  // Selects the area around `n` pages the export would take, from the first (or else the last) on.
  static void selectPages(std::size_t n, bool first = true) {
    const std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectLitePages();
    ASSERT_GE(pages.size(), n);
    const std::size_t from = first ? 0 : pages.size() - n;
    const VexBatchPrintPageSpec& p = pages[from];
    VexBatchLayoutSelectionRange range{p.source, p.layoutName, p.minX, p.minY, p.maxX, p.maxY, true};
    for (std::size_t i = from + 1; i < from + n; ++i) {
      range.minX = std::min(range.minX, pages[i].minX);
      range.minY = std::min(range.minY, pages[i].minY);
      range.maxX = std::max(range.maxX, pages[i].maxX);
      range.maxY = std::max(range.maxY, pages[i].maxY);
    }
    vexBatchLiteSaveRange(range);
    ASSERT_EQ(vexBatchCollectLitePages().size(), n) << "the area takes other frames too";
  }

  // Every file under the output folder, relative to it.
  std::vector<std::string> written() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(path("out"))) {
      if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), path("out")).string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  static std::string status() { return gBatchLitePanel ? gBatchLitePanel->status()->stringValue() : ""; }

 public:
  // The failure table's rows arrange through these.
  void cancelOn(int page) { cancelOnPage(page); }
  void whileDrawing(int page, std::function<void()> action) { onPage(page, std::move(action)); }
};

TEST_F(LiteExportTest, SheetsAreExportedIntoTheirOwnFolderOnTheirPapersAndOpened) {
  const struct {
    const char* name;
    bool model;
    std::size_t area;  // pages to select; 0 for all
    bool merged;
  } cases[] = {
      {"layout split", false, 0, false}, {"layout merged", false, 0, true}, {"model split", true, 0, false},
      {"model merged", true, 0, true},   {"area split", true, 2, false},    {"area merged", true, 2, true},
  };
  int run = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ++run;
    foundation::setUuidGeneratorForTesting([run] { return "RUN-" + std::to_string(run); });
    ASSERT_TRUE(defaults().setBool(c.merged, "Quodline.LiteMergePDF"));
    gBatchLiteRange = {};
    if (c.model) {
      openModel();
    } else {
      openLayout(L"A3 Block");
    }
    if (c.area != 0) selectPages(c.area);
    const std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectLitePages();
    ASSERT_FALSE(pages.empty());
    toolkit::Workspace::shared().reset();
    vexBatchPrintLiteShow();  // as the user sees it before pressing the export button

    const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
    ASSERT_EQ(result.outcome, VexBatchLiteExportResult::Outcome::succeeded) << result.error;
    const std::string folder = path("out/Ferrolin-PDF-RUN-" + std::to_string(run));
    EXPECT_EQ(result.jobFolder, folder);
    const std::string base = c.model ? "model-a1-grid-1to100" : "layouts-frames";
    std::vector<std::string> expected;
    if (c.merged) {
      expected.push_back(folder + "/" + base + ".pdf");
    } else {
      for (std::size_t i = 1; i <= pages.size(); ++i) {
        expected.push_back(folder + "/" + base + "-000" + std::to_string(i) + ".pdf");
      }
    }
    EXPECT_EQ(result.outputs, expected);

    // Each page on its sheet's paper, with the sheet's drawing on it.
    std::vector<PageSize> sizes;
    for (const std::string& pdf : result.outputs) {
      for (const PageSize& size : pageSizes(pdf)) sizes.push_back(size);
    }
    ASSERT_EQ(sizes.size(), pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const PageSize paper{pages[i].paper.longSide, pages[i].paper.shortSide};
      const PageSize turned{paper.height, paper.width};
      EXPECT_TRUE(sameSize(sizes[i], paper) || sameSize(sizes[i], turned)) << i;
      const std::string& pdf = c.merged ? result.outputs[0] : result.outputs[i];
      EXPECT_GT(inkShare(pdf, c.merged ? static_cast<int>(i) + 1 : 1, 0, 0, sizes[i].width, sizes[i].height), 0.0)
          << i;
    }

    // Nothing is opened while the command runs; afterwards the PDF (merged) or the folder.
    EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
    foundation::MainQueue::main().drain();
    ASSERT_EQ(toolkit::Workspace::shared().records().size(), 1u);
    EXPECT_EQ(toolkit::Workspace::shared().records()[0].targets,
              std::vector<std::string>{c.merged ? expected[0] : folder});
    EXPECT_FALSE(gBatchLitePrinting);
    EXPECT_EQ(status(), "输出完成");
    EXPECT_FALSE(vexBatchLiteVisible());
    EXPECT_TRUE(gBatchPrintLastSucceeded);
  }
}

TEST_F(LiteExportTest, ThePaperModeAndTheMonochromeStyleApplyToEveryPage) {
  openModel();
  selectPages(1);
  ASSERT_TRUE(defaults().setInteger(9, "Quodline.LitePaperMode"));  // beyond A0: A0
  bool fixedWhilePlotting = false;
  onPage(1, [&fixedWhilePlotting] { fixedWhilePlotting = gBatchLiteFixedStyle && gBatchLitePrinting; });
  const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
  ASSERT_EQ(result.outcome, VexBatchLiteExportResult::Outcome::succeeded) << result.error;
  const std::vector<PageSize> sizes = pageSizes(result.outputs.at(0));
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_TRUE(sameSize(sizes[0], {1189, 841}) || sameSize(sizes[0], {841, 1189}));
  EXPECT_TRUE(fixedWhilePlotting);
  EXPECT_FALSE(gBatchLiteFixedStyle);
  // The style went into the plot-style folder, where the host lists it.
  EXPECT_TRUE(foundation::isRegularFile(path("Plot Styles/") + QDLLitePlotStyleName));
}

TEST_F(LiteExportTest, EveryFailureEndsWithTheFlagsDownTheLayoutBackItsReasonAndNoUnverifiedPdf) {
  const std::string readOnly = path("read-only");
  ASSERT_TRUE(foundation::createDirectory(readOnly, true));
  const bool mounted = mount("tmpfs", readOnly.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;

  enum class Drawing { layout, model4 };
  struct Case {
    const char* name;
    Drawing drawing;
    std::function<void(LiteExportTest&)> arrange;
    std::string reason;  // the start of the FAIL line's reason
    std::string status;  // the panel's status line
    std::size_t keptPdfs;  // separate PDFs: the pages before the failure (a cancel may let its page finish)
  };
  const std::vector<Case> cases = {
      {"no sheet", Drawing::layout,
       [](LiteExportTest&) {
         vexBatchLiteSaveRange({VexBatchPrintSourceLayout, L"A3 Block", -20, -20, -10, -10, true});
       },
       "No printable frames found", "未找到可打印图框", 0},
      {"no folder chosen", Drawing::layout,
       [](LiteExportTest&) {
         gBatchLiteOutput.clear();
         toolkit::ModalResponder::shared().answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
       },
       "No output folder chosen", "", 0},
      {"folder cannot be written", Drawing::layout,
       [mounted, readOnly](LiteExportTest&) {
         gBatchLiteOutput = readOnly;
         if (!mounted) foundation::failNextFileOperation(foundation::FileOperation::mkdir, EROFS);
       },
       "Cannot create the export folder: ", "", 0},
      {"style unavailable", Drawing::layout,
       [](LiteExportTest&) { ASSERT_TRUE(defaults().setString("gone.ctb", "Quodline.LitePlotStyle")); },
       "Plot style unavailable: The selected plot style is unavailable.", "", 0},
      {"plot fails on page 2 of 4", Drawing::model4,
       [](LiteExportTest&) {
         cad::publishEngineFaults().steps.push_back({cad::PublishStep::kBeginPage, 2, cad::eNotApplicable});
       },
       "", "输出失败，请检查 CAD 命令行", 1},
      {"cancelled on page 2", Drawing::model4, [](LiteExportTest& t) { t.cancelOn(2); }, "Export cancelled",
       "输出已取消", 2},
      {"exception on page 2", Drawing::model4,
       [](LiteExportTest& t) {
         // The plot leaves model space behind before it breaks; the export comes back.
         t.whileDrawing(2, [] {
           setTileMode(0);
           throw std::runtime_error("renderer broke");
         });
       },
       "Plot run failed: renderer broke",
       "输出失败，请检查 CAD 命令行", 1},
  };
  for (const bool merged : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << (merged ? " merged" : " split"));
      ASSERT_TRUE(defaults().setBool(merged, "Quodline.LiteMergePDF"));
      static_cast<void>(defaults().removeObjectForKey("Quodline.LitePlotStyle"));
      gBatchLiteOutput = path("out");
      gBatchLiteRange = {};
      cad::resetPublishEngine();  // the engine's faults count pages from here
      cad::publishEngineFaults() = {};
      restartPageCount();
      fs::remove_all(path("out"));
      ASSERT_TRUE(foundation::createDirectory(path("out"), true));
      std::wstring startLayout;
      if (c.drawing == Drawing::layout) {
        openLayout(L"A3 Block");
        startLayout = L"A3 Block";
      } else {
        openModel();
        selectPages(4, false);  // the grid's second row and the frame below it
        startLayout = L"Model";
      }
      c.arrange(*this);
      // The panel, once shown, offers what is saved now.
      vexBatchLiteRefresh(true);

      const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
      EXPECT_EQ(result.outcome, VexBatchLiteExportResult::Outcome::failed);
      EXPECT_TRUE(result.error.starts_with(c.reason)) << result.error;
      EXPECT_FALSE(result.error.empty());
      EXPECT_FALSE(gBatchLitePrinting);
      EXPECT_FALSE(gBatchLiteFixedStyle);
      EXPECT_EQ(vexBatchCurrentLayoutName(), startLayout);
      if (!c.status.empty()) {
        EXPECT_EQ(status(), c.status);
      }
      // What is left is verified; the merged PDF never appears unfinished.
      const std::vector<std::string> files = written();
      for (const std::string& file : files) {
        EXPECT_TRUE(quodl::finalizePdfOutput(path("out/" + file), 1)) << file;
      }
      if (merged || c.reason != "Export cancelled") {
        EXPECT_EQ(files.size(), merged ? 0u : c.keptPdfs) << testing::PrintToString(files);
      } else {
        EXPECT_TRUE(files.size() == 1 || files.size() == 2) << testing::PrintToString(files);
      }
      foundation::MainQueue::main().drain();
      EXPECT_TRUE(toolkit::Workspace::shared().records().empty());
      foundation::clearFileFaults();
    }
  }
  if (mounted) umount(readOnly.c_str());
}

TEST_F(LiteExportTest, TheExportDoesNothingWhileOtherWorkRuns) {
  openLayout(L"A3 Block");
  vexBatchInstallWorkActiveTest(vexBatchPrintWorkFlagsSet);  // as the module's entry point does
  for (bool* flag : {&gBatchLitePrinting, &gBatchFileQueueRunning}) {
    *flag = true;
    EXPECT_EQ(vexBatchPrintLiteExecute().outcome, VexBatchLiteExportResult::Outcome::refused);
    *flag = false;
  }
  vexBatchInstallWorkActiveTest(nullptr);
  EXPECT_TRUE(written().empty());
  EXPECT_EQ(drawnPages(), 0);
}

class LitePlotStyleTest : public LiteExportTest {
 protected:
  void SetUp() override {
    LiteExportTest::SetUp();
    openLayout(L"A3 Block");
    resource_ = foundation::readFile(path("resources/" + std::string(QDLLitePlotStyleName))).data;
  }
  // Folders given to the host; only `searched` of them are where it looks for tables.
  void useFolders(const std::string& list) {
    ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(list).c_str()), cad::RTNORM);
  }
  std::string installed(const std::string& folder) const {
    return foundation::readFile(folder + "/" + QDLLitePlotStyleName).data;
  }
  std::string resource_;
};

TEST_F(LitePlotStyleTest, AnIdenticalFileIsLeftAloneAndADifferentOneIsNeverOverwritten) {
  const std::string first = path("styles-1"), second = path("styles-2");
  ASSERT_TRUE(foundation::createDirectory(first, true));
  ASSERT_TRUE(foundation::writeFileAtomically(first + "/" + QDLLitePlotStyleName, resource_));
  const auto before = fs::last_write_time(first + "/" + QDLLitePlotStyleName);
  useFolders(first + ";" + second);
  EXPECT_EQ(vexBatchLitePreparePlotStyle(), std::nullopt);
  EXPECT_EQ(fs::last_write_time(first + "/" + QDLLitePlotStyleName), before);
  EXPECT_FALSE(fs::exists(second));

  // A user's own file of the same name stays; the next folder takes the copy.
  ASSERT_TRUE(foundation::writeFileAtomically(first + "/" + QDLLitePlotStyleName, "the user's own table"));
  EXPECT_EQ(vexBatchLitePreparePlotStyle(), std::nullopt);
  EXPECT_EQ(installed(first), "the user's own table");
  EXPECT_EQ(installed(second), resource_);
  QDLLitePlotStyleError error;
  EXPECT_FALSE(QDLInstallLitePlotStyle(path("resources/") + QDLLitePlotStyleName, first, &error));
  EXPECT_EQ(error.domain, "NUVOLK.LitePlotStyle");
  EXPECT_EQ(error.code, 1);
  EXPECT_EQ(error.description, "A different file already uses the Lite plot style name.");
  // No work file anywhere.
  for (const std::string& folder : {first, second}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      EXPECT_FALSE(entry.path().filename().string().starts_with(".nuvolk-style-")) << entry.path();
    }
  }
}

TEST_F(LitePlotStyleTest, TheFoldersComeFromTheEnvironmentWithTheRoamingFolderAsTheLastResort) {
  const std::string roaming = path("roaming");
  ASSERT_EQ(cad::acedSetEnv(L"ROAMABLEROOTPREFIX", foundation::wideFromUtf8Lossy(roaming).c_str()), cad::RTNORM);
  // Separators only, or parts that are not absolute paths: the roaming folder. The host does not look there,
  // so the copy is made but the style is not listed.
  const std::string generic = "无法安装黑白 0.05 mm 打印样式，请检查打印样式目录权限或重新安装插件。";
  for (const std::string list : {";;", "relative/Plot Styles; /x"}) {
    SCOPED_TRACE(list);
    useFolders(list);
    EXPECT_EQ(vexBatchLitePreparePlotStyle(), generic);
    EXPECT_EQ(installed(roaming + "/Plotters/Plot Styles"), resource_);
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative"));
  }
  // A missing resource fails in every folder.
  QDLSetLitePlotStyleResourceForTesting(path("resources/missing.ctb"));
  useFolders(path("styles-3"));
  EXPECT_EQ(vexBatchLitePreparePlotStyle(), generic);
  EXPECT_FALSE(fs::exists(path("styles-3/") + QDLLitePlotStyleName));
}

TEST_F(LitePlotStyleTest, NamedPlotStylesAreRefusedBeforeAnyFileIsTouched) {
  db_->headerVariables[L"$PSTYLEMODE"] = L"0";
  const std::string folder = path("styles-named");
  useFolders(folder);
  EXPECT_EQ(vexBatchLitePreparePlotStyle(), "此图纸使用 STB 样式，暂不能保证黑白 0.05 mm 输出。请使用 CTB 图纸。");
  EXPECT_FALSE(fs::exists(folder));

  // The export says so in an alert, and writes nothing.
  ASSERT_TRUE(defaults().setString("__lite_mono__", "Quodline.LitePlotStyle"));
  const VexBatchLiteExportResult result = vexBatchPrintLiteExecute();
  EXPECT_EQ(result.outcome, VexBatchLiteExportResult::Outcome::failed);
  ASSERT_EQ(toolkit::ModalResponder::shared().alerts().size(), 1u);
  EXPECT_EQ(toolkit::ModalResponder::shared().alerts()[0].messageText, "打印样式不可用");
  EXPECT_TRUE(written().empty());
  // With nothing saved, such a drawing plots with each layout's own style.
  ASSERT_TRUE(defaults().removeObjectForKey("Quodline.LitePlotStyle"));
  EXPECT_EQ(vexBatchPrintLiteExecute().outcome, VexBatchLiteExportResult::Outcome::succeeded);
}

}  // namespace
}  // namespace plot_jobs_test

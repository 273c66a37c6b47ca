// The publish engine: the host's call order, the PDF it writes (whole-point MediaBox, /Rotate on turned
// sheets), the validated settings it draws from, and each fault a test can inject.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/plot/page_renderer.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/plot/publish_engine.h"
#include "cad/plot_state.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot_fixture.h"

namespace {

using namespace cad;
using plottest::PageBox;
using plottest::pageBoxes;

PlotSettingsValidator& validator() { return *acdbHostApplicationServices()->plotSettingsValidator(); }

// A page ready to plot: its settings (kept alive here, as a plot would) and its validated plot info.
struct Page {
  std::unique_ptr<PlotSettings> settings;
  std::unique_ptr<PlotInfo> info = std::make_unique<PlotInfo>();
};

class EngineTest : public plottest::PlotTest {
 protected:
  Page page(const std::wstring& medium, PlotRotation rotation = PlotRotation::k0degrees) {
    Page p;
    p.settings = pdfSettings(L"Sheet A3");
    EXPECT_EQ(validator().setCanonicalMediaName(p.settings.get(), medium.c_str()), eOk);
    EXPECT_EQ(validator().setPlotRotation(p.settings.get(), rotation), eOk);
    p.info->setLayout(layout(L"Sheet A3").objectId());
    p.info->setOverrideSettings(p.settings.get());
    PlotInfoValidator v;
    v.setMediaMatchingPolicy(PlotInfoValidator::kMatchEnabled);
    EXPECT_EQ(v.validate(*p.info), eOk);
    return p;
  }

  std::string out(const std::string& name = "plot.pdf") const { return *folder_ / name; }

  // The whole host sequence; the statuses of every call in order.
  std::vector<ErrorStatus> plot(std::vector<Page*> pages, const std::string& path) {
    std::vector<ErrorStatus> statuses;
    PlotEngine* engine = nullptr;
    if (PlotFactory::createPublishEngine(engine) != eOk || engine == nullptr) return statuses;
    const std::wstring file = foundation::wideFromUtf8Lossy(path);
    statuses.push_back(engine->beginPlot(nullptr));
    statuses.push_back(engine->beginDocument(*pages.front()->info, L"Test", nullptr, 1, true, file.c_str()));
    for (std::size_t i = 0; i < pages.size(); ++i) {
      PlotPageInfo pageInfo;
      statuses.push_back(engine->beginPage(pageInfo, *pages[i]->info, i + 1 == pages.size()));
      statuses.push_back(engine->beginGenerateGraphics());
      statuses.push_back(engine->endGenerateGraphics());
      statuses.push_back(engine->endPage());
    }
    statuses.push_back(engine->endDocument());
    statuses.push_back(engine->endPlot());
    engine->destroy();
    return statuses;
  }

  // Files of the output folder other than the given ones: work files must never be left behind.
  std::vector<std::string> strayFiles(const std::vector<std::string>& expected) const {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(folder_->path())) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && std::find(expected.begin(), expected.end(), name) == expected.end()) {
        stray.push_back(name);
      }
    }
    return stray;
  }
};

bool allOk(const std::vector<ErrorStatus>& statuses) {
  return !statuses.empty() && std::all_of(statuses.begin(), statuses.end(), [](ErrorStatus s) { return s == eOk; });
}

TEST_F(EngineTest, WritesEachPageOnItsMediumInWholePointsAndTurnedPagesWithRotate) {
  Page a3 = page(L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  Page a4 = page(L"ISO_A4_(297.00_x_210.00_MM)", PlotRotation::k90degrees);
  Page a1 = page(L"ISO_A1_(594.00_x_841.00_MM)", PlotRotation::k270degrees);
  ASSERT_TRUE(allOk(plot({&a3, &a4, &a1}, out())));
  const std::vector<PageBox> boxes = pageBoxes(out());
  ASSERT_EQ(boxes.size(), 3u);
  // 420 × 297 mm is 1190.55 × 841.89 points: a PDF device writes whole points.
  EXPECT_EQ(std::vector<double>({boxes[0].x0, boxes[0].y0, boxes[0].x1, boxes[0].y1}),
            std::vector<double>({0, 0, 1191, 842}));
  EXPECT_EQ(boxes[0].rotation, 0);
  EXPECT_EQ(std::vector<double>({boxes[1].x1, boxes[1].y1}), std::vector<double>({842, 595}));
  EXPECT_EQ(boxes[1].rotation, 90);
  EXPECT_EQ(std::vector<double>({boxes[2].x1, boxes[2].y1}), std::vector<double>({1684, 2384}));
  EXPECT_EQ(boxes[2].rotation, 270);
  EXPECT_TRUE(strayFiles({"plot.pdf"}).empty());
  EXPECT_EQ(publishLog().documents, std::vector<std::string>{out()});
  ASSERT_EQ(publishLog().pages.size(), 3u);
  EXPECT_TRUE(publishLog().pages[2].lastPage);
  EXPECT_EQ(acplProcessPlotState(), 0);
}

TEST_F(EngineTest, CallsOutOfTurnAreRefusedAndLeaveTheRunUsable) {
  Page p = page(L"ISO_A3_(420.00_x_297.00_MM)");
  const std::wstring file = foundation::wideFromUtf8Lossy(out());
  PlotPageInfo pageInfo;
  PlotEngine* engine = nullptr;
  ASSERT_EQ(PlotFactory::createPublishEngine(engine), eOk);
  ASSERT_NE(engine, nullptr);

  const auto beginDocument = [&] { return engine->beginDocument(*p.info, L"Test", nullptr, 1, true, file.c_str()); };
  const auto beginPage = [&](bool last) { return engine->beginPage(pageInfo, *p.info, last); };
  // Before anything began.
  EXPECT_EQ(beginDocument(), eNotApplicable);
  EXPECT_EQ(beginPage(true), eNotApplicable);
  EXPECT_EQ(engine->endDocument(), eNotApplicable);
  EXPECT_EQ(engine->endPlot(), eNotApplicable);
  ASSERT_EQ(engine->beginPlot(nullptr), eOk);
  EXPECT_EQ(acplProcessPlotState(), 1);
  EXPECT_EQ(engine->beginPlot(nullptr), eNotApplicable);
  EXPECT_EQ(beginPage(true), eNotApplicable);
  ASSERT_EQ(beginDocument(), eOk);
  EXPECT_EQ(beginDocument(), eNotApplicable);
  EXPECT_EQ(engine->beginGenerateGraphics(), eNotApplicable);
  EXPECT_EQ(engine->endPage(), eNotApplicable);
  ASSERT_EQ(beginPage(false), eOk);
  EXPECT_EQ(beginPage(false), eNotApplicable);
  EXPECT_EQ(engine->endGenerateGraphics(), eNotApplicable);
  EXPECT_EQ(engine->endPage(), eNotApplicable);  // nothing drawn yet
  ASSERT_EQ(engine->beginGenerateGraphics(), eOk);
  EXPECT_EQ(engine->endPage(), eNotApplicable);
  ASSERT_EQ(engine->endGenerateGraphics(), eOk);
  EXPECT_EQ(engine->endGenerateGraphics(), eNotApplicable);
  ASSERT_EQ(engine->endPage(), eOk);
  ASSERT_EQ(beginPage(true), eOk);
  ASSERT_EQ(engine->beginGenerateGraphics(), eOk);
  ASSERT_EQ(engine->endGenerateGraphics(), eOk);
  ASSERT_EQ(engine->endPage(), eOk);
  EXPECT_EQ(beginPage(true), eNotApplicable);  // the last page was had
  ASSERT_EQ(engine->endDocument(), eOk);
  EXPECT_EQ(engine->endDocument(), eNotApplicable);
  ASSERT_EQ(engine->endPlot(), eOk);
  EXPECT_EQ(acplProcessPlotState(), 0);
  engine->destroy();
  EXPECT_EQ(pageBoxes(out()).size(), 2u);

  // The log holds every call, refused ones with their status.
  const std::vector<PublishCall>& calls = publishLog().calls;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().call, L"beginDocument");
  EXPECT_EQ(calls.front().status, eNotApplicable);
  EXPECT_EQ(calls.back().call, L"destroy");
}

TEST_F(EngineTest, BeginningNeedsAFreeHostAFolderAValidatedPdfPlotAndAFile) {
  Page p = page(L"ISO_A3_(420.00_x_297.00_MM)");
  const std::wstring file = foundation::wideFromUtf8Lossy(out());
  const std::wstring missingFolder = foundation::wideFromUtf8Lossy(*folder_ / "absent/plot.pdf");
  const std::wstring folderItself = foundation::wideFromUtf8Lossy(folder_->path());
  PlotInfo unvalidated;
  unvalidated.setLayout(layout(L"Sheet A3").objectId());
  unvalidated.setOverrideSettings(p.settings.get());

  setProcessPlotState(true);  // another plot is running
  PlotEngine* engine = nullptr;
  ASSERT_EQ(PlotFactory::createPublishEngine(engine), eOk);
  EXPECT_NE(engine->beginPlot(nullptr), eOk);
  setProcessPlotState(false);
  ASSERT_EQ(engine->beginPlot(nullptr), eOk);

  struct Case {
    const char* what;
    std::function<ErrorStatus()> call;
  };
  const Case cases[] = {
      {"not to a file", [&] { return engine->beginDocument(*p.info, L"T", nullptr, 1, false, file.c_str()); }},
      {"no file name", [&] { return engine->beginDocument(*p.info, L"T", nullptr, 1, true, nullptr); }},
      {"no copies", [&] { return engine->beginDocument(*p.info, L"T", nullptr, 0, true, file.c_str()); }},
      {"folder missing", [&] { return engine->beginDocument(*p.info, L"T", nullptr, 1, true, missingFolder.c_str()); }},
      {"a folder as the file",
       [&] { return engine->beginDocument(*p.info, L"T", nullptr, 1, true, folderItself.c_str()); }},
      {"not validated", [&] { return engine->beginDocument(unvalidated, L"T", nullptr, 1, true, file.c_str()); }},
  };
  for (const Case& c : cases) EXPECT_NE(c.call(), eOk) << c.what;
  EXPECT_TRUE(strayFiles({}).empty());

  ASSERT_EQ(engine->beginDocument(*p.info, L"T", nullptr, 1, true, file.c_str()), eOk);
  PlotPageInfo pageInfo;
  EXPECT_EQ(engine->beginPage(pageInfo, unvalidated, true), eInvalidInput);
  engine->destroy();  // without ending: nothing written, the host free again
  EXPECT_EQ(acplProcessPlotState(), 0);
  EXPECT_TRUE(strayFiles({}).empty());
}

TEST_F(EngineTest, PagesAreDrawnFromTheValidatedSettingsOnly) {
  struct Recorder : PageRenderer {
    std::vector<std::wstring> media;
    std::vector<PageTarget> targets;
    bool renderPage(const Database& db, ObjectId layout, const PlotSettings& validated, const PageTarget& target,
                    std::string& error) override {
      media.push_back(validated.canonicalMediaName);
      targets.push_back(target);
      return BlankPageWriter().renderPage(db, layout, validated, target, error);
    }
  };
  auto recorder = std::make_shared<Recorder>();
  setPageRenderer(recorder);

  // Validation put the page on A4 although the override asks for A3.
  plotInfoValidatorFaults().switchMedium = L"ISO_A4_(210.00_x_297.00_MM)";
  Page p = page(L"ISO_A3_(420.00_x_297.00_MM)", PlotRotation::k90degrees);
  ASSERT_TRUE(allOk(plot({&p}, out())));
  ASSERT_EQ(recorder->media, std::vector<std::wstring>{L"ISO_A4_(210.00_x_297.00_MM)"});
  const PageTarget& t = recorder->targets.front();
  EXPECT_EQ(t.mediaWidth, 595);
  EXPECT_EQ(t.mediaHeight, 842);
  EXPECT_EQ(t.quarterTurns, 1);
  EXPECT_EQ(t.uprightWidth, 842);
  // Turned a quarter clockwise, the sheet's bottom margin is on the upright sheet's left.
  EXPECT_NEAR(t.printableX, p.info->validatedSettings()->marginBottom * 72 / 25.4, 1e-9);
  EXPECT_NEAR(t.printableY, p.info->validatedSettings()->marginRight * 72 / 25.4, 1e-9);
  // The upright origin lies at the unturned sheet's lower-right corner.
  EXPECT_EQ(t.uprightToMedium[4], 595);
  EXPECT_EQ(t.uprightToMedium[5], 0);
  ASSERT_EQ(publishLog().pages.size(), 1u);
  EXPECT_EQ(publishLog().pages.front().settings->canonicalMediaName, L"ISO_A4_(210.00_x_297.00_MM)");
  ASSERT_EQ(pageBoxes(out()).size(), 1u);
  EXPECT_EQ(pageBoxes(out()).front().x1, 595);

  struct Failing : PageRenderer {
    bool renderPage(const Database&, ObjectId, const PlotSettings&, const PageTarget&, std::string& error) override {
      error = "no ink";
      return false;
    }
  };
  setPageRenderer(std::make_shared<Failing>());
  const std::vector<ErrorStatus> statuses = plot({&p}, out("failed.pdf"));
  EXPECT_NE(statuses[4], eOk);  // endGenerateGraphics
  EXPECT_FALSE(foundation::fileExists(out("failed.pdf")));
}

TEST_F(EngineTest, EachCallFailsWhereInjectedAndOnlyFinishedPagesAreWritten) {
  struct Case {
    PublishStep step;
    int occurrence;
    std::size_t failingCall;  // index in the plot's status list
    int pagesWritten;         // -1: no file
  };
  // Statuses: beginPlot, beginDocument, then four per page, then endDocument, endPlot.
  const Case cases[] = {
      {PublishStep::kBeginPlot, 1, 0, -1},          {PublishStep::kBeginDocument, 1, 1, -1},
      {PublishStep::kBeginPage, 2, 6, 1},           {PublishStep::kBeginGenerateGraphics, 2, 7, 1},
      {PublishStep::kEndGenerateGraphics, 1, 4, 1}, {PublishStep::kEndPage, 2, 9, 1},
      {PublishStep::kEndDocument, 1, 10, -1},       {PublishStep::kEndPlot, 1, 11, 2},
  };
  Page a = page(L"ISO_A3_(420.00_x_297.00_MM)");
  Page b = page(L"ISO_A4_(210.00_x_297.00_MM)");
  for (const Case& c : cases) {
    resetPublishEngine();
    publishEngineFaults().steps.push_back({c.step, c.occurrence, eOutOfRange});
    const std::string path = out("fault-" + std::to_string(static_cast<int>(c.step)) + ".pdf");
    const std::vector<ErrorStatus> statuses = plot({&a, &b}, path);
    ASSERT_GT(statuses.size(), c.failingCall);
    EXPECT_EQ(statuses[c.failingCall], eOutOfRange) << c.failingCall;
    // Whatever failed, the document and the plot still end, and the host is free afterwards.
    EXPECT_EQ(acplProcessPlotState(), 0);
    if (c.pagesWritten < 0) {
      EXPECT_FALSE(foundation::fileExists(path)) << c.failingCall;
    } else {
      EXPECT_EQ(static_cast<int>(pageBoxes(path).size()), c.pagesWritten) << c.failingCall;
    }
  }
  EXPECT_EQ(strayFiles({"fault-2.pdf", "fault-3.pdf", "fault-4.pdf", "fault-5.pdf", "fault-7.pdf"}),
            std::vector<std::string>{});
}

TEST_F(EngineTest, APlotEndedWithItsDocumentOpenWritesNothingAndKeepsTheOldFile) {
  ASSERT_TRUE(foundation::writeFileAtomically(out(), "the old plot"));
  Page p = page(L"ISO_A3_(420.00_x_297.00_MM)");
  const std::wstring file = foundation::wideFromUtf8Lossy(out());
  PlotEngine* engine = nullptr;
  ASSERT_EQ(PlotFactory::createPublishEngine(engine), eOk);
  PlotPageInfo pageInfo;
  ASSERT_EQ(engine->beginPlot(nullptr), eOk);
  ASSERT_EQ(engine->beginDocument(*p.info, L"T", nullptr, 1, true, file.c_str()), eOk);
  ASSERT_EQ(engine->beginPage(pageInfo, *p.info, true), eOk);
  ASSERT_EQ(engine->beginGenerateGraphics(), eOk);
  ASSERT_EQ(engine->endGenerateGraphics(), eOk);
  ASSERT_EQ(engine->endPage(), eOk);
  EXPECT_EQ(foundation::readFile(out()).data, "the old plot");  // nothing replaced before the end
  ASSERT_EQ(engine->endPlot(), eOk);                            // the user cancelled: the document never ended
  engine->destroy();
  EXPECT_EQ(foundation::readFile(out()).data, "the old plot");
  EXPECT_TRUE(strayFiles({"plot.pdf"}).empty());

  // Ended properly, the new plot replaces the old file.
  ASSERT_TRUE(allOk(plot({&p}, out())));
  EXPECT_EQ(pageBoxes(out()).size(), 1u);
}

TEST_F(EngineTest, OutputFaultsLeaveNoFileAnEmptyOneAPageTooManyOrAHiddenOne) {
  Page a = page(L"ISO_A3_(420.00_x_297.00_MM)");
  Page b = page(L"ISO_A4_(210.00_x_297.00_MM)");

  publishEngineFaults().noFile = true;
  ASSERT_TRUE(allOk(plot({&a, &b}, out("none.pdf"))));
  EXPECT_FALSE(foundation::fileExists(out("none.pdf")));

  resetPublishEngine();
  publishEngineFaults().emptyFile = true;
  ASSERT_TRUE(allOk(plot({&a, &b}, out("empty.pdf"))));
  ASSERT_TRUE(foundation::isRegularFile(out("empty.pdf")));
  EXPECT_EQ(std::filesystem::file_size(out("empty.pdf")), 0u);

  resetPublishEngine();
  publishEngineFaults().extraPage = true;
  ASSERT_TRUE(allOk(plot({&a, &b}, out("extra.pdf"))));
  const std::vector<PageBox> extra = pageBoxes(out("extra.pdf"));
  ASSERT_EQ(extra.size(), 3u);
  EXPECT_EQ(extra[2].x1, extra[1].x1);

  resetPublishEngine();
  publishEngineFaults().oversizedPage = 2;
  ASSERT_TRUE(allOk(plot({&a, &b}, out("oversized.pdf"))));
  const std::vector<PageBox> oversized = pageBoxes(out("oversized.pdf"));
  ASSERT_EQ(oversized.size(), 2u);
  EXPECT_EQ(oversized[0].x1, 1191);
  EXPECT_EQ(oversized[1].x1, 601);  // 212 mm
  EXPECT_EQ(oversized[1].y1, 848);  // 299 mm

  resetPublishEngine();
  publishEngineFaults().hiddenOutput = true;
  ASSERT_TRUE(allOk(plot({&a}, out("hidden.pdf"))));
  ASSERT_EQ(pageBoxes(out("hidden.pdf")).size(), 1u);
  ASSERT_TRUE(foundation::writeFileAtomically(out("probe"), ""));
  if (!foundation::setHiddenFlag(out("probe"), true)) GTEST_SKIP() << "this file system keeps no extended attributes";
  EXPECT_TRUE(foundation::hiddenFlag(out("hidden.pdf")).hidden);
}

TEST_F(EngineTest, EngineCreationCanFailOrGiveNothing) {
  PlotEngine* engine = reinterpret_cast<PlotEngine*>(this);
  publishEngineFaults().createFails = true;
  EXPECT_NE(PlotFactory::createPublishEngine(engine), eOk);
  EXPECT_EQ(engine, nullptr);
  publishEngineFaults() = {};
  publishEngineFaults().createNull = true;
  EXPECT_EQ(PlotFactory::createPublishEngine(engine), eOk);
  EXPECT_EQ(engine, nullptr);
}

}  // namespace

// Preparing pages for the publish engine: model-space frames at a drawing scale, frames on layouts on their
// own paper or on a carrier sheet, whole layouts, papers the user overrode, the reuse caches and every failure.

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/entities.h"
#include "cad/layout_manager.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_info_validator.h"
#include "cad/plot/plot_settings_validator.h"
#include "cad/sysvars.h"
#include "cad/ucs.h"
#include "plot/last_result.h"
#include "plot/page_preparation.h"
#include "plot/pdf_window_capture.h"
#include "plot/window_papers.h"
#include "plot_fixture.h"
#include "recognition/job_pages.h"
#include "recognition/model_scan.h"

namespace plot_test {
namespace {

using cad::PlotRotation;
using cad::PlotType;
using cad::StdScaleType;

constexpr double kNear = 1e-9;

VexBatchPrintPaperSpec paper(const wchar_t* name, double shortSide, double longSide) {
  return {name, shortSide, longSide};
}
const VexBatchPrintPaperSpec kA4 = paper(L"A4", 210, 297);
const VexBatchPrintPaperSpec kA3 = paper(L"A3", 297, 420);
const VexBatchPrintPaperSpec kA2 = paper(L"A2", 420, 594);
const VexBatchPrintPaperSpec kA1 = paper(L"A1", 594, 841);
const VexBatchPrintPaperSpec kA3Long = paper(L"A3加长", 297, 630);

VexBatchPrintPageSpec modelFrame(const std::wstring& name, double minX, double minY, double maxX, double maxY,
                                 const VexBatchPrintPaperSpec& p) {
  VexBatchPrintPageSpec page;
  page.source = VexBatchPrintSourceModel;
  page.name = name;
  page.layoutName = L"Model";
  page.minX = minX;
  page.minY = minY;
  page.maxX = maxX;
  page.maxY = maxY;
  page.paper = p;
  return page;
}

VexBatchPrintPageSpec layoutWindow(const std::wstring& layoutName, const std::wstring& name, double minX, double minY,
                                   double maxX, double maxY, const VexBatchPrintPaperSpec& p) {
  VexBatchPrintPageSpec page = modelFrame(name, minX, minY, maxX, maxY, p);
  page.source = VexBatchPrintSourceLayout;
  page.layoutName = layoutName;
  page.layoutWindow = true;
  page.exactPaperFrame = true;
  return page;
}

VexBatchPrintPageSpec wholeLayout(const std::wstring& layoutName, const VexBatchPrintPaperSpec& p = kA3) {
  VexBatchPrintPageSpec page;
  page.layoutName = layoutName;
  page.paper = p;
  return page;
}

// A drawing whose model space holds content at 1:100 and whose layouts hold sheets:
//   "Sheets"  an A1 sheet (841 × 594) with A3 frames at (0, 0) and (420, 0) and an A4 frame at (0, 297);
//   "Long"    a sheet holding two lengthened A3 frames (630 × 297) one above the other and an A3 frame;
//   "Cover"   a full-bleed A3 layout, plotted whole.
class PagePreparationTest : public PlotPipelineTest {
 protected:
  void SetUp() override {
    PlotPipelineTest::SetUp();
    auto db = cad::Database::createDefault();
    for (int k = 0; k < 4; ++k) line(*db, db->modelSpaceId(), k * 50000.0, 0, k * 50000.0 + 40000, 29000);
    sheetLayout(*db, L"Sheets", 2, L"ISO_full_bleed_A1_(841.00_x_594.00_MM)", 841, 594);
    sheetLayout(*db, L"Long", 3, L"ISO_full_bleed_A1_(841.00_x_594.00_MM)", 841, 594);
    sheetLayout(*db, L"Cover", 4, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", 420, 297);
    open(std::move(db));
    validator_ = cad::acdbHostApplicationServices()->plotSettingsValidator();
  }

  static void line(cad::Database& db, cad::ObjectId owner, double x0, double y0, double x1, double y1) {
    auto entity = std::make_unique<cad::Line>();
    entity->start = {x0, y0, 0};
    entity->end = {x1, y1, 0};
    db.appendEntity(owner, std::move(entity));
  }

  static void sheetLayout(cad::Database& db, const std::wstring& name, int tab, const std::wstring& medium, double w,
                          double h) {
    const cad::ObjectId id = db.addLayout(name, tab);
    auto& layout = dynamic_cast<cad::Layout&>(*db.objectAt(id));
    layout.plotCfgName = L"DWG To PDF.pc3";
    layout.canonicalMediaName = medium;
    layout.paperWidthMm = w;
    layout.paperHeightMm = h;
    line(db, layout.getBlockTableRecordId(), 10, 10, w - 10, h - 10);
  }

  bool prepare(const std::vector<VexBatchPrintPageSpec>& pages, const std::wstring& style = L"") {
    cad::commandLine().clearTranscript();
    validator_->calls.clear();
    const bool done = vexBatchPreparePages(pages, style, prepared_);
    EXPECT_TRUE(db().openObjects().empty()) << "layouts left open";
    EXPECT_EQ(db().strayCloses(), 0);
    return done;
  }

  int callsOf(const std::wstring& call) const {
    int n = 0;
    for (const std::wstring& c : validator_->calls) n += c == call || c.starts_with(call + L" ");
    return n;
  }

  static const cad::PlotSettings& validated(const VexBatchPrintPreparedPage& page) {
    return *page.plotInfo->validatedSettings();
  }

  static std::wstring error() { return gBatchPrintLastError; }
  cad::Dictionary& layoutDictionary() {
    return dynamic_cast<cad::Dictionary&>(*db().objectAt(db().layoutDictionaryId()));
  }

  cad::PlotSettingsValidator* validator_ = nullptr;
  std::vector<VexBatchPrintPreparedPage> prepared_;
};

void expectWindow(const quodl::PdfPlotWindow& w, double paperW, double paperH, double x, double y, double width,
                  double height) {
  EXPECT_NEAR(w.paperWidth, paperW, kNear);
  EXPECT_NEAR(w.paperHeight, paperH, kNear);
  EXPECT_NEAR(w.window.x, x, 1e-6);
  EXPECT_NEAR(w.window.y, y, 1e-6);
  EXPECT_NEAR(w.window.width, width, 1e-6);
  EXPECT_NEAR(w.window.height, height, 1e-6);
}

TEST_F(PagePreparationTest, ModelFramesAtADrawingScaleAreWindowsOfTheModelLayoutOnTheirPapersMedium) {
  ASSERT_TRUE(prepare({modelFrame(L"S-1", 0, 0, 42000, 29700, kA3), modelFrame(L"S-2", 50000, 0, 79700, 42000, kA3)}));
  ASSERT_EQ(prepared_.size(), 2u);
  for (const VexBatchPrintPreparedPage& page : prepared_) {
    EXPECT_EQ(page.layoutName, L"Model");
    EXPECT_TRUE(page.settings->modelType());
    EXPECT_EQ(page.plotInfo->layout(), db().layoutId(L"Model"));
    EXPECT_EQ(page.plotInfo->overrideSettings(), page.settings.get());
    EXPECT_EQ(page.plotInfo->OrgFilePath(), L"/drawings/plot.dwg");
    const cad::PlotSettings& v = validated(page);
    EXPECT_EQ(v.plotCfgName, cad::kPdfDeviceName);
    EXPECT_EQ(v.canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(v.plotType(), PlotType::kWindow);
    EXPECT_TRUE(v.plotCentered() && v.useStandardScale());
    EXPECT_EQ(v.stdScaleType(), StdScaleType::kScaleToFit);
    EXPECT_EQ(v.plotPaperUnits(), cad::PlotPaperUnits::kMillimeters);
    EXPECT_EQ(page.repairedSettings, nullptr);
  }
  // The landscape frame fills the landscape medium; the upright one turns it a quarter.
  EXPECT_EQ(prepared_[0].name, L"S-1");
  EXPECT_EQ(validated(prepared_[0]).plotRotation(), PlotRotation::k0degrees);
  expectWindow(prepared_[0].window, 420, 297, 0, 0, 420, 297);
  EXPECT_EQ(validated(prepared_[1]).plotRotation(), PlotRotation::k90degrees);
  expectWindow(prepared_[1].window, 297, 420, 0, 0, 297, 420);
  EXPECT_EQ(traceLines(L"DUZOZAREDGEOMETRY"),
            (std::vector<std::wstring>{
                L"DUZOZAREDGEOMETRY page=S-1 media=420.0000x297.0000 rotation=0 margins=0.0000,0.0000,0.0000,0.0000 "
                L"window=0.0000,0.0000,420.0000,297.0000",
                L"DUZOZAREDGEOMETRY page=S-2 media=420.0000x297.0000 rotation=1 margins=0.0000,0.0000,0.0000,0.0000 "
                L"window=0.0000,0.0000,297.0000,420.0000"}));
  EXPECT_EQ(ctab(), L"Model");
}

TEST_F(PagePreparationTest, OnAMediumWithMarginsTheWindowIsFittedIntoItsPrintableAreaTurnedUpright) {
  pdfDevice().removeMediaNamedWith(L"full_bleed");
  // Margins of the catalogue's natural media: left 5, bottom 12, right 7, top 15.
  ASSERT_TRUE(prepare({modelFrame(L"wide", 0, 0, 42000, 29700, kA3), modelFrame(L"tall", 0, 0, 29700, 42000, kA3)}));
  EXPECT_EQ(validated(prepared_[0]).canonicalMediaName, L"ISO_A3_(420.00_x_297.00_MM)");
  const double s = 270.0 / 29700;  // the short side of the printable area limits both
  expectWindow(prepared_[0].window, 420, 297, 5 + (408 - 42000 * s) / 2, 12, 42000 * s, 270);
  // A quarter turn: the paper's bottom margin is on the left of the upright page, its right margin at the bottom.
  expectWindow(prepared_[1].window, 297, 420, 12, 7 + (408 - 42000 * s) / 2, 270, 42000 * s);
  EXPECT_EQ(
      traceLines(L"DUZOZAREDGEOMETRY page=tall"),
      (std::vector<std::wstring>{L"DUZOZAREDGEOMETRY page=tall media=420.0000x297.0000 rotation=1 "
                                 L"margins=5.0000,12.0000,7.0000,15.0000 window=12.0000,20.0909,270.0000,381.8182"}));
}

TEST_F(PagePreparationTest, AModelFramesWindowIsSetInTheDisplayCoordinatesOfTheModelView) {
  cad::docManager().curDocument()->view().target = {1000, -2000, 0};
  ASSERT_TRUE(prepare({modelFrame(L"S-1", 0, 0, 42000, 29700, kA3)}));
  const cad::PlotSettings& settings = *prepared_[0].settings;
  EXPECT_NEAR(settings.windowMin.x, -1000, kNear);
  EXPECT_NEAR(settings.windowMin.y, 2000, kNear);
  EXPECT_NEAR(settings.windowMax.x, 41000, kNear);
  EXPECT_NEAR(settings.windowMax.y, 31700, kNear);
}

TEST_F(PagePreparationTest, TheSampleGridOfA1FramesAt1To100IsPreparedOnTheA1MediumOnce) {
  openSample("model-a1-grid-1to100.dxf");
  // The pages as the panel makes them of the recognised frames, each on its recognised paper.
  std::vector<VexBatchPrintPageSpec> pages;
  for (const VexBatchPrintFrameRecord& frame : vexCollectModelFrames()) {
    pages.push_back(modelFrame(frame.name, frame.minX, frame.minY, frame.maxX, frame.maxY, frame.paper));
  }
  ASSERT_EQ(pages.size(), 7u);
  ASSERT_TRUE(prepare(pages)) << foundation::utf8FromWideLossy(error());
  ASSERT_EQ(prepared_.size(), pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].paper.name, L"A1");
    EXPECT_EQ(prepared_[i].name, pages[i].name);
    EXPECT_EQ(validated(prepared_[i]).canonicalMediaName, L"ISO_full_bleed_A1_(841.00_x_594.00_MM)");
    EXPECT_NEAR(prepared_[i].window.window.width / prepared_[i].window.window.height,
                (pages[i].maxX - pages[i].minX) / (pages[i].maxY - pages[i].minY), 1e-9);
  }
  // Only the first frame sets up the device and searches the media; the others reuse its settings.
  EXPECT_EQ(callsOf(L"setPlotCfgName"), 1);
  EXPECT_EQ(callsOf(L"canonicalMediaNameList"), 1);
  EXPECT_EQ(traceLines(L"DUZOZAREDMEDIA").size(), 1u);
  EXPECT_EQ(traceLines(L"DUZOZAREDGEOMETRY").size(), pages.size());
}

TEST_F(PagePreparationTest, TheSampleLayoutsSheetsArePreparedOnTheirOwnPapers) {
  for (const char* sample : {"layouts-frames.dxf", "chinese-layouts.dxf", "oversized-layout.dxf"}) {
    SCOPED_TRACE(sample);
    openSample(sample);
    const std::vector<VexBatchPrintPageSpec> pages = vexBatchCollectJobPages(false, false);
    ASSERT_FALSE(pages.empty());
    ASSERT_TRUE(prepare(pages)) << foundation::utf8FromWideLossy(error());
    ASSERT_EQ(prepared_.size(), pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
      const VexBatchPrintPaperSpec carrier =
          vexBatchCarrierPaperForLayoutWindow(vexBatchSourcePaperForWindow(pages[i]));
      EXPECT_EQ(prepared_[i].layoutName, pages[i].layoutName);
      if (!pages[i].layoutWindow) continue;
      const cad::PlotSettings& v = validated(prepared_[i]);
      EXPECT_NEAR(std::fmin(v.paperWidthMm, v.paperHeightMm), carrier.shortSide, 0.1) << i;
      EXPECT_NEAR(std::fmax(v.paperWidthMm, v.paperHeightMm), carrier.longSide, 0.1) << i;
      EXPECT_TRUE(prepared_[i].window.valid()) << i;
      EXPECT_NEAR(prepared_[i].window.window.width / prepared_[i].window.window.height,
                  (pages[i].maxX - pages[i].minX) / (pages[i].maxY - pages[i].minY), 1e-9)
          << i;
    }
  }
}

TEST(WindowPapers, ALengthenedPaperGoesOnTheCarrierWithTheNearestShortSide) {
  struct Case {
    VexBatchPrintPaperSpec paper;
    const wchar_t* carrier;
  };
  const Case cases[] = {
      {kA3Long, L"A3"},
      {paper(L"A1加长", 594, 1261), L"A1"},
      {paper(L"A0加长", 841, 1783), L"A0"},
      {paper(L"A4加长", 212, 420), L"A4"},
      {paper(L"加长", 358.5, 900), L"A3"},  // as near to A3 as to A2: the smaller sheet
      {paper(L"长", 900, 2000), L"长"},     // not lengthened: its own paper
      {kA2, L"A2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vexBatchCarrierPaperForLayoutWindow(c.paper).name, c.carrier)
        << foundation::utf8FromWideLossy(c.paper.name);
  }
}

TEST(WindowPapers, AnOverriddenPaperIsPlottedForTheWindowsOwnSize) {
  VexBatchPrintPageSpec page = layoutWindow(L"L", L"W", 0, 0, 420, 297, kA1);
  EXPECT_EQ(vexBatchSourcePaperForWindow(page).name, L"A1");
  page.paperOverridden = true;
  EXPECT_EQ(vexBatchSourcePaperForWindow(page).name, L"A3");
  // Without a paper of its own the window's size decides too.
  page.paperOverridden = false;
  page.paper = paper(L"", 0, 0);
  page.minX = 594;
  page.maxX = 0;  // a box given the other way round still has its size
  page.maxY = 420;
  EXPECT_EQ(vexBatchSourcePaperForWindow(page).name, L"A2");
}

TEST_F(PagePreparationTest, ModelFramesReuseTheFirstFramesSettingsAndSearchMediaOnlyForAnotherPaper) {
  ASSERT_TRUE(prepare({modelFrame(L"1", 0, 0, 42000, 29700, kA3), modelFrame(L"2", 50000, 0, 92000, 29700, kA3),
                       modelFrame(L"3", 0, 0, 84100, 59400, kA1), modelFrame(L"4", 100000, 0, 142000, 29700, kA3)}));
  const std::vector<std::wstring> media = {
      L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", L"ISO_full_bleed_A3_(420.00_x_297.00_MM)",
      L"ISO_full_bleed_A1_(841.00_x_594.00_MM)", L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"};
  for (std::size_t i = 0; i < media.size(); ++i) EXPECT_EQ(validated(prepared_[i]).canonicalMediaName, media[i]);
  EXPECT_EQ(callsOf(L"setPlotCfgName"), 1);
  EXPECT_EQ(callsOf(L"canonicalMediaNameList"), 2);  // the first frame and the A1 frame
  // Each page has its own window even where the settings came from the cache.
  EXPECT_NEAR(prepared_[3].settings->windowMin.x, 100000, kNear);
  EXPECT_NEAR(prepared_[0].settings->windowMin.x, 0, kNear);
}

TEST_F(PagePreparationTest, FramesOnALayoutArePlottedAsWindowsOnTheirOwnPaper) {
  ASSERT_TRUE(prepare(
      {layoutWindow(L"Sheets", L"A-1", 0, 0, 420, 297, kA3), layoutWindow(L"Sheets", L"A-2", 0, 297, 210, 594, kA4)}));
  EXPECT_EQ(prepared_[0].layoutName, L"Sheets");
  EXPECT_FALSE(prepared_[0].settings->modelType());
  EXPECT_EQ(prepared_[0].plotInfo->layout(), db().layoutId(L"Sheets"));
  EXPECT_EQ(validated(prepared_[0]).canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  EXPECT_NEAR(prepared_[0].settings->windowMax.x, 420, kNear);  // paper-space coordinates as they are
  expectWindow(prepared_[0].window, 420, 297, 0, 0, 420, 297);
  EXPECT_EQ(validated(prepared_[1]).canonicalMediaName, L"ISO_full_bleed_A4_(297.00_x_210.00_MM)");
  EXPECT_EQ(validated(prepared_[1]).plotRotation(), PlotRotation::k90degrees);
  expectWindow(prepared_[1].window, 210, 297, 0, 0, 210, 297);
  EXPECT_TRUE(traceLines(L"DUZOZAREDCARRIER").empty());
  EXPECT_EQ(ctab(), L"Sheets");
}

TEST_F(PagePreparationTest, ALengthenedSheetIsPlottedOnItsCarrierAndTheCarriersNextWindowReusesIt) {
  ASSERT_TRUE(prepare({layoutWindow(L"Long", L"L-1", 0, 0, 630, 297, kA3Long),
                       layoutWindow(L"Long", L"L-2", 0, 297, 630, 594, kA3Long),
                       layoutWindow(L"Long", L"L-3", 630, 0, 1050, 297, kA3)}));
  EXPECT_EQ(
      traceLines(L"DUZOZAREDCARRIER"),
      (std::vector<std::wstring>{L"DUZOZAREDCARRIER request=A3加长 297.00x630.00 carrier=A3 297.00x420.00 reuse=0",
                                 L"DUZOZAREDCARRIER request=A3加长 297.00x630.00 carrier=A3 297.00x420.00 reuse=1"}));
  for (const VexBatchPrintPreparedPage& page : prepared_) {
    EXPECT_EQ(validated(page).canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(validated(page).plotRotation(), PlotRotation::k0degrees);
  }
  // The long window fills the carrier's width, centred in its height.
  expectWindow(prepared_[0].window, 420, 297, 0, 49.5, 420, 198);
  expectWindow(prepared_[1].window, 420, 297, 0, 49.5, 420, 198);
  EXPECT_NEAR(prepared_[1].settings->windowMin.y, 297, kNear);
  expectWindow(prepared_[2].window, 420, 297, 0, 0, 420, 297);
  // One device set-up and one media search for the three windows on the one carrier.
  EXPECT_EQ(callsOf(L"setPlotCfgName"), 1);
  EXPECT_EQ(callsOf(L"canonicalMediaNameList"), 1);
}

TEST_F(PagePreparationTest, TheLayoutWindowCacheFollowsTheLastWindowThatWasNotReused) {
  ASSERT_TRUE(prepare({layoutWindow(L"Sheets", L"1", 0, 0, 420, 297, kA3),        // sets the cache
                       layoutWindow(L"Sheets", L"2", 420, 0, 840, 297, kA3),      // reuses it
                       layoutWindow(L"Sheets", L"3", 0, 297, 210, 594, kA4),      // another carrier: sets it
                       layoutWindow(L"Sheets", L"4", 420, 0, 840, 297, kA3),      // not the A4 one: sets it
                       layoutWindow(L"Long", L"5", 630, 0, 1050, 297, kA3),       // another layout: sets it
                       wholeLayout(L"Cover"),                                     // never cached
                       layoutWindow(L"Long", L"6", 630, 297, 1050, 594, kA3)}));  // reuses 5
  EXPECT_EQ(callsOf(L"setPlotCfgName"), 5);
  EXPECT_EQ(callsOf(L"canonicalMediaNameList"), 4);
  const wchar_t* media[] = {L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", L"ISO_full_bleed_A3_(420.00_x_297.00_MM)",
                            L"ISO_full_bleed_A4_(297.00_x_210.00_MM)", L"ISO_full_bleed_A3_(420.00_x_297.00_MM)",
                            L"ISO_full_bleed_A3_(420.00_x_297.00_MM)", L"ISO_full_bleed_A3_(420.00_x_297.00_MM)",
                            L"ISO_full_bleed_A3_(420.00_x_297.00_MM)"};
  for (std::size_t i = 0; i < prepared_.size(); ++i) EXPECT_EQ(validated(prepared_[i]).canonicalMediaName, media[i]);
  EXPECT_EQ(validated(prepared_[5]).plotType(), PlotType::kLayout);
}

// In a twisted view a frame is plotted as displayed: a landscape frame seen a quarter turn round fills a portrait
// sheet instead of standing turned in a landscape one.
TEST_F(PagePreparationTest, AModelFrameInATwistedViewTakesItsOrientationFromTheView) {
  cad::docManager().curDocument()->view().twist = std::acos(0.0);
  ASSERT_TRUE(prepare({modelFrame(L"S-1", 0, 0, 42000, 29700, kA3)})) << foundation::utf8FromWideLossy(error());
  const quodl::PdfPlotWindow& w = prepared_[0].window;
  EXPECT_LT(w.paperWidth, w.paperHeight);
  EXPECT_NEAR(w.window.width, w.paperWidth, 0.5);
  EXPECT_NEAR(w.window.height, w.paperHeight, 0.5);
}

// What no medium carries fails with its reason: a chosen paper is never replaced by the layout's own, and a
// layout plotted 1:1 is never put on a smaller medium that would cut it off.
TEST_F(PagePreparationTest, APaperNoMediumCarriesFailsInsteadOfTakingAnother) {
  VexBatchPrintPageSpec chosen = wholeLayout(L"Cover", kA3Long);
  chosen.paperOverridden = true;
  EXPECT_FALSE(prepare({chosen}));
  EXPECT_TRUE(error().starts_with(L"Cannot match A3加长 paper for: Cover status=")) << foundation::utf8FromWideLossy(error());

  cad::Layout& cover = layout(L"Cover");
  cover.paperWidthMm = 2500;
  cover.paperHeightMm = 1800;
  cover.canonicalMediaName = L"Custom";
  EXPECT_FALSE(prepare({wholeLayout(L"Cover")}));
  EXPECT_EQ(error(), L"No PDF medium holds the whole layout at 1:1 (2500 x 1800 mm): Cover");
}

// A whole layout on a paper the device lacks goes on the smallest medium that holds it as it stands, a metric
// one for a metric layout and an inch one for an inch layout; a paper without a usable size is damage.
TEST_F(PagePreparationTest, AWholeLayoutGoesOnTheSmallestMediumThatHoldsItOrIsRefusedAsDamaged) {
  struct Case {
    const char* what;
    double width, height;
    cad::PlotPaperUnits units;
    std::wstring outcome;  // the medium, or the error
  };
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"lengthened A3", 630, 297, cad::PlotPaperUnits::kMillimeters, L"ISO_full_bleed_A1_(841.00_x_594.00_MM)"},
      {"custom portrait", 900, 1300, cad::PlotPaperUnits::kMillimeters, L"ISO_full_bleed_2A0_(1189.00_x_1682.00_MM)"},
      {"inch layout", 600, 400, cad::PlotPaperUnits::kInches, L"ANSI_full_bleed_D_(34.00_x_22.00_Inches)"},
      {"metric layout", 600, 400, cad::PlotPaperUnits::kMillimeters, L"ISO_full_bleed_A1_(841.00_x_594.00_MM)"},
      {"zero", 0, 297, cad::PlotPaperUnits::kMillimeters, L"Damaged layout paper (0 x 297 mm): Cover"},
      {"negative", 420, -297, cad::PlotPaperUnits::kMillimeters, L"Damaged layout paper (420 x -297 mm): Cover"},
      {"tiny", 0.5, 0.5, cad::PlotPaperUnits::kMillimeters, L"Damaged layout paper (0.5 x 0.5 mm): Cover"},
      {"not a number", nan, 297, cad::PlotPaperUnits::kMillimeters, L"Damaged layout paper (nan x 297 mm): Cover"},
      {"infinite", 420, inf, cad::PlotPaperUnits::kMillimeters, L"Damaged layout paper (420 x inf mm): Cover"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cad::Layout& cover = layout(L"Cover");
    cover.paperUnits = c.units;
    cover.paperWidthMm = c.width;
    cover.paperHeightMm = c.height;
    cover.canonicalMediaName = L"Custom";
    if (prepare({wholeLayout(L"Cover")})) {
      EXPECT_EQ(validated(prepared_[0]).canonicalMediaName, c.outcome);
      EXPECT_EQ(validated(prepared_[0]).stdScaleType(), StdScaleType::k1_1);
    } else {
      EXPECT_EQ(error(), c.outcome);
    }
  }
}

TEST_F(PagePreparationTest, AWholeLayoutKeepsItsOwnPlotAreaOnTheMediumNearestItsPaper) {
  cad::Layout& cover = layout(L"Cover");
  cover.rotation = PlotRotation::k180degrees;
  cover.plotOrigin = {3, 4};
  cover.styleSheet = L"acad.ctb";
  VexBatchPrintPageSpec page = wholeLayout(L"Cover");
  page.name.clear();
  ASSERT_TRUE(prepare({page}));
  const VexBatchPrintPreparedPage& prepared = prepared_[0];
  EXPECT_EQ(prepared.name, L"Cover");  // a page without a name takes its layout's
  EXPECT_FALSE(prepared.window.valid());
  const cad::PlotSettings& v = validated(prepared);
  EXPECT_EQ(v.plotCfgName, cad::kPdfDeviceName);
  EXPECT_EQ(v.canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  EXPECT_EQ(v.plotType(), PlotType::kLayout);
  EXPECT_EQ(v.plotRotation(), PlotRotation::k180degrees);
  EXPECT_EQ(v.stdScaleType(), StdScaleType::k1_1);
  EXPECT_FALSE(v.plotCentered());
  EXPECT_NEAR(v.plotOrigin.x, 3, kNear);
  EXPECT_EQ(v.styleSheet, L"acad.ctb");  // the layout's own style
  EXPECT_TRUE(traceLines(L"DUZOZAREDGEOMETRY").empty());
  // The layout itself is untouched.
  EXPECT_EQ(cover.plotCfgName, L"DWG To PDF.pc3");
}

TEST_F(PagePreparationTest, AWholeLayoutsPaperIsTakenInMillimetresWhateverItsPlotUnits) {
  struct Case {
    const char* what;
    cad::PlotPaperUnits units;
    double width, height;
    const wchar_t* medium;
  };
  const Case cases[] = {
      {"millimetres", cad::PlotPaperUnits::kMillimeters, 594, 420, L"ISO_full_bleed_A2_(594.00_x_420.00_MM)"},
      // An ANSI A sheet: its size is read in millimetres and must not be scaled by 25.4 again.
      {"inches", cad::PlotPaperUnits::kInches, 279.4, 215.9, L"ANSI_full_bleed_A_(11.00_x_8.50_Inches)"},
      // A size in pixels has no medium near it: an A4 search stands in.
      {"pixels", cad::PlotPaperUnits::kPixels, 1600, 1200, L"ISO_full_bleed_A4_(297.00_x_210.00_MM)"},
  };
  for (const Case& c : cases) {
    cad::Layout& cover = layout(L"Cover");
    cover.paperUnits = c.units;
    cover.paperWidthMm = c.width;
    cover.paperHeightMm = c.height;
    cover.canonicalMediaName = L"Custom";
    ASSERT_TRUE(prepare({wholeLayout(L"Cover")})) << c.what << ": " << foundation::utf8FromWideLossy(error());
    EXPECT_EQ(validated(prepared_[0]).canonicalMediaName, c.medium) << c.what;
  }
}

TEST_F(PagePreparationTest, AnOverriddenPaperIsPlottedOnThePaperOfTheWindowOrScaledToFitOnTheChosenOne) {
  VexBatchPrintPageSpec window = layoutWindow(L"Sheets", L"W", 0, 0, 420, 297, kA2);
  window.paperOverridden = true;
  VexBatchPrintPageSpec frame = modelFrame(L"M", 0, 0, 42000, 29700, kA1);
  frame.paperOverridden = true;
  VexBatchPrintPageSpec whole = wholeLayout(L"Cover", kA2);
  whole.paperOverridden = true;
  ASSERT_TRUE(prepare({window, frame, whole})) << foundation::utf8FromWideLossy(error());

  // The window goes onto the paper of its own size; normalisation fits the page to A2 later.
  EXPECT_EQ(validated(prepared_[0]).canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  expectWindow(prepared_[0].window, 420, 297, 0, 0, 420, 297);
  EXPECT_EQ(validated(prepared_[1]).canonicalMediaName, L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
  // The whole layout is put on the chosen paper, centred and scaled to fit.
  const cad::PlotSettings& v = validated(prepared_[2]);
  EXPECT_EQ(v.canonicalMediaName, L"ISO_full_bleed_A2_(594.00_x_420.00_MM)");
  EXPECT_EQ(v.stdScaleType(), StdScaleType::kScaleToFit);
  EXPECT_TRUE(v.plotCentered());
  EXPECT_EQ(v.plotType(), PlotType::kLayout);
}

TEST_F(PagePreparationTest, AChosenPlotStyleIsInEveryPagesValidatedSettings) {
  cad::plotInfoValidatorFaults().dropStyleSheet = true;
  ASSERT_TRUE(prepare({modelFrame(L"M", 0, 0, 42000, 29700, kA3), layoutWindow(L"Sheets", L"W", 0, 0, 420, 297, kA3),
                       wholeLayout(L"Cover")},
                      L"monochrome.ctb"));
  for (const VexBatchPrintPreparedPage& page : prepared_) {
    EXPECT_EQ(page.settings->styleSheet, L"monochrome.ctb");
    EXPECT_EQ(validated(page).styleSheet, L"monochrome.ctb");
    ASSERT_NE(page.repairedSettings, nullptr);  // the host dropped it; the page keeps the rebuilt settings
  }
  EXPECT_EQ(traceLines(L"DUZOZAREDPLOTSTYLEVALIDATED").size(), 3u);
}

// Fails the next open of an object as soon as CTAB names a layout, i.e. after the layout was found.
class FailOpenAfterActivation : public cad::EditorReactor {
 public:
  explicit FailOpenAfterActivation(cad::Object& object) : object_(object) { cad::editor().addReactor(this); }
  ~FailOpenAfterActivation() override { cad::editor().removeReactor(this); }
  void sysVarChanged(const wchar_t* name, bool success) override {
    if (success && std::wstring(name) == L"CTAB") object_.faults.open = true;
  }

 private:
  cad::Object& object_;
};

TEST_F(PagePreparationTest, EveryFailureStopsThePreparationWithItsText) {
  struct Case {
    std::wstring error;
    std::vector<VexBatchPrintPageSpec> pages;
    std::function<void()> arrange;
  };
  const VexBatchPrintPageSpec model = modelFrame(L"M-1", 0, 0, 42000, 29700, kA3);
  const VexBatchPrintPageSpec window = layoutWindow(L"Sheets", L"W-1", 0, 0, 420, 297, kA3);
  const VexBatchPrintPageSpec longWindow = layoutWindow(L"Long", L"L-1", 0, 0, 630, 297, kA3Long);
  const VexBatchPrintPageSpec whole = wholeLayout(L"Cover");
  auto validatorFault = [this](bool cad::PlotSettingsValidator::Faults::*fault) {
    return [this, fault] { validator_->faults.*fault = true; };
  };
  auto removeA3 = [this] { pdfDevice().removeMediaOfSize(297, 420); };
  const std::wstring status4 = std::to_wstring(cad::eInvalidInput);
  const Case cases[] = {
      {L"No pages to plot", {}, [] {}},
      {L"PDF plot device is unavailable", {model}, [] { cad::acplPlotConfigManagerPtr()->setStdConfigName(11, L""); }},
      {L"PDF plot device is unavailable", {model}, [] { cad::setPlotConfigManagerAbsent(true); }},
      {L"PDF plot device is unavailable", {window}, [] { cad::setPlotSettingsValidatorAbsent(true); }},
      {L"PDF plot device is unavailable", {window}, [] { cad::setLayoutManagerAbsent(true); }},
      {L"Invalid model frame: M-1",
       {model},
       [this] { std::erase_if(layoutDictionary().entries, [](const auto& e) { return e.first == L"Model"; }); }},
      {L"Invalid model frame: flat", {modelFrame(L"flat", 0, 0, 42000, 0, kA3)}, [] {}},
      {L"Cannot activate model layout", {model}, [] { cad::systemVariables().faults.set.insert(L"CTAB"); }},
      {L"Cannot clone model plot settings", {model}, [this] { layout(L"Model").settingsFaults.copyFrom = true; }},
      {L"Cannot select PDF device for model frame",
       {model},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotCfgName)},
      {L"Cannot match A3 paper for model frame", {model}, removeA3},
      {L"Cannot transform model frame to plot DCS", {model}, [] { cad::ucsState().faults.trans = true; }},
      {L"Cannot set plot window for model frame",
       {model},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotWindowArea)},
      {L"Cannot enable window plot for model frame",
       {model},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotType)},
      {L"Plot validation failed for model frame: M-1 status=" + status4,
       {model},
       [] { cad::plotInfoValidatorFaults().failOnCall = 1; }},
      {L"Layout not found: sheets", {layoutWindow(L"sheets", L"W", 0, 0, 420, 297, kA3)}, [] {}},
      {L"Cannot activate layout: Sheets", {window}, [] { cad::systemVariables().faults.set.insert(L"CTAB"); }},
      {L"Cannot clone plot settings for: Sheets",
       {window},
       [this] { layout(L"Sheets").settingsFaults.copyFrom = true; }},
      {L"Cannot select PDF device for: Cover",
       {whole},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotCfgName)},
      {L"No PDF medium holds the whole layout at 1:1 (420 x 297 mm): Cover",
       {whole},
       [this] {
         for (const wchar_t* part : {L"ISO", L"ANSI"}) pdfDevice().removeMediaNamedWith(part);
       }},
      {L"Invalid layout frame: W-0", {layoutWindow(L"Sheets", L"W-0", 420, 0, 0, 297, kA3)}, [] {}},
      {L"Cannot select PDF device for layout frame",
       {window},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotCfgName)},
      {L"Cannot match A3 carrier paper for layout frame", {longWindow}, removeA3},
      {L"Cannot set plot window for layout frame",
       {window},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotWindowArea)},
      {L"Cannot enable window plot for layout frame",
       {window},
       validatorFault(&cad::PlotSettingsValidator::Faults::setPlotType)},
      {L"Plot validation failed for: Cover status=" + status4,
       {whole},
       [] { cad::plotInfoValidatorFaults().failOnCall = 1; }},
      {L"Plot style type does not match the current drawing: acad.stb; required=.ctb", {window}, [] {}},
      {L"Validated PDF paper does not match A3: W-1",
       {window},
       [] { cad::plotInfoValidatorFaults().switchMedium = L"ISO_A4_(210.00_x_297.00_MM)"; }},
      {L"Validated centered plot window unavailable",
       {model},
       [] { cad::plotInfoValidatorFaults().clearCentered = true; }},
      {L"Validated centered plot window unavailable",
       {window},
       [] { cad::plotInfoValidatorFaults().clearScaleToFit = true; }},
      {L"Validated centered plot window unavailable",
       {window},
       [] { cad::plotInfoValidatorFaults().clearWindow = true; }},
      {L"Invalid native PDF printable area",
       {window},
       [this] {
         cad::PlotDevice& device = pdfDevice();
         cad::Medium broken = *device.medium(L"ISO_full_bleed_A3_(420.00_x_297.00_MM)");
         broken.left = broken.right = 215;
         device.removeMediaOfSize(297, 420);
         device.addMedium(broken);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(foundation::utf8FromWideLossy(c.error));
    prepared_.clear();
    TearDown();
    SetUp();
    c.arrange();
    const std::wstring style = c.error.starts_with(L"Plot style type") ? L"acad.stb" : L"";
    EXPECT_FALSE(prepare(c.pages, style));
    EXPECT_EQ(error(), c.error);
    EXPECT_TRUE(prepared_.empty());
  }
}

TEST_F(PagePreparationTest, ALayoutThatCannotBeOpenedAfterItWasFoundFailsWithItsName) {
  {
    FailOpenAfterActivation failing(layout(L"Model"));
    EXPECT_FALSE(prepare({modelFrame(L"M-1", 0, 0, 42000, 29700, kA3)}));
    EXPECT_EQ(error(), L"Cannot open model layout");
  }
  layout(L"Model").faults.open = false;
  {
    FailOpenAfterActivation failing(layout(L"Sheets"));
    EXPECT_FALSE(prepare({layoutWindow(L"Sheets", L"W-1", 0, 0, 420, 297, kA3)}));
    EXPECT_EQ(error(), L"Cannot open layout: Sheets");
  }
}

TEST_F(PagePreparationTest, PagesPreparedBeforeAFailureStayForTheCallerToDiscard) {
  EXPECT_FALSE(
      prepare({modelFrame(L"M-1", 0, 0, 42000, 29700, kA3), layoutWindow(L"Sheets", L"W-1", 0, 0, 420, 297, kA3),
               layoutWindow(L"Gone", L"W-2", 0, 0, 420, 297, kA3)}));
  EXPECT_EQ(error(), L"Layout not found: Gone");
  ASSERT_EQ(prepared_.size(), 2u);
  EXPECT_EQ(prepared_[1].name, L"W-1");
  // A new call starts from an empty list.
  ASSERT_TRUE(prepare({wholeLayout(L"Cover")}));
  EXPECT_EQ(prepared_.size(), 1u);
}

TEST_F(PagePreparationTest, AnUnsavedDrawingGivesThePlotInfoNoOriginalFile) {
  db().filename.clear();
  ASSERT_TRUE(prepare({wholeLayout(L"Cover")}));
  EXPECT_EQ(prepared_[0].plotInfo->OrgFilePath(), L"");
}

TEST_F(PagePreparationTest, ValidatedSettingsThatCannotBeReadGiveNoWindow) {
  ASSERT_TRUE(prepare({layoutWindow(L"Sheets", L"W-1", 0, 0, 420, 297, kA3)}));
  VexBatchPrintPreparedPage& page = prepared_[0];
  // The host's validated settings are its own; only a test reaches in to make their reads fail.
  auto& validatedSettings = const_cast<cad::PlotSettings&>(*page.plotInfo->validatedSettings());
  for (bool cad::PlotSettings::SettingsFaults::*fault :
       {&cad::PlotSettings::SettingsFaults::margins, &cad::PlotSettings::SettingsFaults::windowArea}) {
    validatedSettings.settingsFaults = {};
    validatedSettings.settingsFaults.*fault = true;
    EXPECT_FALSE(vexBatchCapturePdfWindow(page, kA3));
    EXPECT_EQ(error(), L"Cannot read validated PDF media and plot window");
  }
  validatedSettings.settingsFaults = {};
  page.plotInfo = std::make_unique<cad::PlotInfo>();
  EXPECT_FALSE(vexBatchCapturePdfWindow(page, kA3));
  EXPECT_EQ(error(), L"Validated PDF paper does not match A3: W-1");
}

}  // namespace
}  // namespace plot_test

// The compact panel in this process: its window and option row, the plot-style list and the saved settings
// (values out of range or of the wrong type), its actions and what they queue, the selected area kept only in
// its drawing and layout, the print-area marks of its pages, and the panel following drawing and layout
// switches.
#include <string>
#include <vector>

#include "cad/layout_manager.h"
#include "core/host_bridge.h"
#include "core/panel_lifecycle.h"
#include "core/print_area_marks.h"
#include "full_panel_fixture.h"
#include "panels/lite_export.h"
#include "panels/lite_panel.h"
#include "panels/lite_panel_window.h"
#include "toolkit/button.h"
#include "toolkit/menu.h"
#include "toolkit/modal_responder.h"
#include "toolkit/pop_up_button.h"

namespace panels_test {
namespace {

class LitePanelTest : public FullPanelTest {
 protected:
  void SetUp() override {
    FullPanelTest::SetUp();
    gBatchLiteOutput.clear();
    gBatchLiteRange = {};
    vexBatchLiteForgetQueuedExport();
    toolkit::ModalResponder::shared().reset();
  }
  void TearDown() override {
    vexBatchLiteShutdown();
    toolkit::ModalResponder::shared().reset();
    gBatchLiteOutput.clear();
    gBatchLiteRange = {};
    FullPanelTest::TearDown();
  }

  static QDLLitePanel& lite() {
    EXPECT_NE(gBatchLitePanel, nullptr);
    return *gBatchLitePanel;
  }
  static foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }

  static std::vector<std::wstring> queued() {
    std::vector<std::wstring> texts;
    for (const auto& call : cad::docManager().sendStringCalls) texts.push_back(call.text);
    return texts;
  }

  static std::vector<std::string> styleTitles() { return lite().plotStyleMode()->itemTitles(); }
  static std::string selectedStyle() { return lite().plotStyleMode()->titleOfSelectedItem(); }

  // As the user switches, through the host's layout tabs.
  static void setLayout(const std::wstring& name) {
    ASSERT_EQ(cad::layoutManager()->setCurrentLayout(name.c_str()), cad::eOk);
  }
};

TEST_F(LitePanelTest, TheWindowGrowsByItsOptionRowAtTheFirstShowKeepingItsTopEdge) {
  QDLLitePanel created;
  QDLApplicationPanel& window = *created.panel();
  EXPECT_EQ(window.contentRect().size, (toolkit::Size{380, 420}));
  EXPECT_FALSE(created.proOptionsVisible());
  EXPECT_TRUE(created.paperMode()->isHidden());
  EXPECT_FALSE(created.mergePDF()->isEnabled());
  EXPECT_EQ(created.button("automatic")->frame().origin.y, 250);
  const double top = window.frame().origin.y + window.frame().size.height;

  created.setProOptionsVisible(true);
  EXPECT_EQ(window.contentRect().size, (toolkit::Size{380, 496}));
  EXPECT_DOUBLE_EQ(window.frame().origin.y + window.frame().size.height, top);
  EXPECT_EQ(created.button("automatic")->frame(), (toolkit::Rect{20, 326, 108, 28}));
  EXPECT_EQ(created.button("range")->frame(), (toolkit::Rect{136, 326, 108, 28}));
  EXPECT_EQ(created.button("showRanges")->frame(), (toolkit::Rect{252, 326, 108, 28}));
  EXPECT_EQ(created.output()->frame(), (toolkit::Rect{20, 367, 340, 38}));
  EXPECT_EQ(created.button("pro")->frame(), (toolkit::Rect{20, 421, 340, 28}));
  EXPECT_EQ(created.button("settings")->frame(), (toolkit::Rect{322, 40, 36, 30}));
  // The paper pop-up ends 24 points before the check box, which ends at 360.
  const toolkit::Rect box = created.mergePDF()->frame();
  EXPECT_DOUBLE_EQ(box.origin.x + box.size.width, 360);
  EXPECT_DOUBLE_EQ(created.paperMode()->frame().origin.x + created.paperMode()->frame().size.width, box.origin.x - 24);
  EXPECT_EQ(window.centerCount(), 1);

  // Hiding the row again gives back the 76 points; nothing moves when the height is already right.
  created.setProOptionsVisible(false);
  EXPECT_EQ(window.contentRect().size, (toolkit::Size{380, 420}));
  EXPECT_DOUBLE_EQ(window.frame().origin.y + window.frame().size.height, top);
}

TEST_F(LitePanelTest, StoredPaperModesAreClampedAndOtherTypesFallBackToAutomatic) {
  const struct {
    foundation::DefaultsValue stored;
    long selected;
  } cases[] = {{std::int64_t{9}, 5}, {std::int64_t{-1}, 0}, {std::int64_t{3}, 3},        {std::string("A2"), 0},
               {2.9, 2},             {true, 1},            {std::vector<std::string>{"x"}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    ASSERT_TRUE(defaults().setObject(c.stored, "Quodline.LitePaperMode"));
    QDLLitePanel created;
    EXPECT_EQ(created.paperMode()->indexOfSelectedItem(), c.selected);
    EXPECT_EQ(QDLLiteSavedPaperMode(), c.selected);
  }
  ASSERT_TRUE(defaults().removeObjectForKey("Quodline.LitePaperMode"));
  EXPECT_EQ(QDLLiteSavedPaperMode(), 0);
  EXPECT_FALSE(QDLLiteWantsMergedOutput(true));
  ASSERT_TRUE(defaults().setString("YES", "Quodline.LiteMergePDF"));
  EXPECT_TRUE(QDLLiteWantsMergedOutput(true));
  EXPECT_FALSE(QDLLiteWantsMergedOutput(false));
}

TEST_F(LitePanelTest, ThePlotStyleListOffersTheMonochromeStyleOnlyForColourDependentDrawings) {
  const std::vector<std::string> ctb = {"acad.ctb", "monochrome.ctb"};
  const struct {
    bool named;
    std::optional<std::string> stored;
    std::vector<std::string> styles;
    std::vector<std::string> titles;
    std::string selected;
  } cases[] = {
      {false, std::nullopt, ctb, {"黑白 · 0.05 mm", "按布局设置", "acad.ctb", "monochrome.ctb"}, "黑白 · 0.05 mm"},
      {true, std::nullopt, {"acad.stb"}, {"按布局设置", "acad.stb"}, "按布局设置"},
      {true, "__lite_mono__", {"acad.stb"}, {"按布局设置", "acad.stb", "不可用：Mono · 0.05 mm"},
       "不可用：Mono · 0.05 mm"},
      {false, "", ctb, {"黑白 · 0.05 mm", "按布局设置", "acad.ctb", "monochrome.ctb"}, "按布局设置"},
      {false, "monochrome.ctb", ctb, {"黑白 · 0.05 mm", "按布局设置", "acad.ctb", "monochrome.ctb"}, "monochrome.ctb"},
      {false, "gone.ctb", ctb, {"黑白 · 0.05 mm", "按布局设置", "acad.ctb", "monochrome.ctb", "不可用：gone.ctb"},
       "不可用：gone.ctb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(none)"));
    if (c.stored) {
      ASSERT_TRUE(defaults().setString(*c.stored, "Quodline.LitePlotStyle"));
    } else {
      static_cast<void>(defaults().removeObjectForKey("Quodline.LitePlotStyle"));
    }
    QDLLitePanel created;
    created.reloadPlotStyles(c.styles, c.named);
    EXPECT_EQ(created.plotStyleMode()->itemTitles(), c.titles);
    EXPECT_EQ(created.plotStyleMode()->titleOfSelectedItem(), c.selected);
    EXPECT_EQ(created.plotStyleMode()->toolTip(), c.selected);
  }

  // A name listed twice shows once, as pop-up buttons keep one item a title, and is the one chosen.
  ASSERT_TRUE(defaults().setString("acad.ctb", "Quodline.LitePlotStyle"));
  QDLLitePanel twice;
  twice.reloadPlotStyles({"acad.ctb", "acad.ctb"}, false);
  EXPECT_EQ(twice.plotStyleMode()->itemTitles(), (std::vector<std::string>{"黑白 · 0.05 mm", "按布局设置", "acad.ctb"}));
  EXPECT_EQ(twice.plotStyleMode()->titleOfSelectedItem(), "acad.ctb");

  // In English the monochrome name and the unavailable item follow; the choice stays selected.
  ASSERT_TRUE(defaults().setString("__lite_mono__", "Quodline.LitePlotStyle"));
  twice.reloadPlotStyles({"acad.stb"}, true);
  useLanguage("en");
  EXPECT_EQ(twice.plotStyleMode()->itemTitles(),
            (std::vector<std::string>{"Layout settings", "acad.stb", "Unavailable: Mono · 0.05 mm"}));
  EXPECT_EQ(twice.plotStyleMode()->indexOfSelectedItem(), 2);
  EXPECT_EQ(twice.paperLabel()->stringValue(), "Paper");
  EXPECT_EQ(twice.output()->title(), "Export PDF");
}

TEST_F(LitePanelTest, ChangesAreSavedOnlyWhileTheOptionRowShowsAndTheMergeReportsItself) {
  std::vector<std::string> reported;
  QDLLitePanel created;
  created.setActionHandler([&reported](const std::string& key) { reported.push_back(key); });
  created.reloadPlotStyles({"acad.ctb"}, false);
  // Hidden row: the controls are disabled and nothing is saved.
  created.mergeChanged(*created.mergePDF());
  EXPECT_FALSE(defaults().hasKey("Quodline.LiteMergePDF"));

  created.setProOptionsVisible(true);
  ASSERT_TRUE(created.paperMode()->userSelectItem(2));
  EXPECT_EQ(defaults().integerForKey("Quodline.LitePaperMode"), 2);
  EXPECT_EQ(created.paperMode()->toolTip(), "A3");
  ASSERT_TRUE(created.plotStyleMode()->userSelectItem(2));
  EXPECT_EQ(defaults().stringForKey("Quodline.LitePlotStyle"), "acad.ctb");
  ASSERT_TRUE(created.plotStyleMode()->userSelectItem(1));
  EXPECT_EQ(defaults().stringForKey("Quodline.LitePlotStyle"), "");
  created.mergePDF()->performClick();
  EXPECT_TRUE(defaults().boolForKey("Quodline.LiteMergePDF"));
  EXPECT_EQ(reported, std::vector<std::string>{"mergeMode"});

  for (const char* key : {"automatic", "range", "showRanges", "output", "pro", "settings"}) {
    created.button(key)->performClick();
  }
  EXPECT_EQ(reported, (std::vector<std::string>{"mergeMode", "automatic", "range", "showRanges", "output", "pro",
                                                "settings"}));
}

TEST_F(LitePanelTest, TheSettingsMenuChoosesTheFolderAndTheLanguage) {
  ASSERT_NE(open(kLayoutsSample), nullptr);
  vexBatchPrintLiteShow();
  toolkit::ModalResponder& responder = toolkit::ModalResponder::shared();

  responder.pickNextMenuItem({"输出位置…"});
  responder.answerNextFilePanel({true, {folder_.path()}});
  lite().button("settings")->performClick();
  EXPECT_EQ(gBatchLiteOutput, folder_.path());
  ASSERT_EQ(responder.filePanels().size(), 1u);
  EXPECT_TRUE(responder.filePanels()[0].canChooseDirectories);
  EXPECT_FALSE(responder.filePanels()[0].canChooseFiles);
  EXPECT_TRUE(responder.filePanels()[0].canCreateDirectories);
  ASSERT_EQ(responder.menus().size(), 1u);
  EXPECT_EQ(responder.menus()[0].itemTitles, (std::vector<std::string>{"输出位置…", "语言"}));

  // A cancelled choice keeps the folder.
  responder.pickNextMenuItem({"输出位置…"});
  responder.answerNextFilePanel(toolkit::FilePanelAnswer::cancel());
  lite().button("settings")->performClick();
  EXPECT_EQ(gBatchLiteOutput, folder_.path());

  // English: every line again, the choice kept, the check mark on the new preference.
  ASSERT_TRUE(lite().plotStyleMode()->userSelectItem(2));
  const long style = lite().plotStyleMode()->indexOfSelectedItem();
  responder.pickNextMenuItem({"语言", "English"});
  lite().button("settings")->performClick();
  EXPECT_EQ(QDLLanguagePreference(), "en");
  EXPECT_EQ(lite().panel()->title(), "Ferrolin Duzoz Ared · Lite");
  EXPECT_EQ(lite().status()->stringValue(), "Separate PDFs");
  EXPECT_EQ(lite().selection()->stringValue(), "Automatic frame detection");
  EXPECT_EQ(lite().button("range")->accessibilityLabel(), "Select print area");
  EXPECT_EQ(lite().plotStyleMode()->indexOfSelectedItem(), style);
  EXPECT_EQ(lite().settingsMenu()->items()[2]->submenu()->items()[3]->state(), 1);
}

TEST_F(LitePanelTest, EachActionQueuesItsCommandAndNothingHappensWhileAnExportRuns) {
  ASSERT_NE(open(kLayoutsSample), nullptr);
  const struct {
    const char* key;
    std::vector<std::wstring> queued;
    bool visibleAfter;
  } cases[] = {
      {"output", {L"\x1B\x1B_DUZOZAREDLITEEXEC "}, true},
      {"pro", {L"\x1B\x1B_DUZOZAREDPRO "}, true},
      {"range", {L"\x1B\x1B_DUZOZAREDSELECTRANGE "}, false},
      {"showRanges", {L"\x1B\x1B_DUZOZAREDSHOWRANGES "}, false},
      {"automatic", {}, true},
      {"mergeMode", {}, true},
      {"unknown", {}, true},
  };
  for (const bool exporting : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.key << " exporting=" << exporting);
      vexBatchLiteForgetQueuedExport();
      vexBatchPrintLiteShow();
      cad::docManager().sendStringCalls.clear();
      gBatchLitePrinting = exporting;
      vexBatchLiteHandleAction(c.key);
      gBatchLitePrinting = false;
      EXPECT_EQ(queued(), exporting ? std::vector<std::wstring>{} : c.queued);
      EXPECT_EQ(vexBatchLiteVisible(), exporting || c.visibleAfter);
    }
  }
  EXPECT_TRUE(defaults().boolForKey("Quodline.LiteMode"));
}

TEST_F(LitePanelTest, ASecondPressWhileTheExportIsQueuedQueuesNothing) {
  ASSERT_NE(open(kLayoutsSample), nullptr);
  vexBatchPrintLiteShow();
  const long beeps = toolkit::beepCount();
  vexBatchLiteHandleAction("output");
  EXPECT_FALSE(lite().output()->isEnabled());
  vexBatchLiteHandleAction("output");
  vexBatchLiteHandleAction("output");
  EXPECT_EQ(queued(), std::vector<std::wstring>{L"\x1B\x1B_DUZOZAREDLITEEXEC "});
  EXPECT_EQ(toolkit::beepCount(), beeps + 2);
  // The command takes the request when it starts (here it finds no folder and stops).
  static_cast<void>(vexBatchPrintLiteExecute());
  EXPECT_FALSE(vexBatchLiteExportQueued());
  EXPECT_TRUE(lite().output()->isEnabled());
}

TEST_F(LitePanelTest, TheSelectedAreaBelongsToItsDrawingAndLayout) {
  const VexBatchLayoutSelectionRange area{VexBatchPrintSourceLayout, L"A3 Block", 0, 0, 100, 100, true};
  cad::Document* a = open(kLayoutsSample);
  ASSERT_NE(a, nullptr);
  setLayout(L"A3 Block");
  vexBatchLiteSaveRange(area);
  vexBatchPrintLiteShow();
  EXPECT_EQ(lite().selection()->stringValue(), "已限定框选范围");
  EXPECT_EQ(lite().filename()->stringValue(), "layouts-frames.dxf");

  // Another layout forgets it.
  setLayout(L"A4 Portrait");
  vexBatchPrintLiteShow();
  EXPECT_EQ(lite().selection()->stringValue(), "自动识别图框");

  // Another drawing and back forgets it too; the folder stays.
  setLayout(L"A3 Block");
  vexBatchLiteSaveRange(area);
  gBatchLiteOutput = "/somewhere";
  cad::Document* b = open(kModelSample);
  ASSERT_NE(b, nullptr);
  vexBatchLiteSyncContext();
  ASSERT_EQ(cad::docManager().activateDocument(a), cad::eOk);
  vexBatchPrintLiteShow();
  EXPECT_FALSE(gBatchLiteRange.active);
  EXPECT_EQ(gBatchLiteOutput, "/somewhere");

  // "automatic" forgets an area of this very layout.
  vexBatchLiteSaveRange(area);
  vexBatchLiteHandleAction("automatic");
  EXPECT_FALSE(gBatchLiteRange.active);
  EXPECT_EQ(lite().selection()->stringValue(), "自动识别图框");
}

TEST_F(LitePanelTest, TwoUnsavedDrawingsKeepTheirAreasApart) {
  auto first = cad::Database::createDefault();
  auto second = cad::Database::createDefault();
  cad::Document* a = cad::docManager().addDocument(std::move(first), L"Drawing1.dwg");
  cad::Document* b = cad::docManager().addDocument(std::move(second), L"Drawing1.dwg");
  ASSERT_TRUE(a != nullptr && b != nullptr);
  ASSERT_EQ(cad::docManager().activateDocument(a), cad::eOk);
  vexBatchLiteSaveRange({VexBatchPrintSourceModel, L"Model", 0, 0, 10, 10, true});
  ASSERT_EQ(cad::docManager().activateDocument(b), cad::eOk);
  vexBatchLiteSyncContext();
  EXPECT_FALSE(gBatchLiteRange.active);
}

TEST_F(LitePanelTest, ThePrintAreaMarksAreThePagesOfTheSelectedAreaNumberedInExportOrder) {
  ASSERT_NE(open(kModelSample), nullptr);
  cad::resbuf model;
  model.restype = cad::RTSHORT;
  model.resval.rint = 1;
  ASSERT_EQ(cad::acedSetVar(L"TILEMODE", model), cad::RTNORM);
  vexBatchLitePrepareRangeTargets();
  const std::vector<VexBatchFocusTarget> all = gBatchPrintRangeTargets;
  ASSERT_GE(all.size(), 2u);
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].number, i + 1);
    EXPECT_TRUE(all[i].pending);
    EXPECT_EQ(all[i].source, VexBatchPrintSourceModel);
  }
  // An area around the second frame only, just 0.5 units short of it on every side: that frame alone, number 1.
  const VexBatchFocusTarget& second = all[1];
  vexBatchLiteSaveRange({VexBatchPrintSourceModel, L"Model", second.minX + 0.5, second.minY + 0.5, second.maxX - 0.5,
                         second.maxY - 0.5, true});
  vexBatchLitePrepareRangeTargets();
  ASSERT_EQ(gBatchPrintRangeTargets.size(), 1u);
  EXPECT_EQ(gBatchPrintRangeTargets[0].number, 1u);
  EXPECT_DOUBLE_EQ(gBatchPrintRangeTargets[0].minX, second.minX);
  // Beyond the tolerance it is out.
  gBatchLiteRange.minX += 0.01;
  vexBatchLitePrepareRangeTargets();
  EXPECT_TRUE(gBatchPrintRangeTargets.empty());
}

TEST_F(LitePanelTest, APaperSpaceAreaTakesOnlyWindowsOfItsLayout) {
  VexBatchPrintPageSpec page;
  page.layoutName = L"A3 Block";
  page.maxX = page.maxY = 10;
  gBatchLiteRange = {VexBatchPrintSourceLayout, L"A3 Block", 0, 0, 10, 10, true};
  EXPECT_FALSE(vexBatchLitePageInsideRange(page));  // a whole layout
  page.layoutWindow = true;
  EXPECT_TRUE(vexBatchLitePageInsideRange(page));
  page.layoutName = L"A4 Portrait";
  EXPECT_FALSE(vexBatchLitePageInsideRange(page));
  gBatchLiteRange.active = false;
  EXPECT_TRUE(vexBatchLitePageInsideRange(page));
}

TEST_F(LitePanelTest, TheShownPanelFollowsDrawingAndLayoutSwitches) {
  cad::Document* a = open(kLayoutsSample);
  ASSERT_NE(a, nullptr);
  setLayout(L"A3 Block");
  vexBatchPrintLiteShow();
  vexBatchLiteSaveRange({VexBatchPrintSourceLayout, L"A3 Block", 0, 0, 500, 500, true});
  vexBatchPrintLiteShow();
  EXPECT_EQ(lite().selection()->stringValue(), "已限定框选范围");

  // The plug-in's own switch and its restore, as a compact export makes them, change nothing shown.
  vexBatchLiteSetStatus("输出已取消");
  ASSERT_TRUE(vexBatchActivateLayout(L"A4 Portrait"));
  ASSERT_TRUE(vexBatchActivateLayout(L"A3 Block"));
  after(0);
  EXPECT_EQ(lite().status()->stringValue(), "输出已取消");
  EXPECT_EQ(lite().selection()->stringValue(), "已限定框选范围");

  setLayout(L"A4 Portrait");
  after(0);
  EXPECT_EQ(lite().selection()->stringValue(), "自动识别图框");
  EXPECT_EQ(lite().status()->stringValue(), "独立 PDF");

  ASSERT_NE(open(kModelSample, L"/drawings/总图.dxf"), nullptr);
  after(0);
  EXPECT_EQ(lite().filename()->stringValue(), "总图.dxf");
  EXPECT_TRUE(vexBatchLiteVisible());
  EXPECT_TRUE(vexBatchPrintPanelIsVisible());

  // Closing every drawing leaves the panel saying so, its controls off.
  for (cad::Document* doc : cad::docManager().documents()) ASSERT_EQ(cad::docManager().closeDocument(doc), cad::eOk);
  after(0);
  EXPECT_EQ(lite().filename()->stringValue(), "未打开图纸");
  EXPECT_FALSE(lite().output()->isEnabled());
  EXPECT_FALSE(lite().paperMode()->isEnabled());
  EXPECT_TRUE(lite().button("pro")->isEnabled());
}

}  // namespace
}  // namespace panels_test

// The full panel's rows from the sample drawings (both sources, both scopes, a range, manual rows, a change of
// drawing), the plot-style refill, and the panel following the drawing and layout the user works in.

#include <algorithm>

#include "cad/command_line.h"
#include "core/panel_lifecycle.h"
#include "foundation/user_defaults.h"
#include "full_panel_fixture.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"

namespace panels_test {
namespace {

class FullPanelRowsTest : public FullPanelTest {
 protected:
  static void allLayouts() { panel().layoutScope()->setSelectedSegment(1); }
  static void modelFrames() { panel().sourceMode()->setSelectedSegment(1); }
  static void setCurrentLayout(const std::wstring& name) {
    cad::resbuf value;
    value.restype = cad::RTSTR;
    value.resval.rstring = const_cast<wchar_t*>(name.c_str());
    ASSERT_EQ(cad::acedSetVar(L"CTAB", value), cad::RTNORM);
  }
};

TEST_F(FullPanelRowsTest, LayoutsGiveOneRowPerSheetWithItsNamesAndPaper) {
  open(kLayoutsSample);
  allLayouts();
  VexBatchPrintPanelController& p = shown();
  ASSERT_EQ(names(p.rows()), (std::vector<std::string>{"A3 Block 图框 01", "A3 Polylines 图框 01", "A4 Portrait 图框 01"}));
  EXPECT_EQ(papers(p.rows()), (std::vector<std::string>{"A3｜420 × 297", "A3｜420 × 297", "A4｜210 × 297"}));
  const VexBatchPrintRow& first = *p.rows()[0];
  EXPECT_TRUE(first.selected);
  EXPECT_EQ(first.sourceName, "A3 Block");
  EXPECT_TRUE(first.setupName.starts_with("A3 Block｜实际图框")) << first.setupName;
  EXPECT_TRUE(first.layoutWindow);
  EXPECT_TRUE(first.exactPaperFrame);
  EXPECT_EQ(first.paperShortSide, 297);
  EXPECT_EQ(first.paperLongSide, 420);
  EXPECT_EQ(first.originalPaperName, first.paperName);
  EXPECT_FALSE(first.paperOverridden);
  EXPECT_EQ(first.contentScalePercent, 100);
  EXPECT_EQ(p.headingLabel()->stringValue(), "当前图纸：全部布局 / 布局图框");
  EXPECT_TRUE(p.layoutScope()->isEnabled());
  EXPECT_EQ(p.drawingKey(), kLayoutsSample);
}

TEST_F(FullPanelRowsTest, TheCurrentLayoutScopeKeepsOnlyItsRows) {
  open(kLayoutsSample);
  VexBatchPrintPanelController& p = shown();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"A3 Block 图框 01"}));
  EXPECT_EQ(p.headingLabel()->stringValue(), "当前布局：A3 Block");
  // Choosing the scope reloads at once and is saved.
  choose(*p.layoutScope(), 1);
  EXPECT_EQ(p.rows().size(), 3u);
  EXPECT_EQ(foundation::UserDefaults::standard().integerForKey("Quodline.LayoutScope"), 1);
}

TEST_F(FullPanelRowsTest, OnTheModelTabTheCurrentLayoutScopeListsEveryLayout) {
  open(kLayoutsSample);
  setCurrentLayout(L"Model");
  VexBatchPrintPanelController& p = panel();
  p.reloadFromActiveDrawing();  // layouts chosen, current layout scope
  EXPECT_EQ(p.rows().size(), 3u);
  EXPECT_EQ(p.headingLabel()->stringValue(), "当前图纸：全部布局 / 布局图框");
}

TEST_F(FullPanelRowsTest, ModelSpaceFramesAt1To100) {
  open(kModelSample);
  modelFrames();
  VexBatchPrintPanelController& p = panel();
  p.reloadFromActiveDrawing();
  ASSERT_EQ(p.rows().size(), 7u);
  for (const auto& row : p.rows()) {
    EXPECT_TRUE(row->layoutName.starts_with("模型图框 ")) << row->layoutName;
    EXPECT_EQ(row->sourceName, row->layoutName);
    EXPECT_EQ(row->source, VexBatchPrintSourceModel);
    EXPECT_EQ(row->sourceTabOrder, 0);
    EXPECT_FALSE(row->setupName.empty());
  }
  // Paper recognition of the panel's rows works on the drawing's units: a frame drawn at 1:100 is larger than
  // any sheet and reads as A3, its text giving the frame's size.
  EXPECT_EQ(p.rows()[0]->paperName, "A3｜84100 × 59400");
  EXPECT_EQ(p.headingLabel()->stringValue(), "模型空间图框");
  EXPECT_EQ(p.statusLabel()->stringValue(), "模型图框复用布局物理边界规则，不依赖视口；DWG 不修改、不保存。");
  EXPECT_FALSE(p.layoutScope()->isEnabled());
  EXPECT_TRUE(p.paperMode()->isEnabled());
}

TEST_F(FullPanelRowsTest, AModelRangeKeepsFramesWithinHalfAUnit) {
  open(kModelSample);
  modelFrames();
  VexBatchPrintPanelController& p = panel();
  p.reloadFromActiveDrawing();
  ASSERT_FALSE(p.rows().empty());
  const VexBatchPrintRow frame = *p.rows()[0];
  const auto keeps = [&](double by) {
    gBatchLayoutSelectionRange = {VexBatchPrintSourceModel, L"Model", frame.minX + by, frame.minY,
                                  frame.maxX,               frame.maxY, true};
    p.reloadFromActiveDrawing();
    return std::any_of(p.rows().begin(), p.rows().end(), [&](const auto& r) { return r->minX == frame.minX; });
  };
  EXPECT_TRUE(keeps(0.4));
  EXPECT_FALSE(keeps(0.6));
  EXPECT_NE(p.recognitionStatusLabel()->stringValue().find("已限定模型框选范围"), std::string::npos);
}

TEST_F(FullPanelRowsTest, ALayoutRangeDropsWholeLayoutsAndOtherLayouts) {
  open(kLayoutsSample);
  allLayouts();
  VexBatchPrintPanelController& p = panel();
  p.reloadFromActiveDrawing();
  const VexBatchPrintRow a4 = *p.rows()[2];
  gBatchLayoutSelectionRange = {VexBatchPrintSourceLayout, L"A4 Portrait", a4.minX - 1, a4.minY - 1, a4.maxX + 1,
                                a4.maxY + 1, true};
  p.reloadFromActiveDrawing();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"A4 Portrait 图框 01"}));
}

TEST_F(FullPanelRowsTest, ManualRowsStayWithTheirSourceAndGoWithTheDrawing) {
  open(kLayoutsSample, L"/drawings/one.dwg");
  VexBatchPrintPanelController& p = shown();
  addManualFrameToFullPanel(VexBatchPrintSourceModel, "", 100, 50, 0, 0);
  ASSERT_EQ(p.manualRows().size(), 1u);
  const VexBatchPrintRow& manual = *p.manualRows()[0];
  EXPECT_EQ(manual.layoutName, "手动图框 01");
  EXPECT_EQ(manual.setupName, "模型空间｜手动补框");
  EXPECT_EQ(manual.minX, 0);
  EXPECT_EQ(manual.maxY, 50);
  EXPECT_EQ(manual.sourceTabOrder, INT64_MAX);
  // Shown with the layouts until the next reload, which lists only the source's own.
  p.reloadFromActiveDrawing();
  EXPECT_TRUE(std::none_of(p.allRows().begin(), p.allRows().end(), [](const auto& r) { return r->manuallyAdded; }));
  modelFrames();
  p.reloadFromActiveDrawing();
  EXPECT_EQ(std::count_if(p.allRows().begin(), p.allRows().end(), [](const auto& r) { return r->manuallyAdded; }), 1);

  // Another drawing: the manual rows, picked frames, block and range go; a designated layer stays.
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedBlock;
  gBatchDesignatedFrameBlock = L"TK";
  gBatchLayoutSelectionRange.active = true;
  open(kModelSample, L"/drawings/two.dwg");
  p.reloadFromActiveDrawing();
  EXPECT_TRUE(p.manualRows().empty());
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionAutomatic);
  EXPECT_TRUE(gBatchDesignatedFrameBlock.empty());
  EXPECT_FALSE(gBatchLayoutSelectionRange.active);
  gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  gBatchDesignatedFrameLayer = L"0";
  open(kLayoutsSample, L"/drawings/three.dwg");
  p.reloadFromActiveDrawing();
  EXPECT_EQ(gBatchFrameRecognitionMode, VexBatchFrameRecognitionDesignatedLayer);
}

TEST_F(FullPanelRowsTest, SwitchingTheDrawingOrLayoutReloadsAShownPanel) {
  open(kLayoutsSample, L"/drawings/one.dwg");
  cad::Document* model = open(kModelSample, L"/drawings/two.dwg");
  cad::Document* layouts = cad::docManager().documents().front();
  cad::docManager().activateDocument(layouts);
  foundation::MainQueue::main().drain();
  VexBatchPrintPanelController& p = shown();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"A3 Block 图框 01"}));

  setCurrentLayout(L"A4 Portrait");
  foundation::MainQueue::main().drain();
  EXPECT_EQ(names(p.rows()), (std::vector<std::string>{"A4 Portrait 图框 01"}));

  modelFrames();
  cad::docManager().activateDocument(model);
  foundation::MainQueue::main().drain();
  EXPECT_EQ(p.rows().size(), 7u);
  EXPECT_EQ(p.drawingKey(), "/drawings/two.dwg");

  // Closed under the panel: the other drawing's rows; with none left, an empty list that still works.
  cad::docManager().closeDocument(model);
  foundation::MainQueue::main().drain();
  EXPECT_EQ(p.drawingKey(), "/drawings/one.dwg");
  cad::docManager().closeDocument(cad::docManager().documents().front());
  foundation::MainQueue::main().drain();
  EXPECT_TRUE(p.rows().empty());
  EXPECT_EQ(p.drawingKey(), "no-drawing");
  EXPECT_EQ(p.statusLabel()->stringValue(), "当前图纸没有可打印布局。");
  EXPECT_EQ(p.headingLabel()->stringValue(), "当前图纸：全部布局 / 布局图框");
  p.selectAll();
  p.restoreRemoved();
  EXPECT_TRUE(p.panel()->isVisible());
}

TEST_F(FullPanelRowsTest, AHiddenPanelDoesNotFollow) {
  open(kLayoutsSample, L"/drawings/one.dwg");
  VexBatchPrintPanelController& p = shown();
  p.panel()->orderOut();
  open(kModelSample, L"/drawings/two.dwg");
  foundation::MainQueue::main().drain();
  EXPECT_EQ(p.drawingKey(), "/drawings/one.dwg");
}

TEST_F(FullPanelRowsTest, ThePlotStyleFollowsTheDrawingsKindOfStyles) {
  struct Case {
    const char* saved;
    bool named;
    const char* selected;
  };
  const Case cases[] = {
      {"monochrome.ctb", false, "monochrome.ctb"},  // kept
      {"monochrome.ctb", true, "monochrome.stb"},   // the named style of the same base name
      {"Grayscale.ctb", true, ""},                  // none of that name: the layout's own
      {"missing.ctb", false, ""},                   // not listed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved);
    cad::Document* doc = open(kLayoutsSample);
    doc->database()->headerVariables[L"$PSTYLEMODE"] = c.named ? L"0" : L"1";
    foundation::UserDefaults::standard().setString(c.saved, "Quodline.PlotStyle");
    cad::commandLine().clearTranscript();
    VexBatchPrintPanelController& p = panel();
    EXPECT_EQ(p.plotStyleMode()->itemAtIndex(0)->title(), "按布局设置");
    EXPECT_EQ(p.plotStyleMode()->selectedItem()->representedObject().value_or("?"), c.selected);
    EXPECT_EQ(foundation::UserDefaults::standard().stringForKey("Quodline.PlotStyle"), c.selected);
    const std::wstring trace = std::wstring(L"\nDUZOZAREDPLOTSTYLEMODE mode=") + (c.named ? L"STB" : L"CTB") +
                               L" required=" + (c.named ? L".stb" : L".ctb") + L" selected=" +
                               (*c.selected ? foundation::wideFromUtf8Lossy(c.selected) : L"layout-default");
    EXPECT_NE(transcript().find(trace), std::wstring::npos) << foundation::utf8FromWideLossy(transcript());
    vexBatchFullPanelShutdown();
    cad::docManager().closeDocument(doc);
  }
}

TEST_F(FullPanelRowsTest, WithoutADrawingTheSavedStyleStays) {
  foundation::UserDefaults::standard().setString("monochrome.ctb", "Quodline.PlotStyle");
  VexBatchPrintPanelController& p = panel();
  EXPECT_EQ(p.plotStyleMode()->numberOfItems(), 1);
  EXPECT_EQ(foundation::UserDefaults::standard().stringForKey("Quodline.PlotStyle"), "monochrome.ctb");
}

}  // namespace
}  // namespace panels_test

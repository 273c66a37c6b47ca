// The full panel's window and its saved settings, its lifecycle through core (show, hide, visible, the compact or
// full choice, unload), and the status line that the plot pipeline writes.

#include <variant>

#include "core/host_bridge.h"
#include "core/panel_lifecycle.h"
#include "core/work_active.h"
#include "foundation/user_defaults.h"
#include "full_panel_fixture.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/user_actions.h"
#include "ui/application_panel.h"

namespace panels_test {
namespace {

using Value = foundation::DefaultsValue;

class FullPanelWindowTest : public FullPanelTest {
 protected:
  static void store(const char* key, const Value& value) {
    ASSERT_TRUE(foundation::UserDefaults::standard().setObject(value, key));
  }
};

TEST_F(FullPanelWindowTest, WithNothingSavedThePanelOpensOnItsDefaults) {
  VexBatchPrintPanelController& c = panel();
  QDLApplicationPanel& window = *c.panel();
  EXPECT_EQ(window.contentRect().size, (toolkit::Size{1000, 680}));
  EXPECT_EQ(window.title(), "Ferrolin 批打工具 1.0.0-beta.9");
  EXPECT_EQ(window.frameAutosaveName(), "QuodlinePanelCompactProV1");
  EXPECT_FALSE(window.isVisible());
  // Every control of the panel went to the workspace.
  EXPECT_EQ(c.workspace()->controls().size(), 57u);
  EXPECT_EQ(c.sourceMode()->selectedSegment(), 0);
  EXPECT_EQ(c.sortMode()->selectedSegment(), 0);
  EXPECT_EQ(c.layoutScope()->selectedSegment(), 0);
  EXPECT_EQ(c.paperMode()->indexOfSelectedItem(), 0);
  EXPECT_EQ(c.contentScalePercentField()->stringValue(), "100");
  EXPECT_EQ(c.outputMode()->selectedSegment(), 0);
  EXPECT_EQ(c.outputLocationMode()->indexOfSelectedItem(), 1);
  EXPECT_EQ(c.outputPath()->stringValue(), "");
  EXPECT_EQ(c.nameTemplate()->stringValue(), "{序号}-{页面}");
  EXPECT_FALSE(c.nameTemplate()->isEnabled());
  EXPECT_EQ(c.overwriteButton()->state(), toolkit::control_state::off);
  EXPECT_EQ(c.includeNonPlottableButton()->state(), toolkit::control_state::on);
  EXPECT_EQ(c.excludeBlankRectanglesButton()->state(), toolkit::control_state::on);
  EXPECT_FALSE(c.resumeButton()->isEnabled());
  EXPECT_EQ(c.exportButton()->keyEquivalent(), "\r");
  EXPECT_TRUE(gBatchIncludeNonPlottableLayers);
  EXPECT_TRUE(gBatchExcludeBlankRectangles);
  // Reading the settings wrote none of them.
  EXPECT_FALSE(foundation::UserDefaults::standard().hasKey("Quodline.SortMode"));
}

TEST_F(FullPanelWindowTest, TheWindowComesBackAtTheSizeTheUserLeftIt) {
  open(kLayoutsSample);
  vexBatchPrintPanelShow();
  panel().panel()->setContentSize({1200, 800});
  vexBatchPrintPanelShutdown();
  // Restoring the frame resizes the window while the panel is still being built.
  vexBatchPrintPanelShow();
  EXPECT_EQ(panel().panel()->contentRect().size, (toolkit::Size{1200, 800}));
  EXPECT_EQ(panel().workspace()->frame().size, (toolkit::Size{1200, 800}));
}

TEST_F(FullPanelWindowTest, TheEnglishDefaultNameTemplate) {
  useLanguage("en");
  EXPECT_EQ(panel().nameTemplate()->stringValue(), "{index}-{page}");
}

// Stored values in range, out of range, of the wrong kind or damaged: each control shows what the settings say,
// clamped, or its default.
TEST_F(FullPanelWindowTest, SavedSettingsAreReadClampedOrFallBackToTheirDefaults) {
  struct Case {
    const char* key;
    Value stored;
    long expected;
  };
  const Case cases[] = {
      {"Quodline.SortMode", std::int64_t{7}, 2},      {"Quodline.SortMode", std::int64_t{1}, 1},
      {"Quodline.SortMode", std::string("2"), 2},     {"Quodline.SortMode", std::string("name"), 0},
      {"Quodline.SortMode", 1.9, 1},                  {"Quodline.PaperMode", std::int64_t{-3}, 0},
      {"Quodline.PaperMode", std::int64_t{4}, 4},     {"Quodline.PaperMode", std::vector<std::string>{"A3"}, 0},
      {"Quodline.ContentScalePercent", std::int64_t{0}, 1},
      {"Quodline.ContentScalePercent", std::int64_t{250}, 100},
      {"Quodline.ContentScalePercent", std::string("abc"), 100},
      {"Quodline.ContentScalePercent", std::int64_t{55}, 55},
      {"Quodline.SourceMode", std::int64_t{1}, 1},    {"Quodline.SourceMode", std::int64_t{2}, 0},
      {"Quodline.SourceMode", true, 0},               {"Quodline.LayoutScope", std::int64_t{1}, 1},
      {"Quodline.LayoutScope", std::string("x"), 0},  {"Quodline.OutputMode", std::int64_t{1}, 1},
      {"Quodline.OutputLocationMode", std::int64_t{9}, 5},
      {"Quodline.OutputLocationMode", std::string("desk"), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + std::string(" case ") + std::to_string(&c - cases));
    store(c.key, c.stored);
    VexBatchPrintPanelController& p = panel();
    const std::string key = c.key;
    long shown = -1;
    if (key == "Quodline.SortMode") shown = p.sortMode()->selectedSegment();
    if (key == "Quodline.PaperMode") shown = p.paperMode()->indexOfSelectedItem();
    if (key == "Quodline.ContentScalePercent") shown = static_cast<long>(p.contentScalePercentField()->integerValue());
    if (key == "Quodline.SourceMode") shown = p.sourceMode()->selectedSegment();
    if (key == "Quodline.LayoutScope") shown = p.layoutScope()->selectedSegment();
    if (key == "Quodline.OutputMode") {
      shown = p.outputMode()->selectedSegment();
      EXPECT_TRUE(p.nameTemplate()->isEnabled());
    }
    if (key == "Quodline.OutputLocationMode") shown = p.outputLocationMode()->indexOfSelectedItem();
    EXPECT_EQ(shown, c.expected);
    vexBatchFullPanelShutdown();
    foundation::UserDefaults::standard().removeObjectForKey(c.key);
  }
}

TEST_F(FullPanelWindowTest, TextAndBooleanSettings) {
  store("Quodline.OutputPath", std::string("/Users/me/Out"));
  store("Quodline.NameTemplate", std::string(""));
  store("Quodline.Overwrite", std::string("YES"));
  store("Quodline.IncludeNonPlottableLayers", false);
  store("Quodline.ExcludeBlankRectangles", std::vector<std::string>{"damaged"});
  VexBatchPrintPanelController& p = panel();
  // Without a stored location the saved path means a folder of the user's own.
  EXPECT_EQ(p.outputLocationMode()->indexOfSelectedItem(), 5);
  // Merged output goes into a PDF: a folder gets the default file name.
  EXPECT_EQ(p.outputPath()->stringValue(), "/Users/me/Out/Ferrolin批打工具-批量打印.pdf");
  EXPECT_EQ(p.nameTemplate()->stringValue(), "{序号}-{页面}");
  EXPECT_EQ(p.overwriteButton()->state(), toolkit::control_state::on);
  EXPECT_EQ(p.includeNonPlottableButton()->state(), toolkit::control_state::off);
  EXPECT_FALSE(gBatchIncludeNonPlottableLayers);
  EXPECT_EQ(p.excludeBlankRectanglesButton()->state(), toolkit::control_state::on);
  EXPECT_TRUE(gBatchExcludeBlankRectangles);
}

TEST_F(FullPanelWindowTest, OnlyADesignatedLayerIsRestoredAsTheRecognitionMode) {
  struct Case {
    Value mode;
    std::string layer;
    std::int32_t expectedMode;
  };
  const Case cases[] = {{std::int64_t{1}, "TK", 1},
                        {std::int64_t{1}, "", 0},
                        {std::int64_t{2}, "TK", 0},
                        {std::int64_t{3}, "TK", 0},
                        {std::string("1"), "TK", 1},
                        {std::string("one"), "TK", 0}};
  for (const Case& c : cases) {
    vexBatchResetRecognitionStateForTesting();
    store("Quodline.RecognitionMode", c.mode);
    store("Quodline.FrameLayer", c.layer);
    panel();
    EXPECT_EQ(gBatchFrameRecognitionMode, c.expectedMode) << c.layer;
    EXPECT_EQ(gBatchDesignatedFrameLayer, c.expectedMode == 1 ? L"TK" : L"");
    // The label says which recognition is in force once the rows are loaded.
    panel().reloadFromActiveDrawing();
    EXPECT_EQ(panel().recognitionStatusLabel()->stringValue(), c.expectedMode == 1 ? "选择图层：TK" : "自动识别");
    vexBatchFullPanelShutdown();
  }
}

TEST_F(FullPanelWindowTest, TheCloseButtonHidesThePanelAndItsRowsStay) {
  open(kLayoutsSample);
  vexBatchPrintPanelShow();
  VexBatchPrintPanelController& p = panel();
  ASSERT_TRUE(p.panel()->isVisible());
  const std::size_t rows = p.rows().size();
  ASSERT_GT(rows, 0u);
  EXPECT_EQ(toolkit::pressCloseButton(*p.panel()), "");
  EXPECT_FALSE(p.panel()->isVisible());
  EXPECT_EQ(gBatchPrintPanelController.get(), &p);
  EXPECT_FALSE(vexBatchPrintPanelIsVisible());
  vexBatchPrintPanelShow();
  EXPECT_TRUE(vexBatchPrintPanelIsVisible());
  EXPECT_EQ(p.rows().size(), rows);
}

TEST_F(FullPanelWindowTest, ShowFollowsTheSpaceAndReloadLeavesTheSourceAsTheUserSetIt) {
  cad::Document* doc = open(kLayoutsSample);
  ASSERT_NE(doc, nullptr);
  toolkit::Application::shared().resignActive();
  vexBatchPrintPanelShow();
  VexBatchPrintPanelController& p = panel();
  EXPECT_EQ(p.sourceMode()->selectedSegment(), 0);
  EXPECT_TRUE(toolkit::Application::shared().isActive());
  EXPECT_TRUE(p.panel()->isKeyWindow());

  p.sourceMode()->setSelectedSegment(1);
  toolkit::Application::shared().resignActive();
  vexBatchPrintPanelReload();
  EXPECT_EQ(p.sourceMode()->selectedSegment(), 1);
  EXPECT_FALSE(toolkit::Application::shared().isActive());
  EXPECT_EQ(p.headingLabel()->stringValue(), "模型空间图框");

  vexBatchPrintPanelHide();
  EXPECT_FALSE(p.panel()->isVisible());
}

TEST_F(FullPanelWindowTest, TheCompactChoiceGoesToTheCompactPanelAndProBringsTheFullOneBack) {
  open(kLayoutsSample);
  foundation::UserDefaults::standard().setBool(true, "Quodline.LiteMode");
  vexBatchPrintPanelShow();
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
  EXPECT_NE(transcript().find(L"[vexBatchPrintLiteShow]"), std::wstring::npos);

  vexBatchPrintProShow();
  EXPECT_FALSE(foundation::UserDefaults::standard().boolForKey("Quodline.LiteMode"));
  ASSERT_NE(gBatchPrintPanelController, nullptr);
  EXPECT_TRUE(panel().panel()->isVisible());
  EXPECT_EQ(panel().workspace()->page(), 0);
}

TEST_F(FullPanelWindowTest, WhileWorkIsActiveShowAndReloadDoNothing) {
  open(kLayoutsSample);
  vexBatchInstallWorkActiveTest(+[] { return true; });
  vexBatchPrintPanelShow();
  vexBatchPrintPanelReload();
  vexBatchInstallWorkActiveTest(nullptr);
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
}

TEST_F(FullPanelWindowTest, UnloadClosesThePanelAndTheStatusLineIsNoLongerWritten) {
  open(kLayoutsSample);
  vexBatchPrintPanelShow();
  vexBatchUpdatePanelStatus("正在输出第 1 / 3 页：A3 Block");
  EXPECT_EQ(panel().statusLabel()->stringValue(), "正在输出第 1 / 3 页：A3 Block");
  vexBatchUpdatePanelStatus("");
  EXPECT_EQ(panel().statusLabel()->stringValue(), "正在输出第 1 / 3 页：A3 Block");

  vexBatchPrintPanelShutdown();
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
  EXPECT_FALSE(vexBatchPrintPanelIsVisible());
  // No window of the panel is left with the application, and a late status creates nothing.
  EXPECT_EQ(toolkit::findWindow("batchPrintPanel"), nullptr);
  vexBatchUpdatePanelStatus("输出完成");
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
}

TEST_F(FullPanelWindowTest, AStatusBeforeThePanelExistsCreatesNone) {
  vexBatchUpdatePanelStatus("输出完成");
  EXPECT_EQ(gBatchPrintPanelController, nullptr);
}

}  // namespace
}  // namespace panels_test

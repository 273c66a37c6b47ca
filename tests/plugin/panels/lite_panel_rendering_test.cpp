// The compact panel as a person sees it on the layouts sample, drawn with the real fonts in each language:
// compared with its reference pictures in data/, and every text fitting its place, with the longest status
// texts and plot-style names too. The file-name, status and selection lines give way at their tail by design,
// their tooltips holding them whole; nothing else may.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).

#include <filesystem>
#include <set>
#include <string>

#include "full_panel_fixture.h"
#include "label_fit.h"
#include "menu_picture.h"
#include "panels/lite_panel.h"
#include "panels/lite_panel_window.h"
#include "reference_picture.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/window.h"

namespace panels_test {
namespace {

struct Language {
  const char* code;
  const char* suffix;
};
constexpr Language kLanguages[] = {{"zh", "zh-Hans"}, {"zh-Hant", "zh-Hant"}, {"en", "en"}};

class LitePanelRenderingTest : public FullPanelTest {
 protected:
  void SetUp() override {
    FullPanelTest::SetUp();
    graphics::setTextMeasurer(nullptr);
    gBatchLiteRange = {};
  }
  void TearDown() override {
    vexBatchLiteShutdown();
    FullPanelTest::TearDown();
  }

  static std::string compare(toolkit::Window& window, const std::string& name) {
    return ui_test::compareWithReference(window, std::filesystem::path(PANELS_TEST_DATA_DIR) / (name + ".png"),
                                         PANELS_TEST_OUTPUT_DIR);
  }

  static std::string misfits(QDLLitePanel& p) {
    return ui_test::describe(ui_test::textMisfits(*p.panel(), {p.filename().get(), p.status().get(),
                                                                p.selection().get(), p.plotStyleMode().get()}));
  }
};

TEST_F(LitePanelRenderingTest, ThePanelLooksAsItsReferencePicturesAndItsTextsFit) {
  ASSERT_NE(open(kLayoutsSample), nullptr);
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    vexBatchPrintLiteShow();
    QDLLitePanel& p = *gBatchLitePanel;
    EXPECT_EQ(compare(*p.panel(), std::string("lite-") + language.suffix), "");
    EXPECT_EQ(misfits(p), "");

    // Every pop-up item, every status text, as the longest they come.
    for (long i = 0; i < p.plotStyleMode()->numberOfItems(); ++i) {
      p.plotStyleMode()->selectItemAtIndex(i);
      EXPECT_EQ(misfits(p), "") << i;
    }
    for (long i = 0; i < p.paperMode()->numberOfItems(); ++i) {
      p.paperMode()->selectItemAtIndex(i);
      EXPECT_EQ(misfits(p), "") << i;
    }
    vexBatchLiteSetStatus(QDLL("输出失败，请检查 CAD 命令行", "Export failed; check the CAD command line",
                               "輸出失敗，請檢查 CAD 命令列"));
    EXPECT_EQ(misfits(p), "");
    // The next language starts from a new panel, as the host's next session would.
    vexBatchLiteShutdown();
  }
}

TEST_F(LitePanelRenderingTest, ItsSettingsMenuLooksAsItsReferencePicturesAndItsTitlesFit) {
  ASSERT_NE(open(kLayoutsSample), nullptr);
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    vexBatchPrintLiteShow();
    const std::shared_ptr<toolkit::Menu> menu = gBatchLitePanel->settingsMenu();
    std::unique_ptr<toolkit::Window> shown = ui_test::menuWindow(*menu->items()[2]->submenu(), *menu);
    EXPECT_EQ(compare(*shown, std::string("lite-settings-") + language.suffix), "");
    EXPECT_EQ(ui_test::describe(ui_test::textMisfits(*shown, {})), "");
  }
}

}  // namespace
}  // namespace panels_test

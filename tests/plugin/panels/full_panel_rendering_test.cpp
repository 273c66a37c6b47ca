// The full panel as a person sees it, filled with 1,000 rows (long names, every paper, a manual frame), drawn with
// the real fonts in each language: compared with its reference pictures in data/, and every text fitting its
// place at the smallest and a large size, on every page. The table's cells and the status lines give way in
// their middle or at their tail by design, their tooltips holding them whole; nothing else may.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).

#include <filesystem>
#include <set>
#include <string>

#include "foundation/format.h"
#include "full_panel_fixture.h"
#include "label_fit.h"
#include "reference_picture.h"
#include "toolkit/table_view.h"

namespace panels_test {
namespace {

struct Language {
  const char* code;
  const char* suffix;
};
constexpr Language kLanguages[] = {{"zh", "zh-Hans"}, {"zh-Hant", "zh-Hant"}, {"en", "en"}};

class FullPanelRenderingTest : public FullPanelTest {
 protected:
  void SetUp() override {
    FullPanelTest::SetUp();
    graphics::setTextMeasurer(nullptr);
  }

  // 1,000 rows as a big drawing gives them: every paper the panel shows, long sheet and source names, a few
  // unchecked, a manual frame and a rescaled sheet.
  static VexBatchPrintPanelController& filled() {
    VexBatchPrintPanelController& p = panel();
    const char* papers[] = {"A4｜210 × 297", "A3｜420 × 297", "A2｜594 × 420",     "A1｜841 × 594",
                            "A0｜1189 × 841", "A3｜84100 × 59400", "A3｜420 × 891", ""};
    for (int i = 0; i < 1000; ++i) {
      auto row = std::make_shared<VexBatchPrintRow>();
      row->layoutName = i % 5 == 0 ? foundation::format("建施-%03d 首层平面图（总图）· 第 %d 版 Ground floor plan", i, i % 7)
                                   : foundation::format("布局%d 图框 %02d", i / 3 + 1, i % 3 + 1);
      row->setupName = i % 4 == 0 ? foundation::format("布局%d｜实际图框｜TK-图框-A3-横向-标准图层", i / 3 + 1)
                                  : foundation::format("布局%d｜视口推算", i / 3 + 1);
      row->paperName = papers[i % 8];
      row->selected = i % 6 != 0;
      row->contentScalePercent = i % 9 == 0 ? 55 : 100;
      p.allRows().push_back(row);
    }
    addManualFrameToFullPanel(VexBatchPrintSourceLayout, "Layout1", 0, 0, 420, 297);
    p.sourceMode()->setSelectedSegment(0);
    p.applyFilterAndSort();
    p.panel()->makeKeyAndOrderFront();
    p.panel()->layoutIfNeeded();
    p.updateTableColumnWidths();
    p.panel()->layoutIfNeeded();
    return p;
  }

  // What may give way: the status lines and the table's cells.
  static std::set<const toolkit::View*> mayTruncate(VexBatchPrintPanelController& p) {
    std::set<const toolkit::View*> views;
    for (const char* key : {"recognitionStatus", "summary", "status", "diagnosticsStatus", "path"}) {
      views.insert(p.workspace()->controls().at(key).get());
    }
    for (const auto& cell : p.table()->subviews()) views.insert(cell.get());
    return views;
  }

  static std::string misfits(VexBatchPrintPanelController& p) {
    return ui_test::describe(ui_test::textMisfits(*p.panel(), mayTruncate(p)));
  }
};

TEST_F(FullPanelRenderingTest, TheFilledPanelLooksAsItsReferencePictureInEachLanguage) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    VexBatchPrintPanelController& p = filled();
    ASSERT_EQ(p.panel()->frame().size, (toolkit::Size{1000, 680}));
    const std::filesystem::path reference =
        std::filesystem::path(PANELS_TEST_DATA_DIR) / (std::string("full-panel-") + language.suffix + ".png");
    EXPECT_EQ(ui_test::compareWithReference(*p.panel(), reference, PANELS_TEST_OUTPUT_DIR), "");
    vexBatchFullPanelShutdown();
  }
}

TEST_F(FullPanelRenderingTest, EveryTextOfTheFilledPanelFitsAtTheSmallestAndALargeSize) {
  for (const Language& language : kLanguages) {
    useLanguage(language.code);
    VexBatchPrintPanelController& p = filled();
    for (toolkit::Size size : {toolkit::Size{1000, 680}, toolkit::Size{1440, 900}}) {
      p.panel()->setContentSize(size);
      p.panel()->layoutIfNeeded();
      for (long page : {0L, 2L, 3L}) {
        p.workspace()->showPage(page);
        p.panel()->layoutIfNeeded();
        SCOPED_TRACE(std::string(language.code) + ", page " + std::to_string(page) + ", " +
                     std::to_string(static_cast<int>(size.width)) + " wide");
        EXPECT_EQ(misfits(p), "");
      }
      p.workspace()->showPage(0);
      // The rows scrolled to the end, the last ones drawn.
      p.table()->scrollRowToVisible(static_cast<long>(p.rows().size()) - 1);
      p.panel()->layoutIfNeeded();
      EXPECT_EQ(misfits(p), "") << language.code;
    }
    vexBatchFullPanelShutdown();
  }
}

}  // namespace
}  // namespace panels_test

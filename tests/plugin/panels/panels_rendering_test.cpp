// The progress window (at its start, on a page, cancelling, and on success) and the return window as a person
// sees them, drawn with the real fonts in each language: compared with the reference pictures in data/, and
// every text fitting its place.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).
// A picture that differs is written to the build folder's panels-renderings/ for a look.

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "foundation/format.h"
#include "label_fit.h"
#include "panels_fixture.h"
#include "reference_picture.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"

namespace panels_test {
namespace {

using Controller = VexBatchPrintProgressController;

struct Language {
  const char* code;
  const char* suffix;
};
constexpr Language kLanguages[] = {{"zh", "zh-Hans"}, {"zh-Hant", "zh-Hant"}, {"en", "en"}};

// A sheet name as drawings have them, long enough to fill its line.
constexpr char kSheetName[] = "A1 图框 03 · 首层平面图（总图）";

class PanelsRenderingTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    // What people see: the real fonts, for drawing and for measuring alike.
    graphics::setTextMeasurer(nullptr);
  }

  static QDLPrintProgressWindow& windowOf(const Controller& controller) {
    return dynamic_cast<QDLPrintProgressWindow&>(*controller.window());
  }

  static std::string compare(toolkit::Window& window, const std::string& name) {
    return ui_test::compareWithReference(window, std::filesystem::path(PANELS_TEST_DATA_DIR) / (name + ".png"),
                                         PANELS_TEST_OUTPUT_DIR);
  }

  // The sheet-name line gives way in its middle, its tooltip holding the whole name.
  static std::string misfits(QDLPrintProgressWindow& w) {
    return ui_test::describe(ui_test::textMisfits(*w.panel(), {w.detailLabel().get()}));
  }
};

TEST_F(PanelsRenderingTest, TheProgressWindowLooksAsItsReferencePicturesThroughAJob) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    const std::string suffix = std::string("-") + language.suffix;

    const auto job = Controller::initWithTotalPages(8);
    QDLPrintProgressWindow& w = windowOf(*job);
    job->show();
    EXPECT_EQ(compare(*w.panel(), "progress-start" + suffix), "");
    EXPECT_EQ(misfits(w), "");
    job->updatePage(3, kSheetName);
    EXPECT_EQ(compare(*w.panel(), "progress-page" + suffix), "");
    EXPECT_EQ(misfits(w), "");
    job->cancelPrinting();
    EXPECT_EQ(compare(*w.panel(), "progress-cancelling" + suffix), "");
    EXPECT_EQ(misfits(w), "");
    job->finish();

    const auto done = Controller::initWithTotalPages(8);
    QDLPrintProgressWindow& d = windowOf(*done);
    done->show();
    done->updatePage(8, kSheetName);
    done->completePages(8);
    done->finishWithSuccess(true);
    EXPECT_EQ(compare(*d.panel(), "progress-success" + suffix), "");
    EXPECT_EQ(misfits(d), "");
  }
}

TEST_F(PanelsRenderingTest, TheProgressWindowFitsItsLongestLines) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    const auto job = Controller::initWithTotalPages(9999);
    QDLPrintProgressWindow& w = windowOf(*job);
    job->show();
    job->updatePage(9998, std::string(300, 'W'));
    EXPECT_EQ(misfits(w), "");
    EXPECT_EQ(w.detailLabel()->toolTip(), std::string(300, 'W'));
    job->showStage(QDLT("正在校验 PDF 输出…"));
    EXPECT_EQ(misfits(w), "");
  }
}

TEST_F(PanelsRenderingTest, TheReturnWindowLooksAsItsReferencePictureAndFitsEveryMessage) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    vexBatchReturnWindowShow();
    QDLApplicationPanel& panel = *gBatchPrintReturnController->panel();
    EXPECT_EQ(compare(panel, std::string("return-") + language.suffix), "");

    // Every message the commands show in it.
    const std::pair<std::string, std::string> messages[] = {
        {QDLT("图框定位完成"), QDLT("目标已用红框高亮；查看后可直接返回批打列表。")},
        {QDLT("Ferrolin 批打工具"), QDLT("可返回批打列表继续操作。")},
        {QDLT("打印范围已标记"), foundation::format(QDLT("当前布局标出 %ld 个；另有 %ld 个位于其他布局。"), 128, 256)},
        {QDLT("打印范围已标记"), foundation::format(QDLT("已标出 %ld 个区域；编号对应输出顺序，不会写入 DWG。"), 128)},
        {QDLL("打印范围已标记", "Print areas marked", "列印範圍已標記"),
         QDLL("编号对应输出顺序，标记不会写入 DWG。", "Numbers follow export order; the DWG is unchanged.",
              "編號對應輸出順序，標記不會寫入 DWG。")},
        {QDLT("单页预览已生成"), QDLT("临时 PDF 已打开；检查后可返回批打列表继续操作。")},
    };
    for (const auto& [title, message] : messages) {
      SCOPED_TRACE(message);
      vexBatchReturnWindowShowWithTitle(title, message);
      EXPECT_EQ(ui_test::describe(ui_test::textMisfits(panel, {})), "");
    }
  }
}

}  // namespace
}  // namespace panels_test

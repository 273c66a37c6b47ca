// The queue panel as a person sees it, with rows in every state, drawn with the real fonts in each language:
// compared with the reference pictures in data/, and every text fitting its place.
//
// The references are made again on purpose with scripts/update-ui-renderings (QUODL_UPDATE_UI_RENDERINGS=1).
// A picture that differs is written to the build folder's queue-renderings/ for a look.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "foundation/format.h"
#include "label_fit.h"
#include "queue_fixture.h"
#include "reference_picture.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"

namespace queue_test {
namespace {

struct Language {
  const char* code;
  const char* suffix;
};
constexpr Language kLanguages[] = {{"zh", "zh-Hans"}, {"zh-Hant", "zh-Hant"}, {"en", "en"}};

class QueueRenderingTest : public QueueTest {
 protected:
  void SetUp() override {
    QueueTest::SetUp();
    graphics::setTextMeasurer(nullptr);
  }

  static std::string compare(toolkit::Window& window, const std::string& name) {
    return ui_test::compareWithReference(window, std::filesystem::path(QUEUE_TEST_DATA_DIR) / (name + ".png"),
                                         QUEUE_TEST_OUTPUT_DIR);
  }

  // The status and summary lines, and the table's names and details, give way by design: their tooltips hold
  // the whole text. A status the test means to show whole is checked too.
  static std::string misfits(QDLFileQueuePanel& panel, bool wholeStatus = false) {
    std::set<const toolkit::View*> mayTruncate{panel.configuration().get()};
    if (!wholeStatus) mayTruncate.insert(panel.status().get());
    toolkit::TableView& table = *panel.table();
    for (long row = 0; row < table.numberOfRows(); ++row) {
      for (const char* column : {"name", "message", "style"}) {
        if (toolkit::View* cell = table.viewAtColumn(table.columnWithIdentifier(column), row, false)) {
          mayTruncate.insert(cell);
          for (const auto& line : cell->subviews()) mayTruncate.insert(line.get());
        }
      }
    }
    return ui_test::describe(ui_test::textMisfits(*panel.panel(), mayTruncate));
  }
};

// Nine drawings, one per state, with the messages the run gives them.
void fillRows(QDLFileQueuePanel& panel, const FileTree& tree) {
  struct Row {
    const char* name;
    const char* state;
    std::string message;
    std::optional<std::string> style;
  };
  // Shown paths are fixed, so that the pictures do not depend on where the test's files lie.
  const std::string folder = "/Users/designer/项目 A/结构";
  const Row rows[] = {
      {"01 总平面图.dwg", qdl_queue_state::pending, folder + "/01 总平面图.dwg", std::nullopt},
      {"02 Floor plan level 2.dwg", qdl_queue_state::printing, "只读打开，重新识别图框", std::nullopt},
      {"03 立面图.dwg", qdl_queue_state::complete,
       foundation::format(QDLT("已输出 %lu 页：%@"), 12ul, folder + "/Ferrolin-Batch/03 立面图"), std::string()},
      {"04 剖面图.dwg", qdl_queue_state::partial,
       foundation::format(QDLT("已输出 %@ / %@ 页；%@"), "2", "5", "Plot failed on sheet 3"), std::nullopt},
      {"05 damaged.dwg", qdl_queue_state::failed, "未找到匹配图框；未改用其他识别规则", std::string("acad.ctb")},
      {"06 详图.dwg", qdl_queue_state::cancelled, "Plot cancelled", std::nullopt},
      {"07 门窗表.dwg", qdl_queue_state::notRun, "队列已停止", std::nullopt},
      {"08 节点大样.dwg", qdl_queue_state::awaitingMerge,
       foundation::format(QDLT("已输出 %lu 页：%@"), 4ul, folder + "/Ferrolin-Batch/08 节点大样"), std::nullopt},
      {"09 目录.dwg", qdl_queue_state::skipped, "图纸正在 CAD 中打开，请保存并关闭后重试。", std::nullopt},
  };
  std::vector<std::string> paths;
  for (const Row& row : rows) paths.push_back(tree.file(std::string("项目 A/结构/") + row.name));
  QueueTest::add(panel, paths);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    QDLQueueItem& item = *panel.items()[i];
    item.state = QDLT(rows[i].state);
    item.message = rows[i].message;
    item.styleOverride = rows[i].style;
  }
  panel.refresh();
}

TEST_F(QueueRenderingTest, ThePanelLooksAsItsReferencePicturesWithRowsInEveryState) {
  FileTree tree;
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    vexBatchQueuePanelShutdown();
    QDLFileQueuePanel& panel = makePanel({"acad.ctb", "monochrome.ctb", "Grayscale (fine lines).ctb"});
    fillRows(panel, tree);
    panel.setStatus(QDLT("正在扫描文件，可取消；原队列保持不变。"));
    panel.table()->selectRowIndexes({2}, false);
    panel.panel()->makeKeyAndOrderFront();
    const std::string suffix = std::string("-") + language.suffix;
    EXPECT_EQ(compare(*panel.panel(), "queue-top" + suffix), "");
    EXPECT_EQ(misfits(panel), "");

    // The last six rows, by themselves: scrolled there, a row would lie half under the header.
    panel.items().erase(panel.items().begin(), panel.items().begin() + 3);
    panel.refresh();
    panel.setBusy(true);
    panel.setStatus(QDLT("正在停止；可在打印进度窗口取消当前文件。"));
    EXPECT_EQ(compare(*panel.panel(), "queue-end" + suffix), "");
    EXPECT_EQ(misfits(panel), "");
  }
}

// The texts a run ends with say why no combined PDF was made and where the finished ones are; they show whole.
TEST_F(QueueRenderingTest, TheTextsARunEndsWithFitTheStatusLineWhole) {
  for (const Language& language : kLanguages) {
    SCOPED_TRACE(language.code);
    useLanguage(language.code);
    vexBatchQueuePanelShutdown();
    QDLFileQueuePanel& panel = makePanel({"acad.ctb"});
    panel.panel()->makeKeyAndOrderFront();
    for (const char* text : {"部分文件未完成，未生成全部合并 PDF；已完成结果保留在各文件夹。",
                             "全部合并失败；已完成结果保留在各文件夹。"}) {
      panel.setStatus(QDLT(text));
      EXPECT_EQ(misfits(panel, true), "") << text;
    }
  }
}

}  // namespace
}  // namespace queue_test

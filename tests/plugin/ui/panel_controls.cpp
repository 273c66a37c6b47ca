#include "panel_controls.h"

#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

#include "graphics/color.h"
#include "graphics/font.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"
#include "ui/path_field.h"

namespace ui_test {

namespace {

using graphics::Color;
using graphics::Font;
using graphics::SystemColor;

class Maker {
 public:
  explicit Maker(PanelControls& out) : out_(out) {}

  toolkit::Control::Action action(const std::string& key) {
    auto fired = out_.fired;
    auto senders = out_.senders;
    return [fired, senders, key](toolkit::Control& sender) {
      ++(*fired)[key];
      (*senders)[key] = &sender;
    };
  }

  template <typename T>
  std::shared_ptr<T> add(const std::string& key, std::shared_ptr<T> view) {
    out_.controls[key] = view;
    return view;
  }

  std::shared_ptr<QDLModernButton> modern(const std::string& key, const std::string& title) {
    return add(key, QDLModernButton::buttonWithTitle(QDLT(title), action(key)));
  }

  std::shared_ptr<QDLCompactLabel> compact(const std::string& key, const std::string& text) {
    auto label = add(key, QDLCompactText(QDLT(text)));
    label->setTextColor(Color::named(SystemColor::secondaryLabel));
    return label;
  }

  std::shared_ptr<toolkit::TextField> label(const std::string& key, const std::string& text) {
    return add(key, toolkit::TextField::labelWithString(text));
  }

  std::shared_ptr<toolkit::SegmentedControl> segments(const std::string& key,
                                                      std::initializer_list<const char*> labels) {
    std::vector<std::string> texts;
    for (const char* l : labels) texts.push_back(QDLT(l));
    auto control = add(key, toolkit::SegmentedControl::withLabels(texts, action(key)));
    control->setSelectedSegment(0);
    return control;
  }

  std::shared_ptr<toolkit::PopUpButton> popUp(const std::string& key, std::initializer_list<std::string> items,
                                              long selected) {
    auto control = add(key, std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false));
    for (const std::string& item : items) control->addItemWithTitle(item);
    control->selectItemAtIndex(selected);
    control->setAction(action(key));
    return control;
  }

  std::shared_ptr<toolkit::Button> checkbox(const std::string& key, const std::string& title, bool on) {
    auto control = add(key, toolkit::Button::checkboxWithTitle(QDLT(title), action(key)));
    control->setState(on ? toolkit::control_state::on : toolkit::control_state::off);
    return control;
  }

 private:
  PanelControls& out_;
};

}  // namespace

PanelControls makePanelControls(bool withFiles) {
  PanelControls out;
  Maker m(out);

  auto heading = m.add("heading", QDLCompactText(QDLT("当前图纸布局")));
  heading->setFont(Font::boldSystem(18));
  auto version = m.label("version", "1.0.0-beta.9");
  version->setFont(Font::system(12));
  version->setTextColor(Color::named(SystemColor::secondaryLabel));
  version->setAlignment(graphics::TextAlignment::right);
  m.segments("source", {"布局", "模型图框"})->setSegmentStyle(toolkit::SegmentStyle::rounded);
  m.compact("recognitionStatus", "自动识别");
  m.modern("automatic", "自动识别");
  m.modern("pickLayer", "选择图层");
  m.modern("pickBlock", "选择图块");
  m.modern("pickFrames", "点选范围");
  m.modern("range", "框选范围");
  m.modern("clearRange", "清除范围");
  m.checkbox("nonplot", "识别不可打印图层", true);
  m.checkbox("blank", "排除空白矩形", true);
  m.modern("showRanges", "显示范围")->setToolTip(QDLT("用醒目矩形和对角 X 临时标出所有已勾选的打印区域"));
  m.modern("add", "手动补框");
  auto filter = m.add("filter", std::make_shared<toolkit::SearchField>());
  filter->setPlaceholderString(QDLT("筛选页面名称、图层或纸张"));
  filter->setAction(m.action("filter"));
  m.segments("scope", {"当前布局", "全部布局"});
  m.segments("sort", {"自然顺序", "反向", "按名称"});
  for (const auto& [key, title] : std::initializer_list<std::pair<const char*, const char*>>{{"refresh", "重新扫描"},
                                                                                             {"all", "全选"},
                                                                                             {"none", "全不选"},
                                                                                             {"up", "上移"},
                                                                                             {"down", "下移"},
                                                                                             {"focus", "定位"},
                                                                                             {"remove", "移除"},
                                                                                             {"restore", "恢复"}}) {
    m.modern(key, title);
  }

  // Columns at the widths the panel fits them to in the smallest window.
  auto table = m.add("table", std::make_shared<toolkit::TableView>());
  for (const auto& [id, title, width] :
       std::initializer_list<std::tuple<const char*, const char*, double>>{{"check", "打印", 44},
                                                                           {"order", "顺序", 52},
                                                                           {"layout", "页面名称", 120},
                                                                           {"setup", "来源 / 图层", 110},
                                                                           {"paper", "纸张", 125},
                                                                           {"scale", "比例", 64}}) {
    auto column = std::make_shared<toolkit::TableColumn>(id);
    column->setHeaderTitle(QDLT(title));
    column->setWidth(width);
    table->addTableColumn(column);
  }
  auto scroll = m.add("scroll", std::make_shared<toolkit::ScrollView>());
  scroll->setHasVerticalScroller(true);
  scroll->setBorderType(toolkit::BorderType::bezelBorder);
  scroll->setDocumentView(table);
  m.compact("summary", "尚未扫描");

  m.segments("outputMode", {"合并为一个 PDF", "每页单独 PDF"})->setSegmentStyle(toolkit::SegmentStyle::rounded);
  m.label("styleLabel", QDLT("打印样式"));
  m.popUp("style", {"monochrome.ctb", "acad.ctb"}, 0);
  m.label("pathLabel", QDLT("输出位置"));
  m.popUp("location",
          {QDLT("源文件路径"), QDLT("源文件路径/PDF"), QDLT("桌面"), QDLT("文稿"), QDLT("下载"), QDLT("其他路径")}, 1);
  auto path = m.add("path", std::make_shared<QDLPathField>());
  path->setStringValue("/Users/designer/Projects/Riverside Tower/Drawings/PDF");
  m.modern("browse", "选择…");
  m.label("nameLabel", QDLT("拆分命名"));
  auto name = m.add("name", toolkit::TextField::textFieldWithString(QDLL("{序号}-{页面}", "{index}-{page}")));
  name->setPlaceholderString(QDLT("可用：{序号} {页面} {来源}"));
  name->setAction(m.action("name"));
  name->setEnabled(false);
  m.label("paperLabel", QDLT("批量纸张"));
  m.popUp("paper", {QDLT("自动"), "A4", "A3", "A2", "A1", "A0"}, 0);
  m.modern("applyPaper", "应用到选中项")->setToolTip(QDLT("只修改表格中高亮选中的页面；未选中的页面保持原纸张"));
  m.label("scaleLabel", QDLT("缩放比例"));
  auto scale = m.add("scale", toolkit::TextField::textFieldWithString("100"));
  scale->setAlignment(graphics::TextAlignment::right);
  auto formatter = std::make_shared<toolkit::IntegerFormatter>();
  formatter->minimum = 1;
  formatter->maximum = 100;
  scale->setFormatter(formatter);
  scale->setToolTip(QDLT("输入 1～99 可整体缩小画面；100 表示不缩放，无需输入百分号"));
  scale->setAction(m.action("scale"));
  m.label("percent", "%");
  m.modern("applyScale", "应用")
      ->setToolTip(
          QDLL("将比例应用到高亮选中的页面", "Apply scale to highlighted sheets", "將比例套用到反白選取的頁面"));
  m.checkbox("overwrite", "允许覆盖同名文件", false);

  m.compact("status", "不会修改或保存 DWG；打印设置只在内存中使用。");
  m.modern("preview", "预览选中页")->setToolTip(QDLT("按真实打印参数生成一页临时 PDF，不写入正式输出目录"));
  m.modern("preflight", "任务预检");
  auto diagnostics = m.modern("diagnostics", "导出识别诊断");
  diagnostics->setToolTip(QDLT("导出识别诊断（⌘D）"));
  diagnostics->setKeyEquivalentModifierMask(toolkit::modifier::command);
  auto resume = m.modern("resume", "继续未完成任务");
  resume->setToolTip(QDLT("恢复取消、失败或 CAD 关闭前保存的任务"));
  resume->setEnabled(false);
  m.compact("diagnosticsStatus", "识别诊断：尚未扫描（悬停可查看完整内容）")->setFont(Font::system(11));
  m.modern("export", "开始输出 PDF");
  m.modern("command", "修改启动命令")->setToolTip(QDLT("启动命令"));
  m.modern("update", "检查更新");
  m.modern("lite", "切换到精简版");
  if (withFiles) m.modern("files", "多文件 / 文件夹…");
  m.modern("uninstall", "卸载插件…")->setToolTip(QDLT("打开独立卸载器；保存图纸并退出 CAD 后确认卸载"));
  return out;
}

}  // namespace ui_test

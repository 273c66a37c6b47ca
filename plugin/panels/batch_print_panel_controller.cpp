#include "panels/batch_print_panel_controller.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "core/host_bridge.h"
#include "core/version.h"
#include "foundation/format.h"
#include "graphics/color.h"
#include "graphics/font.h"
#include "panels/panel_settings.h"
#include "recognition/recognition_state.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"
#include "ui/modern_metric.h"
#include "ui/path_field.h"

std::unique_ptr<VexBatchPrintPanelController> gBatchPrintPanelController;

namespace {

using graphics::Color;
using graphics::Font;
using graphics::SystemColor;
using Self = VexBatchPrintPanelController;

toolkit::Control::Action act(Self* self, void (Self::*method)()) {
  // The controls live in the window, which lives no longer than the controller.
  return [self, method](toolkit::Control&) { (self->*method)(); };
}

// Recognition settings go into the globals the scans read. Only a designated layer is restored: picked frames
// and a frame block belong to one drawing.
void restoreRecognitionSettings() {
  gBatchIncludeNonPlottableLayers = panelBoolSetting("Quodline.IncludeNonPlottableLayers", true);
  gBatchExcludeBlankRectangles = panelBoolSetting("Quodline.ExcludeBlankRectangles", true);
  const std::string layer = panelStringSetting("Quodline.FrameLayer", "");
  const std::wstring wideLayer = vexBatchWideString(layer);
  if (panelIntegerSetting("Quodline.RecognitionMode", 0, INT64_MIN, INT64_MAX) == 1 && !wideLayer.empty()) {
    gBatchDesignatedFrameLayer = wideLayer;
    gBatchFrameRecognitionMode = VexBatchFrameRecognitionDesignatedLayer;
  }
}

std::shared_ptr<toolkit::SegmentedControl> segments(std::initializer_list<const char*> labels,
                                                    toolkit::Control::Action action, long selected) {
  std::vector<std::string> texts;
  for (const char* label : labels) texts.push_back(QDLT(label));
  auto control = toolkit::SegmentedControl::withLabels(texts, std::move(action));
  control->setSelectedSegment(selected);
  return control;
}

std::shared_ptr<QDLCompactLabel> secondaryText(const std::string& text) {
  auto label = QDLCompactText(text);
  label->setTextColor(Color::named(SystemColor::secondaryLabel));
  return label;
}

std::shared_ptr<toolkit::Button> checkbox(const char* title, bool on, toolkit::Control::Action action) {
  auto box = toolkit::Button::checkboxWithTitle(QDLT(title), std::move(action));
  box->setState(on ? toolkit::control_state::on : toolkit::control_state::off);
  return box;
}

}  // namespace

VexBatchPrintPanelController::VexBatchPrintPanelController() {
  restoreRecognitionSettings();
  buildWindow();
  QDLControls controls = makeControls();
  for (auto& [key, view] : controls) {
    if (view->identifier().empty()) view->setIdentifier(key);
  }
  workspace_ = std::make_shared<QDLModernWorkspace>(std::move(controls));
  workspace_->setFrame(panel_->contentView()->bounds());
  workspace_->setAutoresizingMask(toolkit::autoresizing::widthSizable | toolkit::autoresizing::heightSizable);
  panel_->contentView()->addSubview(workspace_);
  workspace_->advancedToggle()->setIdentifier("moreSettings");
  workspace_->editionMenu()->setIdentifier("edition");
  workspace_->languageSetting()->setIdentifier("language");
  workspace_->reverseScrollToggle()->setIdentifier("reverseScroll");
  // The sidebar's buttons, by the page each shows.
  for (const auto& button : workspace_->navigationButtons()) {
    button->setIdentifier(button->tag() == 0 ? "homePage" : button->tag() == 2 ? "settingsPage" : "aboutPage");
  }
  // Scripts read the tiles as "tile1Value", "tile1Detail"… in the workspace's order.
  for (std::size_t i = 0; i < workspace_->metrics().size(); ++i) {
    const std::string tile = "tile" + std::to_string(i + 1);
    workspace_->metrics()[i]->valueLabel()->setIdentifier(tile + "Value");
    workspace_->metrics()[i]->detailLabel()->setIdentifier(tile + "Detail");
  }
  vexBatchSetPanelStatusWriter([this](const std::string& text) { statusLabel_->setStringValue(text); });
  wireActions();
  refreshResolvedOutputPath();
}

VexBatchPrintPanelController::~VexBatchPrintPanelController() {
  vexBatchSetPanelStatusWriter({});
  if (table_) {
    table_->setDataSource(nullptr);
    table_->setDelegate(nullptr);
  }
  if (panel_->delegate() == this) panel_->setDelegate(nullptr);
  panel_->orderOut();
}

void VexBatchPrintPanelController::buildWindow() {
  using namespace toolkit::window_style;
  panel_ = std::make_shared<QDLApplicationPanel>(toolkit::Rect{180, 70, 1000, 680},
                                                 titled | closable | miniaturizable | resizable | fullSizeContentView,
                                                 toolkit::BackingStore::buffered, false);
  QDLConfigureApplicationPanel(*panel_);
  panel_->setIdentifier("batchPrintPanel");
  panel_->setTitle(foundation::format(QDLT("Ferrolin 批打工具 %@"), kQuodlVersion));
  panel_->setTitleVisibility(toolkit::TitleVisibility::hidden);
  panel_->setTitlebarAppearsTransparent(true);
  panel_->setTitlebarSeparatorStyle(toolkit::TitlebarSeparatorStyle::none);
  panel_->setMovableByWindowBackground(true);
  panel_->setWorksWhenModal(true);
  panel_->setReleasedWhenClosed(false);
  panel_->setContentMinSize({1000, 680});
  panel_->setAppearance(graphics::Appearance::aqua);
  panel_->setDelegate(this);
  panel_->setFrameAutosaveName("QuodlinePanelCompactProV1");
}

QDLControls VexBatchPrintPanelController::makeControls() {
  QDLControls c;
  auto modern = [&](const char* key, const char* title, toolkit::Control::Action action) {
    auto button = QDLModernButton::buttonWithTitle(QDLT(title), std::move(action));
    c[key] = button;
    return button;
  };
  // Actions that later work wires stay without one: the button shows, and pressing it does nothing.
  auto later = toolkit::Control::Action();

  auto heading = QDLCompactText(QDLT("当前图纸布局"));
  heading->setFont(Font::boldSystem(18));
  headingLabel_ = heading;
  c["heading"] = heading;
  auto version = toolkit::TextField::labelWithString(kQuodlVersion);
  version->setFont(Font::system(12));
  version->setTextColor(Color::named(SystemColor::secondaryLabel));
  version->setAlignment(graphics::TextAlignment::right);
  c["version"] = version;

  sourceMode_ = segments({"布局", "模型图框"}, act(this, &Self::sourceModeChanged),
                         panelIntegerSetting("Quodline.SourceMode", 0, INT64_MIN, INT64_MAX) == 1 ? 1 : 0);
  sourceMode_->setSegmentStyle(toolkit::SegmentStyle::rounded);
  sourceMode_->setSegmentDistribution(toolkit::SegmentDistribution::fillEqually);
  c["source"] = sourceMode_;
  recognitionStatusLabel_ = secondaryText(QDLT("自动识别"));
  c["recognitionStatus"] = recognitionStatusLabel_;
  modern("automatic", "自动识别", later);
  modern("pickLayer", "选择图层", later);
  modern("pickBlock", "选择图块", later);
  modern("pickFrames", "点选范围", later);
  modern("range", "框选范围", later);
  modern("clearRange", "清除范围", later);
  includeNonPlottableButton_ = checkbox("识别不可打印图层", gBatchIncludeNonPlottableLayers, later);
  c["nonplot"] = includeNonPlottableButton_;
  excludeBlankRectanglesButton_ = checkbox("排除空白矩形", gBatchExcludeBlankRectangles, later);
  c["blank"] = excludeBlankRectanglesButton_;

  std::vector<std::shared_ptr<QDLModernButton>> listButtons;
  auto listButton = [&](const char* key, const char* title, toolkit::Control::Action action) {
    auto button = modern(key, title, std::move(action));
    listButtons.push_back(button);
    return button;
  };
  listButton("showRanges", "显示范围", later)->setToolTip(QDLT("用醒目矩形和对角 X 临时标出所有已勾选的打印区域"));
  listButton("add", "手动补框", later);
  filterField_ = std::make_shared<toolkit::SearchField>();
  filterField_->setPlaceholderString(QDLT("筛选页面名称、图层或纸张"));
  filterField_->setAction(act(this, &Self::filterChanged));
  c["filter"] = filterField_;
  layoutScope_ = segments({"当前布局", "全部布局"}, act(this, &Self::layoutScopeChanged),
                          panelIntegerSetting("Quodline.LayoutScope", 0, INT64_MIN, INT64_MAX) == 1 ? 1 : 0);
  c["scope"] = layoutScope_;
  sortMode_ = segments({"自然顺序", "反向", "按名称"}, act(this, &Self::sortModeChanged),
                       panelIntegerSetting("Quodline.SortMode", 0, 0, 2));
  c["sort"] = sortMode_;
  listButton("refresh", "重新扫描", later);
  listButton("all", "全选", act(this, &Self::selectAll));
  listButton("none", "全不选", act(this, &Self::selectNone));
  listButton("up", "上移", act(this, &Self::moveUp));
  listButton("down", "下移", act(this, &Self::moveDown));
  listButton("focus", "定位", later);
  listButton("remove", "移除", act(this, &Self::removeSelected));
  listButton("restore", "恢复", act(this, &Self::restoreRemoved));
  for (const auto& button : listButtons) {
    button->setControlSize(toolkit::ControlSize::small);
    button->setFont(Font::system(13));
  }

  makeTable(c);
  summaryLabel_ = secondaryText(QDLT("尚未扫描"));
  summaryLabel_->setLineBreakMode(graphics::LineBreakMode::truncatingTail);
  c["summary"] = summaryLabel_;

  const bool split = panelIntegerSetting("Quodline.OutputMode", 0, INT64_MIN, INT64_MAX) == 1;
  outputMode_ = segments({"合并为一个 PDF", "每页单独 PDF"}, later, split ? 1 : 0);
  outputMode_->setSegmentStyle(toolkit::SegmentStyle::rounded);
  outputMode_->setSegmentDistribution(toolkit::SegmentDistribution::fillEqually);
  c["outputMode"] = outputMode_;
  c["styleLabel"] = toolkit::TextField::labelWithString(QDLT("打印样式"));
  plotStyleMode_ = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false);
  c["style"] = plotStyleMode_;
  reloadPlotStylesForActiveDrawing();
  c["pathLabel"] = toolkit::TextField::labelWithString(QDLT("输出位置"));
  outputLocationMode_ = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false);
  for (const char* item : {"源文件路径", "源文件路径/PDF", "桌面", "文稿", "下载", "其他路径"}) {
    outputLocationMode_->addItemWithTitle(QDLT(item));
  }
  const std::string savedPath = panelStringSetting("Quodline.OutputPath", "");
  outputLocationMode_->selectItemAtIndex(
      panelIntegerSetting("Quodline.OutputLocationMode", savedPath.empty() ? 1 : 5, 0, 5));
  c["location"] = outputLocationMode_;
  outputPath_ = std::make_shared<QDLPathField>();
  outputPath_->setStringValue(savedPath);
  c["path"] = outputPath_;
  browseOutputButton_ = modern("browse", "选择…", later);
  c["nameLabel"] = toolkit::TextField::labelWithString(QDLT("拆分命名"));
  std::string templateText = panelStringSetting("Quodline.NameTemplate", "");
  if (templateText.empty()) templateText = QDLL("{序号}-{页面}", "{index}-{page}");
  nameTemplate_ = toolkit::TextField::textFieldWithString(templateText);
  nameTemplate_->setPlaceholderString(QDLT("可用：{序号} {页面} {来源}"));
  nameTemplate_->setEnabled(split);
  c["name"] = nameTemplate_;
  c["paperLabel"] = toolkit::TextField::labelWithString(QDLT("批量纸张"));
  paperMode_ = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{}, false);
  for (const std::string& item : {QDLT("自动"), std::string("A4"), std::string("A3"), std::string("A2"),
                                  std::string("A1"), std::string("A0")}) {
    paperMode_->addItemWithTitle(item);
  }
  paperMode_->selectItemAtIndex(panelIntegerSetting("Quodline.PaperMode", 0, 0, 5));
  paperMode_->setAction(act(this, &Self::paperModeChanged));
  c["paper"] = paperMode_;
  modern("applyPaper", "应用到选中项", act(this, &Self::applyPaperToSelectedRows))
      ->setToolTip(QDLT("只修改表格中高亮选中的页面；未选中的页面保持原纸张"));
  c["scaleLabel"] = toolkit::TextField::labelWithString(QDLT("缩放比例"));
  contentScalePercentField_ = toolkit::TextField::textFieldWithString("");
  contentScalePercentField_->setAlignment(graphics::TextAlignment::right);
  auto formatter = std::make_shared<toolkit::IntegerFormatter>();
  formatter->minimum = 1;
  formatter->maximum = 100;
  contentScalePercentField_->setFormatter(formatter);
  contentScalePercentField_->setToolTip(QDLT("输入 1～99 可整体缩小画面；100 表示不缩放，无需输入百分号"));
  contentScalePercentField_->setIntegerValue(panelIntegerSetting("Quodline.ContentScalePercent", 100, 1, 100));
  contentScalePercentField_->setAction(act(this, &Self::contentScalePercentChanged));
  c["scale"] = contentScalePercentField_;
  c["percent"] = toolkit::TextField::labelWithString("%");
  modern("applyScale", "应用", act(this, &Self::applyScaleToSelectedRows))
      ->setToolTip(QDLL("将比例应用到高亮选中的页面", "Apply scale to highlighted sheets", "將比例套用到反白選取的頁面"));
  overwriteButton_ = checkbox("允许覆盖同名文件", panelBoolSetting("Quodline.Overwrite", false), later);
  c["overwrite"] = overwriteButton_;

  statusLabel_ = secondaryText(QDLT("不会修改或保存 DWG；打印设置只在内存中使用。"));
  c["status"] = statusLabel_;
  previewButton_ = modern("preview", "预览选中页", later);
  previewButton_->setToolTip(QDLT("按真实打印参数生成一页临时 PDF，不写入正式输出目录"));
  preflightButton_ = modern("preflight", "任务预检", later);
  auto diagnostics = modern("diagnostics", "导出识别诊断", later);
  diagnostics->setKeyEquivalent("d");
  diagnostics->setKeyEquivalentModifierMask(toolkit::modifier::command);
  diagnostics->setToolTip(QDLT("导出识别诊断（⌘D）"));
  resumeButton_ = modern("resume", "继续未完成任务", later);
  resumeButton_->setToolTip(QDLT("恢复取消、失败或 CAD 关闭前保存的任务"));
  resumeButton_->setEnabled(false);
  auto diagnosticsLine = secondaryText(QDLT("识别诊断：尚未扫描（悬停可查看完整内容）"));
  diagnosticsLine->setFont(Font::system(11));
  diagnosticsLabel_ = diagnosticsLine;
  c["diagnosticsStatus"] = diagnosticsLine;
  exportButton_ = modern("export", "开始输出 PDF", later);
  exportButton_->setBezelStyle(toolkit::BezelStyle::push);
  exportButton_->setKeyEquivalent("\r");
  auto command = modern("command", "修改启动命令", later);
  command->setToolTip(QDLT("启动命令"));
  command->setBezelStyle(toolkit::BezelStyle::push);
  modern("update", "检查更新", later);
  modern("lite", "切换到精简版", later);
  modern("files", "多文件 / 文件夹…", later);
  modern("uninstall", "卸载插件…", later)->setToolTip(QDLT("打开独立卸载器；保存图纸并退出 CAD 后确认卸载"));
  return c;
}

bool VexBatchPrintPanelController::windowShouldClose(toolkit::Window& window) {
  window.orderOut();
  return false;
}

// The fit reads the table's clip view, which the window's layout sizes: laid out first, the widths follow the
// new size rather than the old one.
void VexBatchPrintPanelController::windowDidResize(toolkit::Window& window) {
  window.layoutIfNeeded();
  updateTableColumnWidths();
}

void VexBatchPrintPanelController::showStatus(const std::string& text) { statusLabel_->setStringValue(text); }

void VexBatchPrintPanelController::refuse(const std::string& text) {
  showStatus(text);
  toolkit::beep();
}

VexBatchPrintPanelController& ensureBatchPrintPanel() {
  if (!gBatchPrintPanelController) gBatchPrintPanelController = std::make_unique<VexBatchPrintPanelController>();
  return *gBatchPrintPanelController;
}

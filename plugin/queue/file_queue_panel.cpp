// The queue panel's window, its option controls with their saved settings, enabling, stopping and closing.
#include "queue/file_queue_panel.h"

#include <algorithm>
#include <utility>

#include "foundation/format.h"
#include "foundation/main_queue.h"
#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "graphics/image.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/file_panels.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"

std::shared_ptr<QDLFileQueuePanel> gBatchFilePanel;

namespace {

constexpr char kSourceKey[] = "Quodline.Queue.Source";
constexpr char kOutputKey[] = "Quodline.Queue.Output";
constexpr char kPaperKey[] = "Quodline.Queue.Paper";
constexpr char kScaleKey[] = "Quodline.Queue.Scale";
constexpr char kStyleKey[] = "Quodline.Queue.Style";
constexpr char kFileOrderKey[] = "Quodline.Queue.FileOrder";
constexpr char kPageOrderKey[] = "Quodline.Queue.PageOrder";

constexpr char kOwnStyles[] = "使用图纸原打印样式";

foundation::UserDefaults& defaults() { return foundation::UserDefaults::standard(); }

// A stored integer within its bounds; `fallback` when the key is missing.
long storedIndex(const char* key, long fallback, long low, long high) {
  const long value = defaults().hasKey(key) ? static_cast<long>(defaults().integerForKey(key)) : fallback;
  return std::clamp(value, low, high);
}

}  // namespace

QDLFileQueuePanel::QDLFileQueuePanel() {
  using namespace toolkit::window_style;
  panel_ = std::make_shared<QDLApplicationPanel>(toolkit::Rect{0, 0, 850, 620}, titled | closable,
                                                 toolkit::BackingStore::buffered, false);
  panel_->setIdentifier("fileQueuePanel");
  panel_->setReleasedWhenClosed(false);
  panel_->setDelegate(this);
  QDLConfigureApplicationPanel(*panel_);
  panel_->setTitle(QDLT("多文件 / 文件夹批打 · 专业版"));

  button(
      "添加 DWG…", "addFiles", [](QDLFileQueuePanel& p) { p.addFiles(); }, 18, 565, 120);
  button(
      "添加文件夹…", "addFolder", [](QDLFileQueuePanel& p) { p.addFolder(); }, 146, 565, 140);
  recursive_ =
      toolkit::Button::checkboxWithTitle(QDLT("包含子文件夹"), [this](toolkit::Control&) { recursiveChanged(); });
  recursive_->setIdentifier("recursive");
  recursive_->setFrame({300, 565, 210, 32});
  recursive_->setState(toolkit::control_state::off);
  panel_->contentView()->addSubview(recursive_);
  editingControls_.push_back(recursive_);
  button(
      "移除所选", "remove", [](QDLFileQueuePanel& p) { p.remove(); }, 688, 565, 140);

  label("打印内容", 20, 525, 90);
  sourceMode_ = toolkit::SegmentedControl::withLabels({QDLT("全部布局"), QDLT("模型空间")},
                                                      [this](toolkit::Control& c) { optionsChanged(&c); });
  sourceMode_->setIdentifier("sourceMode");
  sourceMode_->setFrame({112, 522, 220, 30});
  sourceMode_->setSelectedSegment(0);
  panel_->contentView()->addSubview(sourceMode_);
  editingControls_.push_back(sourceMode_);
  label("输出方式", 350, 525, 90);
  outputMode_ =
      popup({"单张 PDF（按文件建文件夹）", "按 CAD 文件分别合并", "全部合并为一个 PDF"}, "outputMode", 444, 522, 386);
  outputMode_->selectItemAtIndex(1);

  label("纸张", 20, 479, 90);
  paperMode_ = popup({"自动", "A4", "A3", "A2", "A1", "A0"}, "paperMode", 112, 476, 128);
  label("统一打印样式", 256, 479, 90);
  plotStyleMode_ = popup({}, "plotStyleMode", 350, 476, 276);
  fillStylePopup(*plotStyleMode_, {}, "");
  label("缩放比例", 642, 479, 90);
  scaleField_ = toolkit::TextField::textFieldWithString("100");
  scaleField_->setIdentifier("scaleField");
  scaleField_->setFrame({733, 478, 63, 26});
  scaleField_->setAction([this](toolkit::Control& c) { optionsChanged(&c); });
  panel_->contentView()->addSubview(scaleField_);
  editingControls_.push_back(scaleField_);
  label("%", 804, 479, 26);

  label("文件顺序", 20, 433, 90);
  fileOrder_ = popup({"手动排序", "文件名升序", "文件名降序"}, "fileOrder", 112, 430, 200);
  auto arrow = [this](const char* symbol, const char* tip, const char* id, bool down) {
    auto b = button(
        "", id, [down](QDLFileQueuePanel& p) { p.moveSelected(down); }, down ? 364 : 326, 430, 32);
    b->setImage(graphics::Image::systemSymbol(symbol, QDLT(tip)));
    b->setImagePosition(toolkit::ImagePosition::imageOnly);
    b->setToolTip(QDLT(tip));
    b->setAccessibilityLabel(QDLT(tip));
    return b;
  };
  moveUp_ = arrow("arrow.up", "上移所选文件", "moveUp", false);
  moveDown_ = arrow("arrow.down", "下移所选文件", "moveDown", true);
  label("图纸顺序", 432, 433, 116);
  pageOrder_ = popup({"自然顺序", "反向", "按名称"}, "pageOrder", 554, 430, 276);

  configuration_ = QDLCompactText("");
  configuration_->setIdentifier("configuration");
  configuration_->setFrame({20, 397, 810, 24});
  panel_->contentView()->addSubview(configuration_);

  buildTable();

  button(
      "输出文件夹…", "chooseOutput", [](QDLFileQueuePanel& p) { p.chooseOutput(); }, 18, 108, 155);
  status_ = QDLCompactText(QDLT("添加 DWG 或文件夹。开始前检查已打开图纸，源 DWG 不保存。"));
  status_->setIdentifier("status");
  status_->setFrame({184, 112, 645, 24});
  panel_->contentView()->addSubview(status_);
  // Revealing outputs is never disabled; start and stop have rules of their own.
  revealButton_ = button(
      "查看输出结果", "revealOutputs", [](QDLFileQueuePanel& p) { p.revealOutputs(); }, 18, 24, 145, false);
  cancelButton_ = button(
      "停止队列", "cancelButton", [](QDLFileQueuePanel& p) { p.cancel(); }, 566, 24, 124, false);
  cancelButton_->setEnabled(false);
  startButton_ = button(
      "开始批打", "startButton", [](QDLFileQueuePanel& p) { p.start(); }, 702, 24, 126, false);

  foundation::NotificationCenter::defaultCenter().addObserver(
      QDLLanguageChanged, nullptr, [this](const foundation::Notification&) { languageChanged(); }, this);

  updateSummary();
  updateControls();
  panel_->center();
}

QDLFileQueuePanel::~QDLFileQueuePanel() {
  if (discovery_) discovery_->cancel();
  workers_.joinAll();
  // A result already handed to the main queue must not reach a panel that is gone.
  foundation::MainQueue::main().cancelAll(this);
  foundation::NotificationCenter::defaultCenter().removeObserversOwnedBy(this);
  if (table_->dataSource() == this) table_->setDataSource(nullptr);
  if (table_->delegate() == this) table_->setDelegate(nullptr);
  if (panel_->delegate() == this) panel_->setDelegate(nullptr);
  panel_->orderOut();
}

std::shared_ptr<toolkit::Button> QDLFileQueuePanel::button(const std::string& title, const std::string& id,
                                                           std::function<void(QDLFileQueuePanel&)> action, double x,
                                                           double y, double w, bool editing) {
  // The controls live in the window, which lives no longer than this panel.
  auto b = toolkit::Button::buttonWithTitle(title.empty() ? "" : QDLT(title),
                                            [this, action = std::move(action)](toolkit::Control&) { action(*this); });
  b->setIdentifier(id);
  b->setBezelStyle(toolkit::BezelStyle::push);
  b->setFrame({x, y, w, 32});
  panel_->contentView()->addSubview(b);
  if (editing) editingControls_.push_back(b);
  return b;
}

void QDLFileQueuePanel::label(const std::string& text, double x, double y, double w) {
  auto l = QDLCompactText(QDLT(text));
  l->setFrame({x, y, w, 24});
  panel_->contentView()->addSubview(l);
}

std::shared_ptr<toolkit::PopUpButton> QDLFileQueuePanel::popup(const std::vector<std::string>& items,
                                                               const std::string& id, double x, double y, double w) {
  auto p = std::make_shared<toolkit::PopUpButton>(toolkit::Rect{x, y, w, 30}, false);
  p->setIdentifier(id);
  for (const std::string& item : items) p->addItemWithTitle(QDLT(item));
  p->selectItemAtIndex(0);
  p->setAction([this](toolkit::Control& c) { optionsChanged(&c); });
  panel_->contentView()->addSubview(p);
  editingControls_.push_back(p);
  return p;
}

void QDLFileQueuePanel::fillStylePopup(toolkit::PopUpButton& popup, const std::vector<std::string>& names,
                                       const std::string& selected) {
  popup.removeAllItems();
  popup.addItemWithTitle(QDLT(kOwnStyles));
  popup.lastItem()->setRepresentedObject(std::string());
  std::vector<std::string> listed = names;
  if (!selected.empty() && std::find(listed.begin(), listed.end(), selected) == listed.end())
    listed.push_back(selected);
  for (const std::string& name : listed) {
    // Style names are file names: added as they are, whatever their text.
    popup.addItemWithTitle(name);
    popup.lastItem()->setRepresentedObject(name);
  }
  if (!popup.selectItemWithRepresentedObject(selected)) popup.selectItemAtIndex(0);
  popup.setToolTip(popup.titleOfSelectedItem());
}

std::string QDLFileQueuePanel::uniformStyle() const {
  const toolkit::MenuItem* item = plotStyleMode_->selectedItem();
  return item != nullptr && item->representedObject() ? *item->representedObject() : std::string();
}

void QDLFileQueuePanel::configureModel(bool modelSpace, long output, long paper, long scale, const std::string& style,
                                       const std::vector<std::string>& availableStyles) {
  availableStyles_ = availableStyles;
  std::string selected;
  if (!configured_) {
    sourceMode_->setSelectedSegment(storedIndex(kSourceKey, modelSpace ? 1 : 0, 0, 1));
    outputMode_->selectItemAtIndex(storedIndex(kOutputKey, output, 0, 2));
    paperMode_->selectItemAtIndex(storedIndex(kPaperKey, paper, 0, 5));
    scaleField_->setIntegerValue(storedIndex(kScaleKey, scale, 1, 100));
    fileOrder_->selectItemAtIndex(storedIndex(kFileOrderKey, 0, 0, 2));
    pageOrder_->selectItemAtIndex(storedIndex(kPageOrderKey, 0, 0, 2));
    const std::optional<std::string> stored = defaults().stringForKey(kStyleKey);
    selected = defaults().hasKey(kStyleKey) && stored ? *stored : style;
  } else {
    selected = uniformStyle();
  }
  fillStylePopup(*plotStyleMode_, availableStyles_, selected);
  configured_ = true;
  updateSummary();
  refresh();
}

void QDLFileQueuePanel::optionsChanged(const toolkit::Control* sender) {
  if (isBusy()) return;
  defaults().setInteger(sourceMode_->selectedSegment(), kSourceKey);
  defaults().setInteger(outputMode_->indexOfSelectedItem(), kOutputKey);
  defaults().setInteger(paperMode_->indexOfSelectedItem(), kPaperKey);
  // Only a usable scale is kept; start() refuses a text that is not one whole number.
  const std::int64_t scale = scaleField_->integerValue();
  if (scale >= 1 && scale <= 100) defaults().setInteger(scale, kScaleKey);
  defaults().setString(uniformStyle(), kStyleKey);
  defaults().setInteger(fileOrder_->indexOfSelectedItem(), kFileOrderKey);
  defaults().setInteger(pageOrder_->indexOfSelectedItem(), kPageOrderKey);
  if (sender == fileOrder_.get()) sortFiles();
  if (sender == plotStyleMode_.get()) {
    plotStyleMode_->setToolTip(plotStyleMode_->titleOfSelectedItem());
    table_->reloadData();
    updateControls();
  }
  updateSummary();
}

void QDLFileQueuePanel::updateSummary() {
  const std::string text = foundation::format(
      QDLT("%@ · %@ · %@ · 比例 %@%%"), sourceMode_->label(sourceMode_->selectedSegment()),
      outputMode_->titleOfSelectedItem(), paperMode_->titleOfSelectedItem(), scaleField_->stringValue());
  configuration_->setStringValue(text);
  plotStyleMode_->setToolTip(plotStyleMode_->titleOfSelectedItem());
}

void QDLFileQueuePanel::updateControls() {
  const bool busy = isBusy();
  for (const auto& control : editingControls_) control->setEnabled(!busy);
  startButton_->setEnabled(!busy);
  cancelButton_->setEnabled(busy);
  cancelButton_->setTitle(QDLT(discovery_ ? "取消扫描" : "停止队列"));
  const std::set<long>& selected = table_->selectedRowIndexes();
  const long count = static_cast<long>(items_.size());
  moveUp_->setEnabled(!busy && !selected.empty() && *selected.begin() != 0);
  moveDown_->setEnabled(!busy && !selected.empty() && *selected.rbegin() != count - 1);
  const long styleColumn = table_->columnWithIdentifier("style");
  for (long row = 0; row < table_->numberOfRows(); ++row) {
    if (auto* cell = dynamic_cast<toolkit::Control*>(table_->viewAtColumn(styleColumn, row, false))) {
      cell->setEnabled(!busy);
    }
  }
}

void QDLFileQueuePanel::refresh() {
  table_->reloadData();
  updateControls();
}

void QDLFileQueuePanel::setBusy(bool running) {
  running_ = running;
  updateControls();
}

void QDLFileQueuePanel::setStatus(const std::string& text) { status_->setStringValue(text); }

long QDLFileQueuePanel::runFileChooser(toolkit::OpenPanel& chooser) {
  const long response = chooser.runModal();
  if (toolkit::Application::shared().isActive()) panel_->makeKeyAndOrderFront();
  else panel_->setRestoreAfterActivation(true);
  return response;
}

void QDLFileQueuePanel::chooseOutput() {
  if (isBusy()) return;
  toolkit::OpenPanel chooser;
  chooser.setCanChooseFiles(false);
  chooser.setCanChooseDirectories(true);
  chooser.setCanCreateDirectories(true);
  chooser.setAllowsMultipleSelection(false);
  if (runFileChooser(chooser) != toolkit::kModalResponseOK || chooser.URL().empty()) return;
  outputRoot_ = chooser.URL();
  setStatus(outputRoot_);
}

void QDLFileQueuePanel::cancel() {
  if (discovery_) {
    discovery_->cancel();
    setStatus(QDLT("正在取消扫描…"));
  } else if (running_ && cancelHandler_) {
    cancelHandler_();
  }
}

bool QDLFileQueuePanel::windowShouldClose(toolkit::Window&) {
  if (discovery_) {
    invalidateDiscovery();
    panel_->orderOut();
  } else if (running_) {
    setStatus(QDLT("请先停止队列，等待当前文件结束。"));
  } else {
    panel_->orderOut();
  }
  return false;
}

void QDLFileQueuePanel::languageChanged() {
  const std::set<long> selected = table_->selectedRowIndexes();
  const toolkit::Point origin = scrollView_->documentVisibleRect().origin;
  updateControls();
  updateSummary();
  refresh();
  table_->selectRowIndexes(selected, false);
  scrollView_->contentView().scrollToPoint(origin);
  scrollView_->reflectScrolledClipView();
}

void vexBatchQueuePanelShutdown() {
  if (!gBatchFilePanel) return;
  gBatchFilePanel->invalidateDiscovery();
  QDLApplicationPanel& window = *gBatchFilePanel->panel();
  window.setDelegate(nullptr);
  window.orderOut();
  window.close();
  gBatchFilePanel.reset();
}

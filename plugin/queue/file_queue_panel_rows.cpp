// The queue panel's table: its columns and cells, the rows' own plot styles, ordering by name or by hand,
// removing rows, starting from the panel and revealing a row's outputs.
#include <algorithm>
#include <array>

#include "foundation/files.h"
#include "foundation/format.h"
#include "foundation/paths.h"
#include "queue/file_queue_panel.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "toolkit/workspace.h"
#include "ui/application_panel.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"

namespace {

struct Column {
  const char* identifier;
  const char* title;
  double width;
};
constexpr std::array<Column, 5> kColumns{{
    {"order", "顺序", 48},
    {"name", "DWG 文件", 220},
    {"style", "打印样式", 170},
    // Wider than 80 points, so that the longest state ("Awaiting merge") shows whole.
    {"state", "状态", 104},
    {"message", "详情", 253},
}};

constexpr char kFollowShared[] = "跟随统一设置";
constexpr char kOwnStyles[] = "使用图纸原打印样式";

}  // namespace

void QDLFileQueuePanel::buildTable() {
  scrollView_ = std::make_shared<toolkit::ScrollView>(toolkit::Rect{20, 156, 810, 230});
  scrollView_->setIdentifier("queueScroll");
  scrollView_->setHasVerticalScroller(true);
  scrollView_->setBorderType(toolkit::BorderType::bezelBorder);
  table_ = std::make_shared<toolkit::TableView>(toolkit::Rect{0, 0, 810, 230});
  table_->setIdentifier("queueTable");
  table_->setAllowsMultipleSelection(true);
  table_->setRowHeight(32);
  table_->setColumnAutoresizingStyle(toolkit::ColumnAutoresizingStyle::lastColumnOnly);
  for (const Column& c : kColumns) {
    auto column = std::make_shared<toolkit::TableColumn>(c.identifier);
    column->setHeaderTitle(QDLT(c.title));
    column->setWidth(c.width);
    table_->addTableColumn(column);
  }
  table_->setDataSource(this);
  table_->setDelegate(this);
  table_->setDoubleAction([this](toolkit::Control&) { revealOutputs(); });
  scrollView_->setDocumentView(table_);
  panel_->contentView()->addSubview(scrollView_);
  // The last column takes what the others leave of the visible width.
  scrollView_->tile();
  double used = 0;
  for (std::size_t i = 0; i + 1 < kColumns.size(); ++i) used += kColumns[i].width + table_->intercellSpacing().width;
  toolkit::TableColumn& last = *table_->tableColumns().back();
  last.setWidth(std::max(last.minWidth(), scrollView_->contentSize().width - used - table_->intercellSpacing().width));
}

long QDLFileQueuePanel::numberOfRowsInTableView(toolkit::TableView&) { return static_cast<long>(items_.size()); }

std::shared_ptr<toolkit::View> QDLFileQueuePanel::viewForTableColumn(toolkit::TableView&, toolkit::TableColumn* column,
                                                                     long row) {
  if (column == nullptr || row < 0 || row >= static_cast<long>(items_.size())) return nullptr;
  if (column->identifier() == "style") return styleCell(row);
  return textCell(column->identifier(), row);
}

std::shared_ptr<toolkit::View> QDLFileQueuePanel::textCell(const std::string& column, long row) {
  const QDLQueueItem& item = *items_[static_cast<std::size_t>(row)];
  std::string text;
  if (column == "order") text = foundation::format("%ld", row + 1);
  else if (column == "name") text = foundation::lastPathComponent(item.path);
  else if (column == "state") text = item.state;
  else if (column == "message") text = item.message;
  const bool path = foundation::isAbsolutePath(text);
  // States and messages follow the language of the moment, whichever one they were stored in.
  const std::string shown = column == "name" || path ? text : QDLT(text);
  auto label = QDLCompactText(shown);
  label->setLineBreakMode(column == "name" || path ? graphics::LineBreakMode::truncatingMiddle
                                                   : graphics::LineBreakMode::truncatingTail);
  label->setToolTip(column == "name" ? item.path : shown);
  // The line sits in the middle of its row, level with the style pop-up beside it.
  const double width = table_->tableColumnWithIdentifier(column)->width();
  const double height = label->intrinsicContentSize().height;
  auto cell = std::make_shared<toolkit::View>(toolkit::Rect{0, 0, width, table_->rowHeight()});
  cell->setIdentifier(column);
  label->setFrame({0, (table_->rowHeight() - height) / 2, width, height});
  label->setAutoresizingMask(toolkit::autoresizing::widthSizable | toolkit::autoresizing::minYMargin |
                             toolkit::autoresizing::maxYMargin);
  cell->addSubview(label);
  return cell;
}

std::shared_ptr<toolkit::View> QDLFileQueuePanel::styleCell(long row) {
  const QDLQueueRow& item = items_[static_cast<std::size_t>(row)];
  const double width = table_->tableColumnWithIdentifier("style")->width();
  auto popup = std::make_shared<QDLQueueStylePopup>(toolkit::Rect{0, 0, width, 28}, false);
  popup->setIdentifier("style");
  popup->queueItem = item;
  popup->setFont(graphics::Font::system(12));
  popup->addItemWithTitle(QDLT(kFollowShared));
  popup->addItemWithTitle(QDLT(kOwnStyles));
  popup->lastItem()->setRepresentedObject(std::string());
  std::vector<std::string> names = availableStyles_;
  if (item->styleOverride && !item->styleOverride->empty() &&
      std::find(names.begin(), names.end(), *item->styleOverride) == names.end()) {
    names.push_back(*item->styleOverride);
  }
  for (const std::string& name : names) {
    popup->addItemWithTitle(name);
    popup->lastItem()->setRepresentedObject(name);
  }
  if (!item->styleOverride || !popup->selectItemWithRepresentedObject(*item->styleOverride))
    popup->selectItemAtIndex(0);
  popup->setToolTip(styleToolTip(*item));
  popup->setAction([this](toolkit::Control& c) { fileStyleChanged(static_cast<QDLQueueStylePopup&>(c)); });
  popup->setEnabled(!isBusy());
  return popup;
}

void QDLFileQueuePanel::selectionDidChange(toolkit::TableView&) { updateControls(); }

void QDLFileQueuePanel::fileStyleChanged(QDLQueueStylePopup& popup) {
  if (isBusy()) return;
  const auto it = std::find(items_.begin(), items_.end(), popup.queueItem);
  if (it == items_.end()) return;
  const toolkit::MenuItem* item = popup.selectedItem();
  if (item != nullptr && item->representedObject()) (*it)->styleOverride = *item->representedObject();
  else (*it)->styleOverride.reset();
  // The cell is brought up to date in place rather than made again: it is the control whose action runs now.
  popup.setToolTip(styleToolTip(**it));
}

std::string QDLFileQueuePanel::styleToolTip(const QDLQueueItem& item) const {
  const std::string effective = QDLQueueEffectiveStyle(item, uniformStyle());
  const std::string named = effective.empty() ? QDLT(kOwnStyles) : effective;
  return foundation::format(QDLT(item.styleOverride ? "单独设置：%@" : "跟随统一：%@"), named);
}

void QDLFileQueuePanel::selectRows(const std::vector<QDLQueueRow>& rows) {
  std::set<long> indexes;
  for (const QDLQueueRow& row : rows) {
    const auto it = std::find(items_.begin(), items_.end(), row);
    if (it != items_.end()) indexes.insert(static_cast<long>(it - items_.begin()));
  }
  table_->selectRowIndexes(indexes, false);
}

void QDLFileQueuePanel::sortFiles() {
  const long order = fileOrder_->indexOfSelectedItem();
  if (order != 1 && order != 2) return;
  std::vector<QDLQueueRow> selected;
  for (const long i : table_->selectedRowIndexes()) selected.push_back(items_[static_cast<std::size_t>(i)]);
  QDLQueueSortRows(items_, order);
  table_->reloadData();
  selectRows(selected);
  updateControls();
}

void QDLFileQueuePanel::moveSelected(bool down) {
  if (isBusy() || table_->selectedRowIndexes().empty()) return;
  const std::set<long> moved = QDLQueueMoveRows(items_, table_->selectedRowIndexes(), down);
  fileOrder_->selectItemAtIndex(0);
  optionsChanged(nullptr);
  table_->reloadData();
  table_->selectRowIndexes(moved, false);
  table_->scrollRowToVisible(down ? *moved.rbegin() : *moved.begin());
  updateControls();
}

void QDLFileQueuePanel::showQueueCount() {
  setStatus(foundation::format(QDLT("%lu 个 DWG；开始前检查已打开图纸。"), static_cast<unsigned long>(items_.size())));
}

void QDLFileQueuePanel::remove() {
  if (isBusy() || table_->selectedRowIndexes().empty()) return;
  const std::set<long> selected = table_->selectedRowIndexes();
  std::vector<QDLQueueRow> kept;
  for (long i = 0; i < static_cast<long>(items_.size()); ++i) {
    if (selected.count(i) != 0) removedPaths_.insert(items_[static_cast<std::size_t>(i)]->path);
    else kept.push_back(items_[static_cast<std::size_t>(i)]);
  }
  items_ = std::move(kept);
  table_->deselectAll();
  refresh();
  showQueueCount();
}

void QDLFileQueuePanel::start() {
  if (isBusy()) return;
  if (items_.empty()) {
    setStatus(QDLT("请先添加 DWG。"));
    return;
  }
  if (!QDLQueueParseScale(scaleField_->stringValue())) {
    setStatus(QDLT("缩放比例请输入 1–100 的整数。"));
    return;
  }
  optionsChanged(nullptr);
  if (outputRoot_.empty()) chooseOutput();
  if (outputRoot_.empty()) return;
  if (startHandler_) startHandler_();
}

void QDLFileQueuePanel::revealOutputs() {
  std::vector<std::string> found;
  for (const long i : table_->selectedRowIndexes()) {
    if (i < 0 || i >= static_cast<long>(items_.size())) continue;
    for (const std::string& output : items_[static_cast<std::size_t>(i)]->outputs) {
      if (foundation::fileExists(output)) found.push_back(output);
    }
  }
  if (!found.empty()) {
    toolkit::Workspace::shared().activateFileViewerSelectingURLs(found);
  } else if (!lastOutputRoot_.empty() && foundation::fileExists(lastOutputRoot_)) {
    static_cast<void>(toolkit::Workspace::shared().openURL(lastOutputRoot_));
  }
}

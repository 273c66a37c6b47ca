// Ordering, filtering and editing the sheet list: each action works on the rows the table highlights or on the
// row a cell belongs to, and refuses with a status line and the beep when there is nothing to act on.

#include <algorithm>
#include <set>
#include <string>

#include "foundation/format.h"
#include "foundation/transforms.h"
#include "foundation/user_defaults.h"
#include "panels/batch_print_panel_controller.h"
#include "recognition/paper.h"
#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"

namespace {

bool validIndex(long index, const VexBatchPrintRows& rows) {
  return index >= 0 && index < static_cast<long>(rows.size());
}

void eraseRow(VexBatchPrintRows& rows, const std::shared_ptr<VexBatchPrintRow>& row) {
  const auto it = std::find(rows.begin(), rows.end(), row);
  if (it != rows.end()) rows.erase(it);
}

}  // namespace

VexBatchPrintRows VexBatchPrintPanelController::orderedOutputRows() const {
  VexBatchPrintRows ordered = allRows_;
  switch (sortMode_->selectedSegment()) {
    case 1:
      std::reverse(ordered.begin(), ordered.end());
      break;
    case 2:
      // Stable, so that rows of one name keep their order wherever the list is walked.
      std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return foundation::naturalCompare(a->layoutName, b->layoutName) < 0;
      });
      break;
    default:
      break;
  }
  return ordered;
}

void VexBatchPrintPanelController::applyFilterAndSort() {
  rows_.clear();
  const std::string filter = foundation::trimmedWhitespace(filterField_->stringValue());
  if (filter.empty()) {
    rows_ = orderedOutputRows();
  } else {
    const std::string folded = foundation::caseFolded(filter);
    std::string haystack;
    for (const auto& row : orderedOutputRows()) {
      haystack.clear();
      haystack.append(row->layoutName).append(" ").append(row->setupName).append(" ").append(row->paperName);
      if (foundation::caseFolded(haystack).find(folded) != std::string::npos) rows_.push_back(row);
    }
  }
  table_->reloadData();
  updateTableColumnWidths();
  updateSummary();
}

void VexBatchPrintPanelController::sortModeChanged() {
  foundation::UserDefaults::standard().setInteger(sortMode_->selectedSegment(), "Quodline.SortMode");
  applyFilterAndSort();
}

void VexBatchPrintPanelController::filterChanged() { applyFilterAndSort(); }

void VexBatchPrintPanelController::paperModeChanged() {
  foundation::UserDefaults::standard().setInteger(paperMode_->indexOfSelectedItem(), "Quodline.PaperMode");
}

std::int64_t VexBatchPrintPanelController::validatedContentScalePercent() {
  const std::int64_t scale = std::clamp<std::int64_t>(contentScalePercentField_->integerValue(), 1, 100);
  contentScalePercentField_->setIntegerValue(scale);
  foundation::UserDefaults::standard().setInteger(scale, "Quodline.ContentScalePercent");
  return scale;
}

void VexBatchPrintPanelController::contentScalePercentChanged() { static_cast<void>(validatedContentScalePercent()); }

VexBatchPrintRows VexBatchPrintPanelController::highlightedRows() const {
  VexBatchPrintRows highlighted;
  for (long index : table_->selectedRowIndexes()) {
    if (validIndex(index, rows_)) highlighted.push_back(rows_[static_cast<std::size_t>(index)]);
  }
  return highlighted;
}

void VexBatchPrintPanelController::applyScaleToSelectedRows() {
  if (table_->numberOfSelectedRows() == 0) {
    refuse(QDLL("请先高亮选中要修改比例的页面。", "Highlight sheets to change their scale.",
                "請先反白選取要修改比例的頁面。"));
    return;
  }
  const std::int64_t scale = validatedContentScalePercent();
  const std::set<long> highlighted = table_->selectedRowIndexes();
  const VexBatchPrintRows changed = highlightedRows();
  for (const auto& row : changed) row->contentScalePercent = scale;
  table_->reloadData();
  table_->selectRowIndexes(highlighted, false);
  showStatus(foundation::format(QDLL("已将 %lu 张选中图纸设为 %ld%%；其他图纸未改变。",
                                     "Set %lu selected sheets to %ld%%; other sheets unchanged.",
                                     "已將 %lu 張選取圖紙設為 %ld%%；其他圖紙未改變。"),
                                static_cast<std::uint64_t>(changed.size()), scale));
}

void VexBatchPrintPanelController::applyPaperToSelectedRows() {
  if (table_->numberOfSelectedRows() == 0) {
    refuse(QDLT("请先在表格中高亮选中要修改纸张的页面，可按住 Shift 或 Command 多选。"));
    return;
  }
  const VexBatchPrintRows changed = highlightedRows();
  const long mode = paperMode_->indexOfSelectedItem();
  for (const auto& row : changed) {
    if (mode >= 1 && mode <= 5) {
      const VexBatchPrintPaperSpec paper = vexBatchPaperForMode(static_cast<VexBatchPrintPaperMode>(mode),
                                                                row->maxX - row->minX, row->maxY - row->minY);
      row->paperShortSide = paper.shortSide;
      row->paperLongSide = paper.longSide;
      row->paperName = foundation::format("%@｜%.0f × %.0f", paper.name, paper.longSide, paper.shortSide);
      row->paperOverridden = true;
    } else {
      if (!row->originalPaperName.empty()) row->paperName = row->originalPaperName;
      row->paperShortSide = row->originalPaperShortSide;
      row->paperLongSide = row->originalPaperLongSide;
      row->paperOverridden = false;
    }
  }
  table_->reloadData();
  updateSummary();
  const auto count = static_cast<long>(changed.size());
  showStatus(mode >= 1 && mode <= 5
                 ? foundation::format(QDLT("已将 %ld 个选中页面改为 %@；其他页面保持原纸张。"), count,
                                      paperMode_->titleOfSelectedItem())
                 : foundation::format(QDLT("已将 %ld 个选中页面恢复为各自原始纸张；其他页面未改变。"), count));
}

void VexBatchPrintPanelController::selectAll() {
  for (const auto& row : allRows_) row->selected = true;
  table_->reloadData();
  updateSummary();
}

void VexBatchPrintPanelController::selectNone() {
  for (const auto& row : allRows_) row->selected = false;
  table_->reloadData();
  updateSummary();
}

void VexBatchPrintPanelController::toggleRow(toolkit::Control& sender) {
  const long index = sender.tag();
  if (!validIndex(index, rows_)) return;
  const auto* box = dynamic_cast<const toolkit::Button*>(&sender);
  rows_[static_cast<std::size_t>(index)]->selected = box != nullptr && box->state() == toolkit::control_state::on;
  updateSummary();
}

void VexBatchPrintPanelController::renameRow(toolkit::Control& sender) {
  const long index = sender.tag();
  auto* field = dynamic_cast<toolkit::TextField*>(&sender);
  if (field == nullptr || !validIndex(index, rows_)) return;
  VexBatchPrintRow& row = *rows_[static_cast<std::size_t>(index)];
  const std::string name = foundation::trimmedWhitespace(field->stringValue());
  if (name.empty()) {
    field->setStringValue(row.layoutName);
    toolkit::beep();
    return;
  }
  row.layoutName = name;
  field->setToolTip(name);
  updateSummary();
}

bool VexBatchPrintPanelController::listIsReorderable() const {
  return filterField_->stringValue().empty() && sortMode_->selectedSegment() == 0;
}

void VexBatchPrintPanelController::moveSelectedRow(long by) {
  if (!listIsReorderable()) {
    refuse(QDLT("请清空筛选并切换到“自然顺序”后再手动调序。"));
    return;
  }
  const long i = table_->selectedRow();
  const long j = i + by;
  if (!validIndex(i, rows_) || !validIndex(j, rows_)) return;
  std::swap(rows_[static_cast<std::size_t>(i)], rows_[static_cast<std::size_t>(j)]);
  // With no filter and natural order both lists hold the same rows in the same order.
  if (validIndex(i, allRows_) && validIndex(j, allRows_)) {
    std::swap(allRows_[static_cast<std::size_t>(i)], allRows_[static_cast<std::size_t>(j)]);
  }
  table_->reloadData();
  table_->selectRowIndexes({j}, false);
}

void VexBatchPrintPanelController::moveUp() { moveSelectedRow(-1); }

void VexBatchPrintPanelController::moveDown() { moveSelectedRow(1); }

void VexBatchPrintPanelController::removeSelected() {
  if (table_->numberOfSelectedRows() == 0) {
    refuse(QDLT("请先选中要暂时移除的页面，可多选。"));
    return;
  }
  const VexBatchPrintRows removed = highlightedRows();
  for (const auto& row : removed) {
    eraseRow(allRows_, row);
    removedRows_.push_back(row);
    if (row->manuallyAdded) eraseRow(manualRows_, row);
  }
  table_->deselectAll();
  showStatus(foundation::format(QDLT("已暂时移除 %ld 个页面；可点击“恢复”。"), static_cast<long>(removed.size())));
  applyFilterAndSort();
}

void VexBatchPrintPanelController::restoreRemoved() {
  if (removedRows_.empty()) {
    refuse(QDLT("当前没有可恢复的页面。"));
    return;
  }
  for (const auto& row : removedRows_) {
    allRows_.push_back(row);
    if (row->manuallyAdded && std::find(manualRows_.begin(), manualRows_.end(), row) == manualRows_.end()) {
      manualRows_.push_back(row);
    }
  }
  const auto count = static_cast<long>(removedRows_.size());
  removedRows_.clear();
  showStatus(foundation::format(QDLT("已恢复 %ld 个页面。"), count));
  applyFilterAndSort();
}

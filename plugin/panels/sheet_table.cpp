// The sheet table: six fixed columns, a fit of the three text columns to their texts and to the window, and a
// new view for every cell asked for.

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "foundation/format.h"
#include "graphics/font.h"
#include "graphics/text_measurer.h"
#include "panels/batch_print_panel_controller.h"
#include "toolkit/button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "ui/localisation.h"

namespace {

namespace resizing = toolkit::table_column_resizing;

struct ColumnSpec {
  const char* identifier;
  const char* title;
  double width;
  double minWidth;
  double maxWidth;
  unsigned resizing;
};

constexpr double kUnlimited = 1e6;
constexpr ColumnSpec kColumns[] = {
    {"check", "打印", 44, 44, 44, resizing::none},
    {"order", "顺序", 52, 52, 60, resizing::userResizing},
    {"layout", "页面名称", 210, 100, kUnlimited, resizing::autoresizing | resizing::userResizing},
    {"setup", "来源 / 图层", 190, 80, kUnlimited, resizing::autoresizing | resizing::userResizing},
    {"paper", "纸张", 150, 100, 190, resizing::userResizing},
    {"scale", "比例", 64, 64, 64, resizing::none},
};

std::shared_ptr<toolkit::TextField> cellLabel(const std::string& text) {
  auto label = toolkit::TextField::labelWithString("");
  label->setLineBreakMode(graphics::LineBreakMode::truncatingMiddle);
  label->setStringValue(text);
  label->setToolTip(text);
  return label;
}

}  // namespace

void VexBatchPrintPanelController::makeTable(QDLControls& controls) {
  table_ = std::make_shared<toolkit::TableView>();
  table_->setAllowsMultipleSelection(true);
  table_->setUsesAlternatingRowBackgroundColors(true);
  table_->setColumnAutoresizingStyle(toolkit::ColumnAutoresizingStyle::none);
  for (const ColumnSpec& spec : kColumns) {
    auto column = std::make_shared<toolkit::TableColumn>(spec.identifier);
    column->setHeaderTitle(QDLT(spec.title));
    column->setMinWidth(spec.minWidth);
    column->setMaxWidth(spec.maxWidth);
    column->setWidth(spec.width);
    column->setResizingMask(spec.resizing);
    table_->addTableColumn(column);
  }
  table_->setDataSource(this);
  table_->setDelegate(this);
  auto scroll = std::make_shared<toolkit::ScrollView>();
  scroll->setHasVerticalScroller(true);
  scroll->setHasHorizontalScroller(false);
  scroll->setBorderType(toolkit::BorderType::bezelBorder);
  scroll->setDocumentView(table_);
  controls["table"] = table_;
  controls["scroll"] = scroll;
}

long VexBatchPrintPanelController::numberOfRowsInTableView(toolkit::TableView&) {
  return static_cast<long>(rows_.size());
}

std::shared_ptr<toolkit::View> VexBatchPrintPanelController::viewForTableColumn(toolkit::TableView&,
                                                                                toolkit::TableColumn* column,
                                                                                long row) {
  if (row < 0 || row >= static_cast<long>(rows_.size())) return nullptr;
  const VexBatchPrintRow& r = *rows_[static_cast<std::size_t>(row)];
  const std::string id = column != nullptr ? column->identifier() : std::string();
  std::shared_ptr<toolkit::View> cell;
  if (id == "check") {
    auto box = toolkit::Button::checkboxWithTitle("", [this](toolkit::Control& sender) { toggleRow(sender); });
    box->setState(r.selected ? toolkit::control_state::on : toolkit::control_state::off);
    box->setTag(row);
    cell = box;
  } else if (id == "layout") {
    auto field = toolkit::TextField::textFieldWithString("");
    field->setEditable(true);
    field->setSelectable(true);
    field->setBordered(false);
    field->setBezeled(false);
    field->setDrawsBackground(false);
    field->setLineBreakMode(graphics::LineBreakMode::truncatingMiddle);
    field->setStringValue(r.layoutName);
    field->setToolTip(r.layoutName);
    field->setTag(row);
    field->setAction([this](toolkit::Control& sender) { renameRow(sender); });
    cell = field;
  } else if (id == "order") {
    cell = cellLabel(foundation::format("%ld", row + 1));
  } else if (id == "setup") {
    cell = cellLabel(r.setupName.empty() ? QDLT("未设置") : r.setupName);
  } else if (id == "paper") {
    cell = cellLabel(r.paperName.empty() ? QDLT("自动匹配") : r.paperName);
  } else if (id == "scale") {
    cell = cellLabel(foundation::format("%ld%%", r.contentScalePercent));
  } else {
    cell = cellLabel("");
  }
  cell->setIdentifier(id + "-" + std::to_string(row + 1));
  return cell;
}

double VexBatchPrintPanelController::measuredWidth(const std::string& text) {
  if (text.empty()) return 0;
  // A text measures the same in the same font by the same measurer, so each is measured once; the widths go
  // with a new measurer, and are let go when the list has long outgrown them.
  const graphics::TextMeasurer& measurer = graphics::textMeasurer();
  if (measuredBy_ != &measurer || measuredWidths_.size() > 4 * allRows_.size() + 4096) {
    measuredWidths_.clear();
    measuredBy_ = &measurer;
  }
  const auto [it, added] = measuredWidths_.try_emplace(text, 0.0);
  if (added) it->second = measurer.width(text, graphics::Font::system(graphics::Font::systemFontSize()));
  return it->second;
}

void VexBatchPrintPanelController::updateTableColumnWidths() {
  // A restored window frame resizes the window before the table exists.
  if (!table_) return;
  auto* clip = dynamic_cast<toolkit::ClipView*>(table_->superview());
  if (clip == nullptr || table_->numberOfColumns() < 6) return;
  const double w = std::max(0.0, clip->bounds().width() - 6);
  if (w < 420) return;

  double l = 105;
  double s = 105;
  double p = 125;
  for (const auto& row : rows_) {
    l = std::max(l, measuredWidth(row->layoutName) + 28);
    s = std::max(s, measuredWidth(row->setupName) + 28);
    p = std::max(p, measuredWidth(row->paperName) + 28);
  }
  l = std::min(l, 260.0);
  s = std::min(s, 240.0);
  p = std::min(p, 190.0);
  const double g = table_->intercellSpacing().width * std::max(0L, table_->numberOfColumns() - 1);
  p = std::min(p, std::max(100.0, w - 44 - 52 - 64 - g - 180));
  const double a = std::max(180.0, w - (44 + 52 + p + 64 + g));
  if (l + s > a) {
    // Scaled as L × A / (L + S), so that binary rounding cannot take the floor one below.
    l = std::floor(l * a / (l + s));
    l = std::max(std::min(l, a - 80), 100.0);
    s = a - l;
  }
  const double widths[] = {44, 52, l, s, p, 64};
  const auto& columns = table_->tableColumns();
  for (std::size_t i = 0; i < 6; ++i) columns[i]->setWidth(widths[i]);
}

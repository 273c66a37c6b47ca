#include "toolkit/table_view.h"

#include <algorithm>
#include <cmath>

#include "toolkit/control_drawing.h"
#include "toolkit/event.h"
#include "toolkit/scroll_view.h"

namespace toolkit {

namespace {

// The column titles of a table, drawn across the table's columns and scrolled sideways with it.
class TableHeaderView final : public View {
 public:
  explicit TableHeaderView(TableView* table) : table_(table) {}
  void forgetTable() { table_ = nullptr; }
  bool isFlipped() const override { return true; }
  void drawRect(graphics::GraphicsContext& context, const Rect&) override {
    const Rect box = bounds();
    context.fillRect(box, graphics::Color::named(graphics::SystemColor::controlBackground));
    context.fillRect({box.minX(), box.maxY() - 1, box.width(), 1}, graphics::Color::named(graphics::SystemColor::separator));
    if (table_ == nullptr) return;
    const graphics::Font font = graphics::Font::system(11, graphics::FontWeight::medium);
    for (long c = 0; c < table_->numberOfColumns(); ++c) {
      const TableColumn& column = *table_->tableColumns()[static_cast<std::size_t>(c)];
      if (column.isHidden()) continue;
      const Rect r = table_->rectOfColumn(c);
      const Rect cell{r.minX(), box.minY(), r.width(), box.height()};
      plain::label(context, column.headerTitle(), cell.insetBy(5, 0), font,
                   graphics::Color::named(graphics::SystemColor::secondaryLabel), graphics::TextAlignment::left);
      context.fillRect({cell.maxX() - 1, box.minY() + 4, 1, std::max(0.0, box.height() - 8)},
                       graphics::Color::named(graphics::SystemColor::separator));
    }
  }

 private:
  TableView* table_;
};

}  // namespace

void TableColumn::setWidth(double width) {
  width_ = std::clamp(std::isfinite(width) ? width : minWidth_, minWidth_, std::max(minWidth_, maxWidth_));
  if (table_ != nullptr) table_->setNeedsLayout();
}

void TableColumn::setMinWidth(double width) {
  minWidth_ = std::isfinite(width) ? std::max(0.0, width) : 0.0;
  if (maxWidth_ < minWidth_) maxWidth_ = minWidth_;
  setWidth(width_);
}

void TableColumn::setMaxWidth(double width) {
  maxWidth_ = std::isfinite(width) ? std::max(minWidth_, width) : 1e6;
  setWidth(width_);
}

void TableColumn::setHidden(bool hidden) {
  hidden_ = hidden;
  if (table_ != nullptr) table_->setNeedsLayout();
}

TableView::TableView() { header_ = std::make_shared<TableHeaderView>(this); }

TableView::TableView(const Rect& frame) : TableView() { setFrame(frame); }

TableView::~TableView() {
  if (auto* header = dynamic_cast<TableHeaderView*>(header_.get())) header->forgetTable();
  for (const auto& column : columns_) column->table_ = nullptr;
}

void TableView::addTableColumn(const std::shared_ptr<TableColumn>& column) {
  if (!column || column->table_ != nullptr) return;
  column->table_ = this;
  columns_.push_back(column);
  reloadData();
}

void TableView::removeTableColumn(TableColumn* column) {
  const auto it = std::find_if(columns_.begin(), columns_.end(), [&](const auto& c) { return c.get() == column; });
  if (it == columns_.end()) return;
  (*it)->table_ = nullptr;
  columns_.erase(it);
  reloadData();
}

long TableView::columnWithIdentifier(const std::string& identifier) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i]->identifier() == identifier) return static_cast<long>(i);
  }
  return -1;
}

TableColumn* TableView::tableColumnWithIdentifier(const std::string& identifier) const {
  const long index = columnWithIdentifier(identifier);
  return index < 0 ? nullptr : columns_[static_cast<std::size_t>(index)].get();
}

void TableView::setDataSource(TableViewDataSource* source) {
  dataSource_ = source;
  reloadData();
}

void TableView::setDelegate(TableViewDelegate* delegate) {
  delegate_ = delegate;
  reloadData();
}

void TableView::setRowHeight(double height) {
  rowHeight_ = std::isfinite(height) && height > 0 ? height : 1;
  reloadData();
}

void TableView::setIntercellSpacing(Size spacing) {
  spacing_ = {std::max(0.0, spacing.width), std::max(0.0, spacing.height)};
  reloadData();
}

void TableView::reloadData() {
  rows_ = dataSource_ != nullptr ? std::max(0L, dataSource_->numberOfRowsInTableView(*this)) : 0;
  for (const auto& entry : std::map(cells_)) recycle(entry.first);
  std::set<long> kept;
  for (long row : selection_) {
    if (row < rows_) kept.insert(row);
  }
  if (kept != selection_) changeSelection(std::move(kept));
  sizeToClipView();
  setNeedsLayout();
  setNeedsDisplay();
}

long TableView::selectedRow() const {
  if (selection_.empty()) return -1;
  if (selection_.count(lastSelected_)) return lastSelected_;
  return *selection_.rbegin();
}

void TableView::changeSelection(std::set<long> rows) {
  if (rows == selection_) return;
  for (long row : rows) {
    if (!selection_.count(row)) lastSelected_ = row;
  }
  selection_ = std::move(rows);
  setNeedsDisplay();
  if (delegate_ != nullptr) delegate_->selectionDidChange(*this);
}

void TableView::selectRowIndexes(const std::set<long>& rows, bool byExtendingSelection) {
  std::set<long> next = byExtendingSelection ? selection_ : std::set<long>{};
  for (long row : rows) {
    if (row >= 0 && row < rows_) next.insert(row);
  }
  changeSelection(std::move(next));
}

void TableView::deselectRow(long row) {
  std::set<long> next = selection_;
  next.erase(row);
  changeSelection(std::move(next));
}

void TableView::deselectAll() { changeSelection({}); }

void TableView::userClickRow(long row, long column, std::uint64_t modifierFlags, int clickCount) {
  if (!isEnabled()) return;
  if (row >= rows_) row = -1;
  const bool command = modifierFlags & modifier::command;
  const bool shift = modifierFlags & modifier::shift;
  if (row < 0) {
    if (allowsEmpty_ && !command && !shift) changeSelection({});
  } else if (delegate_ == nullptr || delegate_->shouldSelectRow(*this, row)) {
    if (multiple_ && command) {
      std::set<long> next = selection_;
      if (next.count(row)) {
        if (next.size() > 1 || allowsEmpty_) next.erase(row);
      } else {
        next.insert(row);
      }
      anchor_ = row;
      changeSelection(std::move(next));
    } else if (multiple_ && shift && anchor_ >= 0 && anchor_ < rows_) {
      std::set<long> next;
      for (long r = std::min(anchor_, row); r <= std::max(anchor_, row); ++r) next.insert(r);
      changeSelection(std::move(next));
    } else {
      anchor_ = row;
      changeSelection({row});
    }
  }
  const std::shared_ptr<View> keep = weak_from_this().lock();
  clickedRow_ = row;
  clickedColumn_ = row < 0 ? -1 : column;
  sendAction();
  if (clickCount >= 2 && doubleAction_) {
    const Action action = doubleAction_;
    action(*this);
  }
  clickedRow_ = clickedColumn_ = -1;
}

void TableView::clicked(const Event& event) {
  const Point p = convertPointFromView(event.locationInWindow(), nullptr);
  userClickRow(rowAtPoint(p), columnAtPoint(p), event.modifierFlags(), event.clickCount());
}

void TableView::scrollRowToVisible(long row) {
  if (row < 0 || row >= rows_) return;
  lastScrolledRow_ = row;
  auto* clip = dynamic_cast<ClipView*>(superview());
  if (clip == nullptr) return;
  const Rect r = rectOfRow(row).offsetBy(frame().minX(), frame().minY());
  const Rect visible = clip->bounds();
  Point origin = visible.origin;
  if (r.minY() < visible.minY()) origin.y = r.minY();
  else if (r.maxY() > visible.maxY()) origin.y = r.maxY() - visible.height();
  clip->scrollToPoint(origin);
}

Rect TableView::rectOfRow(long row) const {
  if (row < 0 || row >= rows_) return {};
  double width = 0;
  for (long c = 0; c < numberOfColumns(); ++c) width = std::max(width, rectOfColumn(c).maxX());
  return {0, rowStride() * static_cast<double>(row), std::max(width, bounds().width()), rowStride()};
}

Rect TableView::rectOfColumn(long column) const {
  if (column < 0 || column >= numberOfColumns()) return {};
  double x = 0;
  for (long c = 0; c < column; ++c) {
    if (!columns_[static_cast<std::size_t>(c)]->isHidden()) x += columns_[static_cast<std::size_t>(c)]->width() + spacing_.width;
  }
  const TableColumn& col = *columns_[static_cast<std::size_t>(column)];
  return {x, 0, col.isHidden() ? 0 : col.width() + spacing_.width, std::max(bounds().height(), rowStride() * rows_)};
}

Rect TableView::frameOfCellAtColumn(long column, long row) const {
  const Rect c = rectOfColumn(column), r = rectOfRow(row);
  if (c.isEmpty() || r.isEmpty()) return {};
  return {c.minX() + spacing_.width / 2, r.minY() + spacing_.height / 2, c.width() - spacing_.width, rowHeight_};
}

long TableView::rowAtPoint(Point point) const {
  if (point.y < 0 || point.x < 0) return -1;
  const long row = static_cast<long>(std::floor(point.y / rowStride()));
  return row < rows_ ? row : -1;
}

long TableView::columnAtPoint(Point point) const {
  for (long c = 0; c < numberOfColumns(); ++c) {
    const Rect r = rectOfColumn(c);
    if (point.x >= r.minX() && point.x < r.maxX()) return c;
  }
  return -1;
}

std::pair<long, long> TableView::visibleRows() const {
  if (rows_ == 0) return {0, -1};
  Rect visible = bounds();
  if (auto* clip = dynamic_cast<const ClipView*>(superview())) visible = clip->documentVisibleRect();
  const long first = std::clamp(static_cast<long>(std::floor(visible.minY() / rowStride())), 0L, rows_ - 1);
  const long last = std::clamp(static_cast<long>(std::ceil(visible.maxY() / rowStride())) - 1, first, rows_ - 1);
  return {first, last};
}

void TableView::recycle(const CellKey& key) {
  const auto it = cells_.find(key);
  if (it == cells_.end()) return;
  const std::shared_ptr<View> view = it->second;
  cells_.erase(it);
  view->removeFromSuperview();
  if (!view->identifier().empty() && reusable_.size() < 256) reusable_.emplace(view->identifier(), view);
}

void TableView::realise(long row, long column) {
  const CellKey key{row, column};
  auto it = cells_.find(key);
  if (it == cells_.end()) {
    if (delegate_ == nullptr) return;
    TableColumn* col = columns_[static_cast<std::size_t>(column)].get();
    std::shared_ptr<View> view = delegate_->viewForTableColumn(*this, col, row);
    if (!view) return;
    it = cells_.emplace(key, std::move(view)).first;
  }
  const std::shared_ptr<View>& view = it->second;
  view->setFrame(frameOfCellAtColumn(column, row));
  if (view->superview() != this) addSubview(view);
}

View* TableView::viewAtColumn(long column, long row, bool makeIfNecessary) {
  if (row < 0 || row >= rows_ || column < 0 || column >= numberOfColumns()) return nullptr;
  if (makeIfNecessary) realise(row, column);
  const auto it = cells_.find({row, column});
  return it == cells_.end() ? nullptr : it->second.get();
}

std::shared_ptr<View> TableView::makeViewWithIdentifier(const std::string& identifier) {
  const auto it = reusable_.find(identifier);
  if (it == reusable_.end()) return nullptr;
  std::shared_ptr<View> view = it->second;
  reusable_.erase(it);
  return view;
}

void TableView::sizeToClipView() {
  double width = 0;
  for (long c = 0; c < numberOfColumns(); ++c) width = std::max(width, rectOfColumn(c).maxX());
  double height = rowStride() * static_cast<double>(rows_);
  if (auto* clip = dynamic_cast<ClipView*>(superview())) {
    width = std::max(width, clip->frame().width());
    height = std::max(height, clip->frame().height());
  }
  if (frame().size != Size{width, height}) setFrameSize({width, height});
}

void TableView::layout() {
  sizeToClipView();
  const auto [first, last] = visibleRows();
  for (const auto& entry : std::map(cells_)) {
    if (entry.first.first < first || entry.first.first > last || entry.first.second >= numberOfColumns()) {
      recycle(entry.first);
    }
  }
  for (long row = first; row <= last; ++row) {
    for (long column = 0; column < numberOfColumns(); ++column) {
      if (!columns_[static_cast<std::size_t>(column)]->isHidden()) realise(row, column);
    }
  }
}

void TableView::drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) {
  context.fillRect(dirtyRect, background_);
  if (rows_ == 0) return;
  const long first = std::max(0L, static_cast<long>(std::floor(dirtyRect.minY() / rowStride())));
  const long last = std::min(rows_ - 1, static_cast<long>(std::ceil(dirtyRect.maxY() / rowStride())));
  for (long row = first; row <= last; ++row) {
    const Rect r = rectOfRow(row);
    if (isRowSelected(row)) {
      context.fillRect(r, plain::accent());
    } else if (alternating_ && row % 2 == 1) {
      context.fillRect(r, graphics::Color::named(graphics::SystemColor::alternatingContentBackground));
    }
    if (gridStyle_ & grid_style::solidHorizontalLine) {
      context.fillRect({r.minX(), r.maxY() - 1, r.width(), 1}, graphics::Color::named(graphics::SystemColor::grid));
    }
  }
  if (gridStyle_ & grid_style::solidVerticalLine) {
    for (long c = 0; c < numberOfColumns(); ++c) {
      const Rect col = rectOfColumn(c);
      context.fillRect({col.maxX() - 1, dirtyRect.minY(), 1, dirtyRect.height()},
                       graphics::Color::named(graphics::SystemColor::grid));
    }
  }
}

}  // namespace toolkit

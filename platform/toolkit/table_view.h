#pragma once
// A table of rows and columns whose cells are views made by the delegate from the data source's rows. Rows are
// realised as views only where they show (and on request), so long tables stay cheap.
//
// Selection: a click selects one row; with Command it adds or removes a row, with Shift it selects the range from
// the last plain click, both only when several rows may be selected. A click sends the action, a double click
// also the double action. Selecting from code sends no action, but the delegate hears of every change.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/control.h"

namespace toolkit {

class TableView;

namespace table_column_resizing {
inline constexpr unsigned none = 0;
inline constexpr unsigned autoresizing = 1;
inline constexpr unsigned userResizing = 2;
}  // namespace table_column_resizing

enum class ColumnAutoresizingStyle {
  none = 0,
  uniform = 1,
  sequential = 2,
  reverseSequential = 3,
  lastColumnOnly = 4,
  firstColumnOnly = 5,
};

namespace grid_style {
inline constexpr unsigned none = 0;
inline constexpr unsigned solidVerticalLine = 1;
inline constexpr unsigned solidHorizontalLine = 2;
}  // namespace grid_style

class TableColumn {
 public:
  explicit TableColumn(std::string identifier) : identifier_(std::move(identifier)) {}

  const std::string& identifier() const { return identifier_; }
  const std::string& headerTitle() const { return title_; }
  void setHeaderTitle(const std::string& title) { title_ = title; }
  const std::string& headerToolTip() const { return headerToolTip_; }
  void setHeaderToolTip(const std::string& text) { headerToolTip_ = text; }
  double width() const { return width_; }
  // Kept within the minimum and maximum widths.
  void setWidth(double width);
  double minWidth() const { return minWidth_; }
  void setMinWidth(double width);
  double maxWidth() const { return maxWidth_; }
  void setMaxWidth(double width);
  unsigned resizingMask() const { return resizingMask_; }
  void setResizingMask(unsigned mask) { resizingMask_ = mask; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  TableView* tableView() const { return table_; }

 private:
  friend class TableView;
  std::string identifier_;
  std::string title_;
  std::string headerToolTip_;
  double width_ = 100;
  double minWidth_ = 10;
  double maxWidth_ = 1e6;
  unsigned resizingMask_ = table_column_resizing::autoresizing | table_column_resizing::userResizing;
  bool hidden_ = false;
  TableView* table_ = nullptr;
};

class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual long numberOfRowsInTableView(TableView& table) = 0;
};

class TableViewDelegate {
 public:
  virtual ~TableViewDelegate() = default;
  // The view of one cell; nullptr leaves the cell empty.
  virtual std::shared_ptr<View> viewForTableColumn(TableView&, TableColumn*, long /*row*/) { return nullptr; }
  virtual bool shouldSelectRow(TableView&, long /*row*/) { return true; }
  virtual void selectionDidChange(TableView&) {}
};

class TableView : public Control {
 public:
  TableView();
  explicit TableView(const Rect& frame);
  ~TableView() override;

  void addTableColumn(const std::shared_ptr<TableColumn>& column);
  void removeTableColumn(TableColumn* column);
  const std::vector<std::shared_ptr<TableColumn>>& tableColumns() const { return columns_; }
  long numberOfColumns() const { return static_cast<long>(columns_.size()); }
  // -1 when no column has it.
  long columnWithIdentifier(const std::string& identifier) const;
  TableColumn* tableColumnWithIdentifier(const std::string& identifier) const;

  // Not owned; cleared by whoever set them before they go.
  TableViewDataSource* dataSource() const { return dataSource_; }
  void setDataSource(TableViewDataSource* source);
  TableViewDelegate* delegate() const { return delegate_; }
  void setDelegate(TableViewDelegate* delegate);

  double rowHeight() const { return rowHeight_; }
  void setRowHeight(double height);
  Size intercellSpacing() const { return spacing_; }
  void setIntercellSpacing(Size spacing);
  bool usesAlternatingRowBackgroundColors() const { return alternating_; }
  void setUsesAlternatingRowBackgroundColors(bool on) { alternating_ = on; }
  const graphics::Color& backgroundColor() const { return background_; }
  void setBackgroundColor(const graphics::Color& color) { background_ = color; }
  unsigned gridStyleMask() const { return gridStyle_; }
  void setGridStyleMask(unsigned mask) { gridStyle_ = mask; }
  bool allowsMultipleSelection() const { return multiple_; }
  void setAllowsMultipleSelection(bool on) { multiple_ = on; }
  bool allowsEmptySelection() const { return allowsEmpty_; }
  void setAllowsEmptySelection(bool on) { allowsEmpty_ = on; }
  ColumnAutoresizingStyle columnAutoresizingStyle() const { return autoresizingStyle_; }
  void setColumnAutoresizingStyle(ColumnAutoresizingStyle style) { autoresizingStyle_ = style; }
  // The column titles, shown above the rows by an enclosing scroll view; nullptr for none.
  const std::shared_ptr<View>& headerView() const { return header_; }
  void setHeaderView(std::shared_ptr<View> header) { header_ = std::move(header); }

  // Asks the data source again and rebuilds the cell views; selected rows that still exist stay selected.
  void reloadData();
  long numberOfRows() const { return rows_; }

  // The row selected last that is still selected, else the highest selected row; -1 when none.
  long selectedRow() const;
  const std::set<long>& selectedRowIndexes() const { return selection_; }
  long numberOfSelectedRows() const { return static_cast<long>(selection_.size()); }
  bool isRowSelected(long row) const { return selection_.count(row) != 0; }
  // Rows that do not exist are ignored.
  void selectRowIndexes(const std::set<long>& rows, bool byExtendingSelection);
  void deselectRow(long row);
  void deselectAll();
  // The row whose click the action answers, -1 outside one.
  long clickedRow() const { return clickedRow_; }
  long clickedColumn() const { return clickedColumn_; }
  const Action& doubleAction() const { return doubleAction_; }
  void setDoubleAction(Action action) { doubleAction_ = std::move(action); }

  // Scrolls the enclosing clip view so that the row shows; -1 while nothing asked.
  void scrollRowToVisible(long row);
  long lastRowScrolledToVisible() const { return lastScrolledRow_; }

  Rect rectOfRow(long row) const;
  Rect rectOfColumn(long column) const;
  Rect frameOfCellAtColumn(long column, long row) const;
  // -1 outside the rows or columns.
  long rowAtPoint(Point point) const;
  long columnAtPoint(Point point) const;
  // The view of a cell, made by the delegate when `makeIfNecessary` and not there yet.
  View* viewAtColumn(long column, long row, bool makeIfNecessary);
  // A cell view that left the table, for reuse under its identifier; nullptr when there is none.
  std::shared_ptr<View> makeViewWithIdentifier(const std::string& identifier);

  // The user clicks a row (-1: below the rows) with the modifier flags, clickCount 2 for a double click.
  void userClickRow(long row, long column = -1, std::uint64_t modifierFlags = 0, int clickCount = 1);

  // Sizes the table to its rows and columns, filling at least the enclosing clip view.
  void sizeToClipView();

  bool isFlipped() const override { return true; }
  void layout() override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 protected:
  void clicked(const Event& event) override;

 private:
  using CellKey = std::pair<long, long>;  // row, column
  void changeSelection(std::set<long> rows);
  std::pair<long, long> visibleRows() const;
  void recycle(const CellKey& key);
  void realise(long row, long column);
  double rowStride() const { return rowHeight_ + spacing_.height; }

  std::vector<std::shared_ptr<TableColumn>> columns_;
  TableViewDataSource* dataSource_ = nullptr;
  TableViewDelegate* delegate_ = nullptr;
  double rowHeight_ = 24;
  Size spacing_{3, 2};
  bool alternating_ = false;
  graphics::Color background_ = graphics::Color::named(graphics::SystemColor::controlBackground);
  unsigned gridStyle_ = grid_style::none;
  bool multiple_ = false;
  bool allowsEmpty_ = true;
  ColumnAutoresizingStyle autoresizingStyle_ = ColumnAutoresizingStyle::lastColumnOnly;
  std::shared_ptr<View> header_;
  long rows_ = 0;
  std::set<long> selection_;
  long lastSelected_ = -1;
  long anchor_ = -1;
  long clickedRow_ = -1;
  long clickedColumn_ = -1;
  Action doubleAction_;
  long lastScrolledRow_ = -1;
  std::map<CellKey, std::shared_ptr<View>> cells_;
  std::multimap<std::string, std::shared_ptr<View>> reusable_;
};

}  // namespace toolkit

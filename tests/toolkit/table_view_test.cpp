// Tables: the selection rules, reloading, cell views made only where rows show, clicks and double clicks.

#include "toolkit/button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;
using Rows = std::set<long>;

// Rows of names; a check box in the "use" column, a label in the "name" column.
class Sheets : public TableViewDataSource, public TableViewDelegate {
 public:
  long numberOfRowsInTableView(TableView&) override { return static_cast<long>(names.size()); }
  std::shared_ptr<View> viewForTableColumn(TableView& table, TableColumn* column, long row) override {
    ++made;
    if (column->identifier() == "use") {
      auto box = Button::checkboxWithTitle("", [this, row](Control&) { toggled.push_back(row); });
      box->setIdentifier("use-" + std::to_string(row));
      return box;
    }
    auto reused = table.makeViewWithIdentifier("name");
    auto label = reused ? std::static_pointer_cast<TextField>(reused) : TextField::labelWithString("");
    if (reused) ++reuses;
    label->setIdentifier("name");
    label->setStringValue(names[static_cast<std::size_t>(row)]);
    return label;
  }
  bool shouldSelectRow(TableView&, long row) override { return row != refused; }
  void selectionDidChange(TableView&) override { ++changes; }

  std::vector<std::string> names;
  long refused = -1;
  int made = 0, reuses = 0, changes = 0;
  std::vector<long> toggled;
};

class TableViewTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    for (int i = 0; i < 100; ++i) sheets_.names.push_back("Sheet " + std::to_string(i + 1));
    table_ = std::make_shared<TableView>();
    auto use = std::make_shared<TableColumn>("use");
    use->setWidth(30);
    auto name = std::make_shared<TableColumn>("name");
    name->setHeaderTitle("Name");
    name->setWidth(200);
    table_->addTableColumn(use);
    table_->addTableColumn(name);
    table_->setRowHeight(22);  // 24 a row with the spacing
    table_->setAllowsMultipleSelection(true);
    table_->setAction([this](Control& c) { clicks_.push_back(static_cast<TableView&>(c).clickedRow()); });
    table_->setDataSource(&sheets_);
    table_->setDelegate(&sheets_);
    scroll_ = std::make_shared<ScrollView>(Rect{0, 0, 300, 263});  // 240 of rows below a 23-point header
    scroll_->setHasVerticalScroller(true);
    scroll_->setDocumentView(table_);
    window_ = shownWindow(300, 263);
    window_->setContentView(scroll_);
    window_->layoutIfNeeded();
  }
  void TearDown() override {
    table_->setDelegate(nullptr);
    table_->setDataSource(nullptr);
    ToolkitTest::TearDown();
  }

  Sheets sheets_;
  std::shared_ptr<TableView> table_;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<Window> window_;
  std::vector<long> clicks_;
};

TEST_F(TableViewTest, ClicksSelectByTheRulesAndSendTheAction) {
  table_->userClickRow(3);
  table_->userClickRow(5, -1, modifier::command);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{3, 5}));
  EXPECT_EQ(table_->selectedRow(), 5);
  table_->userClickRow(3, -1, modifier::command);  // Command takes a selected row away
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{5}));
  table_->userClickRow(2);
  table_->userClickRow(6, -1, modifier::shift);  // Shift selects from the last plain click
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{2, 3, 4, 5, 6}));
  sheets_.refused = 8;
  table_->userClickRow(8);  // the delegate refuses the row; the click still reaches the action
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{2, 3, 4, 5, 6}));
  table_->userClickRow(-1);  // below the rows: nothing selected
  EXPECT_TRUE(table_->selectedRowIndexes().empty());
  EXPECT_EQ(table_->selectedRow(), -1);
  EXPECT_EQ(clicks_, (std::vector<long>{3, 5, 3, 2, 6, 8, -1}));
  EXPECT_EQ(table_->clickedRow(), -1);  // only during the action
  // One row at a time when several are not allowed, and no empty selection when that is not allowed.
  table_->setAllowsMultipleSelection(false);
  table_->setAllowsEmptySelection(false);
  table_->userClickRow(1);
  table_->userClickRow(4, -1, modifier::command);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{4}));
  table_->userClickRow(-1);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{4}));
}

TEST_F(TableViewTest, SelectingFromCodeSendsNoActionButTellsTheDelegate) {
  const int before = sheets_.changes;
  table_->selectRowIndexes({1, 400, -2}, false);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{1}));
  table_->selectRowIndexes({7}, true);
  table_->selectRowIndexes({7}, true);  // no change, no notice
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{1, 7}));
  EXPECT_TRUE(clicks_.empty());
  EXPECT_EQ(sheets_.changes, before + 2);
}

TEST_F(TableViewTest, ReloadKeepsTheSelectedRowsThatStillExist) {
  table_->selectRowIndexes({2, 50, 99}, false);
  sheets_.names.resize(60);
  table_->reloadData();
  EXPECT_EQ(table_->numberOfRows(), 60);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{2, 50}));
  sheets_.names.clear();
  table_->reloadData();
  EXPECT_TRUE(table_->selectedRowIndexes().empty());
  EXPECT_EQ(table_->viewAtColumn(1, 0, true), nullptr);
}

TEST_F(TableViewTest, OnlyRowsInViewGetCellViewsAndScrollingReusesThem) {
  // 240 points of 24-point rows: rows 0 to 9, two columns each.
  EXPECT_EQ(sheets_.made, 20);
  EXPECT_NE(table_->viewAtColumn(1, 9, false), nullptr);
  EXPECT_EQ(table_->viewAtColumn(1, 10, false), nullptr);
  table_->scrollRowToVisible(50);
  EXPECT_EQ(table_->lastRowScrolledToVisible(), 50);
  window_->layoutIfNeeded();
  auto* label = dynamic_cast<TextField*>(table_->viewAtColumn(1, 50, false));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->stringValue(), "Sheet 51");
  EXPECT_EQ(table_->viewAtColumn(1, 0, false), nullptr);
  EXPECT_GT(sheets_.reuses, 0);
  EXPECT_GT(scroll_->verticalScroller()->doubleValue(), 0.4);
}

TEST_F(TableViewTest, ACellsCheckBoxAndADoubleClickWorkThroughTheWindow) {
  int doubles = 0;
  table_->setDoubleAction([&](Control& c) {
    ++doubles;
    EXPECT_EQ(static_cast<TableView&>(c).clickedRow(), 4);
  });
  auto* box = table_->viewAtColumn(0, 2, false);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(clickView(*box), "");
  EXPECT_EQ(sheets_.toggled, (std::vector<long>{2}));
  EXPECT_TRUE(clicks_.empty());  // the check box took the click, not the table
  // A label lets the click through to the table.
  EXPECT_EQ(clickView(*table_->viewAtColumn(1, 4, false), 2), "");
  EXPECT_EQ(clicks_, (std::vector<long>{4, 4}));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(table_->selectedRowIndexes(), (Rows{4}));
}

TEST_F(TableViewTest, ColumnWidthsStayWithinTheirLimitsAndPlaceTheCells) {
  TableColumn* name = table_->tableColumnWithIdentifier("name");
  ASSERT_NE(name, nullptr);
  name->setMinWidth(80);
  name->setMaxWidth(150);
  EXPECT_EQ(name->width(), 150);
  name->setWidth(20);
  EXPECT_EQ(name->width(), 80);
  EXPECT_EQ(table_->columnWithIdentifier("missing"), -1);
  // Columns are their width plus the 3-point spacing; cells sit inside by half of it.
  EXPECT_EQ(table_->rectOfColumn(1).minX(), 33);
  EXPECT_EQ(table_->frameOfCellAtColumn(1, 2), (Rect{34.5, 49, 80, 22}));
  EXPECT_EQ(table_->rowAtPoint({40, 49}), 2);
  EXPECT_EQ(table_->columnAtPoint({40, 49}), 1);
  EXPECT_EQ(table_->rowAtPoint({40, 100 * 24 + 1}), -1);
}

TEST_F(TableViewTest, TheWheelScrollsTheTableWithItsFieldsKeptRaw) {
  EXPECT_EQ(scrollOver(*table_->viewAtColumn(1, 3, false), -48), "");
  ASSERT_TRUE(scroll_->lastScrollEvent());
  const auto& lowLevel = scroll_->lastScrollEvent()->lowLevelEvent();
  ASSERT_TRUE(lowLevel);
  EXPECT_EQ(lowLevel->integerValueField(LowLevelEvent::kPointDeltaAxis1), -48);
  EXPECT_EQ(lowLevel->integerValueField(LowLevelEvent::kFixedPtDeltaAxis1), -314573);  // -4.8 lines in 16.16
  EXPECT_EQ(scroll_->documentVisibleRect().minY(), 48);
  scrollOver(*scroll_, 1000);  // past the top: held at the top
  EXPECT_EQ(scroll_->documentVisibleRect().minY(), 0);
}

}  // namespace
}  // namespace toolkit_test

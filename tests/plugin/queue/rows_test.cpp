// The rows' orderings, the style a row follows and the scale a run accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "queue/queue_rows.h"

namespace {

std::vector<QDLQueueRow> rowsOf(const std::vector<std::string>& paths) {
  std::vector<QDLQueueRow> rows;
  for (const std::string& path : paths) {
    auto row = std::make_shared<QDLQueueItem>();
    row->path = path;
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> pathsOf(const std::vector<QDLQueueRow>& rows) {
  std::vector<std::string> paths;
  for (const QDLQueueRow& row : rows) paths.push_back(row->path);
  return paths;
}

TEST(QueueRows, NamesSortAsAFileBrowserShowsThemWithFullPathsBreakingTies) {
  struct Case {
    std::vector<std::string> rows;
    long order;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{"/d/b10.dwg", "/d/B2.dwg", "/d/a.dwg"}, 1, {"/d/a.dwg", "/d/B2.dwg", "/d/b10.dwg"}},
      {{"/d/b10.dwg", "/d/B2.dwg", "/d/a.dwg"}, 2, {"/d/b10.dwg", "/d/B2.dwg", "/d/a.dwg"}},
      {{"/y/plan.dwg", "/x/plan.dwg"}, 1, {"/x/plan.dwg", "/y/plan.dwg"}},
      {{"/x/plan.dwg", "/y/plan.dwg"}, 2, {"/y/plan.dwg", "/x/plan.dwg"}},
      {{"/d/b.dwg", "/d/a.dwg"}, 0, {"/d/b.dwg", "/d/a.dwg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    std::vector<QDLQueueRow> rows = rowsOf(c.rows);
    const QDLQueueRow first = rows.front();
    QDLQueueSortRows(rows, c.order);
    EXPECT_EQ(pathsOf(rows), c.expected);
    // The same row objects, only reordered.
    EXPECT_NE(std::find(rows.begin(), rows.end(), first), rows.end());
  }
}

TEST(QueueRows, SelectedRowsMoveOnePlaceAndABlockAtTheEdgeStays) {
  struct Case {
    std::set<long> selection;
    bool down;
    std::vector<std::string> expected;
    std::set<long> moved;
  };
  const Case cases[] = {
      {{0, 1, 3}, false, {"0", "1", "3", "2", "4"}, {0, 1, 2}},
      {{0, 4}, true, {"1", "0", "2", "3", "4"}, {1, 4}},
      {{2, 3}, false, {"0", "2", "3", "1", "4"}, {1, 2}},
      {{3, 4}, true, {"0", "1", "2", "3", "4"}, {3, 4}},
      {{0}, false, {"0", "1", "2", "3", "4"}, {0}},
  };
  for (const Case& c : cases) {
    std::vector<QDLQueueRow> rows = rowsOf({"0", "1", "2", "3", "4"});
    const std::set<long> moved = QDLQueueMoveRows(rows, c.selection, c.down);
    EXPECT_EQ(pathsOf(rows), c.expected);
    EXPECT_EQ(moved, c.moved);
  }
}

TEST(QueueRows, ARowsOwnStyleEvenEmptyWinsOverTheSharedOne) {
  QDLQueueItem row;
  EXPECT_EQ(QDLQueueEffectiveStyle(row, "monochrome.ctb"), "monochrome.ctb");
  row.styleOverride = "";
  EXPECT_EQ(QDLQueueEffectiveStyle(row, "monochrome.ctb"), "");
  row.styleOverride = "acad.ctb";
  EXPECT_EQ(QDLQueueEffectiveStyle(row, ""), "acad.ctb");
}

TEST(QueueRows, TheScaleIsOneWholeNumberFromOneToAHundred) {
  for (const char* good : {"25", " 25 ", "+25", "100", "1", "\t50\n"}) {
    EXPECT_TRUE(QDLQueueParseScale(good)) << good;
  }
  EXPECT_EQ(QDLQueueParseScale(" 50 "), 50);
  for (const char* bad : {"0", "101", "25%", "2.5", "", " ", "-5", "99999999999999999999", "1 2"}) {
    EXPECT_FALSE(QDLQueueParseScale(bad)) << bad;
  }
}

}  // namespace

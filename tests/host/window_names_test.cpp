// How @ lines name windows and views: a title as a person copies it, and the names there are when one misses.

#include <gtest/gtest.h>

#include <memory>

#include "toolkit/application.h"
#include "toolkit/view.h"
#include "toolkit/window.h"
#include "window_names.h"

namespace {

using toolkit::Rect;
using toolkit::View;
using toolkit::Window;

class WindowNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { toolkit::Application::shared().resetForTesting(); }
  void TearDown() override { toolkit::Application::shared().resetForTesting(); }

  static std::shared_ptr<Window> window(const std::string& identifier, const std::string& title) {
    auto w = std::make_shared<Window>(Rect{0, 0, 200, 100}, toolkit::window_style::titled);
    w->setIdentifier(identifier);
    w->setTitle(title);
    return w;
  }
  static std::shared_ptr<View> view(const std::string& identifier) {
    auto v = std::make_shared<View>(Rect{0, 0, 10, 10});
    v->setIdentifier(identifier);
    return v;
  }
};

TEST_F(WindowNamesTest, ATitleMatchesAsAPersonCopiesItWhenOnlyOneWindowHasIt) {
  auto queue = window("fileQueuePanel", "Files / folders \u00B7 Pro");
  auto lite = window("batchPrintLite", "Duzoz Ared \u00B7 Lite");
  struct Case {
    const char* typed;
    Window* found;
  };
  for (const Case& c :
       {Case{"Files / folders \u2022 Pro", queue.get()}, Case{"files /  FOLDERS \u00B7 pro ", queue.get()},
        Case{"Duzoz Ared \u30FB Lite", lite.get()}, Case{"Files / folders Pro", nullptr}, Case{"Files", nullptr}}) {
    EXPECT_EQ(cadhost::windowByLooseTitle(c.typed), c.found) << c.typed;
  }
  // Two windows that look alike are not told apart by guessing.
  auto twin = window("twin", "FILES / FOLDERS \u00B7 PRO");
  EXPECT_EQ(cadhost::windowByLooseTitle("Files / folders \u2022 Pro"), nullptr);
}

TEST_F(WindowNamesTest, TheNamesThereAreListWindowsAndViewsWithATablesCellsOnce) {
  EXPECT_EQ(cadhost::windowNames(), "No window is open.");
  auto panel = window("batchPrintPanel", "Ferrolin");
  auto untitled = window("alert", "");
  auto anonymous = window("", "Open");
  panel->orderFront();
  untitled->orderFront();
  EXPECT_EQ(cadhost::windowNames(), "The windows: batchPrintPanel (\"Ferrolin\"), alert, \"Open\" (not showing).");

  EXPECT_EQ(cadhost::viewNames(*untitled), "It has no named view.");
  auto table = view("table");
  for (const char* cell : {"order-1", "layout-1", "order-2", "layout-2", "order-12", "sheet-2b", "a-"}) {
    table->addSubview(view(cell));
  }
  panel->contentView()->addSubview(view("source"));
  panel->contentView()->addSubview(table);
  const std::string names = cadhost::viewNames(*panel);
  EXPECT_NE(names.find("source, table, order-N, layout-N, sheet-2b, a-."), std::string::npos) << names;
}

}  // namespace

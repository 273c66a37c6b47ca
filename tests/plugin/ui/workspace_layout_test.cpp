// The workspace's layout pass: its frames at the smallest and at a large window in each language, the options
// toggle, resizing, and a panel without the file-queue button.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/button.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "ui/compact_label.h"
#include "ui/modern_button.h"
#include "ui/modern_metric.h"
#include "workspace_fixture.h"

namespace ui_test {
namespace {

using toolkit::Rect;
using toolkit::View;

// Every frame the pass sets, by a name, at a workspace of bw × bh, written out from the formulas once more.
std::map<std::string, Rect> expectedFrames(double bw, double bh, bool expanded) {
  const double cw = bw - 152, lw = cw - 280, xr = 140 + lw + 10, tw = (cw - 24) / 4, mw = (lw - 49) / 6;
  const double lh = bh - 262, oh = bh - 294, dw = 270;
  std::map<std::string, Rect> f = {
      {"section sidebar", {0, 0, 128, bh}},
      {"navigation 0", {0, 177, 128, 40}},
      {"navigation 1", {0, 225, 128, 40}},
      {"navigation 2", {0, 273, 128, 40}},
      {"footer", {6, bh - 37, 116, 22}},
      {"menu", {bw - 110, 10, 96, 28}},
      {"section header", {140, 10, cw, 74}},
      {"section recognition", {140, 90, lw, 152}},
      {"section list", {140, 250, lw, lh}},
      {"section output", {xr, 90, 270, oh}},
      {"section tools", {xr, bh - 196, 270, 184}},
      {"section settings", {140, 48, cw, bh - 60}},
      {"section about", {140, 48, cw, bh - 60}},
      {"source", {0, 0, 250, 28}},
      {"heading", {264, 2, cw - 374, 26}},
      {"recognitionStatus", {162, 12, lw - 174, 18}},
      {"nonplot", {12, 118, 156, 24}},
      {"blank", {174, 118, lw - 428, 24}},
      {"showRanges", {lw - 248, 116, 116, 28}},
      {"add", {lw - 126, 116, 114, 28}},
      {"files", {lw - 200, 6, 188, 28}},
      {"scope", {12, 42, 228, 26}},
      {"filter", {246, 42, lw - 258, 26}},
      {"sort", {248, 78, lw - 260, 26}},
      {"scroll", {12, 114, lw - 24, lh - 147}},
      {"summary", {12, lh - 26, lw - 24, 20}},
      {"output scroll", {0, 38, 270, oh - 38}},
      {"output document", {0, 0, dw, expanded ? 530.0 : 250.0}},
      {"outputMode", {12, 0, dw - 24, 30}},
      {"styleLabel", {12, 42, dw - 24, 20}},
      {"style", {12, 65, dw - 24, 28}},
      {"pathLabel", {12, 104, dw - 24, 20}},
      {"location", {12, 127, dw - 24, 28}},
      {"path", {12, 166, dw - 60, 24}},
      {"browse", {dw - 40, 164, 28, 28}},
      {"toggle", {12, 204, dw - 24, 28}},
      {"paperLabel", {12, 246, dw - 24, 20}},
      {"paper", {12, 270, dw - 112, 28}},
      {"applyPaper", {dw - 90, 270, 78, 28}},
      {"scaleLabel", {12, 310, dw - 24, 20}},
      {"scale", {12, 334, 90, 26}},
      {"percent", {110, 338, 24, 22}},
      {"applyScale", {dw - 90, 334, 78, 28}},
      {"nameLabel", {12, 374, dw - 24, 20}},
      {"name", {12, 398, dw - 24, 26}},
      {"overwrite", {12, 441, dw - 24, 24}},
      {"status", {12, 4, 246, 18}},
      {"diagnosticsStatus", {12, 104, 246, 18}},
      {"export", {12, 136, 246, 36}},
      {"command", {24, 112, 180, 36}},
      {"update", {24, 214, 180, 36}},
      {"uninstall", {24, 316, 180, 36}},
  };
  const char* tiles[] = {"automatic", "pickLayer", "pickBlock", "pickFrames", "range", "clearRange"};
  for (int k = 0; k < 6; ++k) f[tiles[k]] = {12 + k * (mw + 5), 42, mw, 66};
  const char* icons[] = {"refresh", "all", "none", "up", "down", "focus", "remove", "restore"};
  for (int j = 0; j < 8; ++j) f[icons[j]] = {12.0 + 29 * j, 78, 27, 27};
  const char* tools[] = {"preview", "preflight", "diagnostics", "resume"};
  for (int i = 0; i < 4; ++i) f[tools[i]] = {12.0 + 61 * i, 62, 54, 32};
  for (int i = 0; i < 4; ++i) f["metric " + std::to_string(i)] = {i * (tw + 8), 39, tw, 32};
  return f;
}

// The same views, found in the window.
std::map<std::string, View*> framedViews(const WorkspaceWindow& w) {
  QDLModernWorkspace& ws = *w.workspace;
  std::map<std::string, View*> v;
  for (const auto& [key, section] : ws.sections()) v["section " + key] = section.get();
  for (int n = 0; n < 3; ++n) v["navigation " + std::to_string(n)] = ws.navigationButtons()[n].get();
  v["footer"] = ws.sidebarFooter().get();
  v["menu"] = ws.editionMenu().get();
  for (int i = 0; i < 4; ++i) v["metric " + std::to_string(i)] = ws.metrics()[i].get();
  v["output scroll"] = ws.outputScroll().get();
  v["output document"] = ws.outputDocument().get();
  v["toggle"] = ws.advancedToggle().get();
  for (const auto& [key, control] : w.panelControls.controls) v[key] = control.get();
  return v;
}

void expectFrames(const WorkspaceWindow& w, double bw, double bh) {
  const auto expected = expectedFrames(bw, bh, w.workspace->advancedExpanded());
  const auto views = framedViews(w);
  for (const auto& [name, frame] : expected) {
    const auto it = views.find(name);
    if (it == views.end()) {
      EXPECT_EQ(name, "files") << "only the file-queue button may be missing";
      continue;
    }
    EXPECT_EQ(it->second->frame(), frame) << name;
  }
}

class WorkspaceLayoutTest : public WorkspaceTest {};

TEST_F(WorkspaceLayoutTest, FramesAtTheSmallestAndALargeWindowInEachLanguage) {
  for (const char* language : {"zh", "zh-Hant", "en"}) {
    SCOPED_TRACE(language);
    useLanguage(language);
    WorkspaceWindow w = makeWorkspaceWindow();
    EXPECT_EQ(w.workspace->frame(), (Rect{0, 0, 1000, 680}));
    expectFrames(w, 1000, 680);
    // Checked by hand at the smallest size: the right column ends 12 before the edge.
    EXPECT_EQ(w.workspace->section("output")->frame().maxX(), 988);
    EXPECT_EQ(w.workspace->outputScroll()->contentSize().width, 270);

    w.resize({1280, 800});
    EXPECT_EQ(w.workspace->frame(), (Rect{0, 0, 1280, 800}));
    expectFrames(w, 1280, 800);
    w.workspace->toggleAdvanced(*w.workspace->advancedToggle());
    w.panel->layoutIfNeeded();
    expectFrames(w, 1280, 800);

    // The window keeps its minimum: asked smaller, the workspace stays at 1000 × 680.
    w.resize({800, 500});
    expectFrames(w, 1000, 680);
  }
}

TEST_F(WorkspaceLayoutTest, GrowingWidensTheLeftColumnOnly) {
  WorkspaceWindow w = makeWorkspaceWindow();
  w.resize({1400, 900});
  QDLModernWorkspace& ws = *w.workspace;
  EXPECT_EQ(ws.section("sidebar")->frame().width(), 128);
  EXPECT_EQ(ws.section("output")->frame().width(), 270);
  EXPECT_EQ(ws.section("tools")->frame().width(), 270);
  EXPECT_EQ(ws.section("list")->frame().width(), 1400 - 152 - 280);
  EXPECT_EQ(ws.section("header")->frame().width(), 1400 - 152);
  EXPECT_EQ(ws.section("output")->frame().maxX(), 1400 - 12);
  // The tools card sits 8 below the output card.
  EXPECT_EQ(ws.section("tools")->frame().minY() - ws.section("output")->frame().maxY(), 8);
}

TEST_F(WorkspaceLayoutTest, TheOptionsToggleChangesTheDocumentAndTheTenOptionsOnly) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  const std::vector<std::string> options = {"nameLabel",  "name",  "paperLabel", "paper",      "applyPaper",
                                            "scaleLabel", "scale", "percent",    "applyScale", "overwrite"};
  auto snapshot = [&] {
    std::map<std::string, std::pair<Rect, bool>> s;
    for (const auto& [name, view] : framedViews(w)) s[name] = {view->frame(), view->isHidden()};
    return s;
  };
  const auto collapsed = snapshot();
  for (const std::string& key : options) EXPECT_TRUE(w.control(key)->isHidden()) << key;
  EXPECT_EQ(ws.advancedToggle()->image()->symbolName(), "chevron.right");

  ws.advancedToggle()->performClick();
  w.panel->layoutIfNeeded();
  const auto expanded = snapshot();
  EXPECT_EQ(ws.advancedToggle()->image()->symbolName(), "chevron.down");
  for (const auto& [name, before] : collapsed) {
    const bool option = std::find(options.begin(), options.end(), name) != options.end();
    if (name == "output document") {
      EXPECT_EQ(expanded.at(name).first.height(), 530);
      EXPECT_EQ(before.first.height(), 250);
    } else if (option) {
      EXPECT_FALSE(expanded.at(name).second) << name;
      EXPECT_EQ(expanded.at(name).first, before.first) << name;
    } else {
      EXPECT_EQ(expanded.at(name), before) << name;
    }
  }

  // Scrolled to the end of the long document, collapsing brings the short one back into view.
  toolkit::ScrollView& scroll = *ws.outputScroll();
  scroll.contentView().scrollToPoint({0, 1000});
  EXPECT_EQ(scroll.contentView().bounds().origin.y, 530 - scroll.contentSize().height);
  ws.advancedToggle()->performClick();
  w.panel->layoutIfNeeded();
  EXPECT_EQ(scroll.contentView().bounds().origin.y, 0);
  EXPECT_EQ(snapshot(), collapsed);
}

TEST_F(WorkspaceLayoutTest, TheBrandTakesTheLargestSizeItsFramesHoldInEachLanguage) {
  // Fixed advances: "Ferrolin" is 4 em, the product name 8.5 em in Chinese and 9.5 em in English; a label needs its
  // text's width, rounded up, and 4 more.
  struct Case {
    const char* language;
    double product;
  };
  for (const Case& c : {Case{"zh", 11.5}, Case{"zh-Hant", 11.5}, Case{"en", 10.5}}) {
    SCOPED_TRACE(c.language);
    useLanguage(c.language);
    WorkspaceWindow w = makeWorkspaceWindow();
    auto sidebar = w.workspace->section("sidebar");
    auto* brand = dynamic_cast<QDLCompactLabel*>(sidebar->subviews()[0].get());
    auto* product = dynamic_cast<QDLCompactLabel*>(sidebar->subviews()[1].get());
    ASSERT_TRUE(brand && product);
    EXPECT_EQ(brand->frame(), (Rect{18, 52, 104, 38}));
    EXPECT_EQ(brand->font(), graphics::Font::system(25, graphics::FontWeight::semibold));
    EXPECT_EQ(product->frame(), (Rect{18, 98, 104, 22}));
    EXPECT_EQ(product->font(), graphics::Font::system(c.product, graphics::FontWeight::semibold));
  }
  // A change of language fits the product name again.
  useLanguage("zh");
  WorkspaceWindow w = makeWorkspaceWindow();
  useLanguage("en");
  w.panel->layoutIfNeeded();
  auto* product = dynamic_cast<QDLCompactLabel*>(w.workspace->section("sidebar")->subviews()[1].get());
  EXPECT_EQ(product->stringValue(), "Ferrolin Duzoz Ared");
  EXPECT_EQ(product->font().size(), 10.5);
}

TEST_F(WorkspaceLayoutTest, WithoutTheFileQueueButtonTheListCardStillLaysOut) {
  WorkspaceWindow w = makeWorkspaceWindow(false);
  EXPECT_EQ(w.workspace->controls().size(), 56u);
  EXPECT_FALSE(w.workspace->controls().contains("files"));
  expectFrames(w, 1000, 680);
  w.resize({1200, 760});
  expectFrames(w, 1200, 760);
}

TEST_F(WorkspaceLayoutTest, APassWithNothingChangedChangesNothing) {
  WorkspaceWindow w = makeWorkspaceWindow();
  std::map<std::string, Rect> before;
  for (const auto& [name, view] : framedViews(w)) before[name] = view->frame();
  w.workspace->setNeedsLayout(true);
  w.panel->layoutIfNeeded();
  for (const auto& [name, view] : framedViews(w)) EXPECT_EQ(view->frame(), before[name]) << name;
  EXPECT_EQ(w.workspace->subviews().size(), 9u) << "eight sections and the interface menu, once each";
}

}  // namespace
}  // namespace ui_test

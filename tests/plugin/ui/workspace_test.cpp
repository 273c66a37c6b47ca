// The workspace's structure, its pages and its own actions.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "toolkit/button.h"
#include "toolkit/image_view.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "ui/compact_label.h"
#include "ui/localisation.h"
#include "ui/modern_button.h"
#include "ui/modern_metric.h"
#include "ui/palette.h"
#include "workspace_fixture.h"

namespace ui_test {
namespace {

using graphics::Color;
using graphics::Font;
using graphics::FontWeight;

// The texts of the labels the workspace made in a section (not the panel's), in order.
std::vector<std::string> labelTexts(const toolkit::View& view) {
  std::vector<std::string> texts;
  for (const auto& sub : view.subviews()) {
    auto* label = dynamic_cast<QDLCompactLabel*>(sub.get());
    const auto* workspace = dynamic_cast<const QDLModernWorkspace*>(view.superview());
    if (label == nullptr || workspace == nullptr) continue;
    const auto& controls = workspace->controls();
    const bool panels = std::any_of(controls.begin(), controls.end(), [&](const auto& c) { return c.second == sub; });
    if (!panels) texts.push_back(label->stringValue());
  }
  return texts;
}

std::vector<std::string> titles(const toolkit::PopUpButton& popUp) { return popUp.itemTitles(); }

// A field in editing whose text its formatter refuses: the window cannot end editing while it holds.
std::shared_ptr<toolkit::TextField> stuckEditing(WorkspaceWindow& w) {
  auto scale = w.control<toolkit::TextField>("scale");
  w.workspace->showPage(0);
  w.workspace->toggleAdvanced(*w.workspace->advancedToggle());
  w.panel->layoutIfNeeded();
  EXPECT_TRUE(w.panel->makeFirstResponder(scale.get()));
  EXPECT_TRUE(scale->userType("abc"));
  return scale;
}

TEST_F(WorkspaceTest, BuildsTheSectionsSidebarAndHeader) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  EXPECT_TRUE(sameColor(*ws.fill(), QDLModernPale()));
  EXPECT_EQ(ws.autoresizingMask(), toolkit::autoresizing::widthSizable | toolkit::autoresizing::heightSizable);
  EXPECT_EQ(ws.controls().size(), 57u);

  struct Section {
    const char* key;
    std::optional<Color> fill;
    std::vector<std::string> labels;
    double titleWidth;
  };
  const Section sections[] = {
      {"sidebar", QDLModernSidebar(), {"Ferrolin", "Ferrolin 批打工具", "CAD 批量输出", "专注 · 高效 · 专业"}, 0},
      {"header", Color::clear(), {}, 0},
      {"recognition", std::nullopt, {"图框识别"}, 144},
      {"list", std::nullopt, {"图纸列表"}, 100},
      {"output", std::nullopt, {"输出设置"}, 250},
      {"tools", std::nullopt, {}, 0},
      {"settings", std::nullopt, {"设置", "启动命令", "软件更新", "安装管理", "语言"}, 250},
      {"about",
       std::nullopt,
       {"关于 Ferrolin 批打工具", "由 Ferrolin 设计与开发", "Ferrolin 批打工具 1.0.0-beta.9"},
       250},
  };
  ASSERT_EQ(ws.sections().size(), 8u);
  for (const Section& s : sections) {
    SCOPED_TRACE(s.key);
    auto section = ws.section(s.key);
    ASSERT_TRUE(section);
    EXPECT_EQ(section->superview(), &ws);
    EXPECT_EQ(section->radius(), 0);
    EXPECT_EQ(section->fill().has_value(), s.fill.has_value());
    if (s.fill) {
      EXPECT_TRUE(sameColor(*section->fill(), *s.fill));
    }
    EXPECT_EQ(labelTexts(*section), s.labels);
    if (s.titleWidth > 0) {
      auto* title = dynamic_cast<QDLCompactLabel*>(section->subviews()[0].get());
      ASSERT_NE(title, nullptr);
      EXPECT_EQ(title->frame(), (toolkit::Rect{12, 10, s.titleWidth, 22}));
      EXPECT_EQ(title->font(), Font::system(15, FontWeight::semibold));
      EXPECT_TRUE(sameColor(*title->textColor(), QDLModernInk()));
    }
  }

  const std::vector<std::tuple<long, std::string, std::string>> pages = {
      {0, "首页", "house"}, {2, "设置", "slider.horizontal.3"}, {3, "关于", "info.circle"}};
  ASSERT_EQ(ws.navigationButtons().size(), 3u);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const auto& button = ws.navigationButtons()[i];
    EXPECT_EQ(button->tag(), std::get<0>(pages[i]));
    EXPECT_EQ(button->title(), std::get<1>(pages[i]));
    EXPECT_EQ(button->symbolName(), std::get<2>(pages[i]));
    EXPECT_EQ(button->accessibilityLabel(), std::get<1>(pages[i]));
    EXPECT_TRUE(button->navigation() && button->compact());
    EXPECT_EQ(button->superview(), ws.section("sidebar").get());
  }

  auto menu = ws.editionMenu();
  EXPECT_EQ(menu->superview(), &ws);
  EXPECT_EQ(titles(*menu), (std::vector<std::string>{"专业版", "精简版"}));
  EXPECT_EQ(menu->indexOfSelectedItem(), 0);
  EXPECT_FALSE(menu->pullsDown());
  EXPECT_FALSE(menu->isBordered());
  EXPECT_EQ(menu->font(), Font::system(12));
  EXPECT_EQ(menu->toolTip(), "切换界面");
  EXPECT_TRUE(w.control("lite")->isHidden());
  EXPECT_TRUE(w.control("version")->isHidden());

  const std::vector<std::tuple<std::string, std::string, Color>> metrics = {
      {"图纸总数", "folder", QDLModernBlue()},
      {"可打印图纸", "checkmark.circle", Color::srgb(0.23, 0.62, 0.40)},
      {"已排除", "minus.circle", Color::srgb(0.43, 0.49, 0.58)},
      {"预计输出页数", "doc.text", Color::srgb(0.10, 0.58, 0.72)}};
  ASSERT_EQ(ws.metrics().size(), 4u);
  for (std::size_t i = 0; i < metrics.size(); ++i) {
    const auto& tile = ws.metrics()[i];
    EXPECT_EQ(tile->superview(), ws.section("header").get());
    EXPECT_EQ(tile->titleLabel()->stringValue(), std::get<0>(metrics[i]));
    EXPECT_EQ(tile->icon()->image()->symbolName(), std::get<1>(metrics[i]));
    EXPECT_TRUE(sameColor(*tile->icon()->image()->paletteColor(), std::get<2>(metrics[i])));
  }
}

TEST_F(WorkspaceTest, BuildsTheOutputCardAndThePages) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  auto scroll = ws.outputScroll();
  EXPECT_TRUE(scroll->hasVerticalScroller());
  EXPECT_FALSE(scroll->hasHorizontalScroller());
  EXPECT_EQ(scroll->scrollerStyle(), toolkit::ScrollerStyle::overlay);
  EXPECT_TRUE(scroll->autohidesScrollers());
  EXPECT_FALSE(scroll->drawsBackground());
  EXPECT_EQ(scroll->documentView(), ws.outputDocument());
  EXPECT_EQ(scroll->superview(), ws.section("output").get());

  auto toggle = ws.advancedToggle();
  EXPECT_EQ(toggle->title(), "更多设置");
  EXPECT_EQ(toggle->imagePosition(), toolkit::ImagePosition::imageLeft);
  EXPECT_EQ(toggle->alignment(), graphics::TextAlignment::left);
  EXPECT_FALSE(toggle->isBordered());
  EXPECT_EQ(toggle->image()->symbolName(), "chevron.right");
  EXPECT_FALSE(ws.advancedExpanded());

  auto reverse = ws.reverseScrollToggle();
  EXPECT_EQ(reverse->buttonType(), toolkit::ButtonType::switchButton);
  EXPECT_EQ(reverse->title(), "反转滚轮方向");
  EXPECT_EQ(reverse->toolTip(), "仅反转批打工具页面的上下滚动，不影响 CAD 或系统设置。");
  EXPECT_EQ(reverse->frame(), (toolkit::Rect{24, 400, 400, 28}));
  EXPECT_EQ(reverse->state(), toolkit::control_state::off);

  auto language = ws.languageSetting();
  EXPECT_EQ(language->frame(), (toolkit::Rect{24, 492, 240, 30}));
  EXPECT_EQ(titles(*language), (std::vector<std::string>{"跟随 CAD", "简体中文", "繁體中文", "English"}));
  for (long i = 0; i < 4; ++i) {
    EXPECT_EQ(*language->itemAtIndex(i)->representedObject(),
              (std::vector<std::string>{"auto", "zh", "zh-Hant", "en"})[i]);
  }
  EXPECT_EQ(language->indexOfSelectedItem(), 1) << "the stored language, zh";
  EXPECT_EQ(language->accessibilityLabel(), "语言");
  for (const char* key : {"command", "update", "uninstall"}) {
    EXPECT_EQ(w.control(key)->superview(), ws.section("settings").get()) << key;
  }
}

TEST_F(WorkspaceTest, StylesThePanelsControls) {
  WorkspaceWindow w = makeWorkspaceWindow();
  struct Symbol {
    const char* key;
    const char* symbol;
    bool tile;
  };
  for (const Symbol& s :
       {Symbol{"automatic", "sparkles", true}, Symbol{"pickLayer", "square.3.layers.3d", true},
        Symbol{"pickBlock", "cube", true}, Symbol{"pickFrames", "cursorarrow", true},
        Symbol{"range", "cursorarrow.and.square.on.square.dashed", true}, Symbol{"clearRange", "trash", true},
        Symbol{"add", "plus", false}, Symbol{"browse", "folder", false}, Symbol{"diagnostics", "doc.text", false},
        Symbol{"export", "doc.badge.arrow.up", false}, Symbol{"preflight", "checkmark.seal", false},
        Symbol{"preview", "eye", false}, Symbol{"resume", "play", false}, Symbol{"showRanges", "eye", false}}) {
    auto button = w.control<QDLModernButton>(s.key);
    ASSERT_TRUE(button) << s.key;
    EXPECT_EQ(button->symbolName(), s.symbol) << s.key;
    EXPECT_EQ(button->tile(), s.tile) << s.key;
  }

  struct Icon {
    const char* key;
    const char* symbol;
    const char* wording;
  };
  for (const Icon& i : {Icon{"refresh", "arrow.clockwise", "重新扫描"}, Icon{"all", "checkmark.square", "全选"},
                        Icon{"none", "square", "全不选"}, Icon{"up", "arrow.up", "上移"},
                        Icon{"down", "arrow.down", "下移"}, Icon{"focus", "scope", "定位"},
                        Icon{"remove", "minus", "移除"}, Icon{"restore", "arrow.uturn.backward", "恢复"}}) {
    auto button = w.control<QDLModernButton>(i.key);
    EXPECT_EQ(button->symbolName(), i.symbol);
    EXPECT_EQ(button->title(), "") << i.key;
    EXPECT_EQ(button->toolTip(), i.wording);
    EXPECT_EQ(button->accessibilityLabel(), i.wording);
  }

  auto browse = w.control<toolkit::Button>("browse");
  EXPECT_EQ(browse->title(), "");
  EXPECT_EQ(browse->toolTip(), "选择输出位置");
  EXPECT_EQ(browse->accessibilityLabel(), "选择输出位置");
  auto applyPaper = w.control<toolkit::Button>("applyPaper");
  EXPECT_EQ(applyPaper->title(), "应用");
  EXPECT_EQ(applyPaper->accessibilityLabel(), "应用纸张到选中项") << "the relocalisation keeps a label of the owner's";
  EXPECT_EQ(w.control<toolkit::Button>("applyScale")->accessibilityLabel(), "应用比例到选中项");
  EXPECT_TRUE(w.control<QDLModernButton>("export")->output());
  EXPECT_EQ(w.control<toolkit::Button>("command")->title(), "修改启动命令");
  // The layout pass moved the tool buttons' titles into their tooltips: resume's is its title, not its longer tooltip.
  auto resume = w.control<toolkit::Button>("resume");
  EXPECT_EQ(resume->title(), "");
  EXPECT_EQ(resume->toolTip(), "继续任务");
  EXPECT_EQ(w.control<toolkit::Button>("diagnostics")->toolTip(), "识别诊断");
  EXPECT_EQ(w.control<toolkit::Button>("preview")->toolTip(), "预览选中页");

  for (const auto& [key, view] : w.panelControls.controls) {
    SCOPED_TRACE(key);
    if (auto* modern = dynamic_cast<QDLModernButton*>(view.get())) {
      EXPECT_TRUE(modern->compact());
    }
    if (auto* segmented = dynamic_cast<toolkit::SegmentedControl*>(view.get())) {
      EXPECT_EQ(segmented->segmentDistribution(), toolkit::SegmentDistribution::fillEqually);
      EXPECT_EQ(segmented->font(), Font::system(13));
    }
    if (auto* button = dynamic_cast<toolkit::Button*>(view.get())) {
      EXPECT_EQ(button->font(), Font::system(13));
    }
  }
  EXPECT_EQ(w.control<toolkit::TextField>("name")->font(), Font::system(13));
  EXPECT_EQ(w.control<toolkit::TextField>("filter")->font(), Font::system(13));
  // Labels keep the fonts the panel gave them.
  EXPECT_EQ(w.control<toolkit::TextField>("heading")->font(), Font::boldSystem(18));
  EXPECT_EQ(w.control<toolkit::TextField>("diagnosticsStatus")->font(), Font::system(11));
  EXPECT_EQ(w.control<toolkit::TextField>("version")->font(), Font::system(12));

  auto table = w.control<toolkit::TableView>("table");
  EXPECT_EQ(table->rowHeight(), 32);
  EXPECT_FALSE(table->usesAlternatingRowBackgroundColors());
  EXPECT_TRUE(sameColor(table->backgroundColor(), Color::white()));
  EXPECT_EQ(w.control<toolkit::ScrollView>("scroll")->borderType(), toolkit::BorderType::noBorder);
}

TEST_F(WorkspaceTest, ShowsOnePageAtATime) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  auto exportButton = w.control<toolkit::Button>("export");
  auto diagnostics = w.control<toolkit::Button>("diagnostics");
  const std::vector<std::string> home = {"header", "recognition", "list", "output", "tools"};

  struct Case {
    long asked;
    long shown;
  };
  // Out of range and the unused page 1 are ignored; the sidebar is always there.
  for (const Case& c : {Case{0, 0}, Case{2, 2}, Case{-1, 2}, Case{4, 2}, Case{1, 2}, Case{3, 3}, Case{0, 0}}) {
    SCOPED_TRACE(c.asked);
    ws.showPage(c.asked);
    EXPECT_EQ(ws.page(), c.shown);
    for (const std::string& key : home) EXPECT_EQ(ws.section(key)->isHidden(), c.shown != 0) << key;
    EXPECT_EQ(ws.section("settings")->isHidden(), c.shown != 2);
    EXPECT_EQ(ws.section("about")->isHidden(), c.shown != 3);
    EXPECT_FALSE(ws.section("sidebar")->isHidden());
    for (const auto& button : ws.navigationButtons()) {
      EXPECT_EQ(button->state(), button->tag() == c.shown ? toolkit::control_state::on : toolkit::control_state::off);
    }
    EXPECT_EQ(exportButton->keyEquivalent(), c.shown == 0 ? "\r" : "");
    EXPECT_EQ(diagnostics->keyEquivalent(), c.shown == 0 ? "d" : "");
  }

  // The sidebar's buttons lead there; Return starts the export only on the home page.
  ws.navigationButtons()[1]->performClick();
  EXPECT_EQ(ws.page(), 2);
  w.panel->sendEvent(toolkit::Event::keyDown(w.panel->windowNumber(), "\r"));
  EXPECT_EQ(w.fired("export"), 0);
  ws.navigationButtons()[0]->performClick();
  w.panel->sendEvent(toolkit::Event::keyDown(w.panel->windowNumber(), "\r"));
  EXPECT_EQ(w.fired("export"), 1);
  w.panel->sendEvent(toolkit::Event::keyDown(w.panel->windowNumber(), "d", toolkit::modifier::command));
  EXPECT_EQ(w.fired("diagnostics"), 1);
}

TEST_F(WorkspaceTest, AWindowThatCannotEndEditingKeepsEverythingAsItWas) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  stuckEditing(w);
  ASSERT_TRUE(ws.advancedExpanded());

  ws.showPage(2);
  EXPECT_EQ(ws.page(), 0);
  ws.toggleAdvanced(*ws.advancedToggle());
  EXPECT_TRUE(ws.advancedExpanded());

  // Choosing a language: the stored one stays, and the pop-up shows it again.
  ASSERT_TRUE(ws.languageSetting()->userSelectItem(3));
  EXPECT_EQ(QDLLanguagePreference(), "zh");
  EXPECT_EQ(ws.languageSetting()->indexOfSelectedItem(), 1);
  EXPECT_EQ(ws.advancedToggle()->title(), "更多设置");

  // Once the text can be taken, everything works again.
  w.control<toolkit::TextField>("scale")->userType("80");
  ws.showPage(2);
  EXPECT_EQ(ws.page(), 2);
  EXPECT_EQ(w.control<toolkit::TextField>("scale")->stringValue(), "80");
}

TEST_F(WorkspaceTest, TheInterfaceMenuFiresTheLiteControlAndKeepsShowingTheFullInterface) {
  WorkspaceWindow w = makeWorkspaceWindow();
  auto menu = w.workspace->editionMenu();
  ASSERT_TRUE(menu->userSelectItem(0));
  EXPECT_EQ(w.fired("lite"), 0);
  ASSERT_TRUE(menu->userSelectItem(1));
  EXPECT_EQ(w.fired("lite"), 1);
  EXPECT_EQ((*w.panelControls.senders)["lite"], menu.get()) << "the menu is the sender";
  EXPECT_EQ(menu->indexOfSelectedItem(), 0);
  EXPECT_EQ(menu->title(), "专业版");
}

TEST_F(WorkspaceTest, OptionsToggleAndReverseScrollCheckbox) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  ws.advancedToggle()->performClick();
  EXPECT_TRUE(ws.advancedExpanded());
  EXPECT_EQ(ws.advancedToggle()->state(), toolkit::control_state::on);
  EXPECT_TRUE(ws.needsLayout());
  ws.advancedToggle()->performClick();
  EXPECT_FALSE(ws.advancedExpanded());
  EXPECT_EQ(ws.advancedToggle()->state(), toolkit::control_state::off);

  const std::size_t observers = foundation::NotificationCenter::defaultCenter().observerCount();
  int posted = 0;
  foundation::ScopedObserver counting(
      foundation::NotificationCenter::defaultCenter(),
      foundation::NotificationCenter::defaultCenter().addObserver("", nullptr, [&](const auto&) { ++posted; }));
  ws.reverseScrollToggle()->performClick();
  EXPECT_TRUE(foundation::UserDefaults::standard().boolForKey("Quodline.ReverseScroll"));
  ws.reverseScrollToggle()->performClick();
  EXPECT_TRUE(foundation::UserDefaults::standard().hasKey("Quodline.ReverseScroll"));
  EXPECT_FALSE(foundation::UserDefaults::standard().boolForKey("Quodline.ReverseScroll"));
  EXPECT_EQ(posted, 0) << "the panel reads the setting at every wheel event";
  counting.reset();
  EXPECT_EQ(foundation::NotificationCenter::defaultCenter().observerCount(), observers);

  // Showing a page sets the checkbox from the stored setting.
  foundation::UserDefaults::standard().setBool(true, "Quodline.ReverseScroll");
  ws.showPage(2);
  EXPECT_EQ(ws.reverseScrollToggle()->state(), toolkit::control_state::on);
}

TEST_F(WorkspaceTest, ChoosingALanguageRelocalisesTheWholeWindow) {
  WorkspaceWindow w = makeWorkspaceWindow();
  QDLModernWorkspace& ws = *w.workspace;
  ASSERT_TRUE(ws.languageSetting()->userSelectItem(3));
  EXPECT_EQ(QDLLanguagePreference(), "en");
  w.panel->layoutIfNeeded();

  EXPECT_EQ(titles(*ws.languageSetting()), (std::vector<std::string>{"Follow CAD", "简体中文", "繁體中文", "English"}));
  EXPECT_EQ(ws.languageSetting()->indexOfSelectedItem(), 3);
  EXPECT_EQ(ws.languageSetting()->accessibilityLabel(), "Language");
  EXPECT_EQ(labelTexts(*ws.section("recognition")), std::vector<std::string>{"Frame detection"});
  EXPECT_EQ(labelTexts(*ws.section("about"))[0], "About Ferrolin Duzoz Ared");
  EXPECT_EQ(ws.navigationButtons()[2]->title(), "About");
  EXPECT_EQ(ws.metrics()[3]->titleLabel()->stringValue(), "Output pages");
  EXPECT_EQ(w.control<toolkit::Button>("resume")->toolTip(), "Resume");
  EXPECT_EQ(w.control<toolkit::Button>("applyPaper")->accessibilityLabel(), "Apply paper to selected sheets");

  struct Wording {
    const char* language;
    const char* menu0;
    const char* menuTip;
    const char* toggle;
    const char* applyScale;
    const char* heading;
  };
  for (const Wording& c :
       {Wording{"en", "Pro", "Switch interface", "More settings", "Apply scale to selection",
                "Designed and built by Ferrolin"},
        Wording{"zh-Hant", "專業版", "切換介面", "更多設定", "套用比例到選取項目", "由 Ferrolin 設計與開發"},
        Wording{"zh", "专业版", "切换界面", "更多设置", "应用比例到选中项", "由 Ferrolin 设计与开发"}}) {
    SCOPED_TRACE(c.language);
    useLanguage(c.language);
    w.panel->layoutIfNeeded();
    // The texts the workspace gives in three wordings come back through the layout pass.
    EXPECT_EQ(ws.editionMenu()->title(), c.menu0);
    EXPECT_EQ(ws.editionMenu()->toolTip(), c.menuTip);
    EXPECT_EQ(ws.advancedToggle()->title(), c.toggle);
    EXPECT_EQ(w.control<toolkit::Button>("applyScale")->accessibilityLabel(), c.applyScale);
    EXPECT_EQ(labelTexts(*ws.section("about"))[1], c.heading);
  }
  EXPECT_EQ(labelTexts(*ws.section("list")), std::vector<std::string>{"图纸列表"});
  // The version line stays as it was built.
  EXPECT_EQ(labelTexts(*ws.section("about"))[2], "Ferrolin 批打工具 1.0.0-beta.9");
}

TEST_F(WorkspaceTest, BuiltInAnotherLanguageShowsItThroughout) {
  useLanguage("zh-Hant");
  WorkspaceWindow w = makeWorkspaceWindow();
  EXPECT_EQ(labelTexts(*w.workspace->section("about"))[2], "Ferrolin 批打工具 1.0.0-beta.9")
      << "no transform of the brand";
  EXPECT_EQ(w.workspace->languageSetting()->indexOfSelectedItem(), 2);
  EXPECT_EQ(titles(*w.workspace->editionMenu()), (std::vector<std::string>{"專業版", "精簡版"}));
  EXPECT_EQ(labelTexts(*w.workspace->section("list")), std::vector<std::string>{"圖紙列表"});

  useLanguage("en");
  WorkspaceWindow english = makeWorkspaceWindow();
  EXPECT_EQ(labelTexts(*english.workspace->section("about"))[2], "Ferrolin Duzoz Ared 1.0.0-beta.9");
}

TEST_F(WorkspaceTest, GoingAwayItStopsObservingAndItsButtonsGoDead) {
  const std::size_t before = foundation::NotificationCenter::defaultCenter().observerCount();
  std::shared_ptr<QDLModernButton> home;
  {
    auto workspace = std::make_shared<QDLModernWorkspace>(makePanelControls().controls);
    home = workspace->navigationButtons()[0];
    EXPECT_EQ(foundation::NotificationCenter::defaultCenter().observerCount(), before + 1);
  }
  EXPECT_EQ(foundation::NotificationCenter::defaultCenter().observerCount(), before);
  home->performClick();
  QDLSetLanguagePreference("en");
}

}  // namespace
}  // namespace ui_test

// QDLLocalizeView on a small window-like tree that holds a view of every kind the walk treats apart.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "language_fixture.h"
#include "toolkit/button.h"
#include "toolkit/image_view.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/scroll_view.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/view.h"
#include "ui/localisation.h"
#include "ui/localize_view.h"

namespace {

using std::make_shared;
using std::shared_ptr;
using toolkit::Rect;

// A label whose tooltip follows its value, as the kit's compact labels and path fields do.
class FollowingLabel : public toolkit::TextField {
 public:
  void setStringValue(const std::string& text) override {
    TextField::setStringValue(text);
    setToolTip(text);
  }
};

shared_ptr<toolkit::TextField> label(const std::string& text) { return toolkit::TextField::labelWithString(text); }

template <typename T>
shared_ptr<T> add(const shared_ptr<toolkit::View>& parent, shared_ptr<T> view) {
  parent->addSubview(view);
  return view;
}

class LocalizeViewTest : public ui_test::LanguageTest {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    useLanguage("zh");
    root = make_shared<toolkit::View>(Rect{0, 0, 600, 400});
    root->setToolTip("图纸列表");

    titled = add(root, toolkit::Button::buttonWithTitle("取消", {}));
    titled->setToolTip("返回列表");
    iconOnly = add(root, toolkit::Button::buttonWithTitle("", {}));
    iconOnly->setToolTip("上移");
    iconOnly->setAccessibilityLabel("上移");
    ownLabel = add(root, toolkit::Button::buttonWithTitle("应用", {}));
    ownLabel->setAccessibilityLabel("应用纸张到选中项");
    checkbox = add(root, toolkit::Button::checkboxWithTitle("反转滚轮方向", {}));

    popUp = add(root, make_shared<toolkit::PopUpButton>(Rect{0, 0, 120, 28}));
    popUp->addItemsWithTitles({"跟随 CAD", "简体中文", "English"});
    popUp->selectItemAtIndex(0);
    popUp->setAccessibilityLabel("语言");

    segments = add(root, toolkit::SegmentedControl::withLabels({"自然顺序", "文件名升序", ""}, {}));

    plainLabel = add(root, label("图纸总数"));
    typed = add(root, toolkit::TextField::textFieldWithString("设置"));
    typed->setPlaceholderString("筛选页面名称、图层或纸张");

    ownTip = add(root, make_shared<FollowingLabel>());
    ownTip->setStringValue("可打印图纸");
    ownTip->setToolTip("当前页面结束后停止。");
    followingTip = add(root, make_shared<FollowingLabel>());
    followingTip->setStringValue("已排除");

    table = add(root, make_shared<toolkit::TableView>(Rect{0, 0, 300, 200}));
    table->setToolTip("页面名称");
    auto column = make_shared<toolkit::TableColumn>("name");
    column->setHeaderTitle("页面名称");
    table->addTableColumn(column);
    tableCell = add<toolkit::TextField>(table, label("完成"));

    imageView = add(root, make_shared<toolkit::ImageView>(Rect{0, 0, 16, 16}));
    insideControl = add<toolkit::TextField>(imageView, label("完成"));

    auto hidden = add(root, make_shared<toolkit::View>(Rect{0, 0, 100, 100}));
    hidden->setHidden(true);
    hiddenLabel = add<toolkit::TextField>(hidden, label("失败"));

    scroll = add(root, make_shared<toolkit::ScrollView>(Rect{0, 0, 200, 100}));
    auto document = make_shared<toolkit::View>(Rect{0, 0, 200, 300});
    scroll->setDocumentView(document);
    scrolledLabel = add<toolkit::TextField>(document, label("已跳过"));

    outsider = add(root, label("图纸 A1-01"));
  }

  // Every text the tree shows, in a fixed order.
  std::vector<std::string> texts() const {
    std::vector<std::string> all{root->toolTip()};
    for (const auto* b : {titled.get(), iconOnly.get(), ownLabel.get(), checkbox.get()}) {
      all.insert(all.end(), {b->title(), b->toolTip(), b->accessibilityLabel()});
    }
    for (const std::string& t : popUp->itemTitles()) all.push_back(t);
    all.insert(all.end(), {popUp->title(), popUp->accessibilityLabel()});
    for (long i = 0; i < segments->segmentCount(); ++i) all.push_back(segments->label(i));
    for (const auto* f : {plainLabel.get(), typed.get(), static_cast<toolkit::TextField*>(ownTip.get()),
                          static_cast<toolkit::TextField*>(followingTip.get()), tableCell.get(), insideControl.get(),
                          hiddenLabel.get(), scrolledLabel.get(), outsider.get()}) {
      all.insert(all.end(), {f->stringValue(), f->toolTip(), f->placeholderString()});
    }
    all.insert(all.end(), {table->toolTip(), table->tableColumns()[0]->headerTitle()});
    return all;
  }

  shared_ptr<toolkit::View> root;
  shared_ptr<toolkit::Button> titled, iconOnly, ownLabel, checkbox;
  shared_ptr<toolkit::PopUpButton> popUp;
  shared_ptr<toolkit::SegmentedControl> segments;
  shared_ptr<toolkit::TextField> plainLabel, typed, tableCell, insideControl, hiddenLabel, scrolledLabel, outsider;
  shared_ptr<FollowingLabel> ownTip, followingTip;
  shared_ptr<toolkit::TableView> table;
  shared_ptr<toolkit::ImageView> imageView;
  shared_ptr<toolkit::ScrollView> scroll;
};

TEST_F(LocalizeViewTest, ButtonsTakeTitleAndTooltipAndKeepTheirOwnLabels) {
  useLanguage("en");
  QDLLocalizeView(root.get());
  EXPECT_EQ(root->toolTip(), "Sheets");
  EXPECT_EQ(titled->title(), "Cancel");
  EXPECT_EQ(titled->toolTip(), "Back to list");
  EXPECT_EQ(titled->accessibilityLabel(), "Cancel");
  // An icon-only button is named by its tooltip.
  EXPECT_EQ(iconOnly->title(), "");
  EXPECT_EQ(iconOnly->accessibilityLabel(), "Move up");
  // A label the owner set apart from title and tooltip is translated, not replaced by the title.
  EXPECT_EQ(ownLabel->title(), "Apply");
  EXPECT_EQ(ownLabel->accessibilityLabel(), "Apply paper to selected sheets");
  EXPECT_EQ(checkbox->title(), "Reverse vertical scrolling");
  EXPECT_EQ(checkbox->accessibilityLabel(), "Reverse vertical scrolling");

  useLanguage("zh-Hant");
  QDLLocalizeView(root.get());
  EXPECT_EQ(titled->accessibilityLabel(), "取消");
  EXPECT_EQ(iconOnly->accessibilityLabel(), QDLTraditional("上移"));
  EXPECT_EQ(ownLabel->accessibilityLabel(), QDLTraditional("应用纸张到选中项"));
}

TEST_F(LocalizeViewTest, PopUpsRetitleTheirItemsAndShowTheRetitledSelection) {
  useLanguage("en");
  QDLLocalizeView(root.get());
  EXPECT_EQ(popUp->itemTitles(), (std::vector<std::string>{"Follow CAD", "简体中文", "English"}));
  EXPECT_EQ(popUp->title(), "Follow CAD");
  EXPECT_EQ(popUp->indexOfSelectedItem(), 0);
  // Unlike a button's, a pop-up's accessibility label is its owner's business.
  EXPECT_EQ(popUp->accessibilityLabel(), "语言");

  auto pullDown = make_shared<toolkit::PopUpButton>(Rect{0, 0, 120, 28}, true);
  pullDown->addItemsWithTitles({"切换界面", "精简版"});
  useLanguage("zh-Hant");
  QDLLocalizeView(pullDown.get());
  EXPECT_EQ(pullDown->title(), QDLTraditional("切换界面"));
  EXPECT_EQ(pullDown->itemTitles(), (std::vector<std::string>{QDLTraditional("切换界面"), "精簡版"}));
}

TEST_F(LocalizeViewTest, SegmentsAndFieldsFollowTheirOwnRules) {
  useLanguage("en");
  QDLLocalizeView(root.get());
  EXPECT_EQ(segments->label(0), "Natural");
  EXPECT_EQ(segments->label(1), "Name ascending");
  EXPECT_EQ(segments->label(2), "");
  EXPECT_EQ(plainLabel->stringValue(), "Total sheets");
  // What the user typed stays, even when it reads like a catalogue text; the placeholder is translated.
  EXPECT_EQ(typed->stringValue(), "设置");
  EXPECT_EQ(typed->placeholderString(), "Search sheets");
  // A tooltip that followed the value follows it still; one the owner set apart survives, translated.
  EXPECT_EQ(followingTip->stringValue(), "Excluded");
  EXPECT_EQ(followingTip->toolTip(), "Excluded");
  EXPECT_EQ(ownTip->stringValue(), "Printable");
  EXPECT_EQ(ownTip->toolTip(), "Stop after the current page.");
  EXPECT_EQ(outsider->stringValue(), "图纸 A1-01");
}

TEST_F(LocalizeViewTest, WalksIntoPlainAndHiddenViewsButNotIntoControlsOrTables) {
  for (toolkit::View* v : std::initializer_list<toolkit::View*>{root.get(), table.get(), imageView.get(), scroll.get()}) {
    v->setNeedsDisplay(false);
    v->setNeedsLayout(false);
  }
  useLanguage("en");
  QDLLocalizeView(root.get());
  EXPECT_EQ(hiddenLabel->stringValue(), "Failed");
  EXPECT_EQ(scrolledLabel->stringValue(), "Skipped");
  EXPECT_EQ(insideControl->stringValue(), "完成");
  // A table changes its tooltip and column headers and nothing inside it.
  EXPECT_EQ(table->toolTip(), "Sheet name");
  EXPECT_EQ(table->tableColumns()[0]->headerTitle(), "Sheet name");
  EXPECT_EQ(tableCell->stringValue(), "完成");
  EXPECT_FALSE(table->needsLayout());
  EXPECT_FALSE(table->needsDisplay());
  for (toolkit::View* v : std::initializer_list<toolkit::View*>{root.get(), imageView.get(), scroll.get()}) {
    EXPECT_TRUE(v->needsDisplay());
    EXPECT_TRUE(v->needsLayout());
  }
}

TEST_F(LocalizeViewTest, SwitchingThroughTheLanguagesEndsWithTheFirstChineseTexts) {
  QDLLocalizeView(root.get());
  const std::vector<std::string> chinese = texts();
  useLanguage("en");
  QDLLocalizeView(root.get());
  const std::vector<std::string> english = texts();
  EXPECT_NE(english, chinese);
  useLanguage("zh-Hant");
  QDLLocalizeView(root.get());
  EXPECT_NE(texts(), english);
  useLanguage("zh");
  QDLLocalizeView(root.get());
  EXPECT_EQ(texts(), chinese);
}

}  // namespace

// Controls: what the user does sends the action, what code sets never does; key equivalents; pop-ups and
// segments; text fields with formatters.

#include "toolkit/beep.h"
#include "toolkit/button.h"
#include "toolkit/image_view.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "toolkit_fixture.h"

namespace toolkit_test {
namespace {

using namespace toolkit;

class ControlsTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    window_ = shownWindow(500, 300);
  }
  // Places the control in the window and counts its actions.
  template <typename T>
  std::shared_ptr<T> place(std::shared_ptr<T> control, const Rect& frame) {
    control->setFrame(frame);
    control->setAction([this](Control&) { ++actions_; });
    window_->contentView()->addSubview(control);
    return control;
  }
  std::shared_ptr<Window> window_;
  int actions_ = 0;
};

TEST_F(ControlsTest, SettersNeverSendTheActionAndUserChangesAlwaysDo) {
  auto check = place(Button::checkboxWithTitle("Overwrite", nullptr), {10, 10, 120, 20});
  auto popUp = place(std::make_shared<PopUpButton>(), {10, 40, 160, 24});
  popUp->addItemsWithTitles({"A3", "A4", "A1"});
  auto segments = place(SegmentedControl::withLabels({"Layouts", "Model"}, nullptr), {10, 70, 200, 24});
  auto field = place(TextField::textFieldWithString("100"), {10, 100, 100, 22});
  auto search = place(std::make_shared<SearchField>(), {10, 130, 150, 22});

  check->setState(control_state::on);
  popUp->selectItemAtIndex(2);
  segments->setSelectedSegment(1);
  field->setStringValue("50");
  search->setStringValue("abc");
  EXPECT_EQ(actions_, 0);
  EXPECT_EQ(popUp->titleOfSelectedItem(), "A1");

  EXPECT_EQ(clickView(*check), "");
  EXPECT_EQ(check->state(), control_state::off);
  EXPECT_EQ(chooseItem(*popUp, "A4"), "");
  EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
  EXPECT_EQ(chooseSegment(*segments, "Layouts"), "");
  EXPECT_EQ(segments->selectedSegment(), 0);
  EXPECT_EQ(typeInto(*field, "75"), "");
  EXPECT_EQ(field->integerValue(), 75);
  EXPECT_EQ(actions_, 4);
  // The search field sends on every change, not only when the typing ends.
  search->userType("a");
  search->userType("ab");
  EXPECT_EQ(actions_, 6);
}

TEST_F(ControlsTest, DisabledHiddenAndCoveredControlsTakeNoClicks) {
  auto button = place(Button::buttonWithTitle("Go", nullptr), {10, 10, 80, 24});
  button->setEnabled(false);
  EXPECT_EQ(clickView(*button), "");  // the click happens, but a disabled button ignores it
  button->performClick();
  EXPECT_EQ(actions_, 0);
  button->setEnabled(true);
  auto cover = std::make_shared<View>(Rect{0, 0, 200, 50});
  cover->setIdentifier("cover");
  window_->contentView()->addSubview(cover);
  EXPECT_EQ(clickView(*button), "\"\" is covered by \"cover\".");
  cover->removeFromSuperview();
  button->setHidden(true);
  EXPECT_NE(clickView(*button), "");
  button->setHidden(false);
  EXPECT_EQ(clickView(*button), "");
  EXPECT_EQ(actions_, 1);
  window_->orderOut();
  EXPECT_NE(clickView(*button), "");
}

TEST_F(ControlsTest, KeyEquivalentsNeedTheirExactModifiersAndAnEnabledButton) {
  auto escape = place(Button::buttonWithTitle("Cancel", nullptr), {10, 10, 80, 24});
  escape->setKeyEquivalent(key::escape);
  auto diagnostics = place(Button::buttonWithTitle("Diagnostics", nullptr), {100, 10, 120, 24});
  diagnostics->setKeyEquivalent("d");
  diagnostics->setKeyEquivalentModifierMask(modifier::command);
  int escapes = 0;
  escape->setAction([&](Control&) { ++escapes; });
  const long beeps = beepCount();
  EXPECT_EQ(pressKey(window_.get(), "Escape"), "");
  EXPECT_EQ(escapes, 1);
  EXPECT_EQ(pressKey(window_.get(), "d"), "");  // no Command: nobody takes it, it beeps
  EXPECT_EQ(actions_, 0);
  EXPECT_EQ(beepCount(), beeps + 1);
  EXPECT_EQ(pressKey(nullptr, "cmd+d"), "");  // the key window
  EXPECT_EQ(actions_, 1);
  EXPECT_EQ(pressKey(window_.get(), "cmd+shift+d"), "");
  EXPECT_EQ(actions_, 1);
  escape->setEnabled(false);
  EXPECT_EQ(pressKey(window_.get(), "Escape"), "");
  EXPECT_EQ(escapes, 1);
  EXPECT_NE(pressKey(window_.get(), "hyper+x"), "");
}

TEST_F(ControlsTest, CheckBoxesRadiosAndTogglesChangeStateBeforeTheAction) {
  std::vector<long> seen;
  auto check = Button::checkboxWithTitle("Merge", [&](Control& c) { seen.push_back(static_cast<Button&>(c).state()); });
  check->setAllowsMixedState(true);
  check->setState(control_state::mixed);
  check->performClick();
  check->performClick();
  auto radio = Button::radioButtonWithTitle("One", [&](Control& c) { seen.push_back(static_cast<Button&>(c).state()); });
  radio->performClick();
  radio->performClick();
  EXPECT_EQ(seen, (std::vector<long>{control_state::on, control_state::off, control_state::on, control_state::on}));
  // Mixed is only kept by a button that allows it.
  auto plain = Button::checkboxWithTitle("x", nullptr);
  plain->setState(control_state::mixed);
  EXPECT_EQ(plain->state(), control_state::on);
}

TEST_F(ControlsTest, AnAccessibilityLabelThatCameFromTheTitleFollowsIt) {
  auto fromTitle = Button::buttonWithTitle("Stop queue", {});
  fromTitle->setAccessibilityLabel(fromTitle->title());
  fromTitle->setTitle("Cancel scan");
  EXPECT_EQ(fromTitle->accessibilityLabel(), "Cancel scan");
  // The owner's own label stays.
  auto own = Button::buttonWithTitle("Apply", {});
  own->setAccessibilityLabel("Apply paper to selection");
  own->setTitle("Apply all");
  EXPECT_EQ(own->accessibilityLabel(), "Apply paper to selection");
  // Wording moved from the title to the tooltip stays the label; an unlabelled button stays unlabelled.
  auto iconOnly = Button::buttonWithTitle("Reveal", {});
  iconOnly->setAccessibilityLabel(iconOnly->title());
  iconOnly->setTitle("");
  EXPECT_EQ(iconOnly->accessibilityLabel(), "Reveal");
  auto unlabelled = Button::buttonWithTitle("Start", {});
  unlabelled->setTitle("Resume");
  EXPECT_EQ(unlabelled->accessibilityLabel(), "");
}

TEST_F(ControlsTest, PopUpItemsSelectionAndRepresentedValues) {
  PopUpButton popUp;
  EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
  popUp.addItemsWithTitles({"monochrome.ctb", "acad.ctb"});
  popUp.itemAtIndex(1)->setRepresentedObject("acad");
  EXPECT_EQ(popUp.indexOfSelectedItem(), 0);  // the first item added is selected
  EXPECT_TRUE(popUp.selectItemWithRepresentedObject("acad"));
  EXPECT_EQ(popUp.title(), "acad.ctb");
  EXPECT_FALSE(popUp.selectItemWithRepresentedObject("none"));
  EXPECT_EQ(popUp.indexOfSelectedItem(), 1);
  popUp.addItemWithTitle("monochrome.ctb");  // a title already there moves to the end
  EXPECT_EQ(popUp.itemTitles(), (std::vector<std::string>{"acad.ctb", "monochrome.ctb"}));
  popUp.selectItemAtIndex(7);
  EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
  popUp.itemAtIndex(0)->setEnabled(false);
  EXPECT_FALSE(popUp.userSelectItem(0));
  EXPECT_FALSE(popUp.userSelectItem(5));
  popUp.removeAllItems();
  EXPECT_EQ(popUp.numberOfItems(), 0);
  EXPECT_EQ(popUp.titleOfSelectedItem(), "");
  // A pull-down always shows its first item.
  PopUpButton pullDown({}, true);
  pullDown.addItemsWithTitles({"Actions", "Reveal", "Delete"});
  EXPECT_TRUE(pullDown.userSelectItem(2));
  EXPECT_EQ(pullDown.title(), "Actions");
  EXPECT_EQ(pullDown.indexOfSelectedItem(), 2);
}

TEST_F(ControlsTest, SegmentsCountWidthsAndSelection) {
  auto control = SegmentedControl::withLabels({"A", "B", "C"}, nullptr);
  control->setSelectedSegment(2);
  control->setSegmentCount(2);
  EXPECT_EQ(control->selectedSegment(), -1);
  EXPECT_EQ(control->label(5), "");
  control->setWidth(40, 0);
  control->setWidth(-3, 1);
  EXPECT_EQ(control->width(0), 40);
  EXPECT_EQ(control->width(1), 0);
  control->setEnabled(false, 1);
  EXPECT_FALSE(control->userSelectSegment(1));
  EXPECT_TRUE(control->userSelectSegment(0));
}

TEST_F(ControlsTest, TextFieldsReadIntegersLikeSystemStringsAndFormattersCanRefuse) {
  struct Case {
    const char* text;
    std::int64_t value;
  };
  for (const Case& c : {Case{"  42", 42}, Case{"-7 pages", -7}, Case{"3.9", 3}, Case{"x1", 0}, Case{"", 0},
                        Case{"+12", 12}, Case{"99999999999999999999", INT64_MAX}}) {
    TextField field;
    field.setStringValue(c.text);
    EXPECT_EQ(field.integerValue(), c.value) << c.text;
  }
  auto field = place(TextField::textFieldWithString("100"), {10, 10, 100, 22});
  auto formatter = std::make_shared<IntegerFormatter>();
  formatter->minimum = 1;
  formatter->maximum = 100;
  field->setFormatter(formatter);
  EXPECT_EQ(typeInto(*field, "250"), "The field refused the text: The value must be at most 100.");
  EXPECT_TRUE(field->isEditing());
  EXPECT_EQ(field->stringValue(), "250");
  // The field keeps editing, so it cannot be left.
  EXPECT_FALSE(window_->makeFirstResponder(nullptr));
  EXPECT_EQ(actions_, 0);
  EXPECT_EQ(typeInto(*field, " 80 "), "");
  EXPECT_EQ(field->integerValue(), 80);
  EXPECT_EQ(actions_, 1);
  // A label cannot be typed into.
  auto label = place(TextField::labelWithString("Status"), {10, 40, 100, 20});
  EXPECT_EQ(typeInto(*label, "x"), "The field is not editable.");
}

TEST_F(ControlsTest, NaturalSizesFollowTheTextMeasurer) {
  // Fixed advances: 13-point narrow characters are 6.5 wide.
  auto label = TextField::labelWithString("abcd");
  EXPECT_EQ(label->intrinsicContentSize().width, 26 + 4);
  auto check = Button::checkboxWithTitle("abcd", nullptr);
  EXPECT_EQ(check->intrinsicContentSize().width, 14 + 6 + 26 + 2);
  EXPECT_EQ(TextField::textFieldWithString("x")->intrinsicContentSize().width, kNoIntrinsicMetric);
  auto image = ImageView::withImage(graphics::Image::systemSymbol("eye"));
  EXPECT_EQ(image->intrinsicContentSize(), (Size{20, 14}));
  image->setFrameSize({40, 40});
  EXPECT_EQ(image->imageRect(), (Rect{0, 6, 40, 28}));
}

}  // namespace
}  // namespace toolkit_test

#include "ui/localize_view.h"

#include <memory>
#include <string>
#include <vector>

#include "toolkit/button.h"
#include "toolkit/menu.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/view.h"
#include "ui/localisation.h"

namespace {

void localizePopUp(toolkit::PopUpButton& popUp) {
  for (long i = 0; i < popUp.numberOfItems(); ++i) {
    toolkit::MenuItem* item = popUp.itemAtIndex(i);
    item->setTitle(QDLT(item->title()));
  }
  // Selecting the same item again makes the button show the retitled item.
  popUp.selectItemAtIndex(popUp.indexOfSelectedItem());
}

// `oldToolTip` is the tooltip before it was translated.
void localizeButton(toolkit::Button& button, const std::string& oldToolTip) {
  const std::string oldTitle = button.title();
  // A label of the owner's own (neither the title nor the tooltip) is translated rather than replaced.
  const std::string label = button.accessibilityLabel();
  button.setTitle(QDLT(oldTitle));
  if (!label.empty() && label != oldTitle && label != oldToolTip) {
    button.setAccessibilityLabel(QDLT(label));
  } else {
    button.setAccessibilityLabel(!button.title().empty() ? button.title() : button.toolTip());
  }
}

void localizeSegments(toolkit::SegmentedControl& control) {
  for (long i = 0; i < control.segmentCount(); ++i) control.setLabel(QDLT(control.label(i)), i);
}

void localizeTextField(toolkit::TextField& field, const std::string& oldToolTip) {
  // Editable fields hold what the user typed, or a path or a name.
  if (!field.isEditable()) {
    const std::string oldValue = field.stringValue();
    const std::string toolTip = field.toolTip();
    field.setStringValue(QDLT(oldValue));
    // Labels whose tooltip follows their value would lose a tooltip the owner set apart from the value.
    if (oldToolTip != oldValue && field.toolTip() != toolTip) field.setToolTip(toolTip);
  }
  if (!field.placeholderString().empty()) field.setPlaceholderString(QDLT(field.placeholderString()));
}

}  // namespace

void QDLLocalizeView(toolkit::View* view) {
  if (view == nullptr) return;
  const std::string oldToolTip = view->toolTip();
  if (!oldToolTip.empty()) view->setToolTip(QDLT(oldToolTip));

  // A pop-up button is also a button, so it is tested first.
  if (auto* popUp = dynamic_cast<toolkit::PopUpButton*>(view)) {
    localizePopUp(*popUp);
  } else if (auto* button = dynamic_cast<toolkit::Button*>(view)) {
    localizeButton(*button, oldToolTip);
  } else if (auto* segmented = dynamic_cast<toolkit::SegmentedControl*>(view)) {
    localizeSegments(*segmented);
  } else if (auto* field = dynamic_cast<toolkit::TextField*>(view)) {
    localizeTextField(*field, oldToolTip);
  }

  // Tables fill their cells from their data source, which formats its own texts.
  if (auto* table = dynamic_cast<toolkit::TableView*>(view)) {
    for (const auto& column : table->tableColumns()) column->setHeaderTitle(QDLT(column->headerTitle()));
    return;
  }
  view->setNeedsDisplay(true);
  view->setNeedsLayout(true);
  if (dynamic_cast<toolkit::Control*>(view) != nullptr) return;
  // A copy, so that an owner reacting to a change cannot pull the list from under the walk.
  const std::vector<std::shared_ptr<toolkit::View>> subviews = view->subviews();
  for (const auto& subview : subviews) QDLLocalizeView(subview.get());
}

#include "toolkit/pop_up_button.h"

#include <algorithm>
#include <cmath>

#include "graphics/text_measurer.h"
#include "toolkit/control_drawing.h"
#include "toolkit/modal_responder.h"

namespace toolkit {

PopUpButton::PopUpButton(const Rect& frame, bool pullsDown) : Button(frame), pullsDown_(pullsDown) {
  setBezelStyle(BezelStyle::push);
}

void PopUpButton::setPullsDown(bool on) {
  pullsDown_ = on;
  syncTitle();
}

void PopUpButton::addItemWithTitle(const std::string& title) { insertItemWithTitle(title, numberOfItems()); }

void PopUpButton::addItemsWithTitles(const std::vector<std::string>& titles) {
  for (const std::string& title : titles) addItemWithTitle(title);
}

void PopUpButton::insertItemWithTitle(const std::string& title, long index) {
  // Titles are unique in a pop-up: an item of the same title goes first.
  if (const long old = indexOfItemWithTitle(title); old >= 0) {
    menu_->removeItemAtIndex(old);
    if (old < index) --index;
  }
  menu_->insertItem(std::make_shared<MenuItem>(title, MenuItem::Action{}), index);
  if (indexOfSelectedItem() < 0 && !pullsDown_) selectItemAtIndex(0);
  syncTitle();
}

void PopUpButton::removeItemAtIndex(long index) {
  menu_->removeItemAtIndex(index);
  if (indexOfSelectedItem() < 0 && numberOfItems() > 0 && !pullsDown_) selectItemAtIndex(0);
  syncTitle();
}

void PopUpButton::removeAllItems() {
  menu_->removeAllItems();
  selected_.reset();
  syncTitle();
}

std::vector<std::string> PopUpButton::itemTitles() const {
  std::vector<std::string> titles;
  for (const auto& item : menu_->items()) titles.push_back(item->title());
  return titles;
}

long PopUpButton::indexOfItemWithRepresentedObject(const std::string& value) const {
  return menu_->indexOfItemWithRepresentedObject(value);
}

void PopUpButton::selectItemAtIndex(long index) {
  MenuItem* item = itemAtIndex(index);
  selected_ = item != nullptr ? item->weak_from_this() : std::weak_ptr<MenuItem>();
  syncTitle();
}

void PopUpButton::selectItemWithTitle(const std::string& title) { selectItemAtIndex(indexOfItemWithTitle(title)); }

bool PopUpButton::selectItemWithRepresentedObject(const std::string& value) {
  const long index = indexOfItemWithRepresentedObject(value);
  if (index < 0) return false;
  selectItemAtIndex(index);
  return true;
}

long PopUpButton::indexOfSelectedItem() const {
  const auto item = selected_.lock();
  return item ? menu_->indexOfItem(item.get()) : -1;
}

std::string PopUpButton::titleOfSelectedItem() const {
  const MenuItem* item = selectedItem();
  return item != nullptr ? item->title() : std::string();
}

bool PopUpButton::userSelectItem(long index) {
  MenuItem* item = itemAtIndex(index);
  if (!isEnabled() || item == nullptr || !item->isEnabled() || item->isHidden() || item->isSeparatorItem()) return false;
  selectItemAtIndex(index);
  const std::shared_ptr<MenuItem> keep = item->shared_from_this();
  keep->perform();
  sendAction();
  return true;
}

void PopUpButton::clicked(const Event& event) {
  MenuItem* picked = ModalResponder::shared().pickFromMenu(*menu_, &event, this);
  if (picked != nullptr) userSelectItem(menu_->indexOfItem(picked));
}

void PopUpButton::syncTitle() {
  // A pull-down always shows its first item; a pop-up its selection.
  const MenuItem* shown = pullsDown_ ? itemAtIndex(0) : selectedItem();
  Button::setTitle(shown != nullptr ? shown->title() : std::string());
}

Size PopUpButton::intrinsicContentSize() const {
  double widest = 0;
  for (const auto& item : menu_->items()) {
    if (!item->isSeparatorItem()) widest = std::max(widest, graphics::textMeasurer().width(item->title(), font()));
  }
  return {std::ceil(widest) + 40, std::max(24.0, std::ceil(font().lineHeight()) + 4)};
}

void PopUpButton::drawRect(graphics::GraphicsContext& context, const Rect&) {
  const Rect box = bounds();
  if (isBordered()) plain::bezel(context, box, isHighlighted(), isEnabled(), false);
  const graphics::Color ink = isEnabled() ? graphics::Color::named(graphics::SystemColor::controlText)
                                          : graphics::Color::named(graphics::SystemColor::disabledControlText);
  plain::label(context, title(), {10, 0, std::max(0.0, box.width() - 32), box.height()}, font(), ink,
               graphics::TextAlignment::left);
  plain::popUpArrows(context, {box.maxX() - 20, 0, 14, box.height()}, pullsDown_, isEnabled());
}

}  // namespace toolkit

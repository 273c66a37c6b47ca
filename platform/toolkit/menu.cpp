#include "toolkit/menu.h"

#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/modal_responder.h"

namespace toolkit {

MenuItem::MenuItem(std::string title, Action action, std::string keyEquivalent)
    : title_(std::move(title)), action_(std::move(action)), keyEquivalent_(std::move(keyEquivalent)) {}

std::shared_ptr<MenuItem> MenuItem::separatorItem() {
  auto item = std::make_shared<MenuItem>();
  item->separator_ = true;
  item->enabled_ = false;
  return item;
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> submenu) { submenu_ = std::move(submenu); }

bool MenuItem::perform() {
  if (separator_ || hidden_ || !enabled_ || submenu_ || !action_) return false;
  const Action action = action_;
  const auto keep = weak_from_this().lock();
  return Application::shared().sendAction([&] { action(*this); });
}

Menu::~Menu() {
  for (const auto& item : items_) item->menu_ = nullptr;
}

MenuItem* Menu::itemAtIndex(long index) const {
  if (index < 0 || index >= numberOfItems()) return nullptr;
  return items_[static_cast<std::size_t>(index)].get();
}

void Menu::addItem(const std::shared_ptr<MenuItem>& item) { insertItem(item, numberOfItems()); }

void Menu::insertItem(const std::shared_ptr<MenuItem>& item, long index) {
  if (!item) return;
  const std::shared_ptr<MenuItem> keep = item;
  if (Menu* old = keep->menu_) {
    std::erase_if(old->items_, [&](const auto& i) { return i.get() == keep.get(); });
  }
  index = std::clamp(index, 0L, numberOfItems());
  items_.insert(items_.begin() + index, keep);
  keep->menu_ = this;
}

std::shared_ptr<MenuItem> Menu::addItemWithTitle(const std::string& title, MenuItem::Action action,
                                                 const std::string& keyEquivalent) {
  auto item = std::make_shared<MenuItem>(title, std::move(action), keyEquivalent);
  addItem(item);
  return item;
}

void Menu::removeItemAtIndex(long index) {
  if (index < 0 || index >= numberOfItems()) return;
  items_[static_cast<std::size_t>(index)]->menu_ = nullptr;
  items_.erase(items_.begin() + index);
}

void Menu::removeAllItems() {
  for (const auto& item : items_) item->menu_ = nullptr;
  items_.clear();
}

long Menu::indexOfItem(const MenuItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == item) return static_cast<long>(i);
  }
  return -1;
}

long Menu::indexOfItemWithTitle(const std::string& title) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i]->isSeparatorItem() && items_[i]->title() == title) return static_cast<long>(i);
  }
  return -1;
}

long Menu::indexOfItemWithTag(long tag) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->tag() == tag) return static_cast<long>(i);
  }
  return -1;
}

long Menu::indexOfItemWithRepresentedObject(const std::string& value) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->representedObject() == value) return static_cast<long>(i);
  }
  return -1;
}

MenuItem* Menu::itemWithTitle(const std::string& title) const { return itemAtIndex(indexOfItemWithTitle(title)); }

MenuItem* Menu::itemWithIdentifier(const std::string& identifier) const {
  if (identifier.empty()) return nullptr;
  for (const auto& item : items_) {
    if (item->identifier() == identifier) return item.get();
  }
  return nullptr;
}

MenuItem* Menu::popUpContextMenu(Menu& menu, const Event* event, View* view) {
  MenuItem* picked = ModalResponder::shared().pickFromMenu(menu, event, view);
  if (picked != nullptr) picked->perform();
  return picked;
}

}  // namespace toolkit

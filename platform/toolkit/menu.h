#pragma once
// Menus and their items: titles, actions, key equivalents, represented values, check marks, submenus and
// separators. Showing a context menu asks the modal responder which item the user picks.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/image.h"

namespace toolkit {

class Event;
class Menu;
class View;

class MenuItem : public std::enable_shared_from_this<MenuItem> {
 public:
  using Action = std::function<void(MenuItem& sender)>;

  MenuItem() = default;
  MenuItem(std::string title, Action action, std::string keyEquivalent = {});
  static std::shared_ptr<MenuItem> separatorItem();

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }
  // Names the item whatever its title's language, for scripts and accessibility.
  const std::string& identifier() const { return identifier_; }
  void setIdentifier(const std::string& identifier) { identifier_ = identifier; }
  const Action& action() const { return action_; }
  void setAction(Action action) { action_ = std::move(action); }
  const std::string& keyEquivalent() const { return keyEquivalent_; }
  void setKeyEquivalent(const std::string& key) { keyEquivalent_ = key; }
  std::uint64_t keyEquivalentModifierMask() const { return keyModifiers_; }
  void setKeyEquivalentModifierMask(std::uint64_t mask) { keyModifiers_ = mask; }
  // A value the item stands for; a text is all the system keeps here.
  const std::optional<std::string>& representedObject() const { return represented_; }
  void setRepresentedObject(std::optional<std::string> value) { represented_ = std::move(value); }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  // 1: check mark, 0: none, -1: mixed.
  long state() const { return state_; }
  void setState(long state) { state_ = state < 0 ? -1 : state > 0 ? 1 : 0; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool on) { hidden_ = on; }
  const std::shared_ptr<graphics::Image>& image() const { return image_; }
  void setImage(std::shared_ptr<graphics::Image> image) { image_ = std::move(image); }
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(const std::string& text) { toolTip_ = text; }
  bool isSeparatorItem() const { return separator_; }
  const std::shared_ptr<Menu>& submenu() const { return submenu_; }
  void setSubmenu(std::shared_ptr<Menu> submenu);
  bool hasSubmenu() const { return submenu_ != nullptr; }
  // The menu the item is in, or nullptr.
  Menu* menu() const { return menu_; }

  // What choosing the item does: its action, unless it is disabled, hidden, a separator or has a submenu.
  // Returns whether an action ran.
  bool perform();

 private:
  friend class Menu;
  std::string title_;
  std::string identifier_;
  Action action_;
  std::string keyEquivalent_;
  std::uint64_t keyModifiers_ = 0;
  std::optional<std::string> represented_;
  long tag_ = 0;
  long state_ = 0;
  bool enabled_ = true;
  bool hidden_ = false;
  bool separator_ = false;
  std::shared_ptr<graphics::Image> image_;
  std::string toolTip_;
  std::shared_ptr<Menu> submenu_;
  Menu* menu_ = nullptr;
};

class Menu {
 public:
  explicit Menu(std::string title = {}) : title_(std::move(title)) {}
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }

  const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }
  long numberOfItems() const { return static_cast<long>(items_.size()); }
  // nullptr out of range.
  MenuItem* itemAtIndex(long index) const;
  // An item already in another menu is moved.
  void addItem(const std::shared_ptr<MenuItem>& item);
  void insertItem(const std::shared_ptr<MenuItem>& item, long index);
  std::shared_ptr<MenuItem> addItemWithTitle(const std::string& title, MenuItem::Action action = {},
                                             const std::string& keyEquivalent = {});
  void removeItemAtIndex(long index);
  void removeAllItems();
  // -1 when absent.
  long indexOfItem(const MenuItem* item) const;
  long indexOfItemWithTitle(const std::string& title) const;
  long indexOfItemWithTag(long tag) const;
  long indexOfItemWithRepresentedObject(const std::string& value) const;
  MenuItem* itemWithTitle(const std::string& title) const;
  MenuItem* itemWithIdentifier(const std::string& identifier) const;

  // Shows the menu at the event's location in the view and lets the user pick (see ModalResponder); the picked
  // item's action runs. Returns the picked item, or nullptr when the menu was dismissed.
  static MenuItem* popUpContextMenu(Menu& menu, const Event* event, View* view);

 private:
  std::string title_;
  std::vector<std::shared_ptr<MenuItem>> items_;
};

}  // namespace toolkit

#pragma once
// A pop-up button shows the item chosen from its menu; a pull-down button shows a fixed title (its first
// item) and acts on the item chosen. Selecting from code never sends the action; choosing as the user does.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/button.h"
#include "toolkit/menu.h"

namespace toolkit {

class PopUpButton : public Button {
 public:
  explicit PopUpButton(const Rect& frame = {}, bool pullsDown = false);

  bool pullsDown() const { return pullsDown_; }
  void setPullsDown(bool on);
  Menu& menu() const { return *menu_; }

  void addItemWithTitle(const std::string& title);
  void addItemsWithTitles(const std::vector<std::string>& titles);
  void insertItemWithTitle(const std::string& title, long index);
  void removeItemAtIndex(long index);
  void removeAllItems();
  long numberOfItems() const { return menu_->numberOfItems(); }
  // nullptr out of range.
  MenuItem* itemAtIndex(long index) const { return menu_->itemAtIndex(index); }
  MenuItem* lastItem() const { return itemAtIndex(numberOfItems() - 1); }
  std::vector<std::string> itemTitles() const;
  long indexOfItemWithTitle(const std::string& title) const { return menu_->indexOfItemWithTitle(title); }
  long indexOfItemWithRepresentedObject(const std::string& value) const;

  // Out-of-range indexes (and -1) select nothing.
  void selectItemAtIndex(long index);
  void selectItemWithTitle(const std::string& title);
  // False when no item has that value (the selection is then left alone).
  bool selectItemWithRepresentedObject(const std::string& value);
  // -1 when nothing is selected.
  long indexOfSelectedItem() const;
  MenuItem* selectedItem() const { return itemAtIndex(indexOfSelectedItem()); }
  std::string titleOfSelectedItem() const;

  // The user chooses an item: selected, then its own action and the button's action run. A disabled button,
  // a disabled, hidden or separator item, or an index out of range changes nothing; returns whether it took.
  bool userSelectItem(long index);

  Size intrinsicContentSize() const override;
  void drawRect(graphics::GraphicsContext& context, const Rect& dirtyRect) override;

 protected:
  // A click opens the menu; the item picked (see ModalResponder) is chosen.
  void clicked(const Event& event) override;

 private:
  void syncTitle();
  bool pullsDown_;
  std::shared_ptr<Menu> menu_ = std::make_shared<Menu>();
  std::weak_ptr<MenuItem> selected_;
};

}  // namespace toolkit

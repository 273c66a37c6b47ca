#pragma once
// A menu as it shows when open, for pictures and the fit check: a window holding the menu's items (check mark,
// title, the arrow of a submenu, separator lines), and beside it the given open submenu at the level of its item.
// The toolkit shows menus only as records; this draws them as the platform lays its menus out.

#include <memory>

namespace toolkit {
class Menu;
class Window;
}  // namespace toolkit

namespace ui_test {

// `open` is the submenu shown open; it must be the submenu of one of `menu`'s items.
std::unique_ptr<toolkit::Window> menuWindow(const toolkit::Menu& open, const toolkit::Menu& menu);

}  // namespace ui_test

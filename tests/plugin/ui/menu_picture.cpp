#include "menu_picture.h"

#include <algorithm>

#include "graphics/color.h"
#include "graphics/font.h"
#include "toolkit/menu.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"

namespace ui_test {
namespace {

constexpr double kRow = 22;        // an item's height
constexpr double kSeparator = 11;  // a separator's height
constexpr double kInset = 5;       // above the first and below the last item
constexpr double kCheckColumn = 22;
constexpr double kArrowColumn = 24;

std::shared_ptr<toolkit::TextField> text(const std::string& value, const toolkit::Rect& frame) {
  auto label = toolkit::TextField::labelWithString(value);
  label->setFont(graphics::Font::system(13));
  label->setFrame(frame);
  return label;
}

double heightOf(const toolkit::Menu& menu) {
  double height = 2 * kInset;
  for (const auto& item : menu.items()) height += item->isSeparatorItem() ? kSeparator : kRow;
  return height;
}

double widthOf(const toolkit::Menu& menu) {
  double widest = 0;
  for (const auto& item : menu.items()) {
    if (!item->isSeparatorItem()) widest = std::max(widest, text(item->title(), {})->intrinsicContentSize().width);
  }
  return kCheckColumn + widest + kArrowColumn;
}

// The menu's items in a plate at `x`, `y`; returns the top of the row of `open`'s item.
double place(toolkit::View& content, const toolkit::Menu& menu, double x, double y, const toolkit::Menu* open) {
  const double width = widthOf(menu);
  auto plate = toolkit::TextField::labelWithString("");
  plate->setDrawsBackground(true);
  plate->setBackgroundColor(graphics::Color::grey(0.96));
  plate->setFrame({x, y, width, heightOf(menu)});
  content.addSubview(plate);
  double row = y + kInset;
  double openRow = y;
  for (const auto& item : menu.items()) {
    if (item->isSeparatorItem()) {
      auto line = toolkit::TextField::labelWithString("");
      line->setDrawsBackground(true);
      line->setBackgroundColor(graphics::Color::grey(0.82));
      line->setFrame({x + 10, row + kSeparator / 2, width - 20, 1});
      content.addSubview(line);
      row += kSeparator;
      continue;
    }
    if (item->state() == 1) content.addSubview(text("✓", {x + 6, row + 2, 14, kRow - 4}));
    content.addSubview(text(item->title(), {x + kCheckColumn, row + 2, width - kCheckColumn - kArrowColumn, kRow - 4}));
    if (item->hasSubmenu()) {
      content.addSubview(text("›", {x + width - kArrowColumn + 8, row + 2, 12, kRow - 4}));
      if (item->submenu().get() == open) openRow = row - kInset;
    }
    row += kRow;
  }
  return openRow;
}

}  // namespace

std::unique_ptr<toolkit::Window> menuWindow(const toolkit::Menu& open, const toolkit::Menu& menu) {
  const double gap = 2;
  const double mainWidth = widthOf(menu);
  const double width = mainWidth + gap + widthOf(open) + 2;
  // The submenu opens level with its item; the window holds both.
  double openTop = 0;
  for (const auto& item : menu.items()) {
    if (item->submenu().get() == &open) break;
    openTop += item->isSeparatorItem() ? kSeparator : kRow;
  }
  const double height = std::max(heightOf(menu), openTop + heightOf(open)) + 2;
  auto window = std::make_unique<toolkit::Window>(toolkit::Rect{0, 0, width, height}, toolkit::window_style::borderless);
  window->setIdentifier("menu");
  toolkit::View& content = *window->contentView();
  content.setFlipped(true);
  place(content, menu, 1, 1, &open);
  place(content, open, 1 + mainWidth + gap, 1 + openTop, nullptr);
  return window;
}

}  // namespace ui_test

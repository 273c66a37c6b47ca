#pragma once
// Whether a window's texts fit their places, measured with the real fonts: each visible text shows whole (no
// ellipsis, no wrapped line left out), its glyphs' ink stays inside its view, and no two views' texts overlap.

#include <set>
#include <string>
#include <vector>

namespace toolkit {
class View;
class Window;
}  // namespace toolkit

namespace ui_test {

struct Misfit {
  std::string view;  // the view's class and identity, for the message
  std::string text;
  std::string problem;
};

// `mayTruncate`: views whose texts are designed to give way (their tooltip holds the whole).
std::vector<Misfit> textMisfits(toolkit::Window& window, const std::set<const toolkit::View*>& mayTruncate);

std::string describe(const std::vector<Misfit>& misfits);

}  // namespace ui_test

#include "window_names.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/view.h"
#include "toolkit/window.h"

namespace cadhost {

namespace {

// A title as a person copies it from a picture: letter case, runs of blanks and the look-alike middle dots and
// bullets do not matter.
std::string looseTitle(const std::string& title) {
  std::string out;
  for (std::size_t i = 0; i < title.size();) {
    static const std::vector<std::string> dots = {"\u00B7", "\u2022", "\u2027", "\u2219", "\u22C5", "\u30FB"};
    bool dot = false;
    for (const std::string& d : dots) {
      if (title.compare(i, d.size(), d) == 0) {
        out += "\u00B7";
        i += d.size();
        dot = true;
        break;
      }
    }
    if (dot) continue;
    const unsigned char c = static_cast<unsigned char>(title[i++]);
    if (std::isspace(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
      continue;
    }
    out += static_cast<char>(std::tolower(c));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// "order-12" stands for a view of each table row: "order-N".
std::string rowForm(const std::string& identifier) {
  const std::size_t dash = identifier.rfind('-');
  if (dash == std::string::npos || dash == 0 || dash + 1 == identifier.size()) return identifier;
  for (std::size_t i = dash + 1; i < identifier.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(identifier[i]))) return identifier;
  }
  return identifier.substr(0, dash) + "-N";
}

void collectViewNames(const toolkit::View& view, std::vector<std::string>& names) {
  if (!view.identifier().empty()) {
    const std::string name = rowForm(view.identifier());
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  for (const auto& subview : view.subviews()) collectViewNames(*subview, names);
}

}  // namespace

toolkit::Window* windowByLooseTitle(const std::string& name) {
  const std::string wanted = looseTitle(name);
  toolkit::Window* found = nullptr;
  for (toolkit::Window* w : toolkit::Application::shared().windows()) {
    if (w->title().empty() || looseTitle(w->title()) != wanted) continue;
    if (found != nullptr) return nullptr;
    found = w;
  }
  return found;
}

std::string windowNames() {
  std::string names;
  for (const toolkit::Window* w : toolkit::Application::shared().windows()) {
    std::string name = w->identifier().empty() ? "\"" + w->title() + "\"" : w->identifier();
    if (!w->identifier().empty() && !w->title().empty()) name += " (\"" + w->title() + "\")";
    if (!w->isVisible()) name += " (not showing)";
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names.empty() ? "No window is open." : "The windows: " + names + ".";
}

std::string viewNames(toolkit::Window& window) {
  std::vector<std::string> names;
  collectViewNames(window.frameView(), names);
  if (names.empty()) return "It has no named view.";
  std::string text = "Its views: ";
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : ", ") + names[i];
  return text + ".";
}

}  // namespace cadhost

#include "toolkit/user_actions.h"

#include <cctype>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/segmented_control.h"
#include "toolkit/text_field.h"
#include "toolkit/window.h"

namespace toolkit {

namespace {

void deliverQueued() {
  Application& app = Application::shared();
  app.pumpEvents(app.pendingEventCount());
}

// "#3" → 2; anything else -1.
long position(const std::string& text) {
  if (text.size() < 2 || text[0] != '#') return -1;
  long n = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) || n > 100000) return -1;
    n = n * 10 + (text[i] - '0');
  }
  return n - 1;
}

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Where a click on the view lands, in its window; the reason when it cannot.
std::string target(View& view, Window*& window, Point& point) {
  window = view.window();
  if (window == nullptr || !window->isVisible()) return "The window is not showing.";
  if (view.isHiddenOrHasHiddenAncestor()) return "\"" + view.identifier() + "\" is hidden.";
  window->layoutIfNeeded();
  point = view.convertPointToView(view.bounds().center(), nullptr);
  View* hit = window->frameView().hitTest(point);
  if (hit == nullptr || !hit->isDescendantOf(view)) {
    return "\"" + view.identifier() + "\" is covered" + (hit && !hit->identifier().empty() ? " by \"" + hit->identifier() + "\"" : "") + ".";
  }
  return {};
}

std::string queueClicks(View& view, int clickCount, std::uint64_t modifierFlags) {
  Window* window = nullptr;
  Point point;
  if (std::string why = target(view, window, point); !why.empty()) return why;
  Application& app = Application::shared();
  for (int click = 1; click <= clickCount; ++click) {
    app.postEvent(Event::mouse(EventType::leftMouseDown, window->windowNumber(), point, click, modifierFlags));
    app.postEvent(Event::mouse(EventType::leftMouseUp, window->windowNumber(), point, click, modifierFlags));
  }
  return {};
}

std::string queueKey(Window* window, const std::string& keyName) {
  std::uint64_t flags = 0;
  std::string rest = keyName;
  for (;;) {
    const auto plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    const std::string mod = lowered(rest.substr(0, plus));
    if (mod == "cmd" || mod == "command") flags |= modifier::command;
    else if (mod == "shift") flags |= modifier::shift;
    else if (mod == "option" || mod == "alt") flags |= modifier::option;
    else if (mod == "ctrl" || mod == "control") flags |= modifier::control;
    else return "Unknown modifier \"" + mod + "\".";
    rest = rest.substr(plus + 1);
  }
  const std::string name = lowered(rest);
  std::string characters;
  if (name == "escape" || name == "esc") characters = key::escape;
  else if (name == "return" || name == "enter") characters = key::carriageReturn;
  else if (name == "tab") characters = key::tab;
  else if (name == "space") characters = " ";
  else if (name == "delete" || name == "backspace") characters = key::backspace;
  else if (rest.size() == 1) characters = name;
  else return "Unknown key \"" + rest + "\".";
  Application& app = Application::shared();
  Window* target = window != nullptr ? window : app.keyWindow();
  if (target == nullptr || !target->isVisible()) return "No window takes the key.";
  app.postEvent(Event::keyDown(target->windowNumber(), characters, flags));
  return {};
}

}  // namespace

Window* findWindow(const std::string& name) {
  const std::vector<Window*> windows = Application::shared().windows();
  for (Window* w : windows) {
    if (!w->identifier().empty() && w->identifier() == name) return w;
  }
  for (Window* w : windows) {
    if (w->title() == name) return w;
  }
  return nullptr;
}

View* findView(Window& window, const std::string& identifier) {
  if (identifier.empty()) return nullptr;
  return window.frameView().viewWithIdentifier(identifier);
}

std::string clickView(View& view, int clickCount, std::uint64_t modifierFlags) {
  std::string why = queueClicks(view, clickCount, modifierFlags);
  if (why.empty()) deliverQueued();
  return why;
}

std::string typeInto(TextField& field, const std::string& text) {
  if (field.window() == nullptr || !field.window()->isVisible()) return "The window is not showing.";
  if (field.isHiddenOrHasHiddenAncestor()) return "The field is hidden.";
  if (!field.isEnabled()) return "The field is disabled.";
  if (!field.isEditable()) return "The field is not editable.";
  field.userType(text);
  if (field.isEditing() && !field.userCommit()) return "The field refused the text: " + field.lastRefusal();
  return {};
}

std::string chooseItem(PopUpButton& popUp, const std::string& item) {
  long index = position(item);
  if (index < 0) index = popUp.indexOfItemWithTitle(item);
  MenuItem* chosen = popUp.itemAtIndex(index);
  if (chosen == nullptr) return "The pop-up has no item \"" + item + "\".";
  if (!popUp.isEnabled()) return "The pop-up is disabled.";
  if (!chosen->isEnabled() || chosen->isSeparatorItem()) return "The item \"" + item + "\" cannot be chosen.";
  ModalResponder::shared().pickNextMenuItem({chosen->title()});
  const std::size_t pending = ModalResponder::shared().pendingMenuPicks();
  std::string why = clickView(popUp);
  // A click that did not reach the pop-up leaves its pick unused; it must not answer a later menu.
  if (!why.empty() && ModalResponder::shared().pendingMenuPicks() == pending) ModalResponder::shared().pickNextMenuItem({});
  return why;
}

std::string chooseSegment(SegmentedControl& control, const std::string& segment) {
  long index = position(segment);
  for (long s = 0; index < 0 && s < control.segmentCount(); ++s) {
    if (control.label(s) == segment) index = s;
  }
  if (index < 0 || index >= control.segmentCount()) return "There is no segment \"" + segment + "\".";
  if (!control.Control::isEnabled() || !control.isEnabled(index)) return "The segment is disabled.";
  Window* window = nullptr;
  Point centre;
  if (std::string why = target(control, window, centre); !why.empty()) return why;
  const Rect cell = control.rectOfSegment(index);
  if (cell.isEmpty()) return "The segment has no width.";
  const Point point = control.convertPointToView(cell.center(), nullptr);
  Application& app = Application::shared();
  app.postEvent(Event::mouse(EventType::leftMouseDown, window->windowNumber(), point));
  app.postEvent(Event::mouse(EventType::leftMouseUp, window->windowNumber(), point));
  deliverQueued();
  return {};
}

std::string pressKey(Window* window, const std::string& keyName) {
  std::string why = queueKey(window, keyName);
  if (why.empty()) deliverQueued();
  return why;
}

std::string scrollOver(View& view, double deltaY, double deltaX) {
  Window* window = view.window();
  if (window == nullptr || !window->isVisible()) return "The window is not showing.";
  if (view.isHiddenOrHasHiddenAncestor()) return "The view is hidden.";
  const Point point = view.convertPointToView(view.bounds().center(), nullptr);
  Application::shared().postEvent(Event::scrollWheel(window->windowNumber(), point, deltaY, deltaX));
  deliverQueued();
  return {};
}

std::string pressCloseButton(Window& window) {
  View* close = window.closeButton();
  if (close == nullptr) return "The window has no close button.";
  return clickView(*close);
}

std::string postClick(View& view) { return queueClicks(view, 1, 0); }

std::string postKey(Window* window, const std::string& key) { return queueKey(window, key); }

std::string postCloseButtonClick(Window& window) {
  View* close = window.closeButton();
  if (close == nullptr) return "The window has no close button.";
  return postClick(*close);
}

}  // namespace toolkit

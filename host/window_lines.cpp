#include "window_lines.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/interruption.h"
#include "cad/window_commands.h"
#include "foundation/text.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "toolkit/button.h"
#include "toolkit/event.h"
#include "toolkit/file_panels.h"
#include "toolkit/modal_responder.h"
#include "toolkit/pop_up_button.h"
#include "toolkit/rendering.h"
#include "toolkit/segmented_control.h"
#include "toolkit/table_view.h"
#include "toolkit/text_field.h"
#include "toolkit/user_actions.h"
#include "window_names.h"

namespace cadhost {

namespace {

// Splits the arguments into words; "…" keeps blanks inside a word. With `keepRest`, the words after the first
// `count` are returned whole as one last word (quotes around it removed).
std::vector<std::string> words(const std::string& text, std::size_t count = 0, bool keepRest = false) {
  std::vector<std::string> out;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  };
  for (skipBlanks(); i < text.size(); skipBlanks()) {
    if (keepRest && out.size() == count) {
      std::string rest = text.substr(i);
      while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) rest.pop_back();
      if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
      out.push_back(rest);
      break;
    }
    std::string word;
    if (text[i] == '"') {
      const std::size_t end = text.find('"', i + 1);
      word = text.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? text.size() : end + 1;
    } else {
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) word.push_back(text[i++]);
    }
    out.push_back(word);
  }
  return out;
}

struct Found {
  toolkit::Window* window = nullptr;
  toolkit::View* view = nullptr;
  std::string error;
};

Found find(const std::string& windowName, const std::string* identifier) {
  Found f;
  f.window = toolkit::findWindow(windowName);
  if (f.window == nullptr) f.window = windowByLooseTitle(windowName);
  if (f.window == nullptr) {
    f.error = "No window \"" + windowName + "\". " + windowNames();
    return f;
  }
  if (identifier != nullptr) {
    // What a person points at is the window as last displayed: laid out, its table's rows made.
    f.window->layoutIfNeeded();
    f.view = toolkit::findView(*f.window, *identifier);
    if (f.view == nullptr) {
      f.error = "No view \"" + *identifier + "\" in \"" + windowName + "\". " + viewNames(*f.window);
    }
  }
  return f;
}

std::string click(const std::string& arguments) {
  const auto w = words(arguments);
  if (w.size() != 2 && w.size() != 3) return "Usage: @click WINDOW VIEW [cmd|shift]";
  std::uint64_t modifiers = 0;
  if (w.size() == 3) {
    if (w[2] == "cmd") modifiers = toolkit::modifier::command;
    else if (w[2] == "shift") modifiers = toolkit::modifier::shift;
    else return "Unknown modifier \"" + w[2] + "\": cmd or shift.";
  }
  const Found f = find(w[0], &w[1]);
  return f.error.empty() ? toolkit::clickView(*f.view, 1, modifiers) : f.error;
}

std::string type(const std::string& arguments) {
  const auto w = words(arguments, 2, true);
  if (w.size() < 2) return "Usage: @type WINDOW FIELD TEXT";
  const Found f = find(w[0], &w[1]);
  if (!f.error.empty()) return f.error;
  auto* field = dynamic_cast<toolkit::TextField*>(f.view);
  if (field == nullptr) return "\"" + w[1] + "\" is not a text field.";
  return toolkit::typeInto(*field, w.size() > 2 ? w[2] : std::string());
}

// "Language > English": the titles or identifiers from the menu down to the item.
std::vector<std::string> menuPath(const std::string& item) {
  std::vector<std::string> path;
  const std::string separator = " > ";
  std::size_t start = 0;
  for (std::size_t at; (at = item.find(separator, start)) != std::string::npos; start = at + separator.size()) {
    path.push_back(item.substr(start, at - start));
  }
  path.push_back(item.substr(start));
  return path;
}

// Clicks a view that shows a menu (a settings button) and picks the item from it.
std::string chooseFromMenu(toolkit::View& view, const std::string& name, const std::string& item) {
  toolkit::ModalResponder& responder = toolkit::ModalResponder::shared();
  const std::size_t pending = responder.pendingMenuPicks();
  const std::size_t shown = responder.menus().size();
  responder.pickNextMenuItem(menuPath(item));
  const std::string clicked = toolkit::clickView(view);
  if (responder.pendingMenuPicks() > pending) {
    responder.withdrawLastMenuPick();
    return clicked.empty() ? "\"" + name + "\" shows no menu." : clicked;
  }
  if (responder.menus().size() > shown && responder.menus()[shown].picked.empty()) {
    return "The menu of \"" + name + "\" has no item \"" + item + "\" to choose.";
  }
  return clicked;
}

std::string choose(const std::string& arguments) {
  const auto w = words(arguments, 2, true);
  if (w.size() != 3) return "Usage: @choose WINDOW VIEW ITEM";
  const Found f = find(w[0], &w[1]);
  if (!f.error.empty()) return f.error;
  if (auto* popUp = dynamic_cast<toolkit::PopUpButton*>(f.view)) return toolkit::chooseItem(*popUp, w[2]);
  if (auto* segments = dynamic_cast<toolkit::SegmentedControl*>(f.view)) return toolkit::chooseSegment(*segments, w[2]);
  return chooseFromMenu(*f.view, w[1], w[2]);
}

// The button of the alert by title or "#n"; -1 when it has none.
long buttonIndex(const toolkit::Alert& alert, const std::string& button) {
  const auto& buttons = alert.buttons();
  if (button.size() > 1 && button[0] == '#') {
    char* end = nullptr;
    const long n = std::strtol(button.c_str() + 1, &end, 10);
    return *end == 0 && n >= 1 && n <= static_cast<long>(buttons.size()) ? n - 1 : -1;
  }
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i]->title() == button) return static_cast<long>(i);
  }
  return -1;
}

std::string alert(const std::string& arguments, const Say& say) {
  const auto w = words(arguments, 0, true);
  if (w.empty() || w[0].empty()) return "Usage: @alert BUTTON";
  const std::string button = w[0];
  if (toolkit::Alert* showing = toolkit::Alert::current()) {
    const long index = buttonIndex(*showing, button);
    if (index < 0) return "The alert has no button \"" + button + "\".";
    return toolkit::clickView(*showing->buttons()[static_cast<std::size_t>(index)]);
  }
  toolkit::ModalResponder::shared().answerNextAlert([button, say](toolkit::Alert& next) {
    const long index = buttonIndex(next, button);
    if (index >= 0) return toolkit::kAlertFirstButtonReturn + index;
    say("The alert has no button \"" + button + "\"; its first button answers.");
    return toolkit::kAlertFirstButtonReturn;
  });
  return {};
}

std::string file(const std::string& arguments) {
  const auto paths = words(arguments);
  if (toolkit::SavePanel* showing = toolkit::SavePanel::current()) {
    if (paths.empty()) {
      showing->cancel();
      return {};
    }
    const std::string refusal = showing->choose(paths);
    return refusal.empty() ? std::string() : "The panel refused: " + refusal;
  }
  toolkit::ModalResponder::shared().answerNextFilePanel(paths.empty() ? toolkit::FilePanelAnswer::cancel()
                                                                      : toolkit::FilePanelAnswer{true, paths});
  return {};
}

std::string key(const std::string& arguments) {
  const auto w = words(arguments);
  if (w.size() == 1) return toolkit::pressKey(nullptr, w[0]);
  if (w.size() != 2) return "Usage: @key [WINDOW] KEY";
  const Found f = find(w[0], nullptr);
  return f.error.empty() ? toolkit::pressKey(f.window, w[1]) : f.error;
}

// The wheel turned over a view by DY points, positive towards the top.
std::string scroll(const std::string& arguments) {
  const auto w = words(arguments);
  if (w.size() != 3) return "Usage: @scroll WINDOW VIEW DY";
  const Found f = find(w[0], &w[1]);
  if (!f.error.empty()) return f.error;
  char* end = nullptr;
  const double dy = std::strtod(w[2].c_str(), &end);
  if (end == w[2].c_str() || *end != 0 || !std::isfinite(dy)) return "The distance \"" + w[2] + "\" is not a number.";
  return toolkit::scrollOver(*f.view, dy);
}

std::string render(const std::string& arguments) {
  const auto w = words(arguments);
  if (w.size() < 2 || w.size() > 3) return "Usage: @render WINDOW PATH.png [SCALE]";
  const Found f = find(w[0], nullptr);
  if (!f.error.empty()) return f.error;
  double scale = 1;
  if (w.size() == 3) {
    char* end = nullptr;
    scale = std::strtod(w[2].c_str(), &end);
    if (end == w[2].c_str() || *end != 0) return "The scale \"" + w[2] + "\" is not a number.";
  }
  return toolkit::renderWindowToPNG(*f.window, w[1], scale);
}

// Whether the view's text (a field's value, a button's title) contains TEXT.
std::string wait(const std::string& arguments) {
  const auto w = words(arguments, 2, true);
  if (w.size() != 3 || w[2].empty()) return "Usage: @wait WINDOW VIEW TEXT";
  const Found f = find(w[0], &w[1]);
  if (!f.error.empty()) return f.error;
  std::string shown;
  if (const auto* field = dynamic_cast<const toolkit::TextField*>(f.view)) {
    shown = field->stringValue();
  } else if (const auto* button = dynamic_cast<const toolkit::Button*>(f.view)) {
    shown = button->title();
  } else {
    return "The view \"" + w[1] + "\" shows no text.";
  }
  if (shown.find(w[2]) != std::string::npos) return "";
  return "\"" + w[1] + "\" shows \"" + shown + "\", not \"" + w[2] + "\".";
}

// The text a view shows a person: a field's value, a button's title, a pop-up's chosen item, and what the
// subviews of a plain view (a table's cell) show, joined by blanks.
std::string shownText(const toolkit::View& view) {
  if (const auto* field = dynamic_cast<const toolkit::TextField*>(&view)) return field->stringValue();
  if (const auto* popUp = dynamic_cast<const toolkit::PopUpButton*>(&view)) return popUp->titleOfSelectedItem();
  if (const auto* button = dynamic_cast<const toolkit::Button*>(&view)) return button->title();
  std::string text;
  for (const auto& subview : view.subviews()) {
    const std::string part = shownText(*subview);
    if (part.empty()) continue;
    if (!text.empty()) text += " ";
    text += part;
  }
  return text;
}

// What a view shows, read as a person reads it: a table row by row ("row N: cell | cell | …"), else its text,
// then its tooltip and its accessibility label (what hovering shows and a screen reader says), when it has them.
std::string read(const std::string& arguments, const Say& say) {
  const auto w = words(arguments);
  if (w.size() != 2) return "Usage: @read WINDOW VIEW";
  const Found f = find(w[0], &w[1]);
  if (!f.error.empty()) return f.error;
  auto* table = dynamic_cast<toolkit::TableView*>(f.view);
  if (table == nullptr) {
    say(w[1] + ": " + shownText(*f.view));
    if (!f.view->toolTip().empty()) say(w[1] + " tooltip: " + f.view->toolTip());
    if (!f.view->accessibilityLabel().empty()) say(w[1] + " label: " + f.view->accessibilityLabel());
    return {};
  }
  for (long row = 0; row < table->numberOfRows(); ++row) {
    std::string line = "row ";
    line += std::to_string(row + 1);
    line += ":";
    for (long column = 0; column < table->numberOfColumns(); ++column) {
      const toolkit::View* cell = table->viewAtColumn(column, row, true);
      if (column > 0) line += " |";
      if (cell == nullptr) continue;
      line += " ";
      line += shownText(*cell);
    }
    say(line);
  }
  return {};
}

// An open drawing by its full path or its file name (letter case aside); null when none is open by that name.
cad::Document* openDrawing(const std::string& name) {
  const std::wstring wanted = cad::upperAscii(foundation::wideFromUtf8Lossy(name));
  for (cad::Document* doc : cad::docManager().documents()) {
    const std::wstring path = cad::upperAscii(doc->fileName());
    if (path == wanted || path.substr(path.find_last_of(L'/') + 1) == wanted) return doc;
  }
  return nullptr;
}

// Clicking a drawing's window brings it to the front; no command runs.
std::string activate(const std::string& arguments) {
  const auto w = words(arguments, 0, true);
  if (w.empty() || w[0].empty()) return "Usage: @activate DRAWING";
  cad::Document* doc = openDrawing(w[0]);
  if (doc == nullptr) return "No open drawing \"" + w[0] + "\".";
  return cad::docManager().activateDocument(doc) == cad::eOk ? std::string() : "The drawing could not be activated.";
}

// The close button of a drawing's window; no command runs.
std::string close(const std::string& arguments) {
  const auto w = words(arguments, 0, true);
  if (w.empty() || w[0].empty()) return "Usage: @close DRAWING";
  cad::Document* doc = openDrawing(w[0]);
  if (doc == nullptr) return "No open drawing \"" + w[0] + "\".";
  return cad::docManager().closeDocument(doc) == cad::eOk ? std::string() : "The drawing is busy and stays open.";
}

// Reads script lines while a window is modal: "@" lines act, other lines are said to be ignored. With the
// script at its end the window takes its default answer, once: a window that is run again after that, as one
// that refuses its answer asks again, would take the same answer for ever, so its run is aborted instead, as
// when the program quits during it. So is the run of every window once an interrupting signal asks cadhost to
// end: the command that shows it must return for the session to end.
void answerFromScript(toolkit::Window& modal, const NextLine& nextLine, const Say& say, int& defaultedAtEnd) {
  toolkit::Application& app = toolkit::Application::shared();
  const std::string name = modal.title().empty() ? modal.identifier() : modal.title();
  while (!app.isModalStopped()) {
    if (cad::interruptionSignal() != 0) {
      app.stopModal(toolkit::kModalResponseAbort);
      return;
    }
    const std::optional<std::string> line = nextLine();
    if (!line) {
      if (defaultedAtEnd == modal.windowNumber()) {
        say("The script has ended and \"" + name + "\" is shown again: it is closed unanswered.");
        app.stopModal(toolkit::kModalResponseAbort);
      }
      defaultedAtEnd = modal.windowNumber();
      return;
    }
    if (line->empty() || (*line)[0] != '@') {
      say("\"" + *line + "\" ignored: the window \"" + name + "\" waits for an @ line.");
      continue;
    }
    const std::string reply = cad::windowCommands().run(*line);
    if (!reply.empty()) say(reply);
  }
}

}  // namespace

void installWindowLines(NextLine nextLine, Say say) {
  cad::WindowCommands& commands = cad::windowCommands();
  commands.add("click", click);
  commands.add("type", type);
  commands.add("choose", choose);
  commands.add("alert", [say](const std::string& arguments) { return alert(arguments, say); });
  commands.add("file", file);
  commands.add("key", key);
  commands.add("scroll", scroll);
  commands.add("render", render);
  commands.add("wait", wait);
  commands.add("read", [say](const std::string& arguments) { return read(arguments, say); });
  commands.add("activate", activate);
  commands.add("close", close);
  toolkit::ModalResponder& responder = toolkit::ModalResponder::shared();
  responder.setPresentationObserver(say);
  // Shared: the responder runs a copy of the handler each time.
  auto defaultedAtEnd = std::make_shared<int>(0);
  responder.setInteractiveHandler([nextLine, say, defaultedAtEnd](toolkit::Window& modal) {
    answerFromScript(modal, nextLine, say, *defaultedAtEnd);
  });
}

}  // namespace cadhost

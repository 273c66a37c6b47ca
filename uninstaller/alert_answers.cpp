#include "alert_answers.h"

#include <cstdlib>
#include <sstream>
#include <utility>

#include "foundation/transforms.h"
#include "toolkit/alert.h"
#include "toolkit/application.h"
#include "toolkit/modal_responder.h"
#include "toolkit/rendering.h"
#include "toolkit/user_actions.h"
#include "toolkit/window.h"

namespace {

// The button by title or "#n"; -1 when the alert has none such.
long buttonIndex(const toolkit::Alert& alert, const std::string& answer) {
  const auto& buttons = alert.buttons();
  if (answer.size() > 1 && answer[0] == '#') {
    char* end = nullptr;
    const long n = std::strtol(answer.c_str() + 1, &end, 10);
    return *end == 0 && n >= 1 && n <= static_cast<long>(buttons.size()) ? n - 1 : -1;
  }
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i]->title() == answer) return static_cast<long>(i);
  }
  return -1;
}

std::string render(toolkit::Window& window, const std::string& arguments) {
  std::istringstream words(arguments);
  std::string path, scaleText;
  words >> path >> scaleText;
  if (path.empty()) return "Usage: @render PATH.png [SCALE]";
  double scale = 1;
  if (!scaleText.empty()) {
    char* end = nullptr;
    scale = std::strtod(scaleText.c_str(), &end);
    if (end == scaleText.c_str() || *end != 0) return "The scale \"" + scaleText + "\" is not a number.";
  }
  const std::string failure = toolkit::renderWindowToPNG(window, path, scale);
  return failure.empty() ? "Wrote " + path : failure;
}

std::string answer(toolkit::Window& modal, const std::string& line) {
  if (line.empty()) return toolkit::pressKey(&modal, "Return");
  if (line.rfind("@render", 0) == 0) return render(modal, line.substr(7));
  const toolkit::Alert* alert = toolkit::Alert::current();
  if (alert == nullptr) return "No alert waits for an answer.";
  const long index = buttonIndex(*alert, line);
  if (index < 0) return "The alert has no button \"" + line + "\"; answer with a button's title or #n.";
  return toolkit::clickView(*alert->buttons()[static_cast<std::size_t>(index)]);
}

}  // namespace

void answerAlertsFromLines(NextLine nextLine, Say say) {
  toolkit::ModalResponder& responder = toolkit::ModalResponder::shared();
  responder.setPresentationObserver(say);
  responder.setInteractiveHandler([nextLine = std::move(nextLine), say](toolkit::Window& modal) {
    const toolkit::Application& app = toolkit::Application::shared();
    while (!app.isModalStopped()) {
      const std::optional<std::string> line = nextLine();
      if (!line) return;
      const std::string reply = answer(modal, foundation::trimmedWhitespace(*line));
      if (!reply.empty()) say(reply);
    }
  });
}

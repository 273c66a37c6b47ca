#include "toolkit/modal_responder.h"

#include "toolkit/application.h"
#include "toolkit/menu.h"

namespace toolkit {

ModalResponder& ModalResponder::shared() {
  static auto* responder = new ModalResponder;
  return *responder;
}

void ModalResponder::answerNextAlert(AlertAnswer answer) {
  if (answer) alertAnswers_.push_back(std::move(answer));
}

void ModalResponder::answerNextAlertWithButton(long index) {
  alertAnswers_.push_back([index](Alert&) { return 1000 + index; });
}

void ModalResponder::answerNextFilePanel(FilePanelAnswer answer) { fileAnswers_.push_back(std::move(answer)); }

void ModalResponder::pickNextMenuItem(std::vector<std::string> titles) { menuPicks_.push_back(std::move(titles)); }

bool ModalResponder::withdrawLastMenuPick() {
  if (menuPicks_.empty()) return false;
  menuPicks_.pop_back();
  return true;
}

void ModalResponder::reset() {
  alertAnswers_.clear();
  fileAnswers_.clear();
  menuPicks_.clear();
  interactive_ = nullptr;
  observer_ = nullptr;
  alerts_.clear();
  filePanels_.clear();
  menus_.clear();
}

std::optional<ModalResponder::AlertAnswer> ModalResponder::takeAlertAnswer() {
  if (alertAnswers_.empty()) return std::nullopt;
  AlertAnswer answer = std::move(alertAnswers_.front());
  alertAnswers_.pop_front();
  return answer;
}

std::optional<FilePanelAnswer> ModalResponder::takeFilePanelAnswer() {
  if (fileAnswers_.empty()) return std::nullopt;
  FilePanelAnswer answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

void ModalResponder::runInteractively(Window& window) {
  if (!interactive_) return;
  // The handler may replace itself while it runs.
  const auto handler = interactive_;
  handler(window);
}

void ModalResponder::recordAlert(AlertRecord record) { alerts_.push_back(std::move(record)); }

void ModalResponder::recordFilePanel(FilePanelRecord record) { filePanels_.push_back(std::move(record)); }

void ModalResponder::announce(const std::string& line) const {
  if (observer_) observer_(line);
}

MenuItem* ModalResponder::pickFromMenu(Menu& menu, const Event*, View*) {
  MenuRecord record;
  for (const auto& item : menu.items()) {
    if (!item->isSeparatorItem() && !item->isHidden()) record.itemTitles.push_back(item->title());
  }
  std::string line = "Menu:";
  for (const std::string& title : record.itemTitles) line += " [" + title + "]";
  announce(line);
  std::vector<std::string> path;
  if (!menuPicks_.empty()) {
    path = std::move(menuPicks_.front());
    menuPicks_.pop_front();
  }
  MenuItem* picked = nullptr;
  Menu* level = &menu;
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < path.size() && level != nullptr; ++i) {
    MenuItem* item = level->itemWithTitle(path[i]);
    if (item == nullptr) item = level->itemWithIdentifier(path[i]);
    if (item == nullptr || !item->isEnabled() || item->isHidden()) {
      picked = nullptr;
      break;
    }
    picked = item;
    titles.push_back(item->title());
    level = item->submenu().get();
  }
  // Only an item without a submenu can be picked.
  if (picked != nullptr && picked->hasSubmenu()) picked = nullptr;
  if (picked != nullptr) record.picked = std::move(titles);
  menus_.push_back(std::move(record));
  return picked;
}

}  // namespace toolkit

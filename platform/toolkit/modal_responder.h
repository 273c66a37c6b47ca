#pragma once
// Who answers what would wait for a person: alerts, open and save panels, and menus that pop up. Answers are
// scripted ahead (by tests, or by cadhost's "@" lines) and used in order, one per presentation. Without a
// scripted answer, an interactive handler (cadhost reading further script lines) may act on the modal window;
// failing that, an alert answers with its first button, a file panel with Cancel, and a menu is dismissed.
// Every presentation is recorded.

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

class Alert;
class Event;
class Menu;
class MenuItem;
class View;
class Window;

struct AlertRecord {
  std::string messageText;
  std::string informativeText;
  int style = 0;
  std::vector<std::string> buttonTitles;
  bool hasAccessoryView = false;
  long response = 0;
};

struct FilePanelRecord {
  bool isSavePanel = false;
  std::string title;
  std::string message;
  std::string prompt;
  std::string directory;
  std::string nameFieldStringValue;
  std::vector<std::string> allowedFileTypes;
  bool canChooseFiles = false;
  bool canChooseDirectories = false;
  bool allowsMultipleSelection = false;
  bool canCreateDirectories = false;
  long response = 0;
  std::vector<std::string> chosen;  // what the panel returned
  std::string refusal;              // why a scripted choice was refused, empty when it was not
};

struct MenuRecord {
  std::vector<std::string> itemTitles;
  std::vector<std::string> picked;  // the titles from the menu down to the item; empty when dismissed
};

// A scripted answer to a file panel: OK with the paths, or Cancel.
struct FilePanelAnswer {
  bool ok = true;
  std::vector<std::string> paths;
  static FilePanelAnswer cancel() { return {false, {}}; }
};

class ModalResponder {
 public:
  using AlertAnswer = std::function<long(Alert&)>;

  static ModalResponder& shared();

  // The next alert returns what the callable returns (it may act on the alert's window first).
  void answerNextAlert(AlertAnswer answer);
  // The next alert is answered with its button at `index` (0-based): the response 1000 + index.
  void answerNextAlertWithButton(long index);
  void answerNextFilePanel(FilePanelAnswer answer);
  // The next menu picks the item with these titles or identifiers (a submenu's, then the item's in it); empty:
  // dismissed.
  void pickNextMenuItem(std::vector<std::string> titles);
  // Takes back the pick given last while no menu has used it; false when there is none.
  bool withdrawLastMenuPick();
  std::size_t pendingAlertAnswers() const { return alertAnswers_.size(); }
  std::size_t pendingFilePanelAnswers() const { return fileAnswers_.size(); }
  std::size_t pendingMenuPicks() const { return menuPicks_.size(); }

  // Called with a modal window that has no scripted answer; it returns when the modal run stopped or it has
  // nothing more to do.
  void setInteractiveHandler(std::function<void(Window&)> handler) { interactive_ = std::move(handler); }
  // Told of every alert, file panel and menu presented, in one line each (cadhost prints them).
  void setPresentationObserver(std::function<void(const std::string&)> observer) { observer_ = std::move(observer); }

  const std::vector<AlertRecord>& alerts() const { return alerts_; }
  const std::vector<FilePanelRecord>& filePanels() const { return filePanels_; }
  const std::vector<MenuRecord>& menus() const { return menus_; }

  // Forgets answers, records, the handler and the observer.
  void reset();

  // For the presenting classes.
  std::optional<AlertAnswer> takeAlertAnswer();
  std::optional<FilePanelAnswer> takeFilePanelAnswer();
  void runInteractively(Window& window);
  void recordAlert(AlertRecord record);
  void recordFilePanel(FilePanelRecord record);
  void announce(const std::string& line) const;
  // Shows a menu: the scripted pick, else dismissed. Records it.
  MenuItem* pickFromMenu(Menu& menu, const Event* event, View* view);

 private:
  std::deque<AlertAnswer> alertAnswers_;
  std::deque<FilePanelAnswer> fileAnswers_;
  std::deque<std::vector<std::string>> menuPicks_;
  std::function<void(Window&)> interactive_;
  std::function<void(const std::string&)> observer_;
  std::vector<AlertRecord> alerts_;
  std::vector<FilePanelRecord> filePanels_;
  std::vector<MenuRecord> menus_;
};

}  // namespace toolkit

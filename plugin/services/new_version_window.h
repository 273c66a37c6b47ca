#pragma once
// The window that offers a newer release: its version, the running version, the release notes, and three
// choices (open the download page, later, skip this version). A plain panel of the system, so it stays when
// the host goes to the background.

#include <functional>
#include <memory>
#include <string>

#include "foundation/json.h"

namespace toolkit {
class Button;
class Panel;
class ScrollView;
class TextField;
}  // namespace toolkit

class NewVersionWindow {
 public:
  // The three choices' actions, in the order of the buttons.
  struct Choices {
    std::function<void()> download, later, ignore;
  };
  NewVersionWindow(const foundation::Json& release, const std::string& currentVersion, Choices choices);
  ~NewVersionWindow();

  toolkit::Panel& window() const { return *window_; }
  void close();

  toolkit::TextField& heading() const { return *heading_; }
  toolkit::TextField& notes() const { return *notes_; }
  toolkit::Button& button(int index) const { return *buttons_[index]; }

 private:
  std::shared_ptr<toolkit::Panel> window_;
  std::shared_ptr<toolkit::TextField> heading_;
  std::shared_ptr<toolkit::TextField> notes_;
  std::shared_ptr<toolkit::Button> buttons_[3];
};

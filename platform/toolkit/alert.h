#pragma once
// Alerts: a message, an informative text, buttons and an optional accessory view, shown modally. runModal
// returns 1000 for the first button, 1001 for the second, and so on. Who answers: see ModalResponder.

#include <memory>
#include <string>
#include <vector>

#include "toolkit/button.h"
#include "toolkit/window.h"

namespace toolkit {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

inline constexpr long kAlertFirstButtonReturn = 1000;
inline constexpr long kAlertSecondButtonReturn = 1001;
inline constexpr long kAlertThirdButtonReturn = 1002;

class Alert {
 public:
  Alert();
  ~Alert();
  Alert(const Alert&) = delete;
  Alert& operator=(const Alert&) = delete;

  const std::string& messageText() const { return message_; }
  void setMessageText(const std::string& text) { message_ = text; }
  const std::string& informativeText() const { return informative_; }
  void setInformativeText(const std::string& text) { informative_ = text; }
  AlertStyle alertStyle() const { return style_; }
  void setAlertStyle(AlertStyle style) { style_ = style; }

  // The first button answers Return; a button titled "Cancel" answers Escape.
  std::shared_ptr<Button> addButtonWithTitle(const std::string& title);
  const std::vector<std::shared_ptr<Button>>& buttons() const { return buttons_; }
  const std::shared_ptr<View>& accessoryView() const { return accessory_; }
  void setAccessoryView(std::shared_ptr<View> view) { accessory_ = std::move(view); }

  // The alert's window, laid out for its current texts, buttons and accessory view (identifier "alert").
  Window& window();
  // Shows the alert until it is answered; an alert without buttons gets "OK".
  long runModal();
  // The alert being shown modally, or nullptr.
  static Alert* current();

 private:
  void layout();

  std::string message_;
  std::string informative_;
  AlertStyle style_ = AlertStyle::warning;
  std::vector<std::shared_ptr<Button>> buttons_;
  std::shared_ptr<View> accessory_;
  std::shared_ptr<Panel> window_;
};

}  // namespace toolkit

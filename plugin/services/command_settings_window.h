#pragma once
// The start-command settings window: an alert in which the user sets, changes or clears the custom start
// command. It stays open, with the reason in red, until a change succeeds or the user cancels.

#include <memory>

namespace toolkit {
class Alert;
class TextField;
}  // namespace toolkit

// The window's parts, as qdl_command_settings_show builds them (for the tests' look at it).
struct CommandSettingsWindow {
  std::unique_ptr<toolkit::Alert> alert;
  std::shared_ptr<toolkit::TextField> field;
  std::shared_ptr<toolkit::TextField> errorLabel;
};

// The alert with its accessory view, the field holding the saved name as stored.
CommandSettingsWindow makeCommandSettingsWindow();

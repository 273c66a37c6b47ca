#pragma once
// The full panel's controls as the panel makes them (texts, fonts, kinds), keyed by role, for building the
// workspace in tests. Their actions count how often they fire.

#include <map>
#include <memory>
#include <string>

#include "ui/modern_workspace.h"

namespace ui_test {

struct PanelControls {
  QDLControls controls;
  // Firings per role, shared with the actions.
  std::shared_ptr<std::map<std::string, int>> fired = std::make_shared<std::map<std::string, int>>();
  // The sender of the last action per role.
  std::shared_ptr<std::map<std::string, const void*>> senders = std::make_shared<std::map<std::string, const void*>>();
};

// Every role of the full panel; "files" only when asked. Texts go through QDLT, as the panel's do.
PanelControls makePanelControls(bool withFiles = true);

}  // namespace ui_test

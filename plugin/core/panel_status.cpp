#include "core/host_bridge.h"

#include <utility>

namespace {

std::function<void(const std::string&)>& panelStatusWriter() {
  static std::function<void(const std::string&)> writer;
  return writer;
}

}  // namespace

void vexBatchSetPanelStatusWriter(std::function<void(const std::string&)> writer) {
  panelStatusWriter() = std::move(writer);
}

// The status line belongs to the full panel; a status that arrives before the panel exists is dropped rather
// than creating a panel for it. The writer is looked up when the block runs, not when it is queued.
void vexBatchUpdatePanelStatus(std::string_view text) {
  if (text.empty()) return;
  runOnMainThread([status = std::string(text)] {
    if (const auto& writer = panelStatusWriter()) writer(status);
  });
}

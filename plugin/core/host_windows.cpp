#include "core/host_windows.h"

#include "toolkit/application.h"
#include "toolkit/window.h"

namespace {

// Every window of the plug-in is a panel (the full panel and the return window among them); the host's
// document windows are plain windows.
bool isPluginWindow(const toolkit::Window* window) { return dynamic_cast<const toolkit::Panel*>(window) != nullptr; }

}  // namespace

toolkit::Window* vexBatchHostDocumentWindow() {
  toolkit::Application& app = toolkit::Application::shared();
  for (toolkit::Window* window : app.orderedWindows()) {
    if (!isPluginWindow(window) && window->isVisible()) return window;
  }
  // Every document window is miniaturised or hidden: the first one the application knows, whatever its state.
  for (toolkit::Window* window : app.windows()) {
    if (!isPluginWindow(window)) return window;
  }
  return nullptr;
}

void vexBatchBringCadAndPanelToFront(toolkit::Panel* panel) {
  if (panel == nullptr) return;
  toolkit::Application::shared().activate();
  if (toolkit::Window* document = vexBatchHostDocumentWindow()) {
    document->orderFront(nullptr);
    document->makeKeyWindow();
  }
  panel->orderFront(nullptr);
  panel->makeKeyAndOrderFront(nullptr);
}

#pragma once
// The host bridge's window functions: finding the host's document window, and bringing the host and a
// plug-in window to the front. Main thread only.

namespace toolkit {
class Panel;
class Window;
}  // namespace toolkit

// The host's document window: the frontmost visible window that is not the plug-in's; when every such window
// is hidden or miniaturised, the first one in the application's window list; nullptr when there is none.
toolkit::Window* vexBatchHostDocumentWindow();
// Activates the application, brings the host's document window front as the key window, then orders the
// panel front and makes it key, so that it ends in front of the drawing. Nothing happens for nullptr.
void vexBatchBringCadAndPanelToFront(toolkit::Panel* panel);

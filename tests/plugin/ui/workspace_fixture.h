#pragma once
// The full panel's window as the panel builds it: a plug-in panel of 1000 × 680 whose content view holds the
// workspace made from the panel's controls.

#include <memory>
#include <string>

#include "kit_fixture.h"
#include "panel_controls.h"
#include "toolkit/window.h"
#include "ui/application_panel.h"
#include "ui/modern_workspace.h"

namespace ui_test {

inline constexpr toolkit::Size kDefaultSize{1000, 680};

// The window and its workspace; the window is shown, so that its layout and relocalisation run as they do.
struct WorkspaceWindow {
  PanelControls panelControls;
  std::shared_ptr<QDLApplicationPanel> panel;
  std::shared_ptr<QDLModernWorkspace> workspace;

  template <typename T = toolkit::View>
  std::shared_ptr<T> control(const std::string& key) const {
    const auto it = panelControls.controls.find(key);
    return it == panelControls.controls.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
  }
  int fired(const std::string& key) const {
    const auto it = panelControls.fired->find(key);
    return it == panelControls.fired->end() ? 0 : it->second;
  }
  void resize(toolkit::Size size) {
    panel->setContentSize(size);
    panel->layoutIfNeeded();
  }
};

inline WorkspaceWindow makeWorkspaceWindow(bool withFiles = true, toolkit::Size size = kDefaultSize) {
  WorkspaceWindow w;
  w.panelControls = makePanelControls(withFiles);
  w.panel = std::make_shared<QDLApplicationPanel>(
      toolkit::Rect{{180, 70}, size}, toolkit::window_style::titled | toolkit::window_style::closable |
                                          toolkit::window_style::miniaturizable | toolkit::window_style::resizable |
                                          toolkit::window_style::fullSizeContentView);
  QDLConfigureApplicationPanel(*w.panel);
  w.panel->setTitle(QDLT("Ferrolin 批打工具"));
  w.panel->setTitleVisibility(toolkit::TitleVisibility::hidden);
  w.panel->setTitlebarAppearsTransparent(true);
  w.panel->setAppearance(graphics::Appearance::aqua);
  w.panel->setContentMinSize(kDefaultSize);
  w.workspace = std::make_shared<QDLModernWorkspace>(w.panelControls.controls);
  w.workspace->setFrame(w.panel->contentView()->bounds());
  w.panel->contentView()->addSubview(w.workspace);
  w.panel->makeKeyAndOrderFront();
  w.panel->layoutIfNeeded();
  return w;
}

class WorkspaceTest : public KitTest {};

}  // namespace ui_test

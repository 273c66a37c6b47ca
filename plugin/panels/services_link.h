#pragma once
// The services the full panel leads to, as the panels see them: the update check. The services stand above the
// panels and install their side when the plug-in starts; until then the check does nothing.

#include <functional>

struct PanelServicesLink {
  std::function<void()> checkUpdates;  // a check the user asked for
};

void setPanelServicesLink(PanelServicesLink link);

void panelServicesCheckUpdates();

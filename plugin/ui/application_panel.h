#pragma once
// The panel class of every window of the plug-in. It relocalises its views and title when the interface
// language changes and again each time it is brought to the front; it hides while the host is not the active
// application and comes back, ordered front but not key, when the host is active again; and it gives wheel
// events to QDLHandlePanelScroll, which may reverse them.
//
// Main thread only, like the notifications it observes. Its observers live as long as the object, not the window's
// open state: closing keeps them.

#include "toolkit/window.h"

class QDLApplicationPanel : public toolkit::Panel {
 public:
  QDLApplicationPanel(const toolkit::Rect& contentRect, unsigned styleMask,
                      toolkit::BackingStore backing = toolkit::BackingStore::buffered, bool defer = false);
  ~QDLApplicationPanel() override;

  // Set while the panel is hidden because the host resigned active; it then comes back when the host is active.
  bool restoreAfterActivation() const { return restoreAfterActivation_; }
  void setRestoreAfterActivation(bool on) { restoreAfterActivation_ = on; }

  // Relocalises the content view's tree and the title.
  void qdlLanguageChanged();
  // Hides a visible, not miniaturised panel and remembers to bring it back.
  void qdlSuspend();
  // Brings a suspended panel back to the front, without making it key or relocalising it.
  void qdlRestore();

  void makeKeyAndOrderFront(toolkit::Responder* sender = nullptr) override;
  void orderOut(toolkit::Responder* sender = nullptr) override;
  void close() override;
  void sendEvent(const toolkit::Event& event) override;

 private:
  bool restoreAfterActivation_ = false;
};

// Normal level, not floating, not hidden by the system on deactivation (the class does that itself), managed.
void QDLConfigureApplicationPanel(toolkit::Panel& panel);

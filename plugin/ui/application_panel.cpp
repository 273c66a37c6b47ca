#include "ui/application_panel.h"

#include "foundation/notification_center.h"
#include "toolkit/application.h"
#include "ui/localisation.h"
#include "ui/localize_view.h"
#include "ui/reverse_scroll.h"

QDLApplicationPanel::QDLApplicationPanel(const toolkit::Rect& contentRect, unsigned styleMask,
                                         toolkit::BackingStore backing, bool defer)
    : Panel(contentRect, styleMask, backing, defer) {
  foundation::NotificationCenter& center = foundation::NotificationCenter::defaultCenter();
  const void* application = &toolkit::Application::shared();
  center.addObserver(
      toolkit::kApplicationWillResignActiveNotification, application, [this](const auto&) { qdlSuspend(); }, this);
  center.addObserver(
      toolkit::kApplicationDidBecomeActiveNotification, application, [this](const auto&) { qdlRestore(); }, this);
  center.addObserver(
      QDLLanguageChanged, nullptr, [this](const auto&) { qdlLanguageChanged(); }, this);
}

QDLApplicationPanel::~QDLApplicationPanel() {
  foundation::NotificationCenter::defaultCenter().removeObserversOwnedBy(this);
}

void QDLApplicationPanel::qdlLanguageChanged() {
  QDLLocalizeView(contentView().get());
  setTitle(QDLT(title()));
}

void QDLApplicationPanel::makeKeyAndOrderFront(toolkit::Responder* sender) {
  qdlLanguageChanged();
  Panel::makeKeyAndOrderFront(sender);
}

void QDLApplicationPanel::orderOut(toolkit::Responder* sender) {
  restoreAfterActivation_ = false;
  Panel::orderOut(sender);
}

void QDLApplicationPanel::close() {
  restoreAfterActivation_ = false;
  Panel::close();
}

void QDLApplicationPanel::qdlSuspend() {
  if (!isVisible() || isMiniaturized()) return;
  restoreAfterActivation_ = true;
  // The inherited hide, not this class's: the flag has to survive it.
  Panel::orderOut(nullptr);
}

void QDLApplicationPanel::qdlRestore() {
  if (!restoreAfterActivation_) return;
  restoreAfterActivation_ = false;
  Panel::orderFront(nullptr);
}

void QDLApplicationPanel::sendEvent(const toolkit::Event& event) {
  if (QDLHandlePanelScroll(*this, event)) return;
  Panel::sendEvent(event);
}

void QDLConfigureApplicationPanel(toolkit::Panel& panel) {
  panel.setFloatingPanel(false);
  panel.setLevel(toolkit::window_level::normal);
  panel.setHidesOnDeactivate(false);
  panel.setCollectionBehavior(toolkit::collection_behavior::managed);
}

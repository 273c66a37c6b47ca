#include "toolkit/application.h"

#include <algorithm>

#include "foundation/main_queue.h"
#include "foundation/notification_center.h"
#include "toolkit/modal_responder.h"
#include "toolkit/window.h"

namespace toolkit {

Application& Application::shared() {
  // Never destroyed: windows may outlive static destruction order.
  static auto* application = new Application;
  return *application;
}

Application::Application() = default;

bool Application::isMainThread() const { return foundation::isMainThread(); }

void Application::resignActive() {
  if (!active_) return;
  foundation::NotificationCenter::defaultCenter().post(kApplicationWillResignActiveNotification, this);
  active_ = false;
  for (Window* w : orderedWindows()) {
    if (!w->hidesOnDeactivate()) continue;
    hiddenByDeactivation_.push_back(w->windowNumber());
    w->hide();
  }
}

void Application::becomeActive() {
  if (active_) return;
  active_ = true;
  // Back in their old order: the frontmost last.
  const std::vector<int> hidden = std::move(hiddenByDeactivation_);
  hiddenByDeactivation_.clear();
  for (auto it = hidden.rbegin(); it != hidden.rend(); ++it) {
    if (Window* w = windowWithWindowNumber(*it); w != nullptr && !w->isVisible() && !w->isMiniaturized()) w->show();
  }
  foundation::NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification, this);
}

void Application::activate() {
  ++activations_;
  becomeActive();
}

void Application::activateIgnoringOtherApps(bool) { activate(); }

std::vector<Window*> Application::windows() const { return windows_; }

std::vector<Window*> Application::orderedWindows() const {
  std::vector<Window*> visible;
  for (Window* w : windows_) {
    if (w->isVisible()) visible.push_back(w);
  }
  std::stable_sort(visible.begin(), visible.end(), [](const Window* a, const Window* b) {
    if (a->level() != b->level()) return a->level() > b->level();
    return a->orderStamp_ > b->orderStamp_;
  });
  return visible;
}

Window* Application::windowWithWindowNumber(int number) const {
  for (Window* w : windows_) {
    if (w->windowNumber() == number) return w;
  }
  return nullptr;
}

void Application::addWindow(Window* window) { windows_.push_back(window); }

void Application::removeWindow(Window* window) {
  std::erase(windows_, window);
  if (keyWindow_ == window) keyWindow_ = nullptr;
  if (modalWindow_ == window) modalWindow_ = nullptr;
}

void Application::setKeyWindow(Window* window) {
  if (keyWindow_ == window) return;
  Window* old = keyWindow_;
  keyWindow_ = window;
  if (old != nullptr && old->delegate()) old->delegate()->windowDidResignKey(*old);
  if (window != nullptr && window->delegate()) window->delegate()->windowDidBecomeKey(*window);
}

bool Application::sendAction(const std::function<void()>& action) {
  if (!action) return false;
  ++sentActions_;
  action();
  return true;
}

void Application::postEvent(const Event& event, bool atStart) {
  if (atStart) queue_.push_front(event);
  else queue_.push_back(event);
}

std::optional<Event> Application::nextEvent(double untilDate, bool dequeue) {
  ++polls_;
  if (pollRunsMainQueue_) foundation::MainQueue::main().drain();
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (it->timestamp() <= untilDate) {
      Event event = *it;
      if (dequeue) queue_.erase(it);
      return event;
    }
  }
  return std::nullopt;
}

void Application::sendEvent(const Event& event) {
  Window* target = event.windowNumber() != 0 ? windowWithWindowNumber(event.windowNumber()) : nullptr;
  if (target == nullptr && event.windowNumber() == 0 &&
      (event.type() == EventType::keyDown || event.type() == EventType::keyUp)) {
    target = keyWindow_;
  }
  if (target == nullptr || !target->isVisible()) return;
  // While a modal window runs, only it (and panels that work when modal) take events.
  if (modalWindow_ != nullptr && target != modalWindow_) {
    const auto* panel = dynamic_cast<const Panel*>(target);
    if (panel == nullptr || !panel->worksWhenModal()) return;
  }
  std::optional<Event> outer = std::move(current_);
  current_ = event;
  ++dispatched_;
  try {
    target->sendEvent(event);
  } catch (...) {
    current_ = std::move(outer);
    throw;
  }
  current_ = std::move(outer);
}

std::size_t Application::pumpEvents(std::size_t limit) {
  if (!isMainThread()) return 0;
  if (pumpObserver_ && !observingPump_) {
    observingPump_ = true;
    struct Done {
      bool& flag;
      ~Done() { flag = false; }
    } done{observingPump_};
    // A copy: the observer may replace itself.
    const std::function<void()> observer = pumpObserver_;
    observer();
  }
  const double now = foundation::MainQueue::main().clock()->now();
  std::size_t delivered = 0;
  while (delivered < limit) {
    std::optional<Event> event = nextEvent(now);
    if (!event) break;
    sendEvent(*event);
    ++delivered;
  }
  return delivered;
}

long Application::runModalForWindow(Window& window, long defaultResponse) {
  modalStack_.push_back({});
  Window* outerModal = modalWindow_;
  modalWindow_ = &window;
  window.makeKeyAndOrderFront(nullptr);
  ModalResponder::shared().runInteractively(window);
  const ModalState state = modalStack_.back();
  modalStack_.pop_back();
  modalWindow_ = outerModal;
  window.orderOut(nullptr);
  return state.stopped ? state.response : defaultResponse;
}

void Application::stopModal(long response) {
  if (modalStack_.empty() || modalStack_.back().stopped) return;
  modalStack_.back().stopped = true;
  modalStack_.back().response = response;
}

void Application::resetForTesting() {
  active_ = true;
  activations_ = updates_ = sentActions_ = polls_ = dispatched_ = 0;
  reduceMotion_ = false;
  pollRunsMainQueue_ = false;
  pumpObserver_ = nullptr;
  languages_ = {"en"};
  keyWindow_ = nullptr;
  modalWindow_ = nullptr;
  hiddenByDeactivation_.clear();
  queue_.clear();
  current_.reset();
  modalStack_.clear();
}

}  // namespace toolkit

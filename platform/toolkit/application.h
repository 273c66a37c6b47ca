#pragma once
// The application: its active state (with the platform's will-resign and did-become notifications), its
// windows in creation order and front to back, the key window, the event queue and its pump, and settings
// tests inject (preferred languages, Reduce Motion). One per process, used on the main thread.
//
// The pump takes only events already queued (dated no later than the moment it starts) and never waits.

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/event.h"
#include "toolkit/responder.h"

namespace toolkit {

class Window;

// Posted on the default notification centre with the application as the object.
inline constexpr const char kApplicationWillResignActiveNotification[] = "ApplicationWillResignActiveNotification";
inline constexpr const char kApplicationDidBecomeActiveNotification[] = "ApplicationDidBecomeActiveNotification";

// What a modal run returns when it was ended without any of its answers, as when the program quits during it.
inline constexpr long kModalResponseAbort = -1001;

class Application : public Responder {
 public:
  static Application& shared();

  bool isMainThread() const;

  // Active state. Becoming inactive posts the will-resign notification first, then hides the visible windows
  // that hide on deactivation; becoming active shows those again, then posts the did-become notification. No
  // change, no notification.
  bool isActive() const { return active_; }
  void resignActive();
  void becomeActive();
  // What a program asks to come to the front; counted, and made active.
  void activate();
  void activateIgnoringOtherApps(bool flag);
  long activationCount() const { return activations_; }

  // Every window that exists, oldest first.
  std::vector<Window*> windows() const;
  // The visible windows, front to back: higher levels first, then the most recently ordered front.
  std::vector<Window*> orderedWindows() const;
  Window* keyWindow() const { return keyWindow_; }
  Window* windowWithWindowNumber(int number) const;
  // What a program asks before and after work that changes windows; counted.
  void updateWindows() { ++updates_; }
  long updateWindowsCount() const { return updates_; }

  const std::vector<std::string>& preferredLanguages() const { return languages_; }
  void setPreferredLanguages(std::vector<std::string> languages) { languages_ = std::move(languages); }
  bool accessibilityDisplayShouldReduceMotion() const { return reduceMotion_; }
  void setAccessibilityDisplayShouldReduceMotion(bool on) { reduceMotion_ = on; }

  // Runs an action with the event being dispatched as the current event; false for an empty action.
  bool sendAction(const std::function<void()>& action);
  long sentActionCount() const { return sentActions_; }

  // The event queue.
  void postEvent(const Event& event, bool atStart = false);
  // The oldest queued event dated no later than `untilDate`, taken from the queue when `dequeue`; never waits.
  std::optional<Event> nextEvent(double untilDate, bool dequeue = true);
  // Delivers an event to its window (key events without a window to the key window); events for a window that
  // is gone or hidden are dropped.
  void sendEvent(const Event& event);
  // Takes and delivers up to `limit` events that were already queued, stopping at the first empty poll. Main
  // thread only (elsewhere it returns 0 at once). Returns the events delivered.
  std::size_t pumpEvents(std::size_t limit);
  // The event being delivered, or nullptr.
  const Event* currentEvent() const { return current_ ? &*current_ : nullptr; }
  std::size_t pendingEventCount() const { return queue_.size(); }
  long pollCount() const { return polls_; }
  long dispatchedEventCount() const { return dispatched_; }
  // A poll of the queue also runs due main-queue work, as the platform's run loop does (off by default).
  void setPollRunsMainQueue(bool on) { pollRunsMainQueue_ = on; }
  // Runs as each pump starts, before it looks at the queue: a script standing in for a person acts there, as a
  // person's clicks reach a busy program only when it pumps. A pump started by what it does does not run it again.
  void setPumpObserver(std::function<void()> observer) { pumpObserver_ = std::move(observer); }

  // Modal windows: runs until stopModal, answered by the modal responder. Returns the response; the default one
  // when the responder left the window without an answer.
  long runModalForWindow(Window& window, long defaultResponse);
  // Ends the innermost modal run with the response; nothing when none runs.
  void stopModal(long response);
  Window* modalWindow() const { return modalWindow_; }
  bool isModalStopped() const { return !modalStack_.empty() && modalStack_.back().stopped; }

  // Back to a fresh state: active, no key window, empty queue, counters 0, languages {"en"}, Reduce Motion off,
  // no pump observer.
  // Windows stay: they belong to whoever made them.
  void resetForTesting();

 private:
  friend class Window;
  Application();
  void addWindow(Window* window);
  void removeWindow(Window* window);
  void setKeyWindow(Window* window);
  // A window hidden or closed by a program stays so when the application comes back.
  void forgetDeactivationHide(int windowNumber) { std::erase(hiddenByDeactivation_, windowNumber); }
  long nextOrderStamp() { return ++orderStamp_; }

  bool active_ = true;
  long activations_ = 0;
  long updates_ = 0;
  long sentActions_ = 0;
  long polls_ = 0;
  long dispatched_ = 0;
  long orderStamp_ = 0;
  bool reduceMotion_ = false;
  bool pollRunsMainQueue_ = false;
  std::function<void()> pumpObserver_;
  bool observingPump_ = false;
  std::vector<std::string> languages_{"en"};
  std::vector<Window*> windows_;
  std::vector<int> hiddenByDeactivation_;  // window numbers
  Window* keyWindow_ = nullptr;
  Window* modalWindow_ = nullptr;
  std::deque<Event> queue_;
  std::optional<Event> current_;
  struct ModalState {
    bool stopped = false;
    long response = 0;
  };
  std::vector<ModalState> modalStack_;
};

}  // namespace toolkit

#include "foundation/notification_center.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace foundation {

namespace {

struct Observer {
  ObserverToken token;
  std::string name;
  const void* object;
  const void* owner;
  NotificationCallback callback;
  std::atomic<bool> removed{false};
};

}  // namespace

struct NotificationCenter::State {
  mutable std::mutex mutex;
  std::vector<std::shared_ptr<Observer>> observers;
  ObserverToken nextToken = 1;

  void removeIf(const auto& predicate) {
    std::lock_guard lock(mutex);
    std::erase_if(observers, [&](const std::shared_ptr<Observer>& observer) {
      if (!predicate(*observer)) return false;
      observer->removed = true;
      return true;
    });
  }
};

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: observers may be removed from other objects' destructors at exit.
  static NotificationCenter* center = new NotificationCenter;
  return *center;
}

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}
NotificationCenter::~NotificationCenter() = default;

ObserverToken NotificationCenter::addObserver(const std::string& name, const void* object,
                                              NotificationCallback callback, const void* owner) {
  if (!callback) return 0;
  auto observer = std::make_shared<Observer>();
  observer->name = name;
  observer->object = object;
  observer->owner = owner;
  observer->callback = std::move(callback);
  std::lock_guard lock(state_->mutex);
  observer->token = state_->nextToken++;
  state_->observers.push_back(observer);
  return observer->token;
}

void NotificationCenter::removeObserver(ObserverToken token) {
  if (token == 0) return;
  state_->removeIf([&](const Observer& observer) { return observer.token == token; });
}

void NotificationCenter::removeObserversOwnedBy(const void* owner, const std::string& name) {
  if (!owner) return;
  state_->removeIf([&](const Observer& observer) {
    return observer.owner == owner && (name.empty() || observer.name == name);
  });
}

void NotificationCenter::post(const std::string& name, const void* object, const UserInfo& userInfo) {
  // Deliver to a snapshot, outside the lock, so that callbacks may post, add and remove freely; the shared
  // pointers keep a callback alive while it runs even if it removes itself.
  std::vector<std::shared_ptr<Observer>> targets;
  {
    std::lock_guard lock(state_->mutex);
    for (const auto& observer : state_->observers) {
      if (!observer->name.empty() && observer->name != name) continue;
      if (observer->object && observer->object != object) continue;
      targets.push_back(observer);
    }
  }
  if (targets.empty()) return;
  const Notification notification{name, object, userInfo};
  for (const auto& observer : targets) {
    if (observer->removed) continue;
    observer->callback(notification);
  }
}

std::size_t NotificationCenter::observerCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->observers.size();
}

}  // namespace foundation

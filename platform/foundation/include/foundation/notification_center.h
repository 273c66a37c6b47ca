#pragma once
// The notification centre: observers register for a notification name (and optionally one sending object);
// posting delivers synchronously, on the posting thread, in registration order. An observer removed while a
// notification is being delivered is not called afterwards, even for that notification; one added during
// delivery first hears the next post.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace foundation {

using UserInfo = std::map<std::string, std::string>;

struct Notification {
  std::string name;
  const void* object = nullptr;
  UserInfo userInfo;
};

using ObserverToken = std::uint64_t;  // 0 is never a token
using NotificationCallback = std::function<void(const Notification&)>;

class NotificationCenter {
 public:
  static NotificationCenter& defaultCenter();

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // `name` empty: every notification. `object` nullptr: from any sender. `owner` tags the observer so that
  // removeObserversOwnedBy can drop all of an object's observers at once.
  ObserverToken addObserver(const std::string& name, const void* object, NotificationCallback callback,
                            const void* owner = nullptr);
  void removeObserver(ObserverToken token);
  // Every observer registered with this owner; with a name, only those for that name.
  void removeObserversOwnedBy(const void* owner, const std::string& name = {});
  void post(const std::string& name, const void* object = nullptr, const UserInfo& userInfo = {});
  std::size_t observerCount() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Removes its observer when it goes out of scope.
class ScopedObserver {
 public:
  ScopedObserver() = default;
  ScopedObserver(NotificationCenter& center, ObserverToken token) : center_(&center), token_(token) {}
  ~ScopedObserver() { reset(); }
  ScopedObserver(ScopedObserver&& other) noexcept : center_(other.center_), token_(other.token_) { other.token_ = 0; }
  ScopedObserver& operator=(ScopedObserver&& other) noexcept {
    if (this != &other) {
      reset();
      center_ = other.center_;
      token_ = other.token_;
      other.token_ = 0;
    }
    return *this;
  }
  ScopedObserver(const ScopedObserver&) = delete;
  ScopedObserver& operator=(const ScopedObserver&) = delete;

  void reset() {
    if (center_ && token_) center_->removeObserver(token_);
    token_ = 0;
  }
  ObserverToken token() const { return token_; }

 private:
  NotificationCenter* center_ = nullptr;
  ObserverToken token_ = 0;
};

}  // namespace foundation

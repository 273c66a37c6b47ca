#pragma once
// The reactors of one notifier, in the order they were added. Reactors are not owned. A reactor may add or
// remove reactors while it is notified: one removed meanwhile is not called after its removal, one added
// hears from the next notification on.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace cad {

template <class Reactor>
class ReactorList {
 public:
  void add(Reactor* reactor) {
    if (reactor != nullptr && !has(reactor)) reactors_.push_back(reactor);
  }
  void remove(Reactor* reactor) { std::erase(reactors_, reactor); }
  bool has(const Reactor* reactor) const {
    return std::find(reactors_.begin(), reactors_.end(), reactor) != reactors_.end();
  }
  std::size_t size() const { return reactors_.size(); }
  const std::vector<Reactor*>& all() const { return reactors_; }
  void clear() { reactors_.clear(); }

  template <class Call>
  void notify(Call call) {
    const std::vector<Reactor*> snapshot = reactors_;
    for (Reactor* reactor : snapshot) {
      if (has(reactor)) call(reactor);
    }
  }

 private:
  std::vector<Reactor*> reactors_;
};

}  // namespace cad

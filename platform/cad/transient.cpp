#include "cad/transient.h"

#include <algorithm>

#include "cad/command_line.h"

namespace cad {

namespace {
bool gAbsent = false;
}

// Not inlined, so that the return address is the caller's code.
[[gnu::noinline]] bool TransientManager::addTransient(Entity* drawable, TransientDrawingMode mode, int subDrawingMode,
                                                      const std::vector<int>& viewportNumbers) {
  const void* caller = __builtin_return_address(0);
  ++addCalls;
  if (refuseCall != 0 && addCalls == refuseCall) return false;
  if (drawable == nullptr || isShown(drawable)) return false;
  live_.push_back({drawable, static_cast<int>(mode), subDrawingMode, viewportNumbers, caller});
  return true;
}

bool TransientManager::eraseTransient(Entity* drawable, const std::vector<int>&) {
  auto it = std::find_if(live_.begin(), live_.end(), [&](const TransientEntry& e) { return e.drawable == drawable; });
  if (it == live_.end()) return false;
  live_.erase(it);
  return true;
}

bool TransientManager::isShown(const Entity* drawable) const {
  return std::any_of(live_.begin(), live_.end(), [&](const TransientEntry& e) { return e.drawable == drawable; });
}

std::size_t TransientManager::eraseIf(const std::function<bool(const TransientEntry&)>& pick) {
  return std::erase_if(live_, pick);
}

void TransientManager::drawableDestroyed(const Entity* drawable) {
  if (live_.empty() || !isShown(drawable)) return;
  std::erase_if(live_, [&](const TransientEntry& e) { return e.drawable == drawable; });
  ++destroyedWhileShown;
  commandLine().print(L"\nA transient graphic was destroyed while it was still shown.");
}

void TransientManager::reset() {
  live_.clear();
  addCalls = 0;
  refuseCall = 0;
  destroyedWhileShown = 0;
}

TransientManager& transientManager() {
  static TransientManager* instance = new TransientManager;
  return *instance;
}

TransientManager* acgiGetTransientManager() { return gAbsent ? nullptr : &transientManager(); }

void setTransientManagerAbsent(bool absent) { gAbsent = absent; }

}  // namespace cad

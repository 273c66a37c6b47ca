#include "cad/transient.h"

#include <algorithm>

namespace cad {

namespace {
bool gAbsent = false;
}

bool TransientManager::addTransient(Entity* drawable, TransientDrawingMode mode, int subDrawingMode,
                                    const std::vector<int>& viewportNumbers) {
  ++addCalls;
  if (refuseCall != 0 && addCalls == refuseCall) return false;
  if (drawable == nullptr || isShown(drawable)) return false;
  live_.push_back({drawable, static_cast<int>(mode), subDrawingMode, viewportNumbers});
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

void TransientManager::reset() {
  live_.clear();
  addCalls = 0;
  refuseCall = 0;
}

TransientManager* acgiGetTransientManager() {
  static TransientManager* instance = new TransientManager;
  return gAbsent ? nullptr : instance;
}

void setTransientManagerAbsent(bool absent) { gAbsent = absent; }

}  // namespace cad

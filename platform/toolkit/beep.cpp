#include "toolkit/beep.h"

#include <atomic>

namespace toolkit {

namespace {
std::atomic<long> gBeeps{0};
std::atomic<BeepObserver> gObserver{nullptr};
}  // namespace

void beep() {
  gBeeps.fetch_add(1, std::memory_order_relaxed);
  if (const BeepObserver observer = gObserver.load(std::memory_order_acquire)) observer();
}

long beepCount() { return gBeeps.load(std::memory_order_relaxed); }

void setBeepObserver(BeepObserver observer) { gObserver.store(observer, std::memory_order_release); }

}  // namespace toolkit

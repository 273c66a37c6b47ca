#include "toolkit/beep.h"

#include <atomic>

namespace toolkit {

namespace {
std::atomic<long> gBeeps{0};
}

void beep() { gBeeps.fetch_add(1, std::memory_order_relaxed); }

long beepCount() { return gBeeps.load(std::memory_order_relaxed); }

}  // namespace toolkit

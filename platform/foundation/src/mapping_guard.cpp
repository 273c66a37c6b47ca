#include "mapping_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace foundation::mapping_guard {
namespace {

struct Slot {
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> cut{false};
};

// Few files are mapped at once (a drawing being opened, a large PDF being read).
constexpr int kSlots = 32;
Slot gSlots[kSlots];
struct sigaction gPrevious{};

void onBusError(int signal, siginfo_t* info, void* context) {
  const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (Slot& slot : gSlots) {
    const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
    if (begin == 0 || at < begin || at >= slot.end.load(std::memory_order_acquire)) continue;
    // A page of zeros in place of the one the file no longer has; the read that faulted is retried on it.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    void* wanted = reinterpret_cast<void*>(at / page * page);
    if (::mmap(wanted, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == wanted) {
      slot.cut.store(true, std::memory_order_release);
      return;
    }
    break;
  }
  // Not ours: whoever handled it before (a sanitizer, say), or the default, which ends the process.
  if ((gPrevious.sa_flags & SA_SIGINFO) != 0 && gPrevious.sa_sigaction != nullptr) {
    gPrevious.sa_sigaction(signal, info, context);
    return;
  }
  if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN && gPrevious.sa_handler != nullptr) {
    gPrevious.sa_handler(signal);
    return;
  }
  ::signal(signal, SIG_DFL);  // the faulting access runs again and ends the process as it would have
}

void install() {
  struct sigaction action{};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &gPrevious);
}

}  // namespace

int watch(const void* begin, std::size_t size) {
  static std::once_flag installed;
  std::call_once(installed, install);
  const auto from = reinterpret_cast<std::uintptr_t>(begin);
  for (int i = 0; i < kSlots; ++i) {
    std::uintptr_t expected = 0;
    if (gSlots[i].begin.compare_exchange_strong(expected, from, std::memory_order_acq_rel)) {
      gSlots[i].cut.store(false, std::memory_order_relaxed);
      gSlots[i].end.store(from + size, std::memory_order_release);
      return i;
    }
  }
  return -1;
}

void forget(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  gSlots[slot].end.store(0, std::memory_order_release);
  gSlots[slot].begin.store(0, std::memory_order_release);
}

bool cutShort(int slot) {
  return slot >= 0 && slot < kSlots && gSlots[slot].cut.load(std::memory_order_acquire);
}

}  // namespace foundation::mapping_guard

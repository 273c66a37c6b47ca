#include "foundation/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace foundation {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Freed blocks kept for the next drawing, up to this much in all: drawings opened one after another (a queue
// run) then take memory that is already the process's instead of having the system fault in and clear fresh
// pages.
constexpr std::size_t kKeptBytes = std::size_t{192} << 20;

struct Kept {
  std::mutex mutex;
  std::vector<std::pair<void*, std::size_t>> blocks;  // block, size
  std::size_t bytes = 0;
};

// Never destroyed: blocks may be freed by objects in static storage after any static registry is gone.
Kept& kept() {
  static Kept* instance = new Kept;
  return *instance;
}

std::size_t rounded(std::size_t size) { return (size + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void* allocateLarge(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) - kHugePage) throw std::bad_alloc();
  const std::size_t wanted = rounded(size);
  {
    // The smallest kept block that holds it, if it is not more than twice as large.
    Kept& k = kept();
    std::lock_guard lock(k.mutex);
    auto best = k.blocks.end();
    for (auto it = k.blocks.begin(); it != k.blocks.end(); ++it) {
      if (it->second >= wanted && it->second <= 2 * wanted && (best == k.blocks.end() || it->second < best->second)) {
        best = it;
      }
    }
    if (best != k.blocks.end()) {
      void* block = best->first;
      k.bytes -= best->second;
      k.blocks.erase(best);
      return block;
    }
  }
  void* block = std::aligned_alloc(kHugePage, wanted);
  if (block == nullptr) throw std::bad_alloc();
  // Advice only: without huge pages the block is the same memory in small ones.
  ::madvise(block, wanted, MADV_HUGEPAGE);
  return block;
}

void freeLarge(void* block, std::size_t size, bool keep) noexcept {
  if (block == nullptr) return;
  const std::size_t held = rounded(size);
  if (keep) {
    Kept& k = kept();
    std::lock_guard lock(k.mutex);
    if (k.bytes + held <= kKeptBytes) {
      try {
        k.blocks.emplace_back(block, held);
        k.bytes += held;
        return;
      } catch (...) {
        // No room to note it: it goes back to the system below.
      }
    }
  }
  std::free(block);
}

}  // namespace foundation

#include "foundation/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace foundation {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void* allocateLarge(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) - kHugePage) throw std::bad_alloc();
  const std::size_t rounded = (size + kHugePage - 1) & ~(kHugePage - 1);
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (block == nullptr) throw std::bad_alloc();
  // Advice only: without huge pages the block is the same memory in small ones.
  ::madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void freeLarge(void* block) noexcept { std::free(block); }

}  // namespace foundation

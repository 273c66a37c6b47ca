#include "cad/object_arena.h"

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <new>

#include "foundation/large_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUODL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define QUODL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define QUODL_POISON(p, n) ((void)(p), (void)(n))
#define QUODL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace cad {
namespace {

constexpr std::size_t kAlignment = alignof(std::max_align_t);
constexpr std::size_t kLargestBlock = std::size_t{4} << 20;

thread_local ObjectArena* tCurrent = nullptr;

// Every live arena's blocks, start → end, so that freeing an object can tell arena memory from the heap's
// whichever thread frees it and whether or not a scope is open. Never destroyed: arenas in static storage may
// outlive any static registry.
struct BlockRegistry {
  std::mutex mutex;
  std::map<const char*, const char*, std::less<>> blocks;
};

BlockRegistry& registry() {
  static BlockRegistry* instance = new BlockRegistry;
  return *instance;
}

}  // namespace

ObjectArena::~ObjectArena() {
  if (!blocks_.empty()) {
    BlockRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const Block& block : blocks_) r.blocks.erase(block.start);
  }
  for (const Block& block : blocks_) {
    QUODL_UNPOISON(block.start, block.size);
    if (block.size >= foundation::kLargeBlock) {
      foundation::freeLarge(block.start, block.size);
    } else {
      ::operator delete (block.start, std::align_val_t{kAlignment});
    }
  }
}

void ObjectArena::addBlock(std::size_t atLeast) {
  const std::size_t size = std::max(nextBlockSize_, atLeast);
  blocks_.reserve(blocks_.size() + 1);  // nothing below may fail once the block is taken
  auto* start =
      static_cast<char*>(size >= foundation::kLargeBlock ? foundation::allocateLarge(size)
                                                         : ::operator new (size, std::align_val_t{kAlignment}));
  try {
    BlockRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    r.blocks.emplace(start, start + size);
  } catch (...) {
    if (size >= foundation::kLargeBlock) {
      foundation::freeLarge(start, size);
    } else {
      ::operator delete (start, std::align_val_t{kAlignment});
    }
    throw;
  }
  QUODL_POISON(start, size);  // unpoisoned piece by piece as objects are placed
  const Block block{start, size};
  blocks_.insert(std::upper_bound(blocks_.begin(), blocks_.end(), block,
                                  [](const Block& a, const Block& b) { return std::less<>()(a.start, b.start); }),
                 block);
  next_ = start;
  end_ = start + size;
  reserved_ += size;
  nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
}

void* ObjectArena::allocate(std::size_t size) {
  size = (std::max<std::size_t>(size, 1) + kAlignment - 1) & ~(kAlignment - 1);
  if (static_cast<std::size_t>(end_ - next_) < size) addBlock(size);
  char* p = next_;
  next_ += size;
  QUODL_UNPOISON(p, size);
  return p;
}

bool ObjectArena::owns(const void* p) const {
  const auto* address = static_cast<const char*>(p);
  auto after = std::upper_bound(blocks_.begin(), blocks_.end(), address,
                                [](const char* a, const Block& b) { return std::less<>()(a, b.start); });
  if (after == blocks_.begin()) return false;
  const Block& block = *(after - 1);
  return std::less<>()(address, block.start + block.size);
}

bool ObjectArena::anyOwns(const void* p) {
  const auto* address = static_cast<const char*>(p);
  BlockRegistry& r = registry();
  std::lock_guard lock(r.mutex);
  auto after = r.blocks.upper_bound(address);
  return after != r.blocks.begin() && address < std::prev(after)->second;
}

ObjectArena::Scope::Scope(ObjectArena& arena) : previous_(tCurrent) { tCurrent = &arena; }

ObjectArena::Scope::~Scope() { tCurrent = previous_; }

ObjectArena* ObjectArena::current() { return tCurrent; }

}  // namespace cad

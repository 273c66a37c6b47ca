#include "foundation/large_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace foundation {
namespace {

// A block given back serves the next request it fits, so that drawings opened one after another reuse memory
// the process already holds; one far too large for a request is left for a larger one.
TEST(LargeMemory, FreedBlocksServeTheNextRequestTheyFit) {
  constexpr std::size_t kSize = std::size_t{13} << 20;  // a size no other test asks for
  void* first = allocateLarge(kSize);
  std::memset(first, 0x5A, kSize);  // all of it is the caller's to write
  freeLarge(first, kSize);
  void* again = allocateLarge(kSize - 4096);
  EXPECT_EQ(again, first);
  freeLarge(again, kSize - 4096);
  void* small = allocateLarge(kLargeBlock);
  EXPECT_NE(small, first);
  freeLarge(small, kLargeBlock);
  void* last = allocateLarge(kSize);
  EXPECT_EQ(last, first);
  freeLarge(last, kSize);
}

TEST(LargeMemory, ContainersGrowThroughIt) {
  std::vector<std::uint64_t, LargeAllocator<std::uint64_t>> values;
  for (std::uint64_t k = 0; k < 500000; ++k) values.push_back(k * k);  // past a large block on the way
  std::uint64_t sum = 0;
  for (std::uint64_t v : values) sum += v;
  EXPECT_EQ(values.size(), 500000u);
  EXPECT_EQ(sum, 41666541666750000ull);
}

}  // namespace
}  // namespace foundation

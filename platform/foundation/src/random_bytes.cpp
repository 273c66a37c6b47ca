#include "random_bytes.h"

#include <sys/random.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <random>

namespace foundation::random_detail {

void fillRandom(void* buffer, std::size_t size) noexcept {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t n = getrandom(out + filled, size - filled, 0);
    if (n > 0) {
      filled += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  if (filled == size) return;
  // No kernel entropy call (very old kernels, seccomp): fall back to a seeded generator.
  static std::mutex mutex;
  static std::mt19937_64 generator{static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()) ^ (static_cast<std::uint64_t>(getpid()) << 32)};
  std::lock_guard lock(mutex);
  while (filled < size) {
    const auto value = generator();
    const std::size_t take = std::min(size - filled, sizeof value);
    std::memcpy(out + filled, &value, take);
    filled += take;
  }
}

}  // namespace foundation::random_detail

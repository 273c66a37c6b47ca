#include <array>
#include <atomic>
#include <mutex>

#include "file_faults_internal.h"

namespace foundation {
namespace {

struct Pending {
  int error = 0;
  int count = 0;
  int skip = 0;
};

constexpr std::size_t kOperations = static_cast<std::size_t>(FileOperation::statvfs) + 1;

std::mutex gMutex;
std::array<Pending, kOperations> gPending;
// Lets the common path skip the lock when no fault was ever armed.
std::atomic<bool> gArmed{false};

}  // namespace

void failNextFileOperation(FileOperation operation, int error, int count, int skip) {
  std::lock_guard lock(gMutex);
  gPending[static_cast<std::size_t>(operation)] = Pending{error, count, skip};
  gArmed = true;
}

void clearFileFaults() {
  std::lock_guard lock(gMutex);
  gPending.fill(Pending{});
}

int file_faults_detail::take(FileOperation operation) noexcept {
  if (!gArmed.load(std::memory_order_relaxed)) return 0;
  std::lock_guard lock(gMutex);
  Pending& pending = gPending[static_cast<std::size_t>(operation)];
  if (pending.count <= 0 || pending.error == 0) return 0;
  if (pending.skip > 0) {
    --pending.skip;
    return 0;
  }
  --pending.count;
  return pending.error;
}

}  // namespace foundation

#include "core/host_bridge.h"

#include "foundation/main_queue.h"

// On the main thread the block runs before this returns, so a command that shows a window has shown it by
// the time the command ends. Elsewhere nothing waits: the block runs when the main queue gets to it.
void runOnMainThread(std::function<void()> block) {
  if (!block) return;
  if (foundation::isMainThread()) {
    block();
    return;
  }
  foundation::dispatchAsync(std::move(block));
}

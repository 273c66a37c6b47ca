#include "queue/scan_workers.h"

#include <algorithm>
#include <utility>

void QDLScanWorkers::start(const void* key, std::function<void()> work) {
  workers_.push_back({key, std::thread(std::move(work))});
}

void QDLScanWorkers::join(const void* key) {
  const auto it = std::find_if(workers_.begin(), workers_.end(), [key](const Worker& w) { return w.key == key; });
  if (it == workers_.end()) return;
  it->thread.join();
  workers_.erase(it);
}

void QDLScanWorkers::joinAll() {
  for (Worker& worker : workers_) worker.thread.join();
  workers_.clear();
}

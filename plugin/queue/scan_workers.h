#pragma once
// The threads that search for drawings while the panel stays responsive. Each search gets its own thread, as a
// global concurrent queue would hand it a worker; the owner joins each as its result arrives (handing it back is
// the worker's last act) and all of them before it goes, so no thread outlives the plug-in. Main thread only.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// The cancel flag of one search, set on the main thread and polled by the worker.
struct QDLScanToken {
  std::atomic<bool> cancelled{false};
  void cancel() { cancelled.store(true, std::memory_order_relaxed); }
  bool isCancelled() const { return cancelled.load(std::memory_order_relaxed); }
};

class QDLScanWorkers {
 public:
  QDLScanWorkers() = default;
  ~QDLScanWorkers() { joinAll(); }
  QDLScanWorkers(const QDLScanWorkers&) = delete;
  QDLScanWorkers& operator=(const QDLScanWorkers&) = delete;

  // `key` names the worker for join(): the search's token.
  void start(const void* key, std::function<void()> work);
  // Waits for the worker of that key, if there is one.
  void join(const void* key);
  // Waits for every thread: their searches must have been cancelled first for this to be quick.
  void joinAll();
  std::size_t count() const { return workers_.size(); }

 private:
  struct Worker {
    const void* key;
    std::thread thread;
  };
  std::vector<Worker> workers_;
};

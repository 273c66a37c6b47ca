#pragma once
// The main thread and its queue: work handed to the main thread from anywhere, and one-shot timers, all run
// by whoever drives the queue on the main thread (a program between its commands, a test explicitly).
//
// Time comes from an injectable clock. Tests install a ManualClock, advance it and call drain(), which runs
// every piece of work that is due, deterministically: queued work first-in first-out, then timers by due time
// and, at equal times, in the order they were set. Programs keep the SystemClock and call runFor() or
// runUntilIdle() between commands.
//
// Work that throws lets the exception out of drain()/runFor()/runUntilIdle(), the queue stays intact; work
// given to dispatchSync() throws in the waiting thread instead.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace foundation {

// Seconds on a monotonic scale.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() const = 0;
};

class SystemClock final : public Clock {
 public:
  double now() const override;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(double start = 0.0) : now_(start) {}
  double now() const override;
  // Negative or non-finite steps are ignored: time never runs backwards.
  void advance(double seconds);

 private:
  mutable std::mutex mutex_;
  double now_;
};

using WorkId = std::uint64_t;  // 0 is never an id

class MainQueue {
 public:
  // The process-wide queue; the thread that first asks for it is the main thread until setMainThread().
  static MainQueue& main();

  MainQueue();
  ~MainQueue();
  MainQueue(const MainQueue&) = delete;
  MainQueue& operator=(const MainQueue&) = delete;

  // Makes the calling thread the main thread (a program calls this at start).
  void setMainThread();
  bool isMainThread() const;

  // Pending timers keep the time they have left on the new clock. nullptr installs a SystemClock.
  void setClock(std::shared_ptr<Clock> clock);
  std::shared_ptr<Clock> clock() const;

  // From any thread. `owner` tags the work for cancelAll.
  WorkId dispatchAsync(std::function<void()> work, const void* owner = nullptr);
  // On the main thread the work runs at once; elsewhere it waits until the main thread runs it. Returns
  // false when the work was dropped before it could run (resetForTesting).
  bool dispatchSync(std::function<void()> work);
  // A one-shot timer; negative or non-finite delays count as 0.
  WorkId after(double seconds, std::function<void()> work, const void* owner = nullptr);
  // Whether the work was still pending.
  bool cancel(WorkId id);
  // Drops every pending work and timer of the owner; returns how many.
  std::size_t cancelAll(const void* owner);

  // Main thread only (elsewhere they do nothing and return 0 / false). Each returns the pieces of work run.
  std::size_t drain();
  // Runs due work for `seconds`, sleeping in between (a ManualClock is advanced from timer to timer instead).
  std::size_t runFor(double seconds);
  // Runs work until nothing is pending or `maxWait` seconds have passed; true when nothing is pending.
  // Negative or non-finite durations count as 0 here and in runFor.
  bool runUntilIdle(double maxWait);

  std::size_t pendingCount() const;
  // The due time of the earliest timer, on the queue's clock.
  std::optional<double> nextTimerDue() const;

  // Drops all pending work (releasing threads waiting in dispatchSync), installs a SystemClock and makes the
  // calling thread the main thread.
  void resetForTesting();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Shorthands for the process-wide queue.
bool isMainThread();
WorkId dispatchAsync(std::function<void()> work, const void* owner = nullptr);
bool dispatchSync(std::function<void()> work);
WorkId dispatchAfter(double seconds, std::function<void()> work, const void* owner = nullptr);

}  // namespace foundation

#include "foundation/main_queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <thread>
#include <unordered_map>
#include <utility>

namespace foundation {

double SystemClock::now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ManualClock::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

void ManualClock::advance(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0) return;
  std::lock_guard lock(mutex_);
  now_ += seconds;
}

namespace {

// What a thread waiting in dispatchSync learns.
struct SyncWaiter {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool ran = false;
  std::exception_ptr error;

  void finish(bool didRun, std::exception_ptr thrown = nullptr) {
    std::lock_guard lock(mutex);
    done = true;
    ran = didRun;
    error = std::move(thrown);
    finished.notify_all();
  }
};

struct Work {
  WorkId id = 0;
  const void* owner = nullptr;
  std::function<void()> run;
  std::shared_ptr<SyncWaiter> waiter;
};

double sanitizedDelay(double seconds) { return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0; }

}  // namespace

struct MainQueue::State {
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::atomic<std::thread::id> mainThread{std::this_thread::get_id()};
  std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
  WorkId nextId = 1;
  std::deque<Work> queued;
  // Keyed by due time, then id: ids grow, so equal times keep the order the timers were set in.
  std::map<std::pair<double, WorkId>, Work> timers;
  std::unordered_map<WorkId, double> timerDue;

  // Takes the next piece of work that is due, queued work first.
  std::optional<Work> takeDue() {
    std::lock_guard lock(mutex);
    if (!queued.empty()) {
      Work work = std::move(queued.front());
      queued.pop_front();
      return work;
    }
    if (timers.empty()) return std::nullopt;
    auto first = timers.begin();
    if (first->first.first > clock->now()) return std::nullopt;
    Work work = std::move(first->second);
    timerDue.erase(work.id);
    timers.erase(first);
    return work;
  }

  // Drops everything, releasing waiting threads; returns the dropped work so that it is destroyed unlocked.
  std::vector<Work> takeAll() {
    std::vector<Work> dropped;
    std::lock_guard lock(mutex);
    for (Work& work : queued) dropped.push_back(std::move(work));
    for (auto& [key, work] : timers) dropped.push_back(std::move(work));
    queued.clear();
    timers.clear();
    timerDue.clear();
    return dropped;
  }
};

namespace {

void release(std::vector<Work>& dropped) {
  for (Work& work : dropped) {
    if (work.waiter) work.waiter->finish(false);
  }
  dropped.clear();
}

void runWork(Work& work) {
  if (!work.waiter) {
    work.run();
    return;
  }
  try {
    work.run();
    work.waiter->finish(true);
  } catch (...) {
    work.waiter->finish(true, std::current_exception());
  }
}

}  // namespace

MainQueue& MainQueue::main() {
  // Never destroyed: work may still be cancelled from other objects' destructors at exit.
  static MainQueue* queue = new MainQueue;
  return *queue;
}

MainQueue::MainQueue() : state_(std::make_unique<State>()) {}

MainQueue::~MainQueue() {
  std::vector<Work> dropped = state_->takeAll();
  release(dropped);
}

void MainQueue::setMainThread() { state_->mainThread = std::this_thread::get_id(); }

bool MainQueue::isMainThread() const { return state_->mainThread.load() == std::this_thread::get_id(); }

void MainQueue::setClock(std::shared_ptr<Clock> clock) {
  if (!clock) clock = std::make_shared<SystemClock>();
  std::lock_guard lock(state_->mutex);
  const double oldNow = state_->clock->now();
  const double newNow = clock->now();
  std::map<std::pair<double, WorkId>, Work> rebased;
  for (auto& [key, work] : state_->timers) {
    const double due = newNow + std::max(0.0, key.first - oldNow);
    state_->timerDue[work.id] = due;
    rebased.emplace(std::make_pair(due, key.second), std::move(work));
  }
  state_->timers = std::move(rebased);
  state_->clock = std::move(clock);
  state_->changed.notify_all();
}

std::shared_ptr<Clock> MainQueue::clock() const {
  std::lock_guard lock(state_->mutex);
  return state_->clock;
}

WorkId MainQueue::dispatchAsync(std::function<void()> work, const void* owner) {
  if (!work) return 0;
  std::lock_guard lock(state_->mutex);
  const WorkId id = state_->nextId++;
  state_->queued.push_back(Work{id, owner, std::move(work), nullptr});
  state_->changed.notify_all();
  return id;
}

bool MainQueue::dispatchSync(std::function<void()> work) {
  if (!work) return false;
  if (isMainThread()) {
    work();
    return true;
  }
  auto waiter = std::make_shared<SyncWaiter>();
  {
    std::lock_guard lock(state_->mutex);
    state_->queued.push_back(Work{state_->nextId++, nullptr, std::move(work), waiter});
    state_->changed.notify_all();
  }
  std::unique_lock lock(waiter->mutex);
  waiter->finished.wait(lock, [&] { return waiter->done; });
  if (waiter->error) std::rethrow_exception(waiter->error);
  return waiter->ran;
}

WorkId MainQueue::after(double seconds, std::function<void()> work, const void* owner) {
  if (!work) return 0;
  std::lock_guard lock(state_->mutex);
  const WorkId id = state_->nextId++;
  const double due = state_->clock->now() + sanitizedDelay(seconds);
  state_->timers.emplace(std::make_pair(due, id), Work{id, owner, std::move(work), nullptr});
  state_->timerDue[id] = due;
  state_->changed.notify_all();
  return id;
}

bool MainQueue::cancel(WorkId id) {
  std::optional<Work> dropped;
  {
    std::lock_guard lock(state_->mutex);
    if (const auto due = state_->timerDue.find(id); due != state_->timerDue.end()) {
      const auto timer = state_->timers.find({due->second, id});
      dropped = std::move(timer->second);
      state_->timers.erase(timer);
      state_->timerDue.erase(due);
    } else {
      const auto found = std::find_if(state_->queued.begin(), state_->queued.end(),
                                      [&](const Work& work) { return work.id == id && !work.waiter; });
      if (found == state_->queued.end()) return false;
      dropped = std::move(*found);
      state_->queued.erase(found);
    }
  }
  // The work's captures are destroyed here, outside the lock, in case they cancel more work.
  return true;
}

std::size_t MainQueue::cancelAll(const void* owner) {
  if (!owner) return 0;
  std::vector<Work> dropped;
  {
    std::lock_guard lock(state_->mutex);
    for (auto it = state_->queued.begin(); it != state_->queued.end();) {
      if (it->owner == owner) {
        dropped.push_back(std::move(*it));
        it = state_->queued.erase(it);
      } else {
        ++it;
      }
    }
    for (auto it = state_->timers.begin(); it != state_->timers.end();) {
      if (it->second.owner == owner) {
        state_->timerDue.erase(it->second.id);
        dropped.push_back(std::move(it->second));
        it = state_->timers.erase(it);
      } else {
        ++it;
      }
    }
  }
  return dropped.size();
}

std::size_t MainQueue::drain() {
  if (!isMainThread()) return 0;
  std::size_t count = 0;
  while (std::optional<Work> work = state_->takeDue()) {
    ++count;
    runWork(*work);
  }
  return count;
}

namespace {

// Moves time on to `target`: a ManualClock is advanced, a real clock is waited for (or woken by new work).
void waitUntil(const std::shared_ptr<Clock>& clock, double target, std::mutex& mutex, std::condition_variable& changed,
               const std::function<bool()>& newWork) {
  const double now = clock->now();
  if (target <= now) return;
  if (auto* manual = dynamic_cast<ManualClock*>(clock.get())) {
    manual->advance(target - now);
    return;
  }
  std::unique_lock lock(mutex);
  changed.wait_for(lock, std::chrono::duration<double>(target - now), newWork);
}

}  // namespace

std::size_t MainQueue::runFor(double seconds) {
  if (!isMainThread()) return 0;
  const std::shared_ptr<Clock> clock = this->clock();
  const double deadline = clock->now() + sanitizedDelay(seconds);
  std::size_t count = 0;
  for (;;) {
    count += drain();
    if (clock->now() >= deadline || this->clock() != clock) break;
    const double target = std::min(deadline, nextTimerDue().value_or(deadline));
    waitUntil(clock, target, state_->mutex, state_->changed, [&] {
      return !state_->queued.empty() || (!state_->timers.empty() && state_->timers.begin()->first.first < target);
    });
  }
  return count;
}

bool MainQueue::runUntilIdle(double maxWait) {
  if (!isMainThread()) return false;
  const std::shared_ptr<Clock> clock = this->clock();
  const double deadline = clock->now() + sanitizedDelay(maxWait);
  for (;;) {
    drain();
    if (pendingCount() == 0) return true;
    if (clock->now() >= deadline || this->clock() != clock) return false;
    const double target = std::min(deadline, nextTimerDue().value_or(deadline));
    waitUntil(clock, target, state_->mutex, state_->changed, [&] {
      return !state_->queued.empty() || (!state_->timers.empty() && state_->timers.begin()->first.first < target);
    });
  }
}

std::size_t MainQueue::pendingCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->queued.size() + state_->timers.size();
}

std::optional<double> MainQueue::nextTimerDue() const {
  std::lock_guard lock(state_->mutex);
  if (state_->timers.empty()) return std::nullopt;
  return state_->timers.begin()->first.first;
}

void MainQueue::resetForTesting() {
  std::vector<Work> dropped = state_->takeAll();
  release(dropped);
  setClock(nullptr);
  setMainThread();
}

bool isMainThread() { return MainQueue::main().isMainThread(); }

WorkId dispatchAsync(std::function<void()> work, const void* owner) {
  return MainQueue::main().dispatchAsync(std::move(work), owner);
}

bool dispatchSync(std::function<void()> work) { return MainQueue::main().dispatchSync(std::move(work)); }

WorkId dispatchAfter(double seconds, std::function<void()> work, const void* owner) {
  return MainQueue::main().after(seconds, std::move(work), owner);
}

}  // namespace foundation

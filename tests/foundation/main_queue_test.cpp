#include "foundation/main_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace foundation {
namespace {

class MainQueueTest : public ::testing::Test {
 protected:
  MainQueueTest() {
    queue.resetForTesting();
    queue.setClock(clock);
  }
  ~MainQueueTest() override { queue.resetForTesting(); }

  MainQueue& queue = MainQueue::main();
  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100.0);
  std::vector<std::string> log;
};

TEST_F(MainQueueTest, DrainRunsQueuedWorkInOrderThenDueTimers) {
  queue.after(2, [&] { log.push_back("t2"); });
  queue.after(1, [&] { log.push_back("t1a"); });
  queue.after(1, [&] { log.push_back("t1b"); });
  queue.after(-5, [&] { log.push_back("t0"); });  // a negative delay is due at once
  dispatchAsync([&] {
    log.push_back("a1");
    dispatchAsync([&] { log.push_back("a3"); });  // queued during the drain, still run by it
  });
  dispatchAsync([&] { log.push_back("a2"); });
  EXPECT_EQ(queue.drain(), 4u);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "a3", "t0"}));

  log.clear();
  clock->advance(1);
  EXPECT_EQ(queue.drain(), 2u);
  EXPECT_EQ(log, (std::vector<std::string>{"t1a", "t1b"}));
  clock->advance(-10);  // time never runs backwards
  clock->advance(0.999);
  EXPECT_EQ(queue.drain(), 0u);
  clock->advance(0.001);
  EXPECT_EQ(queue.drain(), 1u);
  EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(MainQueueTest, CancellingByIdAndByOwner) {
  int plugin = 0, other = 0;
  const WorkId timer = queue.after(1, [&] { log.push_back("cancelled timer"); });
  const WorkId work = dispatchAsync([&] { log.push_back("cancelled work"); });
  dispatchAfter(1, [&] { log.push_back("plugin timer"); }, &plugin);
  dispatchAsync([&] { log.push_back("plugin work"); }, &plugin);
  dispatchAsync([&] { log.push_back("other work"); }, &other);
  EXPECT_TRUE(queue.cancel(timer));
  EXPECT_TRUE(queue.cancel(work));
  EXPECT_FALSE(queue.cancel(work));
  EXPECT_FALSE(queue.cancel(0));
  EXPECT_EQ(queue.cancelAll(&plugin), 2u);
  EXPECT_EQ(queue.cancelAll(nullptr), 0u);
  clock->advance(5);
  queue.drain();
  EXPECT_EQ(log, std::vector<std::string>{"other work"});
}

TEST_F(MainQueueTest, WorkMayCancelOtherWork) {
  WorkId later = 0;
  queue.after(1, [&] {
    log.push_back("first");
    queue.cancel(later);
  });
  later = queue.after(1, [&] { log.push_back("later"); });
  clock->advance(1);
  queue.drain();
  EXPECT_EQ(log, std::vector<std::string>{"first"});
}

TEST_F(MainQueueTest, RunForAdvancesAManualClockFromTimerToTimer) {
  queue.after(30, [&] {
    log.push_back("30 at " + std::to_string(static_cast<int>(clock->now())));
    queue.after(5, [&] { log.push_back("35 at " + std::to_string(static_cast<int>(clock->now()))); });
  });
  queue.after(100, [&] { log.push_back("too late"); });
  EXPECT_EQ(queue.runFor(40), 2u);
  EXPECT_EQ(log, (std::vector<std::string>{"30 at 130", "35 at 135"}));
  EXPECT_DOUBLE_EQ(clock->now(), 140.0);
  EXPECT_FALSE(queue.runUntilIdle(10));
  EXPECT_TRUE(queue.runUntilIdle(60));
  EXPECT_EQ(log.back(), "too late");
}

TEST_F(MainQueueTest, ReplacingTheClockKeepsTheTimeLeft) {
  queue.after(10, [&] { log.push_back("timer"); });
  clock->advance(4);
  auto other = std::make_shared<ManualClock>(0.0);
  queue.setClock(other);
  EXPECT_DOUBLE_EQ(*queue.nextTimerDue(), 6.0);
  other->advance(5.5);
  queue.drain();
  EXPECT_TRUE(log.empty());
  other->advance(0.5);
  queue.drain();
  EXPECT_EQ(log, std::vector<std::string>{"timer"});
}

TEST_F(MainQueueTest, WorkFromOtherThreads) {
  EXPECT_TRUE(isMainThread());
  std::atomic<bool> workerSawMain{true};
  std::atomic<int> ranOnMain{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < 4; ++i) {
    workers.emplace_back([&] {
      workerSawMain = workerSawMain && !isMainThread();
      EXPECT_EQ(queue.drain(), 0u);  // only the main thread runs the queue
      for (int k = 0; k < 50; ++k) dispatchAsync([&] { ranOnMain += isMainThread() ? 1 : 1000; });
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_TRUE(workerSawMain);
  queue.drain();
  EXPECT_EQ(ranOnMain, 200);
}

TEST_F(MainQueueTest, DispatchSyncRunsInlineOnMainAndWaitsElsewhere) {
  bool inline_ = false;
  EXPECT_TRUE(dispatchSync([&] { inline_ = true; }));
  EXPECT_TRUE(inline_);

  std::atomic<bool> returned{false};
  std::thread::id ranOn;
  std::thread worker([&] {
    EXPECT_TRUE(dispatchSync([&] { ranOn = std::this_thread::get_id(); }));
    returned = true;
  });
  // The worker stays blocked until the main thread drains.
  while (queue.pendingCount() == 0) std::this_thread::yield();
  EXPECT_FALSE(returned);
  queue.drain();
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(MainQueueTest, DispatchSyncRethrowsInTheWaitingThreadAndIsReleasedOnReset) {
  std::string caught;
  std::thread thrower([&] {
    try {
      dispatchSync([] { throw std::runtime_error("host refused"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  while (queue.pendingCount() == 0) std::this_thread::yield();
  EXPECT_EQ(queue.drain(), 1u);  // the exception stays in the worker
  thrower.join();
  EXPECT_EQ(caught, "host refused");

  std::atomic<int> result{-1};
  std::thread dropped([&] { result = dispatchSync([] {}) ? 1 : 0; });
  while (queue.pendingCount() == 0) std::this_thread::yield();
  queue.resetForTesting();
  dropped.join();
  EXPECT_EQ(result, 0);
}

TEST_F(MainQueueTest, ThrowingWorkLeavesTheQueueIntact) {
  dispatchAsync([] { throw std::runtime_error("boom"); });
  dispatchAsync([&] { log.push_back("after"); });
  EXPECT_THROW(queue.drain(), std::runtime_error);
  EXPECT_EQ(queue.drain(), 1u);
  EXPECT_EQ(log, std::vector<std::string>{"after"});
}

TEST_F(MainQueueTest, SystemClockRunsWithRealTime) {
  queue.setClock(nullptr);
  std::atomic<bool> fired{false};
  queue.after(0.02, [&] { fired = true; });
  std::thread poster([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    dispatchAsync([] {});
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(queue.runUntilIdle(5));
  poster.join();
  EXPECT_TRUE(fired);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  queue.after(10, [] {});
  EXPECT_FALSE(queue.runUntilIdle(0.01));
  EXPECT_EQ(queue.runFor(0.01), 0u);
}

}  // namespace
}  // namespace foundation

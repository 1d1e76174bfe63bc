#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/threads.h"

namespace trellisk::platform {
namespace {

TEST(RecursiveMutex, OwnerMayLockAgain) {
  RecursiveMutex mutex;
  std::lock_guard<RecursiveMutex> outer(mutex);
  std::lock_guard<RecursiveMutex> inner(mutex);
  std::atomic<bool> otherGotIt{true};
  std::thread([&] { otherGotIt = mutex.try_lock(); }).join();
  EXPECT_FALSE(otherGotIt);
}

TEST(ManualResetEvent, StaysSignalledUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.Wait(10));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait());
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(ManualResetEvent, TheWaiterMayDestroyTheEventOnceItIsSet) {
  for (int round = 0; round < 200; ++round) {
    auto event = std::make_unique<ManualResetEvent>();
    std::thread setter([&target = *event] { target.Set(); });
    event->Wait();
    event.reset();
    setter.join();
  }
}

TEST(ManualResetEvent, WakesAWaiterOnADetachedThread) {
  ManualResetEvent started;
  ManualResetEvent release;
  std::atomic<int> stage{0};
  ASSERT_TRUE(StartDetachedThread([&] {
    stage = 1;
    started.Set();
    release.Wait();
    stage = 2;  // the last touch of the test's state
  }));
  ASSERT_TRUE(started.Wait(5000));
  EXPECT_EQ(stage.load(), 1);
  release.Set();
  for (int i = 0; i < 500 && stage.load() != 2; ++i) SleepMilliseconds(10);
  EXPECT_EQ(stage.load(), 2);
}

TEST(WaitableThread, HasEndedOnceItsBodyReturned) {
  const auto release = std::make_shared<ManualResetEvent>();
  const std::unique_ptr<WaitableThread> thread = WaitableThread::Start([release] { release->Wait(); });
  ASSERT_TRUE(thread);
  EXPECT_FALSE(thread->WaitEnded(20));
  release->Set();
  EXPECT_TRUE(thread->WaitEnded(5000));
  EXPECT_TRUE(thread->WaitEnded(0)) << "and stays ended";
}

TEST(WaitableThread, RunsOnWhenItsObjectIsDestroyedFirst) {
  const auto release = std::make_shared<ManualResetEvent>();
  const auto done = std::make_shared<ManualResetEvent>();
  WaitableThread::Start([release, done] {
    release->Wait();
    done->Set();
  }).reset();
  release->Set();
  EXPECT_TRUE(done->Wait(5000));
}

}  // namespace
}  // namespace trellisk::platform

// The surface lock hands the surface out in the order threads asked for it, and the
// several-surface guard of a blit takes its locks without deadlocking however two blits
// cross.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gdi/SurfaceLocks.h"

namespace platform::gdi {
namespace {

// Two threads take the lock back to back while a third takes it now and then. Between the
// third asking and getting it, the others can each get in at most once (they may already
// have been queued); a lock that lets a releasing thread take it straight back lets them in
// thousands of times.
TEST(SurfaceLockTest, AWaitingThreadGetsItsTurnBeforeGreedyOnesComeBack) {
  SurfaceMutex lock;
  std::atomic<bool> stop{false};
  std::atomic<int> started{0};
  std::atomic<int> greedyTurns{0};
  auto greedy = [&] {
    started.fetch_add(1);
    while (!stop.load(std::memory_order_relaxed)) {
      std::lock_guard guard(lock);
      greedyTurns.fetch_add(1, std::memory_order_relaxed);
    }
  };
  std::thread a(greedy), b(greedy);
  while (started.load() < 2) std::this_thread::yield();

  // Each greedy thread may hold or already wait for the lock when we ask, so two turns may
  // pass before ours. More means they overtook us, which only a preemption in the instant
  // between our count and our request may excuse now and then.
  constexpr int kRounds = 1000;
  int overtaken = 0;
  int worst = 0;
  for (int round = 0; round < kRounds; ++round) {
    const int before = greedyTurns.load();
    std::lock_guard guard(lock);
    const int between = greedyTurns.load() - before;
    worst = std::max(worst, between);
    if (between > 2) ++overtaken;
  }
  stop = true;
  a.join();
  b.join();
  EXPECT_LE(overtaken, kRounds / 20) << "the greedy threads overtook a waiting one in " << overtaken
                                     << " rounds, once by " << worst << " turns";
}

TEST(SurfaceLockTest, TryLockTakesOnlyAFreeLockAndLeavesNoTicketBehind) {
  SurfaceMutex lock;
  ASSERT_TRUE(lock.try_lock());
  EXPECT_FALSE(lock.try_lock());
  lock.unlock();
  // A failed attempt must not have queued anything: the next plain lock gets in at once.
  ASSERT_TRUE(lock.try_lock());
  lock.unlock();
  lock.lock();
  lock.unlock();
  EXPECT_TRUE(lock.try_lock());
  lock.unlock();
}

// Blits from A to B and from B to A at the same time, and blits within one surface (the
// same surface named twice is locked once).
TEST(SurfaceLockTest, CrossingBlitsTakeTheirLocksWithoutDeadlock) {
  auto a = Surface::Create(4, 4, 32, true);
  auto b = Surface::Create(4, 4, 32, true);
  auto c = Surface::Create(4, 4, 32, true);
  ASSERT_TRUE(a && b && c);
  std::atomic<int> done{0};
  auto run = [&](Surface* x, Surface* y, Surface* z) {
    for (int i = 0; i < 20000; ++i) {
      SurfaceLocks locks(x, y, z);
      x->WriteRaw(0, 0, x->ReadRaw(0, 0) + 1);
    }
    done.fetch_add(1);
  };
  std::vector<std::thread> threads;
  threads.emplace_back(run, a.get(), b.get(), nullptr);
  threads.emplace_back(run, b.get(), a.get(), a.get());
  threads.emplace_back(run, c.get(), b.get(), a.get());
  threads.emplace_back(run, a.get(), a.get(), c.get());
  for (auto& t : threads) t.join();
  EXPECT_EQ(done.load(), 4);
  EXPECT_EQ(a->ReadRaw(0, 0), 40000u);
  EXPECT_EQ(b->ReadRaw(0, 0), 20000u);
  EXPECT_EQ(c->ReadRaw(0, 0), 20000u);
}

}  // namespace
}  // namespace platform::gdi

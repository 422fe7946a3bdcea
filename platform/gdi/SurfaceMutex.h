// The lock of one surface: a ticket lock, so threads get the surface in the order they
// asked for it. A lock that lets whoever is running grab it again starves the rest: with
// two threads blitting back to back into one surface, a third thread's GetPixel could wait
// for seconds. Pixel calls take it twice per pixel when a filter walks a picture, so the
// uncontended path stays one atomic add to enter and a release store plus one load to
// leave, inlined at the call.
//
// A waiter spins briefly (holders are short: one primitive), then sleeps on the ticket
// counter. Sleeping rather than yielding matters on a busy machine: the thread whose turn is
// next must get a core, and yielding waiters keep taking cores from it. The holder wakes
// sleepers when it leaves; a wake-up lost to the race between the two is made up by the
// sleep's time limit, which is short.
#pragma once

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <ctime>

namespace platform::gdi {

class SurfaceMutex {
 public:
  void lock() {
    const uint32_t ticket = next_.fetch_add(1, std::memory_order_relaxed);
    if (serving_.load(std::memory_order_acquire) == ticket) return;
    WaitForTurn(ticket);
  }
  // Succeeds only when nobody holds the lock or waits for it.
  bool try_lock() {
    uint32_t serving = serving_.load(std::memory_order_acquire);
    return next_.compare_exchange_strong(serving, serving + 1, std::memory_order_relaxed);
  }
  // Only the holder writes `serving_`, so reading it back needs no ordering.
  void unlock() {
    serving_.store(serving_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    if (sleepers_.load(std::memory_order_relaxed) != 0) WakeSleepers();
  }

 private:
  static constexpr int kSpins = 128;
  // Long enough to cost nothing while waiting for a long primitive, short enough that a
  // lost wake-up is not noticed.
  static constexpr long kSleepLimitNs = 200'000;

  [[gnu::noinline]] void WaitForTurn(uint32_t ticket) {
    for (int spins = 0; spins < kSpins; ++spins) {
      if (serving_.load(std::memory_order_acquire) == ticket) return;
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
    sleepers_.fetch_add(1, std::memory_order_seq_cst);
    for (uint32_t now = serving_.load(std::memory_order_acquire); now != ticket;
         now = serving_.load(std::memory_order_acquire)) {
      const timespec limit{0, kSleepLimitNs};
      // Returns at once when `serving_` has already moved on from `now`.
      syscall(SYS_futex, reinterpret_cast<uint32_t*>(&serving_), FUTEX_WAIT_PRIVATE, now, &limit,
              nullptr, 0);
    }
    sleepers_.fetch_sub(1, std::memory_order_relaxed);
  }

  [[gnu::noinline]] void WakeSleepers() {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&serving_), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
            nullptr, 0);
  }

  // Tickets wrap around; only equality is ever compared.
  std::atomic<uint32_t> next_{0};
  std::atomic<uint32_t> serving_{0};
  std::atomic<uint32_t> sleepers_{0};
};

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t),
              "the futex works on the counter itself");

}  // namespace platform::gdi

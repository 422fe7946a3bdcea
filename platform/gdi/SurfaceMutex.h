// The lock of one surface: a ticket lock, so threads get the surface in the order they
// asked for it. A lock that lets whoever is running grab it again starves the rest: with
// two threads blitting back to back into one surface, a third thread's GetPixel could wait
// for seconds. Pixel calls take it twice per pixel when a filter walks a picture, so the
// uncontended path stays one atomic add to enter and a plain release store to leave,
// inlined at the call. A waiter spins briefly (holders are short: one primitive), then
// yields the core so that the holder, or the thread whose turn is next, can run.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

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
  void unlock() { serving_.store(serving_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

 private:
  [[gnu::noinline]] void WaitForTurn(uint32_t ticket) {
    for (int spins = 0; serving_.load(std::memory_order_acquire) != ticket; ++spins) {
      if (spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
      } else {
        std::this_thread::yield();
      }
    }
  }

  // Tickets wrap around; only equality is ever compared.
  std::atomic<uint32_t> next_{0};
  std::atomic<uint32_t> serving_{0};
};

}  // namespace platform::gdi

// The lock of one surface. Pixel calls take it twice per pixel when a filter walks a
// picture, so the uncontended path is one atomic exchange to enter and a plain release
// store to leave, inlined at the call. A waiter spins briefly (holders are short: one
// primitive), then yields the core so that a long stretch on the other thread can finish.
#pragma once

#include <atomic>
#include <thread>

namespace platform::gdi {

class SurfaceMutex {
 public:
  void lock() {
    if (!held_.exchange(true, std::memory_order_acquire)) return;
    Contend();
  }
  bool try_lock() {
    return !held_.load(std::memory_order_relaxed) &&
           !held_.exchange(true, std::memory_order_acquire);
  }
  void unlock() { held_.store(false, std::memory_order_release); }

 private:
  [[gnu::noinline]] void Contend() {
    for (int spins = 0;; ++spins) {
      while (held_.load(std::memory_order_relaxed)) {
        if (spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
          __builtin_ia32_pause();
#endif
          ++spins;
        } else {
          std::this_thread::yield();
        }
      }
      if (!held_.exchange(true, std::memory_order_acquire)) return;
    }
  }

  std::atomic<bool> held_{false};
};

}  // namespace platform::gdi

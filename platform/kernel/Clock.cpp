#include "platform/kernel/Clock.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/kernel/Waitable.h"

namespace platform::kernel {
namespace {

std::atomic<bool> g_virtual{false};
std::atomic<uint64_t> g_virtualNow{0};
std::atomic<void (*)()> g_listener{nullptr};
// Added to the system clock after virtual time ran ahead of it, so that switching back
// never turns the clock back.
std::atomic<uint64_t> g_realOffset{0};

uint64_t RealNowMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u +
         g_realOffset.load();
}

struct Listeners {
  std::mutex mutex;
  std::vector<void (*)()> list;
};

Listeners& ExtraListeners() {
  static auto* listeners = new Listeners();
  return *listeners;
}

void Notify() {
  // Waits with a time-out measure it on this clock; they must look again.
  { std::lock_guard lock(SyncMutex()); }
  NotifySyncChange();
  if (auto listener = g_listener.load()) listener();
  std::vector<void (*)()> extra;
  {
    std::lock_guard lock(ExtraListeners().mutex);
    extra = ExtraListeners().list;
  }
  for (auto listener : extra) listener();
}

}  // namespace

uint64_t ClockNowMs() {
  return g_virtual.load() ? g_virtualNow.load() : RealNowMs();
}

void UseVirtualClock(bool on) {
  if (on == g_virtual.load()) return;
  if (on) {
    // Never let virtual time run behind what callers have already read.
    uint64_t real = RealNowMs();
    uint64_t current = g_virtualNow.load();
    while (current < real && !g_virtualNow.compare_exchange_weak(current, real)) {
    }
  } else {
    uint64_t real = RealNowMs();
    uint64_t reached = g_virtualNow.load();
    if (reached > real) g_realOffset.fetch_add(reached - real);
  }
  g_virtual.store(on);
  Notify();
}

bool IsVirtualClock() {
  return g_virtual.load();
}

void AdvanceVirtualClock(uint64_t ms) {
  if (!g_virtual.load() || ms == 0) return;
  g_virtualNow.fetch_add(ms);
  Notify();
}

void AdvanceVirtualClockTo(uint64_t ms) {
  if (!g_virtual.load()) return;
  uint64_t current = g_virtualNow.load();
  bool moved = false;
  while (current < ms && !(moved = g_virtualNow.compare_exchange_weak(current, ms))) {
  }
  if (moved) Notify();
}

void SetVirtualClockListener(void (*listener)()) {
  g_listener.store(listener);
}

void AddVirtualClockListener(void (*listener)()) {
  std::lock_guard lock(ExtraListeners().mutex);
  ExtraListeners().list.push_back(listener);
}

void RemoveVirtualClockListener(void (*listener)()) {
  std::lock_guard lock(ExtraListeners().mutex);
  auto& list = ExtraListeners().list;
  list.erase(std::remove(list.begin(), list.end(), listener), list.end());
}

void ClockSleep(DWORD ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  if (ms == INFINITE) {
    for (;;) pause();
  }
  if (g_virtual.load()) {
    AdvanceVirtualClock(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform::kernel

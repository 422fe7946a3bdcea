// Random numbers: a linear congruential generator per thread, so that threads never share
// a sequence, and one process-wide counter that keeps unseeded seeds apart.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "commands/numeric/NumericCommands.h"
#include "commands/support/CommandArgs.h"
#include "platform/kernel32.h"

namespace cmd {

namespace {

thread_local uint32_t t_state = 1;
std::atomic<uint32_t> g_seedCounter{0};

int32_t Draw() {
  t_state = t_state * 214013u + 2531011u;
  return static_cast<int32_t>((t_state >> 16) & 0x7FFF);
}

// Two unseeded calls in the same millisecond (on any threads) must still differ, so the
// counter moves on by an amount that depends on the seed just handed out.
uint32_t NextClockSeed() {
  uint32_t ticks = GetTickCount();
  uint32_t counter = g_seedCounter.load(std::memory_order_relaxed);
  uint32_t seed;
  do {
    seed = ticks + counter;
  } while (!g_seedCounter.compare_exchange_weak(counter, counter + (seed & 0xFF) + 100,
                                                std::memory_order_relaxed));
  return seed;
}

}  // namespace

void SetRandomSeed(rt::ArgRecord* /*result*/, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  t_state = in.Given(0) ? static_cast<uint32_t>(in.Int(0, 0)) : NextClockSeed();
}

void RandomInt(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args) {
  CommandArgs in(count, args);
  int32_t low = std::max(in.Int(0, 0), 0);
  int32_t high = std::max(in.Int(1, INT32_MAX), 0);
  int32_t lo = std::min(low, high);
  int32_t hi = std::max(low, high);
  if (lo == hi) {
    SetInt(result, lo);
    return;
  }
  // Both bounds are non-negative, so the range and range + 1 fit in an int.
  int32_t range = std::min(hi - lo, 0x7FFFFFFE);
  SetInt(result, lo + Draw() % (range + 1));
}

}  // namespace cmd

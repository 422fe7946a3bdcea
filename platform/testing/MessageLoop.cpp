#include "platform/testing/MessageLoop.h"

#include <algorithm>

#include "platform/kernel/Clock.h"
#include "platform/user/ThreadQueue.h"
#include "platform/user32.h"

namespace platform::testing {
namespace {

constexpr int kMostMessagesPerRun = 100000;

bool QuitIsNext() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

}  // namespace

void UseVirtualClock(bool on) {
  platform::kernel::UseVirtualClock(on);
}

void AdvanceClock(DWORD ms) {
  platform::kernel::AdvanceVirtualClock(ms);
}

uint64_t NowMs() {
  return platform::kernel::ClockNowMs();
}

int RunUntilIdle() {
  int dispatched = 0;
  MSG msg;
  while (dispatched < kMostMessagesPerRun && PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT && msg.hwnd == nullptr) break;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT && msg.hwnd == nullptr) {
      // Something ahead of it went away between the two looks; leave the quit for the
      // program's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ++dispatched;
  }
  return dispatched;
}

bool RunUntil(const std::function<bool()>& done, DWORD maxMs) {
  using namespace platform::user;
  auto queue = CurrentQueue();
  const uint64_t start = NowMs();
  const uint64_t deadline = start + maxMs;
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard lock(queue->mutex);
      seen = queue->sequence;
    }
    if (done()) return true;
    RunUntilIdle();
    if (done()) return true;
    if (QuitIsNext()) return false;
    const uint64_t now = NowMs();
    if (now >= deadline) return false;
    std::optional<uint64_t> nextTimer;
    {
      std::lock_guard lock(queue->mutex);
      nextTimer = NextTimerDueLocked(*queue, now);
    }
    if (platform::kernel::IsVirtualClock()) {
      if (nextTimer) {
        platform::kernel::AdvanceVirtualClockTo(std::min(*nextTimer, deadline));
        continue;
      }
      // Nothing scheduled here: only another thread can bring work, in real time.
      WaitForQueueChange(*queue, seen, maxMs);
      std::lock_guard lock(queue->mutex);
      if (queue->sequence == seen) return done();
      continue;
    }
    uint64_t until = nextTimer ? std::min(*nextTimer, deadline) : deadline;
    WaitForQueueChange(*queue, seen, static_cast<DWORD>(until - now));
  }
}

}  // namespace platform::testing

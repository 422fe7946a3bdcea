// Timers. A due timer is not a queued message: the retrieval makes its WM_TIMER when
// nothing else waits, so a slow reader gets one WM_TIMER per look, never a backlog.
#include <algorithm>
#include <atomic>

#include "platform/kernel/Clock.h"
#include "platform/kernel32.h"
#include "platform/user/ThreadQueue.h"
#include "platform/user/WindowManager.h"

namespace platform::user {
namespace {

std::atomic<UINT_PTR> g_nextThreadTimerId{1};

UINT ClampElapse(UINT elapse) {
  return std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
}

auto FindTimer(ThreadQueue& queue, HWND window, UINT_PTR id) {
  return std::find_if(queue.timers.begin(), queue.timers.end(),
                      [&](const Timer& t) { return t.window == window && t.id == id; });
}

UINT_PTR NewThreadTimerId(ThreadQueue& queue) {
  for (;;) {
    UINT_PTR id = g_nextThreadTimerId.fetch_add(1);
    if (id == 0) continue;  // after a wrap
    if (FindTimer(queue, nullptr, id) == queue.timers.end()) return id;
  }
}

}  // namespace

std::optional<uint64_t> NextTimerDueLocked(const ThreadQueue& queue, uint64_t now,
                                           const MessageFilter* filter) {
  std::optional<uint64_t> next;
  for (const Timer& timer : queue.timers) {
    if (timer.due <= now) continue;
    if (filter != nullptr && !(filter->InRange(WM_TIMER) && filter->MatchesWindow(timer.window))) {
      continue;
    }
    if (!next || timer.due < *next) next = timer.due;
  }
  return next;
}

void NoteDueTimersLocked(ThreadQueue& queue, uint64_t now) {
  for (Timer& timer : queue.timers) {
    if (timer.due <= now && !timer.reported) {
      timer.reported = true;
      queue.newBits |= QS_TIMER;
    }
  }
}

bool HasDueTimerLocked(const ThreadQueue& queue, uint64_t now) {
  return std::any_of(queue.timers.begin(), queue.timers.end(),
                     [&](const Timer& timer) { return timer.due <= now; });
}

bool TakeTimerMessageLocked(ThreadQueue& queue, const MessageFilter& filter, bool remove,
                            uint64_t now, MSG* out) {
  if (!filter.InRange(WM_TIMER)) return false;
  Timer* earliest = nullptr;
  for (Timer& timer : queue.timers) {
    if (timer.due > now || !filter.MatchesWindow(timer.window)) continue;
    if (earliest == nullptr || timer.due < earliest->due) earliest = &timer;
  }
  if (earliest == nullptr) return false;
  *out = MSG{
      earliest->window,        WM_TIMER,   earliest->id, reinterpret_cast<LPARAM>(earliest->proc),
      static_cast<DWORD>(now), POINT{0, 0}};
  if (remove) {
    // Keep the timer's phase; whole periods missed are skipped.
    const uint64_t late = now - earliest->due;
    earliest->due += (late / earliest->elapse + 1) * earliest->elapse;
    earliest->reported = false;
  }
  return true;
}

void DropWindowTimersLocked(ThreadQueue& queue, HWND window) {
  std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window; });
}

bool IsTimerProcOfThisThread(TIMERPROC proc) {
  auto queue = CurrentQueue();
  std::lock_guard lock(queue->mutex);
  return std::any_of(queue->timers.begin(), queue->timers.end(),
                     [&](const Timer& timer) { return timer.proc == proc; });
}

}  // namespace platform::user

using namespace platform::user;

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  std::shared_ptr<ThreadQueue> queue;
  if (window != nullptr) {
    queue = QueueOfWindow(window);
    if (!queue) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  } else {
    queue = CurrentQueue();
  }
  elapse = ClampElapse(elapse);
  const uint64_t due = platform::kernel::ClockNowMs() + elapse;
  UINT_PTR result = 0;
  {
    std::lock_guard lock(queue->mutex);
    if (!queue->alive) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    // A thread timer is replaced only when the id names one of the thread's timers;
    // any other id gets a fresh one.
    auto existing =
        window != nullptr || id != 0 ? FindTimer(*queue, window, id) : queue->timers.end();
    if (existing != queue->timers.end()) {
      existing->elapse = elapse;
      existing->proc = proc;
      existing->due = due;
      existing->reported = false;
      result = existing->id;
    } else {
      Timer timer;
      timer.window = window;
      timer.id = window != nullptr ? id : NewThreadTimerId(*queue);
      timer.elapse = elapse;
      timer.proc = proc;
      timer.due = due;
      queue->timers.push_back(timer);
      result = timer.id;
    }
    MarkChanged(*queue, 0);
  }
  WakeQueue(*queue);
  // A window timer with id 0 is valid, but 0 means failure here.
  return result != 0 ? result : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  std::shared_ptr<ThreadQueue> queue;
  if (window != nullptr) {
    queue = QueueOfWindow(window);
    if (!queue) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
  } else {
    queue = CurrentQueue();
  }
  std::lock_guard lock(queue->mutex);
  auto it = FindTimer(*queue, window, id);
  if (it == queue->timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  queue->timers.erase(it);
  return TRUE;
}

// A thread's message queue and the helpers the message, timer and wait code share.
//
// Any thread puts messages in; only the owning thread takes them out. Everything in the
// queue is guarded by its own mutex, which is never held while a window procedure runs and
// never taken before UserLock (the order is UserLock, then the queue registry, then a queue).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/user/MessageQueue.h"
#include "platform/user32.h"

namespace platform::user {

// A message sent from another thread: the sender blocks until `replied`.
struct SentMessage {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::shared_ptr<ThreadQueue> sender;
  // Guarded by sender->mutex.
  bool replied = false;
  LRESULT result = 0;
};

struct Timer {
  HWND window = nullptr;  // null for a thread timer
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  uint64_t due = 0;       // clock milliseconds
  bool reported = false;  // counted as new in the queue status since it fell due
};

// Windows refuses a post beyond this many waiting messages; a thread that stopped reading
// its queue must not eat all memory.
constexpr size_t kPostedMessageLimit = 10000;

class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD id) : threadId(id) {}

  const DWORD threadId;
  std::mutex mutex;
  std::condition_variable changed;

  // Guarded by mutex.
  uint64_t sequence = 0;  // bumped on every change a waiting owner may care about
  bool alive = true;      // false once the thread has ended
  std::deque<MSG> posted;
  std::deque<MSG> input;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int exitCode = 0;
  std::vector<Timer> timers;
  UINT newBits = 0;        // QS_* kinds added since the owner last looked
  bool paintSeen = false;  // a paint was owed when the owner last looked

  // Set while the owner waits through the kernel wait (MsgWaitForMultipleObjects), so that
  // whoever changes the queue also wakes the kernel waiters.
  std::atomic<bool> inKernelWait{false};
};

// Which messages a GetMessage or PeekMessage call asks for.
struct MessageFilter {
  bool threadOnly = false;    // window filter -1: messages posted to the thread alone
  bool anyWindow = true;      // no window filter
  std::vector<HWND> windows;  // the filter window and its descendants
  HWND window = nullptr;      // the filter window itself
  UINT min = 0;
  UINT max = 0;

  bool InRange(UINT message) const {
    return (min == 0 && max == 0) || (message >= min && message <= max);
  }
  bool MatchesWindow(HWND hwnd) const;
  bool Matches(const MSG& msg) const { return InRange(msg.message) && MatchesWindow(msg.hwnd); }
};

// The queue of `threadId`, made on demand (for a window whose thread has not yet read
// messages). Null only for thread id 0.
std::shared_ptr<ThreadQueue> QueueForThread(DWORD threadId);
// The queue a window's messages go to; null for a dead handle. Takes UserLock.
std::shared_ptr<ThreadQueue> QueueOfWindow(HWND window);

// Records a change (with the queue's mutex held): what kinds of message were added.
inline void MarkChanged(ThreadQueue& queue, UINT addedBits) {
  queue.newBits |= addedBits;
  ++queue.sequence;
}
// Wakes the owner after a change (mutex released): its condition variable, a kernel wait,
// and the presenter when the owner is the UI thread.
void WakeQueue(ThreadQueue& queue);
// True when `threadId` must wait through the presenter.
bool IsUiThread(DWORD threadId);

// Blocks the owner until the queue's sequence moves past `seen` or `timeoutMs` passes (real
// milliseconds; INFINITE for none). On the UI thread the presenter does the waiting.
void WaitForQueueChange(ThreadQueue& queue, uint64_t seen, DWORD timeoutMs);

// ---- Sent messages (Messages.cpp) -------------------------------------------------------

// Runs the oldest message sent to `queue` by another thread and replies to its sender.
// Returns false when none was waiting.
bool DeliverOneSentMessage(ThreadQueue& queue);
// Gives a waiting sender its result (once; later replies are ignored).
void CompleteSentMessage(SentMessage& sent, LRESULT result);

// ---- Timers (Timers.cpp) ----------------------------------------------------------------

// The earliest due time after `now` of the timers the filter accepts (all without one).
std::optional<uint64_t> NextTimerDueLocked(const ThreadQueue& queue, uint64_t now,
                                           const MessageFilter* filter = nullptr);
// Marks timers that fell due as new in the queue status.
void NoteDueTimersLocked(ThreadQueue& queue, uint64_t now);
// Whether a due timer exists at all.
bool HasDueTimerLocked(const ThreadQueue& queue, uint64_t now);
// Takes the WM_TIMER of the earliest due timer the filter accepts. Removing it schedules
// the timer's next period; periods missed meanwhile are not made up (one WM_TIMER each time
// the timer falls due, however late it is read).
bool TakeTimerMessageLocked(ThreadQueue& queue, const MessageFilter& filter, bool remove,
                            uint64_t now, MSG* out);
// Whether `proc` belongs to a timer of the calling thread: DispatchMessage calls the
// lParam of a WM_TIMER only then, since anyone can post a WM_TIMER with any lParam.
bool IsTimerProcOfThisThread(TIMERPROC proc);
// Drops every timer of a window.
void DropWindowTimersLocked(ThreadQueue& queue, HWND window);

}  // namespace platform::user

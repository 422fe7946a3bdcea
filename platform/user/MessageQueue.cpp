// Per-thread queues: the registry, retrieval in Windows' order, and the waits for work.
#include "platform/user/MessageQueue.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "platform/controls/MenuPaint.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Waitable.h"
#include "platform/kernel32.h"
#include "platform/user/Painting.h"
#include "platform/user/Presenter.h"
#include "platform/user/ThreadQueue.h"
#include "platform/user/WindowManager.h"

namespace platform::user {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

// Never destroyed: threads may still post while the process winds down.
Registry& Queues() {
  static Registry* registry = new Registry();
  return *registry;
}

std::vector<std::shared_ptr<ThreadQueue>> AllQueues() {
  std::lock_guard lock(Queues().mutex);
  std::vector<std::shared_ptr<ThreadQueue>> all;
  all.reserve(Queues().queues.size());
  for (auto& [id, queue] : Queues().queues) all.push_back(queue);
  return all;
}

void Nudge(ThreadQueue& queue) {
  {
    std::lock_guard lock(queue.mutex);
    MarkChanged(queue, 0);
  }
  WakeQueue(queue);
}

// Waiting threads must look again when virtual time moves: a timer may have fallen due.
void OnClockAdvanced() {
  for (auto& queue : AllQueues()) Nudge(*queue);
}

// A thread that ends takes its queue with it: senders waiting for it get 0, and nothing
// more can be posted to it.
void RetireQueue(const std::shared_ptr<ThreadQueue>& queue) {
  {
    std::lock_guard lock(Queues().mutex);
    auto it = Queues().queues.find(queue->threadId);
    if (it != Queues().queues.end() && it->second == queue) Queues().queues.erase(it);
  }
  std::deque<std::shared_ptr<SentMessage>> waiting;
  {
    std::lock_guard lock(queue->mutex);
    queue->alive = false;
    waiting.swap(queue->sent);
    queue->posted.clear();
    queue->input.clear();
    queue->timers.clear();
    MarkChanged(*queue, 0);
  }
  for (auto& sent : waiting) CompleteSentMessage(*sent, 0);
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (queue) RetireQueue(queue);
  }
};

thread_local QueueHolder t_queue;

// When the thread last retrieved a message, for GetMessageTime and GetMessagePos.
thread_local DWORD t_messageTime = 0;
thread_local POINT t_messagePos{0, 0};

POINT CursorPos() {
  std::lock_guard lock(UserLock());
  return State().cursorPos;
}

UINT InputBits(UINT message) {
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return QS_KEY;
  if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) return QS_MOUSEMOVE;
  return QS_MOUSEBUTTON;
}

void CollectDescendants(const Window& window, std::vector<HWND>& out) {
  for (const Window* child : window.children) {
    out.push_back(child->handle);
    CollectDescendants(*child, out);
  }
}

// Builds the filter; false (with the error set) for a dead filter window.
bool MakeFilter(HWND window, UINT min, UINT max, MessageFilter& filter) {
  filter.min = min;
  filter.max = max;
  if (window == nullptr) return true;
  filter.anyWindow = false;
  if (window == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
    filter.threadOnly = true;
    return true;
  }
  std::lock_guard lock(UserLock());
  Window* found = FindWindowLocked(window);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  filter.window = window;
  filter.windows.push_back(window);
  CollectDescendants(*found, filter.windows);
  return true;
}

bool TakeFrom(std::deque<MSG>& messages, const MessageFilter& filter, bool remove, MSG* out) {
  auto it = std::find_if(messages.begin(), messages.end(),
                         [&](const MSG& msg) { return filter.Matches(msg); });
  if (it == messages.end()) return false;
  *out = *it;
  if (remove) messages.erase(it);
  return true;
}

// One look at the queue in Windows' order: messages sent from other threads (run here and
// now), posted messages, input, WM_PAINT, WM_TIMER, and WM_QUIT when nothing else is left.
bool Retrieve(ThreadQueue& queue, const MessageFilter& filter, bool remove, MSG* out) {
  while (DeliverOneSentMessage(queue)) {
  }
  {
    std::lock_guard lock(queue.mutex);
    queue.newBits = 0;
    if (TakeFrom(queue.posted, filter, remove, out) || TakeFrom(queue.input, filter, remove, out)) {
      return true;
    }
  }
  const bool paintAsked = !filter.threadOnly && filter.InRange(WM_PAINT);
  if (paintAsked) {
    HWND owed = FindPaintWindow(queue.threadId, filter.window);
    if (filter.window == nullptr) {
      std::lock_guard lock(queue.mutex);
      queue.paintSeen = owed != nullptr;
    }
    if (owed != nullptr) {
      *out = MSG{owed, WM_PAINT, 0, 0, GetTickCount(), CursorPos()};
      return true;
    }
  }
  const POINT cursor = CursorPos();
  std::lock_guard lock(queue.mutex);
  if (TakeTimerMessageLocked(queue, filter, remove, platform::kernel::ClockNowMs(), out)) {
    out->pt = cursor;
    return true;
  }
  if (queue.quit && filter.InRange(WM_QUIT)) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.exitCode), 0, GetTickCount(), cursor};
    if (remove) queue.quit = false;
    return true;
  }
  return false;
}

void NoteRetrieved(const MSG& msg) {
  t_messageTime = msg.time;
  t_messagePos = msg.pt;
  platform::controls::NoteKeyForMenuBar(msg);
}

void PumpIfUiThread(const ThreadQueue& queue) {
  if (IsUiThread(queue.threadId)) ActivePresenter().PumpNativeEvents();
}

// Brings the queue's "new" bits up to date with what the clock and the window manager know
// (due timers, windows owed a paint); those change without anyone touching the queue.
void RefreshStatusBits(ThreadQueue& queue) {
  const bool paint = FindPaintWindow(queue.threadId, nullptr) != nullptr;
  std::lock_guard lock(queue.mutex);
  NoteDueTimersLocked(queue, platform::kernel::ClockNowMs());
  if (paint && !queue.paintSeen) queue.newBits |= QS_PAINT;
  queue.paintSeen = paint;
}

UINT CurrentStatusBits(ThreadQueue& queue) {
  const bool paint = FindPaintWindow(queue.threadId, nullptr) != nullptr;
  std::lock_guard lock(queue.mutex);
  UINT bits = paint ? QS_PAINT : 0;
  if (!queue.posted.empty() || queue.quit) bits |= QS_POSTMESSAGE;
  if (!queue.sent.empty()) bits |= QS_SENDMESSAGE;
  for (const MSG& msg : queue.input) bits |= InputBits(msg.message);
  if (HasDueTimerLocked(queue, platform::kernel::ClockNowMs())) bits |= QS_TIMER;
  return bits;
}

}  // namespace

bool MessageFilter::MatchesWindow(HWND hwnd) const {
  if (threadOnly) return hwnd == nullptr;
  if (anyWindow) return true;
  return std::find(windows.begin(), windows.end(), hwnd) != windows.end();
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  if (!t_queue.queue) {
    static std::once_flag listening;
    std::call_once(listening, [] { platform::kernel::SetVirtualClockListener(&OnClockAdvanced); });
    t_queue.queue = QueueForThread(GetCurrentThreadId());
  }
  return t_queue.queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
  std::lock_guard lock(Queues().mutex);
  auto it = Queues().queues.find(threadId);
  return it == Queues().queues.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadQueue> QueueForThread(DWORD threadId) {
  if (threadId == 0) return nullptr;
  std::lock_guard lock(Queues().mutex);
  auto& slot = Queues().queues[threadId];
  if (!slot) slot = std::make_shared<ThreadQueue>(threadId);
  return slot;
}

std::shared_ptr<ThreadQueue> QueueOfWindow(HWND window) {
  DWORD threadId = 0;
  {
    std::lock_guard lock(UserLock());
    Window* found = FindWindowLocked(window);
    if (found == nullptr) return nullptr;
    if (found->queue) return found->queue;
    threadId = found->threadId;
  }
  return QueueForThread(threadId);
}

bool IsUiThread(DWORD threadId) {
  return threadId != 0 && ActivePresenter().UiThread() == threadId;
}

void WakeQueue(ThreadQueue& queue) {
  queue.changed.notify_all();
  if (queue.inKernelWait.load()) {
    // Taking the mutex orders this after the waiter's last look at the queue.
    { std::lock_guard lock(platform::kernel::SyncMutex()); }
    platform::kernel::NotifySyncChange();
  }
  if (IsUiThread(queue.threadId)) ActivePresenter().Wake();
}

void WaitForQueueChange(ThreadQueue& queue, uint64_t seen, DWORD timeoutMs) {
  if (IsUiThread(queue.threadId)) {
    {
      std::lock_guard lock(queue.mutex);
      if (queue.sequence != seen) return;
    }
    // A Wake() between that look and this wait must end the wait at once; the presenter
    // keeps it pending for that reason.
    ActivePresenter().WaitForEvents(timeoutMs);
    return;
  }
  std::unique_lock lock(queue.mutex);
  auto moved = [&] { return queue.sequence != seen; };
  if (timeoutMs == INFINITE) {
    queue.changed.wait(lock, moved);
  } else {
    queue.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), moved);
  }
}

bool PostInputMessage(const MSG& message) {
  auto queue = QueueOfWindow(message.hwnd);
  if (!queue) return false;
  MSG msg = message;
  if (msg.time == 0) msg.time = GetTickCount();
  {
    std::lock_guard lock(queue->mutex);
    if (!queue->alive) return false;
    queue->input.push_back(msg);
    MarkChanged(*queue, InputBits(msg.message));
  }
  WakeQueue(*queue);
  return true;
}

void WakeThread(DWORD threadId) {
  if (auto queue = QueueOfThread(threadId)) Nudge(*queue);
}

void ForgetWindowMessages(HWND window) {
  if (window == nullptr) return;
  for (auto& queue : AllQueues()) {
    std::vector<std::shared_ptr<SentMessage>> orphans;
    {
      std::lock_guard lock(queue->mutex);
      auto forWindow = [&](const MSG& msg) { return msg.hwnd == window; };
      std::erase_if(queue->posted, forWindow);
      std::erase_if(queue->input, forWindow);
      DropWindowTimersLocked(*queue, window);
      for (auto it = queue->sent.begin(); it != queue->sent.end();) {
        if ((*it)->window == window) {
          orphans.push_back(*it);
          it = queue->sent.erase(it);
        } else {
          ++it;
        }
      }
    }
    // The senders learn the window is gone instead of waiting for a reply that never comes.
    for (auto& sent : orphans) CompleteSentMessage(*sent, 0);
  }
}

}  // namespace platform::user

using namespace platform::user;

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MessageFilter filter;
  if (!MakeFilter(window, filterMin, filterMax, filter)) return FALSE;
  auto queue = CurrentQueue();
  PumpIfUiThread(*queue);
  if (!Retrieve(*queue, filter, (removeFlags & PM_REMOVE) != 0, msg)) return FALSE;
  NoteRetrieved(*msg);
  return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  MessageFilter filter;
  if (!MakeFilter(window, filterMin, filterMax, filter)) return -1;
  auto queue = CurrentQueue();
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard lock(queue->mutex);
      seen = queue->sequence;
    }
    PumpIfUiThread(*queue);
    if (Retrieve(*queue, filter, true, msg)) {
      NoteRetrieved(*msg);
      return msg->message == WM_QUIT ? 0 : 1;
    }
    const uint64_t now = platform::kernel::ClockNowMs();
    std::optional<uint64_t> nextTimer;
    {
      std::lock_guard lock(queue->mutex);
      nextTimer = NextTimerDueLocked(*queue, now, &filter);
    }
    if (nextTimer && platform::kernel::IsVirtualClock()) {
      // Nothing but timers to wait for: in virtual time the wait takes no time at all.
      platform::kernel::AdvanceVirtualClockTo(*nextTimer);
      continue;
    }
    DWORD timeout = INFINITE;
    if (nextTimer) timeout = static_cast<DWORD>(std::min<uint64_t>(*nextTimer - now, INFINITE - 1));
    WaitForQueueChange(*queue, seen, timeout);
  }
}

BOOL WaitMessage() {
  return MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0
             ? TRUE
             : FALSE;
}

BOOL GetInputState() {
  auto queue = CurrentQueue();
  PumpIfUiThread(*queue);
  std::lock_guard lock(queue->mutex);
  return std::any_of(queue->input.begin(), queue->input.end(),
                     [](const MSG& msg) {
                       return (InputBits(msg.message) & (QS_KEY | QS_MOUSEBUTTON)) != 0;
                     })
             ? TRUE
             : FALSE;
}

DWORD GetQueueStatus(UINT flags) {
  auto queue = CurrentQueue();
  PumpIfUiThread(*queue);
  RefreshStatusBits(*queue);
  const UINT now = CurrentStatusBits(*queue) & flags;
  std::lock_guard lock(queue->mutex);
  const UINT added = queue->newBits & now;
  queue->newBits &= ~flags;
  return (static_cast<DWORD>(now) << 16) | added;
}

DWORD GetMessageTime() {
  return t_messageTime;
}

DWORD GetMessagePos() {
  return static_cast<DWORD>(MAKELPARAM(t_messagePos.x, t_messagePos.y));
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask) {
  if (count >= MAXIMUM_WAIT_OBJECTS || (count != 0 && handles == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  namespace kernel = platform::kernel;
  auto queue = CurrentQueue();
  const bool ui = IsUiThread(queue->threadId);
  const uint64_t start = kernel::ClockNowMs();
  const bool forever = milliseconds == INFINITE;
  const uint64_t deadline = start + (forever ? 0 : milliseconds);

  queue->inKernelWait.store(true);
  struct ClearFlag {
    ThreadQueue& queue;
    ~ClearFlag() { queue.inKernelWait.store(false); }
  } clearFlag{*queue};
  // The user-interface thread blocks in the presenter, which hears the desktop; a change of
  // any waitable object wakes it there, as a change of its queue does.
  std::optional<kernel::ScopedSyncWaker> objectsChanged;
  if (ui) objectsChanged.emplace([] { ActivePresenter().Wake(); });

  for (;;) {
    if (ui) ActivePresenter().PumpNativeEvents();
    RefreshStatusBits(*queue);
    uint64_t seen;
    {
      std::lock_guard lock(queue->mutex);
      seen = queue->sequence;
    }
    // Wakes for input of the mask, or (waiting for any object) for any change of the queue
    // so that timers and paints are looked at again; a wait-all must not be ended by that,
    // since ending it takes the objects.
    auto ready = [&] {
      std::lock_guard lock(queue->mutex);
      return (queue->newBits & wakeMask) != 0 || (!waitAll && queue->sequence != seen);
    };
    const uint64_t now = kernel::ClockNowMs();
    std::optional<uint64_t> nextTimer;
    if (wakeMask & QS_TIMER) {
      std::lock_guard lock(queue->mutex);
      nextTimer = NextTimerDueLocked(*queue, now);
    }
    uint64_t until = forever ? UINT64_MAX : deadline;
    if (nextTimer) until = std::min(until, *nextTimer);
    DWORD slice = INFINITE;
    if (until != UINT64_MAX) {
      // In virtual time the clock is moved below instead of waiting for it.
      slice =
          kernel::IsVirtualClock()
              ? 0
              : static_cast<DWORD>(std::min<uint64_t>(until > now ? until - now : 0, INFINITE - 1));
    }
    const DWORD result = kernel::WaitForObjectsOr(count, handles, waitAll, ui ? 0 : slice, ready);
    if (result != WAIT_TIMEOUT) {
      if (result == WAIT_OBJECT_0 + count && !waitAll) {
        std::lock_guard lock(queue->mutex);
        if ((queue->newBits & wakeMask) == 0) continue;  // changed, but nothing of the mask
      }
      return result;
    }
    if (kernel::IsVirtualClock() && until != UINT64_MAX && until > kernel::ClockNowMs()) {
      kernel::AdvanceVirtualClockTo(until);
      continue;
    }
    if (!forever && kernel::ClockNowMs() >= deadline) return WAIT_TIMEOUT;
    if (ui) ActivePresenter().WaitForEvents(slice);
  }
}

// Sending, posting, dispatching and translating messages.
#include <algorithm>
#include <vector>

#include "platform/kernel32.h"
#include "platform/user/Presenter.h"
#include "platform/user/ThreadQueue.h"
#include "platform/user/WindowManager.h"

namespace platform::user {
namespace {

// What the thread is handling now, innermost last: the message sent from another thread,
// or null for anything else (same-thread sends, dispatched messages). InSendMessage and
// ReplyMessage look at the innermost entry only.
thread_local std::vector<std::shared_ptr<SentMessage>> t_handling;

class Handling {
 public:
  explicit Handling(std::shared_ptr<SentMessage> sent) { t_handling.push_back(std::move(sent)); }
  ~Handling() { t_handling.pop_back(); }
  Handling(const Handling&) = delete;
  Handling& operator=(const Handling&) = delete;
};

struct Target {
  WNDPROC proc = nullptr;
  DWORD threadId = 0;
  std::shared_ptr<ThreadQueue> queue;
};

// The procedure and thread of a live window; false with the error set for a dead one.
bool FindTarget(HWND window, Target& target) {
  std::lock_guard lock(UserLock());
  Window* found = window != nullptr ? FindWindowLocked(window) : nullptr;
  if (found == nullptr || found->destroyed) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  target.proc = found->proc;
  target.threadId = found->threadId;
  target.queue = found->queue;
  return true;
}

LRESULT CallProcedure(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return 0;
  Handling handling(nullptr);
  return CallWindowProcA(proc, window, message, wParam, lParam);
}

POINT CursorPos() {
  std::lock_guard lock(UserLock());
  return State().cursorPos;
}

bool PostTo(const std::shared_ptr<ThreadQueue>& queue, const MSG& msg, DWORD deadError) {
  {
    std::lock_guard lock(queue->mutex);
    if (!queue->alive) {
      SetLastError(deadError);
      return false;
    }
    if (queue->posted.size() >= kPostedMessageLimit) {
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    queue->posted.push_back(msg);
    MarkChanged(*queue, QS_POSTMESSAGE);
  }
  WakeQueue(*queue);
  return true;
}

LRESULT SendToOtherThread(const Target& target, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  auto receiver = target.queue ? target.queue : QueueForThread(target.threadId);
  if (!receiver) return 0;
  auto self = CurrentQueue();
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = self;
  {
    std::lock_guard lock(receiver->mutex);
    if (!receiver->alive) return 0;  // the thread has ended
    receiver->sent.push_back(sent);
    MarkChanged(*receiver, QS_SENDMESSAGE);
  }
  WakeQueue(*receiver);
  // While blocked, messages other threads send to this one still run here; otherwise two
  // threads sending to each other would wait for ever.
  for (;;) {
    while (DeliverOneSentMessage(*self)) {
    }
    uint64_t seen;
    {
      std::lock_guard lock(self->mutex);
      if (sent->replied) return sent->result;
      if (!self->sent.empty()) continue;
      seen = self->sequence;
    }
    WaitForQueueChange(*self, seen, INFINITE);
  }
}

// The character a key makes on a US layout, or -1 for none.
int CharacterOfKey(int key, bool shift, bool capsLock, bool control) {
  if (key >= 'A' && key <= 'Z') {
    if (control) return key - 'A' + 1;
    return shift != capsLock ? key : key - 'A' + 'a';
  }
  if (key >= '0' && key <= '9') {
    if (control) return -1;
    return shift ? ")!@#$%^&*("[key - '0'] : key;
  }
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return control ? -1 : '0' + (key - VK_NUMPAD0);
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return control ? 0x0A : 0x0D;
    case VK_BACK:
      return control ? 0x7F : 0x08;
    case VK_TAB:
      return control ? -1 : 0x09;
    case VK_ESCAPE:
      return 0x1B;
    case VK_OEM_4:
      return control ? 0x1B : shift ? '{' : '[';
    case VK_OEM_5:
      return control ? 0x1C : shift ? '|' : '\\';
    case VK_OEM_6:
      return control ? 0x1D : shift ? '}' : ']';
    case VK_OEM_MINUS:
      return control ? (shift ? 0x1F : -1) : shift ? '_' : '-';
    default:
      break;
  }
  if (control) return -1;
  switch (key) {
    case VK_OEM_1:
      return shift ? ':' : ';';
    case VK_OEM_PLUS:
      return shift ? '+' : '=';
    case VK_OEM_COMMA:
      return shift ? '<' : ',';
    case VK_OEM_PERIOD:
      return shift ? '>' : '.';
    case VK_OEM_2:
      return shift ? '?' : '/';
    case VK_OEM_3:
      return shift ? '~' : '`';
    case VK_OEM_7:
      return shift ? '"' : '\'';
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    default:
      return -1;
  }
}

}  // namespace

void CompleteSentMessage(SentMessage& sent, LRESULT result) {
  auto sender = sent.sender;
  {
    std::lock_guard lock(sender->mutex);
    if (sent.replied) return;
    sent.replied = true;
    sent.result = result;
    MarkChanged(*sender, 0);
  }
  WakeQueue(*sender);
}

bool DeliverOneSentMessage(ThreadQueue& queue) {
  std::shared_ptr<SentMessage> sent;
  {
    std::lock_guard lock(queue.mutex);
    if (queue.sent.empty()) return false;
    sent = queue.sent.front();
    queue.sent.pop_front();
  }
  LRESULT result = 0;
  Target target;
  if (FindTarget(sent->window, target) && target.proc != nullptr) {
    Handling handling(sent);
    result = CallWindowProcA(target.proc, sent->window, sent->message, sent->wParam, sent->lParam);
  }
  CompleteSentMessage(*sent, result);
  return true;
}

}  // namespace platform::user

using namespace platform::user;

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Target target;
  if (!FindTarget(window, target)) return 0;
  if (target.threadId == GetCurrentThreadId()) {
    return CallProcedure(target.proc, window, message, wParam, lParam);
  }
  return SendToOtherThread(target, window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) {
    return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
  }
  if (window == HWND_BROADCAST) {
    std::vector<HWND> topLevel;
    {
      std::lock_guard lock(UserLock());
      for (Window* w : State().topLevel) topLevel.push_back(w->handle);
    }
    for (HWND each : topLevel) PostMessageA(each, message, wParam, lParam);
    return TRUE;
  }
  auto queue = QueueOfWindow(window);
  if (!queue) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const MSG msg{window, message, wParam, lParam, GetTickCount(), CursorPos()};
  return PostTo(queue, msg, ERROR_INVALID_WINDOW_HANDLE) ? TRUE : FALSE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  auto queue = threadId == GetCurrentThreadId() ? CurrentQueue() : QueueOfThread(threadId);
  if (!queue) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  const MSG msg{nullptr, message, wParam, lParam, GetTickCount(), CursorPos()};
  return PostTo(queue, msg, ERROR_INVALID_THREAD_ID) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
  auto queue = CurrentQueue();
  {
    std::lock_guard lock(queue->mutex);
    queue->quit = true;
    queue->exitCode = exitCode;
    MarkChanged(*queue, QS_POSTMESSAGE);
  }
  WakeQueue(*queue);
}

BOOL InSendMessage() {
  return !t_handling.empty() && t_handling.back() != nullptr ? TRUE : FALSE;
}

BOOL ReplyMessage(LRESULT result) {
  if (t_handling.empty() || t_handling.back() == nullptr) return FALSE;
  CompleteSentMessage(*t_handling.back(), result);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    if (!IsTimerProcOfThisThread(proc)) return 0;
    Handling handling(nullptr);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;  // a thread message has no window to go to
  Target target;
  if (!FindTarget(msg->hwnd, target)) return 0;
  return CallProcedure(target.proc, msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) return TRUE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
  bool shift, control, alt, capsLock;
  {
    std::lock_guard lock(UserLock());
    const auto& keys = State().keyState;
    shift = (keys[VK_SHIFT] & 0x80) != 0;
    control = (keys[VK_CONTROL] & 0x80) != 0;
    alt = (keys[VK_MENU] & 0x80) != 0;
    capsLock = (keys[VK_CAPITAL] & 0x01) != 0;
  }
  // Control with Alt is AltGr, which the US layout gives no characters.
  if (control && alt) return TRUE;
  const int character =
      CharacterOfKey(static_cast<int>(msg->wParam & 0xFF), shift, capsLock, control);
  if (character < 0) return TRUE;
  const UINT kind = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // A presenter with an input method sends printable characters as text of its own;
  // making them from the key as well would type each one twice. Control characters
  // (Enter, Backspace, Tab, Esc, Ctrl+letter) and Alt shortcuts still come from the key.
  if (kind == WM_CHAR && character >= 0x20 && character != 0x7F &&
      ActivePresenter().DeliversTypedText())
    return TRUE;
  auto queue = CurrentQueue();
  {
    std::lock_guard lock(queue->mutex);
    // The character comes before anything posted meanwhile: it is the next message read.
    queue->posted.push_front(
        MSG{msg->hwnd, kind, static_cast<WPARAM>(character), msg->lParam, msg->time, msg->pt});
    MarkChanged(*queue, QS_POSTMESSAGE);
  }
  WakeQueue(*queue);
  return TRUE;
}

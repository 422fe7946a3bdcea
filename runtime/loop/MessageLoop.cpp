// The message loop. Each turn runs an idle phase while the queue is empty (idle routines,
// then the idle hook, repeated while the hook wants more) and then pumps messages until the
// queue is empty again. A message that restarts idle processing arms the idle phase anew.
// The modal form of the loop is the same loop, watching its window.
#include "runtime/loop/MessageLoop.h"

#include "platform/kernel32.h"
#include "platform/user32.h"
#include "runtime/FormsHooks.h"

namespace rt {

namespace {

constexpr UINT kSystemTimer = 0x0118;  // the caret's blink timer

// Mouse moves repeat while the pointer rests; only a real move restarts idle processing.
POINT g_lastMousePoint{-1, -1};
UINT g_lastMouseMessage = 0;

bool MessageWaiting() {
  MSG peeked;
  return PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

bool AnyWindowLive() {
  const FormsHooks& forms = Forms();
  return forms.anyWindowLive != nullptr && forms.anyWindowLive();
}

bool ModalEnded(HWND modal) {
  return modal != nullptr && !IsWindow(modal);
}

void Dispatch(MSG* message) {
  const FormsHooks& forms = Forms();
  if (forms.preTranslateMessage != nullptr && forms.preTranslateMessage(message)) return;
  TranslateMessage(message);
  DispatchMessageA(message);
}

// Runs the loop; `modal` null for the program's main loop. False when WM_QUIT ended it.
bool RunLoop(HWND modal) {
  bool moreIdle = true;
  int32_t idleCount = 0;
  for (;;) {
    while (moreIdle && !MessageWaiting()) {
      if (ModalEnded(modal)) return true;
      RunIdleRoutines();
      moreIdle = IdleHook(idleCount++);
    }
    do {
      if (ModalEnded(modal)) return true;
      MSG message{};
      if (!PumpMessage(&message)) {
        // A nested loop leaves the quit for the loops around it.
        if (modal != nullptr) PostQuitMessage(static_cast<int>(message.wParam));
        return false;
      }
      if (IsIdleRestartingMessage(message)) {
        moreIdle = true;
        idleCount = 0;
      }
    } while (MessageWaiting());
  }
}

}  // namespace

bool PumpMessage(MSG* message) {
  if (GetMessageA(message, nullptr, 0, 0) == FALSE) return false;
  Dispatch(message);
  return true;
}

bool IsIdleRestartingMessage(const MSG& message) {
  if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
    const bool moved = message.message != g_lastMouseMessage ||
                       message.pt.x != g_lastMousePoint.x || message.pt.y != g_lastMousePoint.y;
    g_lastMouseMessage = message.message;
    g_lastMousePoint = message.pt;
    return moved;
  }
  return message.message != WM_PAINT && message.message != kSystemTimer;
}

void RunMessageLoop() {
  Runtime().loopEntered = true;
  if (!AnyWindowLive()) return;
  RunLoop(nullptr);
}

bool RunModalLoop(HWND window) {
  if (window == nullptr) return true;
  return RunLoop(window);
}

void HandleWaitingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE) {
    if (message.message == WM_QUIT) return;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) == FALSE) return;
    if (message.message == WM_QUIT) {
      // Arrived between the two looks: it stays for the loop that owns it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(&message);
  }
}

void EndLoopWhenNoWindowLeft() {
  if (Runtime().loopEntered && !AnyWindowLive()) PostQuitMessage(0);
}

}  // namespace rt

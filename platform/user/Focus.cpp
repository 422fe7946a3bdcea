// Keyboard focus, activation and the enabled state. Focus, active and foreground windows are
// process-wide: one UI thread is the normal case, and activation entering or leaving the
// process is what WM_ACTIVATEAPP reports.
#include "platform/kernel32.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

// Disabled or hidden windows, or windows inside disabled or hidden parents, take no focus.
bool CanTakeFocus(const Window& window) {
  if (window.destroying || IsDesktop(window)) return false;
  for (const Window* w = &window; w != nullptr; w = w->parent) {
    if ((w->style & (WS_DISABLED | WS_VISIBLE)) != WS_VISIBLE) return false;
  }
  return true;
}

// Focus and activation are process-wide, so the window told of a change may belong to
// another thread. That thread may be waiting for this one; a send would then never
// return. Such windows hear of it through their queue instead, as they would on Windows
// where each thread keeps its own active window.
void Notify(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD owner = 0;
  {
    std::lock_guard lock(UserLock());
    const Window* w = FindWindowLocked(window);
    if (w == nullptr) return;
    owner = w->threadId;
  }
  if (owner == GetCurrentThreadId()) {
    SendMessageA(window, message, wParam, lParam);
  } else {
    PostMessageA(window, message, wParam, lParam);
  }
}

bool CanActivate(const Window& top) {
  return !top.destroying && !IsDesktop(top) && (top.style & WS_DISABLED) == 0;
}

// The window being told it loses the focus. A SetFocus from its WM_KILLFOCUS handler must
// not tell it again, or the two would recurse without end.
HWND& Losing() {
  static HWND losing = nullptr;
  return losing;
}

// Sends WM_KILLFOCUS unless the window is already hearing it; false when skipped.
bool TellLoser(HWND loser, HWND next) {
  HWND outer;
  {
    std::lock_guard lock(UserLock());
    if (Losing() == loser) return false;
    outer = Losing();
    Losing() = loser;
  }
  Notify(loser, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
  std::lock_guard lock(UserLock());
  Losing() = outer;
  return true;
}

void KillFocus(HWND expected, HWND next) {
  {
    std::lock_guard lock(UserLock());
    if (State().focus != expected) return;
    State().focus = nullptr;
  }
  TellLoser(expected, next);
}

void SendActivateApp(bool active) {
  std::vector<HWND> windows;
  {
    std::lock_guard lock(UserLock());
    for (Window* w : State().topLevel) {
      if (!w->destroyed) windows.push_back(w->handle);
    }
  }
  for (HWND w : windows) Notify(w, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

// The active window loses activation to `next` (null: activation leaves the process).
void Deactivate(HWND old, HWND next) {
  bool minimized = false;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(old);
    if (w == nullptr) return;
    minimized = w->minimized;
  }
  Notify(old, WM_NCACTIVATE, FALSE, 0);
  Notify(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimized ? 1 : 0),
         reinterpret_cast<LPARAM>(next));
}

}  // namespace

HWND ActivateTopLevel(HWND handle, WORD how) {
  HWND target, old;
  bool minimized;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) return nullptr;
    Window* top = TopLevelOf(w);
    if (!CanActivate(*top)) return nullptr;
    target = top->handle;
    old = State().active;
    if (old == target) return old;
    if (FindWindowLocked(old) == nullptr) old = nullptr;
    minimized = top->minimized;
  }
  if (old != nullptr) Deactivate(old, target);
  {
    std::lock_guard lock(UserLock());
    Window* top = FindWindowLocked(target);
    // A handler of the deactivation may have activated something else or destroyed us.
    if (top == nullptr || !CanActivate(*top)) return old;
    if (State().active != old && State().active != nullptr) return old;
    State().active = target;
    State().foreground = target;
  }
  if (old == nullptr) SendActivateApp(true);
  SetWindowPos(target, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Notify(target, WM_NCACTIVATE, TRUE, 0);
  Notify(target, WM_ACTIVATE, MAKEWPARAM(how, minimized ? 1 : 0), reinterpret_cast<LPARAM>(old));
  // A window that handled WM_ACTIVATE itself without taking the focus still must not leave
  // it in the window it replaced.
  HWND stale = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* top = FindWindowLocked(target);
    Window* focus = FindWindowLocked(State().focus);
    if (top != nullptr && State().active == target && focus != nullptr &&
        !IsInSubtree(*top, focus)) {
      stale = focus->handle;
    }
  }
  if (stale != nullptr) KillFocus(stale, nullptr);
  return old;
}

void FocusLeavesSubtree(HWND rootHandle, bool toParent) {
  HWND focus, parent = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* root = FindWindowLocked(rootHandle);
    Window* f = FindWindowLocked(State().focus);
    if (root == nullptr || f == nullptr || !IsInSubtree(*root, f)) return;
    focus = f->handle;
    if (toParent && root->parent != nullptr && CanTakeFocus(*root->parent)) {
      parent = root->parent->handle;
    }
  }
  if (parent != nullptr && SetFocus(parent) != nullptr) return;
  KillFocus(focus, nullptr);
}

void ActivateAnotherWindow(HWND leaving) {
  HWND next = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* gone = FindWindowLocked(leaving);
    if (gone == nullptr || State().active != leaving) return;
    auto eligible = [&](Window* w) {
      return w != gone && !w->destroying && (w->style & WS_VISIBLE) != 0 &&
             (w->style & WS_DISABLED) == 0 && !w->minimized &&
             (w->exStyle & WS_EX_NOACTIVATE) == 0 && w->threadId == gone->threadId;
    };
    // An owned window hands activation back to its owner first.
    if (gone->owner != nullptr && eligible(gone->owner)) {
      next = gone->owner->handle;
    } else {
      for (Window* w : State().topLevel) {
        if (eligible(w)) {
          next = w->handle;
          break;
        }
      }
    }
  }
  if (next != nullptr && ActivateTopLevel(next, WA_ACTIVE) != nullptr) return;
  bool stillActive;
  {
    std::lock_guard lock(UserLock());
    stillActive = State().active == leaving;
    if (stillActive) {
      State().active = nullptr;
      State().foreground = nullptr;
    }
  }
  if (!stillActive) return;
  Deactivate(leaving, nullptr);
  HWND focus;
  {
    std::lock_guard lock(UserLock());
    focus = State().focus;
  }
  if (focus != nullptr) KillFocus(focus, nullptr);
  SendActivateApp(false);
}

void ActivateFromClick(HWND window) {
  ActivateTopLevel(window, WA_CLICKACTIVE);
}

}  // namespace platform::user

using namespace platform::user;

HWND SetFocus(HWND handle) {
  if (handle == nullptr) {
    HWND old;
    {
      std::lock_guard lock(UserLock());
      old = State().focus;
    }
    if (old != nullptr) KillFocus(old, nullptr);
    return old;
  }
  HWND top, before;
  bool needActivation;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (!CanTakeFocus(*w)) return nullptr;
    before = State().focus;
    if (before == handle) return handle;
    top = TopLevelOf(w)->handle;
    needActivation = State().active != top;
  }
  if (needActivation) {
    ActivateTopLevel(top, WA_ACTIVE);
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr || State().active != top || !CanTakeFocus(*w)) return nullptr;
  }
  // Activation may already have moved the focus (to the top-level window); what the caller
  // hears about is the focus before the call.
  HWND old;
  {
    std::lock_guard lock(UserLock());
    old = State().focus;
    if (old == handle) return before;
  }
  if (old != nullptr && TellLoser(old, handle)) {
    std::lock_guard lock(UserLock());
    // The losing window moved the focus itself; that choice stands.
    if (State().focus != old) return before;
  }
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr || !CanTakeFocus(*w)) {
      State().focus = nullptr;
      return before;
    }
    State().focus = handle;
  }
  Notify(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return before;
}

HWND GetFocus() {
  std::lock_guard lock(UserLock());
  return State().focus;
}

HWND SetActiveWindow(HWND handle) {
  if (handle == nullptr) {
    HWND old;
    {
      std::lock_guard lock(UserLock());
      old = State().active;
    }
    if (old != nullptr) ActivateAnotherWindow(old);
    return old;
  }
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (!CanActivate(*TopLevelOf(w))) return nullptr;
  }
  return ActivateTopLevel(handle, WA_ACTIVE);
}

HWND GetActiveWindow() {
  std::lock_guard lock(UserLock());
  return State().active;
}

BOOL SetForegroundWindow(HWND handle) {
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (!CanActivate(*TopLevelOf(w))) return FALSE;
  }
  ActivateTopLevel(handle, WA_ACTIVE);
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && State().foreground == TopLevelOf(w)->handle ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
  std::lock_guard lock(UserLock());
  return State().foreground;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  bool wasDisabled, topLevel;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (IsDesktop(*w)) return FALSE;
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    if (enable) {
      w->style &= ~WS_DISABLED;
    } else {
      w->style |= WS_DISABLED;
    }
    topLevel = w->IsTopLevel();
    Touch();
  }
  if (!enable) {
    FocusLeavesSubtree(handle, false);
    HWND capture = GetCapture();
    bool inside;
    {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(handle);
      Window* c = FindWindowLocked(capture);
      inside = w != nullptr && c != nullptr && IsInSubtree(*w, c);
    }
    if (inside) ReleaseCapture();
  }
  SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  if (topLevel) NotifyTopLevel(handle);
  return wasDisabled ? TRUE : FALSE;
}

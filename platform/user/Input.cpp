// Mouse and keyboard input: finding the window an event belongs to (capture, hit test,
// focus), the button and key state, double clicks, and the messages queued for it.
#include "platform/user/Input.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/kernel32.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowManager.h"

namespace platform::user {

namespace {

constexpr UINT kDoubleClickMs = 500;
// Client mouse messages and their non-client twins lie this far apart.
constexpr UINT kNonClientOffset = WM_LBUTTONDOWN - WM_NCLBUTTONDOWN;

struct MouseState {
  struct Click {
    bool valid = false;
    HWND window = nullptr;
    MouseButton button = MouseButton::Left;
    bool nonClient = false;
    DWORD time = 0;
    POINT at{0, 0};
  } lastClick;
  HWND leaveTracked = nullptr;  // TME_LEAVE
  bool leaveNonClient = false;
  int cursorShowCount = 0;
};

// Guarded by UserLock like the rest of the window manager's state.
MouseState& Mouse() {
  static auto* state = new MouseState;
  return *state;
}

int ButtonKey(MouseButton button) {
  switch (button) {
    case MouseButton::Left:
      return VK_LBUTTON;
    case MouseButton::Right:
      return VK_RBUTTON;
    case MouseButton::Middle:
      return VK_MBUTTON;
  }
  return VK_LBUTTON;
}

UINT ButtonDownMessage(MouseButton button) {
  switch (button) {
    case MouseButton::Left:
      return WM_LBUTTONDOWN;
    case MouseButton::Right:
      return WM_RBUTTONDOWN;
    case MouseButton::Middle:
      return WM_MBUTTONDOWN;
  }
  return WM_LBUTTONDOWN;
}

bool KeyDownLocked(int vk) {
  return (State().keyState[static_cast<size_t>(vk & 0xFF)] & 0x80) != 0;
}

WPARAM MouseKeyFlagsLocked() {
  WPARAM flags = 0;
  if (KeyDownLocked(VK_LBUTTON)) flags |= MK_LBUTTON;
  if (KeyDownLocked(VK_RBUTTON)) flags |= MK_RBUTTON;
  if (KeyDownLocked(VK_MBUTTON)) flags |= MK_MBUTTON;
  if (KeyDownLocked(VK_SHIFT)) flags |= MK_SHIFT;
  if (KeyDownLocked(VK_CONTROL)) flags |= MK_CONTROL;
  return flags;
}

void SetKeyLocked(int vk, bool down) {
  BYTE& state = State().keyState[static_cast<size_t>(vk & 0xFF)];
  if (down) {
    // The toggle follows presses, not the auto-repeat of a held key.
    if ((state & 0x80) == 0) state ^= 0x01;
    state |= 0x80;
  } else {
    state &= static_cast<BYTE>(~0x80);
  }
}

bool DisabledLocked(const Window* w) {
  for (; w != nullptr; w = w->parent) {
    if ((w->style & WS_DISABLED) != 0) return true;
  }
  return false;
}

Window* LiveLocked(HWND window) {
  Window* w = window != nullptr ? FindWindowLocked(window) : nullptr;
  return w != nullptr && !w->destroyed ? w : nullptr;
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT at) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  msg.pt = at;
  PostInputMessage(msg);
}

struct MouseTarget {
  HWND window = nullptr;  // null: nobody gets the event (desktop, disabled, HTERROR)
  LRESULT hit = HTNOWHERE;
  bool captured = false;
};

// The deepest visible window at a screen point, passing over the windows that answered
// HTTRANSPARENT (and what they contain), so that what lies beneath them is found: a
// sibling underneath, else their parent. Call with UserLock held.
Window* WindowBeneathTransparent(POINT screen, const std::vector<HWND>& transparent) {
  auto passedOver = [&](const Window* w) {
    return std::find(transparent.begin(), transparent.end(), w->handle) != transparent.end();
  };
  Window* hit = nullptr;
  for (Window* w : State().topLevel) {
    if ((w->style & WS_VISIBLE) != 0 && PtInRect(&w->window, screen) && !passedOver(w)) {
      hit = w;
      break;
    }
  }
  while (hit != nullptr) {
    RECT client = ClientRectOnScreen(*hit);
    if (!PtInRect(&client, screen)) break;
    POINT local{screen.x - client.left, screen.y - client.top};
    Window* deeper = nullptr;
    for (Window* child : hit->children) {
      if ((child->style & WS_VISIBLE) != 0 && PtInRect(&child->window, local) &&
          !passedOver(child)) {
        deeper = child;
        break;
      }
    }
    if (deeper == nullptr) break;
    hit = deeper;
  }
  return hit;
}

MouseTarget FindMouseTarget(POINT screen) {
  {
    std::lock_guard lock(UserLock());
    if (Window* capture = LiveLocked(State().capture)) return {capture->handle, HTCLIENT, true};
  }
  // A window that answers HTTRANSPARENT (a group box, a static without SS_NOTIFY) lets
  // what lies beneath it have the event: the sibling under it, or else its parent.
  std::vector<HWND> transparent;
  for (int depth = 0; depth < 64; ++depth) {
    HWND candidate = nullptr;
    {
      std::lock_guard lock(UserLock());
      Window* w = WindowBeneathTransparent(screen, transparent);
      // A disabled window swallows the event: nothing is sent to it or to what lies beneath.
      if (w == nullptr || DisabledLocked(w)) return {};
      candidate = w->handle;
    }
    LRESULT hit = SendMessageA(candidate, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    if (hit == HTERROR) return {};
    if (hit != HTTRANSPARENT) return {candidate, hit, false};
    transparent.push_back(candidate);
  }
  return {};
}

LPARAM ClientPointParam(HWND window, POINT screen) {
  POINT p = screen;
  ScreenToClient(window, &p);
  return MAKELPARAM(p.x, p.y);
}

// WM_MOUSELEAVE for a tracked window the pointer is no longer over.
void CheckLeave(const MouseTarget& target, POINT screen) {
  HWND left = nullptr;
  {
    std::lock_guard lock(UserLock());
    MouseState& mouse = Mouse();
    if (mouse.leaveTracked == nullptr) return;
    const bool inside =
        target.window == mouse.leaveTracked && (mouse.leaveNonClient || target.hit == HTCLIENT);
    if (inside) return;
    left = mouse.leaveTracked;
    mouse.leaveTracked = nullptr;
    if (LiveLocked(left) == nullptr) return;
  }
  Post(left, WM_MOUSELEAVE, 0, 0, screen);
}

void SendSetCursor(const MouseTarget& target, UINT message) {
  if (target.captured) return;
  SendMessageA(target.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(target.window),
               MAKELPARAM(static_cast<int>(target.hit), static_cast<int>(message)));
}

// The window that keyboard input goes to, and whether it is there only as the active
// window (its key messages then come as WM_SYS*). Null when nobody may have it.
HWND KeyboardTargetLocked(bool* onlyActive) {
  *onlyActive = false;
  Window* w = LiveLocked(State().focus);
  if (w == nullptr) {
    w = LiveLocked(State().active);
    *onlyActive = true;
  }
  if (w == nullptr || DisabledLocked(w)) return nullptr;
  return w->handle;
}

// Records a press and says whether it completes a double click. Under UserLock.
bool CountClickLocked(const MouseTarget& target, MouseButton button, POINT screen) {
  const bool client = target.hit == HTCLIENT;
  Window* w = LiveLocked(target.window);
  // Non-client double clicks come whatever the class says.
  const bool wantsDouble = !client || (w != nullptr && w->cls && (w->cls->style & CS_DBLCLKS) != 0);
  MouseState::Click& last = Mouse().lastClick;
  const DWORD now = GetTickCount();
  int cx = GetSystemMetrics(SM_CXDOUBLECLK);
  int cy = GetSystemMetrics(SM_CYDOUBLECLK);
  if (cx <= 0) cx = 4;
  if (cy <= 0) cy = 4;
  const bool isDouble =
      wantsDouble && last.valid && last.window == target.window && last.button == button &&
      last.nonClient == !client && now - last.time <= kDoubleClickMs &&
      std::abs(screen.x - last.at.x) <= cx / 2 && std::abs(screen.y - last.at.y) <= cy / 2;
  if (isDouble) {
    // A third click starts a new pair.
    last.valid = false;
  } else {
    last = MouseState::Click{true, target.window, button, !client, now, screen};
  }
  return isDouble;
}

}  // namespace

void InputDesktopTookPress(MouseButton button, POINT screen) {
  MouseTarget target = FindMouseTarget(screen);
  if (target.window == nullptr) return;
  std::lock_guard lock(UserLock());
  State().cursorPos = screen;
  CountClickLocked(target, button, screen);
}

void InputMouseMove(POINT screen) {
  {
    std::lock_guard lock(UserLock());
    State().cursorPos = screen;
  }
  MouseTarget target = FindMouseTarget(screen);
  CheckLeave(target, screen);
  if (target.window == nullptr) return;
  SendSetCursor(target, WM_MOUSEMOVE);
  WPARAM keys;
  {
    std::lock_guard lock(UserLock());
    keys = MouseKeyFlagsLocked();
  }
  if (target.hit == HTCLIENT) {
    Post(target.window, WM_MOUSEMOVE, keys, ClientPointParam(target.window, screen), screen);
  } else {
    Post(target.window, WM_NCMOUSEMOVE, static_cast<WPARAM>(target.hit),
         MAKELPARAM(screen.x, screen.y), screen);
  }
}

void InputMouseButton(MouseButton button, bool down, POINT screen) {
  {
    std::lock_guard lock(UserLock());
    State().cursorPos = screen;
    SetKeyLocked(ButtonKey(button), down);
  }
  MouseTarget target = FindMouseTarget(screen);
  CheckLeave(target, screen);
  if (target.window == nullptr) return;
  const UINT downMessage = ButtonDownMessage(button);
  const bool client = target.hit == HTCLIENT;
  if (down && !target.captured) {
    HWND topLevel = nullptr;
    bool activate = false;
    {
      std::lock_guard lock(UserLock());
      Window* w = LiveLocked(target.window);
      if (w == nullptr) return;
      topLevel = TopLevelOf(w)->handle;
      activate = topLevel != State().active;
    }
    bool eat = false;
    if (activate) {
      LRESULT answer =
          SendMessageA(target.window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(topLevel),
                       MAKELPARAM(static_cast<int>(target.hit), static_cast<int>(downMessage)));
      if (answer == 0) answer = MA_ACTIVATE;
      if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT) ActivateFromClick(target.window);
      eat = answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT;
      if (!IsWindow(target.window)) return;
    }
    SendSetCursor(target, downMessage);
    if (eat) return;
  } else {
    SendSetCursor(target, down ? downMessage : downMessage + 1);
  }

  UINT message = down ? downMessage : downMessage + 1;
  WPARAM keys = 0;
  {
    std::lock_guard lock(UserLock());
    keys = MouseKeyFlagsLocked();
    if (down && CountClickLocked(target, button, screen)) message = downMessage + 2;
  }
  if (client) {
    Post(target.window, message, keys, ClientPointParam(target.window, screen), screen);
  } else {
    Post(target.window, message - kNonClientOffset, static_cast<WPARAM>(target.hit),
         MAKELPARAM(screen.x, screen.y), screen);
  }
}

void InputMouseWheel(int delta, POINT screen) {
  HWND target = nullptr;
  WPARAM keys = 0;
  {
    std::lock_guard lock(UserLock());
    State().cursorPos = screen;
    bool onlyActive = false;
    target = KeyboardTargetLocked(&onlyActive);
    keys = MouseKeyFlagsLocked();
  }
  if (target == nullptr) return;
  Post(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(keys), delta),
       MAKELPARAM(screen.x, screen.y), screen);
}

void InputKey(int virtualKey, bool down, int scanCode, bool extended) {
  const int vk = virtualKey & 0xFF;
  // Messages name the generic modifier; the key state keeps both sides as well.
  int generic = vk;
  int side = 0;
  switch (vk) {
    case VK_SHIFT:
      side = scanCode == 0x36 ? VK_RSHIFT : VK_LSHIFT;
      break;
    case VK_CONTROL:
      side = extended ? VK_RCONTROL : VK_LCONTROL;
      break;
    case VK_MENU:
      side = extended ? VK_RMENU : VK_LMENU;
      break;
    case VK_LSHIFT:
    case VK_RSHIFT:
      generic = VK_SHIFT;
      side = vk;
      break;
    case VK_LCONTROL:
    case VK_RCONTROL:
      generic = VK_CONTROL;
      side = vk;
      break;
    case VK_LMENU:
    case VK_RMENU:
      generic = VK_MENU;
      side = vk;
      break;
    default:
      break;
  }
  HWND target = nullptr;
  UINT message = 0;
  uint32_t bits = 1;
  {
    std::lock_guard lock(UserLock());
    const bool wasDown = KeyDownLocked(side != 0 ? side : vk);
    if (side != 0) {
      SetKeyLocked(side, down);
      const int other = side == VK_LSHIFT     ? VK_RSHIFT
                        : side == VK_RSHIFT   ? VK_LSHIFT
                        : side == VK_LCONTROL ? VK_RCONTROL
                        : side == VK_RCONTROL ? VK_LCONTROL
                        : side == VK_LMENU    ? VK_RMENU
                                              : VK_LMENU;
      SetKeyLocked(generic, down || KeyDownLocked(other));
    } else {
      SetKeyLocked(vk, down);
    }
    const bool alt = KeyDownLocked(VK_MENU);
    const bool ctrl = KeyDownLocked(VK_CONTROL);
    bool onlyActive = false;
    target = KeyboardTargetLocked(&onlyActive);
    const bool sys = onlyActive || generic == VK_F10 || ((alt || generic == VK_MENU) && !ctrl);
    message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    bits |= (static_cast<uint32_t>(scanCode) & 0xFF) << 16;
    if (extended) bits |= 1u << 24;
    if (alt) bits |= 1u << 29;
    if (wasDown || !down) bits |= 1u << 30;
    if (!down) bits |= 1u << 31;
  }
  if (target == nullptr) return;
  POINT at;
  GetCursorPos(&at);
  Post(target, message, static_cast<WPARAM>(generic), static_cast<LPARAM>(bits), at);
}

void InputText(const std::string& gbk) {
  HWND target = nullptr;
  POINT at{};
  {
    std::lock_guard lock(UserLock());
    Window* focus = LiveLocked(State().focus);
    if (focus == nullptr || DisabledLocked(focus)) return;
    target = focus->handle;
    at = State().cursorPos;
  }
  for (unsigned char byte : gbk) Post(target, WM_CHAR, byte, 1, at);
}

}  // namespace platform::user

using namespace platform::user;

HWND SetCapture(HWND window) {
  if (window == nullptr) {
    HWND previous = GetCapture();
    ReleaseCapture();
    return previous;
  }
  HWND previous = nullptr;
  {
    std::lock_guard lock(UserLock());
    if (LiveLocked(window) == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    Window* old = LiveLocked(State().capture);
    previous = old != nullptr ? old->handle : nullptr;
    State().capture = window;
  }
  if (previous != nullptr && previous != window) {
    SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  }
  return previous;
}

BOOL ReleaseCapture() {
  HWND previous = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* old = LiveLocked(State().capture);
    previous = old != nullptr ? old->handle : nullptr;
    State().capture = nullptr;
  }
  if (previous != nullptr) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard lock(UserLock());
  Window* w = LiveLocked(State().capture);
  return w != nullptr ? w->handle : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous;
  bool shown;
  {
    std::lock_guard lock(UserLock());
    previous = State().cursor;
    State().cursor = cursor;
    shown = Mouse().cursorShowCount >= 0;
  }
  if (shown && previous != cursor) ActivePresenter().SetCursorShape(cursor);
  return previous;
}

HCURSOR GetCursor() {
  std::lock_guard lock(UserLock());
  return State().cursor;
}

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(UserLock());
  *point = State().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  // Moving the pointer is a mouse move like any other for the windows beneath it.
  InputMouseMove(POINT{x, y});
  return TRUE;
}

int ShowCursor(BOOL show) {
  int count;
  bool flipped;
  HCURSOR cursor;
  {
    std::lock_guard lock(UserLock());
    int& shown = Mouse().cursorShowCount;
    const bool before = shown >= 0;
    shown += show ? 1 : -1;
    count = shown;
    flipped = before != (shown >= 0);
    cursor = State().cursor;
  }
  if (flipped) ActivePresenter().SetCursorShape(count >= 0 ? cursor : nullptr);
  return count;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (track == nullptr || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((track->dwFlags & TME_QUERY) != 0) {
    std::lock_guard lock(UserLock());
    const MouseState& mouse = Mouse();
    const bool tracking = LiveLocked(mouse.leaveTracked) != nullptr;
    track->dwFlags = tracking ? (TME_LEAVE | (mouse.leaveNonClient ? TME_NONCLIENT : 0)) : 0;
    track->hwndTrack = tracking ? mouse.leaveTracked : nullptr;
    track->dwHoverTime = 0;
    return TRUE;
  }
  if (!IsWindow(track->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if ((track->dwFlags & TME_CANCEL) != 0) {
    std::lock_guard lock(UserLock());
    if ((track->dwFlags & TME_LEAVE) != 0 && Mouse().leaveTracked == track->hwndTrack) {
      Mouse().leaveTracked = nullptr;
    }
    return TRUE;
  }
  if ((track->dwFlags & TME_LEAVE) != 0) {
    bool outside = false;
    POINT at{};
    {
      std::lock_guard lock(UserLock());
      at = State().cursorPos;
      Window* w = LiveLocked(track->hwndTrack);
      if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
      }
      Window* under = WindowAtPoint(at);
      const RECT client = ClientRectOnScreen(*w);
      const bool overClient =
          at.x >= client.left && at.x < client.right && at.y >= client.top && at.y < client.bottom;
      const bool nonClient = (track->dwFlags & TME_NONCLIENT) != 0;
      outside = under != w || (!nonClient && !overClient);
      if (!outside) {
        Mouse().leaveTracked = track->hwndTrack;
        Mouse().leaveNonClient = nonClient;
      }
    }
    // Asking while the pointer is already elsewhere gets the answer at once.
    if (outside) Post(track->hwndTrack, WM_MOUSELEAVE, 0, 0, at);
  }
  if ((track->dwFlags & TME_HOVER) != 0) {
    // Hover timing is not provided; say so rather than never sending WM_MOUSEHOVER.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  return TRUE;
}

SHORT GetKeyState(int virtualKey) {
  std::lock_guard lock(UserLock());
  const BYTE state = State().keyState[static_cast<size_t>(virtualKey & 0xFF)];
  return static_cast<SHORT>(
      static_cast<uint16_t>(((state & 0x80) != 0 ? 0x8000 : 0) | (state & 0x01)));
}

SHORT GetAsyncKeyState(int virtualKey) {
  std::lock_guard lock(UserLock());
  const BYTE state = State().keyState[static_cast<size_t>(virtualKey & 0xFF)];
  return static_cast<SHORT>(static_cast<uint16_t>((state & 0x80) != 0 ? 0x8000 : 0));
}

BOOL GetKeyboardState(BYTE* state) {
  if (state == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(UserLock());
  std::memcpy(state, State().keyState.data(), State().keyState.size());
  return TRUE;
}

UINT GetDoubleClickTime() {
  return kDoubleClickMs;
}

// The common desktop rate: on for 530 ms, off for 530 ms.
UINT GetCaretBlinkTime() {
  return 530;
}

// There is no system sound to play here; the call succeeds as on a machine whose sounds are
// switched off.
BOOL MessageBeep(UINT) {
  return TRUE;
}

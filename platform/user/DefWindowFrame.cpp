// The default handling of a window's frame: the caption's move loop (run by us, since no
// desktop window manager moves a window it does not know is ours unless asked), resizing
// from the edges within WM_GETMINMAXINFO, the caption buttons pressed and released like
// buttons, system commands, and cursors over the edges.
#include "platform/user/DefWindowFrame.h"

#include "platform/controls/MenuModel.h"
#include "platform/controls/WindowScrollBars.h"
#include "platform/user/NonClientLayout.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

bool IsMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

bool IsLeftButtonUp(UINT message) {
  return message == WM_LBUTTONUP || message == WM_NCLBUTTONUP;
}

// Runs a nested loop while the left button is held: mouse messages go to `onMouse` (with
// their screen position) instead of to windows, everything else is dispatched as usual.
// Ends when the button goes up (true), or on Esc, WM_QUIT, a lost capture or a destroyed
// window (false).
template <class OnMouse>
bool TrackLeftButton(HWND window, OnMouse onMouse) {
  SetCapture(window);
  bool released = false;
  MSG msg;
  for (;;) {
    if (!IsWindow(window)) break;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // The release may have happened without reaching us; nothing left to follow then.
      if ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0) {
        released = true;
        break;
      }
      if (GetCapture() != window) break;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsMouseMessage(msg.message)) {
      onMouse(msg.pt);
      if (IsLeftButtonUp(msg.message)) {
        released = true;
        break;
      }
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == static_cast<WPARAM>(VK_ESCAPE)) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (GetCapture() == window) ReleaseCapture();
  return released;
}

// The window's rectangle in the coordinates SetWindowPos takes.
bool PlacementRect(HWND window, RECT* rect, MINMAXINFO* limits) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr) return false;
  *rect = w->window;
  limits->ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  limits->ptMaxTrackSize = {kMaxCoordinate, kMaxCoordinate};
  return true;
}

void MoveSizeLoop(HWND window, LRESULT hit, POINT start) {
  RECT origin;
  MINMAXINFO limits{};
  if (!PlacementRect(window, &origin, &limits)) return;
  if (hit != HTCAPTION)
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  // Captured before the window hears of the loop, so the mouse is ours wherever it goes.
  SetCapture(window);
  SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
  auto apply = [&](POINT p) {
    int dx = p.x - start.x, dy = p.y - start.y;
    if (hit == HTCAPTION) {
      SetWindowPos(window, nullptr, ClampedSum(origin.left, dx), ClampedSum(origin.top, dy), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    }
    RECT r = origin;
    const int minW = limits.ptMinTrackSize.x, minH = limits.ptMinTrackSize.y;
    const int maxW = limits.ptMaxTrackSize.x, maxH = limits.ptMaxTrackSize.y;
    if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) {
      r.left = Clamp(ClampedSum(origin.left, dx), origin.right - maxW, origin.right - minW);
    }
    if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) {
      r.right = Clamp(ClampedSum(origin.right, dx), origin.left + minW, origin.left + maxW);
    }
    if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) {
      r.top = Clamp(ClampedSum(origin.top, dy), origin.bottom - maxH, origin.bottom - minH);
    }
    if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) {
      r.bottom = Clamp(ClampedSum(origin.bottom, dy), origin.top + minH, origin.top + maxH);
    }
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  bool finished = TrackLeftButton(window, apply);
  // Esc or a lost capture puts the window back where it was.
  if (!finished && IsWindow(window)) {
    SetWindowPos(window, nullptr, origin.left, origin.top, origin.right - origin.left,
                 origin.bottom - origin.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (IsWindow(window)) SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
}

void TrackCaptionButton(HWND window, LRESULT hit) {
  bool inside = true;
  SetPressedCaptionButton(window, hit, true);
  RepaintFrame(window, IsActiveFrame(window));
  POINT last{};
  GetCursorPos(&last);
  bool released = TrackLeftButton(window, [&](POINT p) {
    last = p;
    bool now = NonClientHitTest(window, p) == hit;
    if (now != inside) {
      inside = now;
      SetPressedCaptionButton(window, hit, inside);
      RepaintFrame(window, IsActiveFrame(window));
    }
  });
  SetPressedCaptionButton(nullptr, HTNOWHERE, false);
  if (!IsWindow(window)) return;
  RepaintFrame(window, IsActiveFrame(window));
  if (!released || !inside) return;
  WPARAM command = SC_CLOSE;
  if (hit == HTMINBUTTON) command = SC_MINIMIZE;
  if (hit == HTMAXBUTTON) command = IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE;
  SendMessageA(window, WM_SYSCOMMAND, command, MAKELPARAM(last.x, last.y));
}

POINT PointOf(LPARAM lParam) {
  if (lParam == 0) {
    POINT p{};
    GetCursorPos(&p);
    return p;
  }
  return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

POINT ScreenPointOf(LPARAM lParam) {
  return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace

bool IsActiveFrame(HWND window) {
  std::lock_guard lock(UserLock());
  return State().active == window;
}

// Draws the frame now, outside any paint cycle, as a caption change or activation needs.
void RepaintFrame(HWND window, bool active) {
  bool topLevel;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || IsDesktop(*w) || !IsReallyVisible(*w)) return;
    topLevel = w->IsTopLevel();
  }
  HDC dc = GetWindowDC(window);
  if (dc == nullptr) return;
  PaintNonClient(window, dc, active);
  ReleaseDC(window, dc);
  if (topLevel) NotifyTopLevel(window);
}

LRESULT SysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  bool resizable, maximized, noClose;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return 0;
    resizable = (w->style & WS_THICKFRAME) != 0;
    maximized = w->maximized;
    noClose = (w->cls->style & CS_NOCLOSE) != 0;
  }
  switch (wParam & 0xFFF0) {
    case SC_CLOSE:
      if (!noClose) SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(window, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(window, SW_MAXIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(window, SW_RESTORE);
      break;
    // [menu bar] Alt alone or F10 (lParam 0) selects the bar; Alt+letter opens that item.
    case SC_KEYMENU:
      platform::controls::TrackBarFromKey(window, static_cast<char>(lParam & 0xFF));
      break;
    case SC_MOVE:
      // A maximised window stays where it is.
      if (!maximized) MoveSizeLoop(window, HTCAPTION, PointOf(lParam));
      break;
    case SC_SIZE: {
      LRESULT edge = static_cast<LRESULT>(wParam & 0xF);
      if (resizable && !maximized && edge >= 1 && edge <= 8) {
        MoveSizeLoop(window, HTLEFT + edge - 1, PointOf(lParam));
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

LRESULT SetCursorDefault(HWND window, WPARAM wParam, LPARAM lParam) {
  HWND parent = nullptr;
  HCURSOR classCursor = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return FALSE;
    if (w->IsChild() && w->parent != nullptr) parent = w->parent->handle;
    classCursor = w->cls->cursor;
  }
  // The parent may set a cursor for all its children.
  if (parent != nullptr && SendMessageA(parent, WM_SETCURSOR, wParam, lParam) != 0) return TRUE;
  const short hit = static_cast<short>(LOWORD(static_cast<uintptr_t>(lParam)));
  const UINT mouse = HIWORD(static_cast<uintptr_t>(lParam));
  if (hit == HTERROR) {
    if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) {
      MessageBeep(0);
    }
    return FALSE;
  }
  if (hit == HTCLIENT) {
    if (classCursor == nullptr) return FALSE;
    SetCursor(classCursor);
    return TRUE;
  }
  LPCSTR shape = IDC_ARROW;
  switch (hit) {
    case HTLEFT:
    case HTRIGHT:
      shape = IDC_SIZEWE;
      break;
    case HTTOP:
    case HTBOTTOM:
      shape = IDC_SIZENS;
      break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      shape = IDC_SIZENWSE;
      break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      shape = IDC_SIZENESW;
      break;
    default:
      break;
  }
  SetCursor(LoadCursorA(nullptr, shape));
  return TRUE;
}

LRESULT CalcClientArea(HWND window, WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) return 0;
  RECT* rect = wParam != 0 ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                           : reinterpret_cast<RECT*>(lParam);
  RECT insets;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return 0;
    insets = InsetsOf(*w);
  }
  rect->left += insets.left;
  rect->top += insets.top;
  rect->right -= insets.right;
  rect->bottom -= insets.bottom;
  // A window smaller than its frame has an empty client area at the frame's inner edge.
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  return 0;
}

void NonClientPress(HWND window, WPARAM hit, LPARAM screenPoint) {
  switch (static_cast<LRESULT>(hit)) {
    case HTCAPTION:
      SendMessageA(window, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, screenPoint);
      break;
    case HTCLOSE:
    case HTMINBUTTON:
    case HTMAXBUTTON:
      TrackCaptionButton(window, static_cast<LRESULT>(hit));
      break;
    case HTLEFT:
    case HTRIGHT:
    case HTTOP:
    case HTTOPLEFT:
    case HTTOPRIGHT:
    case HTBOTTOM:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
      SendMessageA(window, WM_SYSCOMMAND, SC_SIZE + (hit - HTLEFT + 1), screenPoint);
      break;
    // [menu bar]
    case HTMENU:
      platform::controls::TrackBarFromMouse(window, ScreenPointOf(screenPoint));
      break;
    // [window scroll bars]
    case HTVSCROLL:
    case HTHSCROLL:
      platform::controls::TrackWindowScrollBar(window, hit == HTVSCROLL ? SB_VERT : SB_HORZ,
                                               ScreenPointOf(screenPoint));
      break;
    default:
      break;
  }
}

void NonClientDoubleClick(HWND window, WPARAM hit, LPARAM screenPoint) {
  // The second press of a quick double click on a caption button is still a press.
  if (hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON) {
    TrackCaptionButton(window, static_cast<LRESULT>(hit));
    return;
  }
  // [window scroll bars] A quick second press on a bar scrolls again.
  if (hit == HTVSCROLL || hit == HTHSCROLL) {
    platform::controls::TrackWindowScrollBar(window, hit == HTVSCROLL ? SB_VERT : SB_HORZ,
                                             ScreenPointOf(screenPoint));
    return;
  }
  if (static_cast<LRESULT>(hit) == HTCAPTION) {
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    if ((style & WS_MAXIMIZEBOX) != 0 && (style & WS_THICKFRAME) != 0) {
      SendMessageA(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, screenPoint);
    }
  }
}

}  // namespace platform::user

// What a window does with a message its procedure leaves to the default: the frame, text,
// closing, system commands, the caption's move loop and buttons, cursors, activation and
// the geometry notifications.
#include <algorithm>
#include <cstring>

#include "platform/controls/MenuModel.h"
#include "platform/controls/MenuPaint.h"
#include "platform/controls/WindowScrollBars.h"
#include "platform/kernel32.h"
#include "platform/user/NonClientLayout.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

constexpr int kVkF4 = VK_F1 + 3;
constexpr WPARAM kIconSmall2 = 2;

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

// A prefix of GBK text of at most `room` bytes that does not end inside a character.
size_t GbkPrefix(const std::string& text, size_t room) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t width = c >= 0x81 && c <= 0xFE && i + 1 < text.size() ? 2 : 1;
    if (i + width > room) break;
    i += width;
  }
  return i;
}

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

LRESULT CtlColor(UINT message, WPARAM wParam) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  int back = COLOR_WINDOW;
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORMSGBOX:
      back = COLOR_BTNFACE;
      break;
    case WM_CTLCOLORSCROLLBAR:
      back = COLOR_SCROLLBAR;
      break;
    default:
      break;
  }
  if (dc != nullptr) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(back));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
}

LRESULT EraseBackground(HWND window, HDC dc) {
  HBRUSH brush;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return 0;
    brush = w->cls->background;
  }
  if (brush == nullptr || dc == nullptr) return 0;
  // Classes may name a system colour as its index plus one instead of a brush.
  auto value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= static_cast<uintptr_t>(COLOR_MENUBAR) + 1) {
    brush = GetSysColorBrush(static_cast<int>(value - 1));
  }
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, brush);
  return 1;
}

void SizeAndMoveNotices(HWND window, const WINDOWPOS* pos) {
  RECT client;
  WPARAM kind;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return;
    client = w->client;
    kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
  }
  if ((pos->flags & kSwpNoClientMove) == 0) {
    SendMessageA(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  }
  if ((pos->flags & kSwpNoClientSize) == 0) {
    SendMessageA(window, WM_SIZE, kind,
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
  }
}

void LimitTracking(HWND window, WINDOWPOS* pos) {
  if ((pos->flags & SWP_NOSIZE) != 0) return;
  MINMAXINFO info{};
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || !w->IsTopLevel() || (w->style & WS_THICKFRAME) == 0 || w->minimized ||
        w->maximized) {
      return;
    }
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = {kMaxCoordinate, kMaxCoordinate};
  }
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  pos->cx = Clamp(
      pos->cx, static_cast<int>(info.ptMinTrackSize.x),
      std::max(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMaxTrackSize.x)));
  pos->cy = Clamp(
      pos->cy, static_cast<int>(info.ptMinTrackSize.y),
      std::max(static_cast<int>(info.ptMinTrackSize.y), static_cast<int>(info.ptMaxTrackSize.y)));
}

LRESULT SetText(HWND window, LPCSTR text) {
  bool caption, topLevel;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return FALSE;
    w->text = text != nullptr ? text : "";
    caption = (w->style & WS_CAPTION) == WS_CAPTION;
    topLevel = w->IsTopLevel();
  }
  if (caption) RepaintFrame(window, IsActiveFrame(window));
  if (topLevel) NotifyTopLevel(window);
  return TRUE;
}

LRESULT GetText(HWND window, WPARAM size, LPSTR buffer) {
  if (buffer == nullptr || size == 0) return 0;
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  size_t n = GbkPrefix(w->text, static_cast<size_t>(size) - 1);
  std::memcpy(buffer, w->text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT Icons(HWND window, UINT message, WPARAM which, LPARAM icon) {
  HICON old = nullptr;
  bool repaint = false;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return 0;
    if (message == WM_GETICON) {
      if (which == ICON_BIG) return reinterpret_cast<LRESULT>(w->iconBig);
      if (which == ICON_SMALL) return reinterpret_cast<LRESULT>(w->iconSmall);
      // ICON_SMALL2: whatever small picture the caption would show.
      HICON best = w->iconSmall != nullptr ? w->iconSmall : w->cls->iconSmall;
      if (best == nullptr) best = w->iconBig;
      return reinterpret_cast<LRESULT>(best);
    }
    HICON next = reinterpret_cast<HICON>(icon);
    if (which == ICON_BIG) {
      old = w->iconBig;
      w->iconBig = next;
    } else {
      old = w->iconSmall;
      w->iconSmall = next;
      repaint = (w->style & WS_CAPTION) == WS_CAPTION && old != next;
    }
  }
  if (repaint) RepaintFrame(window, IsActiveFrame(window));
  return reinterpret_cast<LRESULT>(old);
}

HWND ParentOfChild(HWND window) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr || !w->IsChild() || w->parent == nullptr) return nullptr;
  return w->parent->handle;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return 0;
  return proc(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr && create->lpszName != nullptr && !IsAtomName(create->lpszName)) {
        std::lock_guard lock(UserLock());
        Window* w = FindWindowLocked(window);
        if (w != nullptr) w->text = create->lpszName;
      }
      return TRUE;
    }
    case WM_NCCALCSIZE: {
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
    case WM_NCHITTEST:
      return NonClientHitTest(window, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(window);
      if (dc != nullptr) {
        PaintNonClient(window, dc, IsActiveFrame(window));
        ReleaseDC(window, dc);
      }
      return 0;
    }
    case WM_NCACTIVATE:
      if (lParam != -1) RepaintFrame(window, wParam != 0);
      return TRUE;
    case WM_ERASEBKGND:
      return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_SETTEXT:
      return SetText(window, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return GetText(window, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH: {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(window);
      return w != nullptr ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      return SysCommand(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:
      switch (static_cast<LRESULT>(wParam)) {
        case HTCAPTION:
          SendMessageA(window, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
          break;
        case HTCLOSE:
        case HTMINBUTTON:
        case HTMAXBUTTON:
          TrackCaptionButton(window, static_cast<LRESULT>(wParam));
          break;
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOM:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
          SendMessageA(window, WM_SYSCOMMAND, SC_SIZE + (wParam - HTLEFT + 1), lParam);
          break;
        // [menu bar]
        case HTMENU:
          platform::controls::TrackBarFromMouse(window,
                                                {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          break;
        // [window scroll bars]
        case HTVSCROLL:
        case HTHSCROLL:
          platform::controls::TrackWindowScrollBar(window, wParam == HTVSCROLL ? SB_VERT : SB_HORZ,
                                                   {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          break;
        default:
          break;
      }
      return 0;
    case WM_NCLBUTTONDBLCLK:
      // The second press of a quick double click on a caption button is still a press.
      if (wParam == HTCLOSE || wParam == HTMINBUTTON || wParam == HTMAXBUTTON) {
        TrackCaptionButton(window, static_cast<LRESULT>(wParam));
        return 0;
      }
      // [window scroll bars] A quick second press on a bar scrolls again.
      if (wParam == HTVSCROLL || wParam == HTHSCROLL) {
        platform::controls::TrackWindowScrollBar(window, wParam == HTVSCROLL ? SB_VERT : SB_HORZ,
                                                 {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      if (static_cast<LRESULT>(wParam) == HTCAPTION) {
        LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
        if ((style & WS_MAXIMIZEBOX) != 0 && (style & WS_THICKFRAME) != 0) {
          SendMessageA(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        }
      }
      return 0;
    case WM_SETCURSOR:
      return SetCursorDefault(window, wParam, lParam);
    case WM_MOUSEACTIVATE: {
      HWND parent = ParentOfChild(window);
      if (parent != nullptr) {
        LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer != 0) return answer;
      }
      return MA_ACTIVATE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
        bool focusInside;
        {
          std::lock_guard lock(UserLock());
          Window* w = FindWindowLocked(window);
          Window* focus = FindWindowLocked(State().focus);
          focusInside = w != nullptr && focus != nullptr && IsInSubtree(*w, focus);
        }
        if (!focusInside) SetFocus(window);
      }
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (lParam != 0) LimitTracking(window, reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_WINDOWPOSCHANGED:
      if (lParam != 0) SizeAndMoveNotices(window, reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINT:
      if (wParam != 0) PrintWindowTree(window, reinterpret_cast<HDC>(wParam), lParam);
      return 0;
    // [menu bar] Keys that select the menu bar.
    case WM_KEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      platform::controls::MenuBarKey(window, message, wParam, lParam);
      return 0;
    case WM_SYSKEYDOWN:
      if (platform::controls::MenuBarKey(window, message, wParam, lParam)) return 0;
      if (static_cast<int>(wParam) == kVkF4 && (lParam & KF_ALTDOWN_BIT) != 0) {
        HWND top = GetAncestor(window, GA_ROOT);
        if (top != nullptr) SendMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return CtlColor(message, wParam);
    case WM_SETICON:
    case WM_GETICON:
      return Icons(window, message,
                   wParam == kIconSmall2 && message == WM_SETICON ? ICON_SMALL : wParam, lParam);
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU: {
      // Unhandled by a child, these go up to whoever can use them.
      HWND parent = ParentOfChild(window);
      return parent != nullptr ? SendMessageA(parent, message, wParam, lParam) : 0;
    }
    case WM_SETREDRAW: {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(window);
      if (w == nullptr) return 0;
      if (wParam != 0) {
        w->style |= WS_VISIBLE;
      } else {
        w->style &= ~WS_VISIBLE;
      }
      Touch();
      return 0;
    }
    case WM_CANCELMODE:
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    default:
      return 0;
  }
}

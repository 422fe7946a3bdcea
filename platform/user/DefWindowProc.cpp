// What a window does with a message its procedure leaves to the default: one handler per
// message, for text, icons, colours, closing, activation and the geometry notifications;
// the frame's own handling (caption, buttons, edges, system commands) is in DefWindowFrame.
#include <algorithm>
#include <cstring>

#include "platform/controls/MenuPaint.h"
#include "platform/kernel32.h"
#include "platform/user/DefWindowFrame.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

constexpr int kVkF4 = VK_F1 + 3;
constexpr WPARAM kIconSmall2 = 2;

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

// The window keeps the text it was created with (an atom in its place names nothing).
LRESULT TakeCreationText(HWND window, const CREATESTRUCTA* create) {
  if (create != nullptr && create->lpszName != nullptr && !IsAtomName(create->lpszName)) {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w != nullptr) w->text = create->lpszName;
  }
  return TRUE;
}

LRESULT TextLength(HWND window) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  return w != nullptr ? static_cast<LRESULT>(w->text.size()) : 0;
}

void PaintFrameNow(HWND window) {
  HDC dc = GetWindowDC(window);
  if (dc == nullptr) return;
  PaintNonClient(window, dc, IsActiveFrame(window));
  ReleaseDC(window, dc);
}

// A child asks its parent first; the first parent with an answer decides.
LRESULT MouseActivate(HWND window, WPARAM wParam, LPARAM lParam) {
  HWND parent = ParentOfChild(window);
  if (parent != nullptr) {
    LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam);
    if (answer != 0) return answer;
  }
  return MA_ACTIVATE;
}

// An activated window that is not minimised takes the focus unless it already lies inside.
void FocusOnActivation(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) != 0) return;
  bool focusInside;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    Window* focus = FindWindowLocked(State().focus);
    focusInside = w != nullptr && focus != nullptr && IsInSubtree(*w, focus);
  }
  if (!focusInside) SetFocus(window);
}

void ValidateWithoutPainting(HWND window) {
  PAINTSTRUCT paint;
  if (BeginPaint(window, &paint) != nullptr) EndPaint(window, &paint);
}

// [menu bar] Keys that select the menu bar; Alt+F4 closes the top-level window.
void SysKeyDown(HWND window, WPARAM wParam, LPARAM lParam) {
  if (platform::controls::MenuBarKey(window, WM_SYSKEYDOWN, wParam, lParam)) return;
  if (static_cast<int>(wParam) == kVkF4 && (lParam & KF_ALTDOWN_BIT) != 0) {
    HWND top = GetAncestor(window, GA_ROOT);
    if (top != nullptr) SendMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
}

// Redrawing off hides the window from painting and the screen without a WM_SHOWWINDOW.
void SetRedraw(HWND window, bool on) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr) return;
  if (on) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~WS_VISIBLE;
  }
  Touch();
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
    case WM_NCCREATE:
      return TakeCreationText(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_NCCALCSIZE:
      return CalcClientArea(window, wParam, lParam);
    case WM_NCHITTEST:
      return NonClientHitTest(window, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
      PaintFrameNow(window);
      return 0;
    case WM_NCACTIVATE:
      if (lParam != -1) RepaintFrame(window, wParam != 0);
      return TRUE;
    case WM_ERASEBKGND:
      return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_SETTEXT:
      return SetText(window, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return GetText(window, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH:
      return TextLength(window);
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      return SysCommand(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:
      NonClientPress(window, wParam, lParam);
      return 0;
    case WM_NCLBUTTONDBLCLK:
      NonClientDoubleClick(window, wParam, lParam);
      return 0;
    case WM_SETCURSOR:
      return SetCursorDefault(window, wParam, lParam);
    case WM_MOUSEACTIVATE:
      return MouseActivate(window, wParam, lParam);
    case WM_ACTIVATE:
      FocusOnActivation(window, wParam);
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (lParam != 0) LimitTracking(window, reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_WINDOWPOSCHANGED:
      if (lParam != 0) SizeAndMoveNotices(window, reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_PAINT:
      ValidateWithoutPainting(window);
      return 0;
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
      SysKeyDown(window, wParam, lParam);
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
    case WM_SETREDRAW:
      SetRedraw(window, wParam != 0);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    default:
      return 0;
  }
}

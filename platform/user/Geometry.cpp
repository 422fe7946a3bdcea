// Where windows are: position, size, z-order and visibility (SetWindowPos and the calls built
// on it, ShowWindow), rectangles, coordinate mapping, hit-point searches and system metrics.
#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/kernel32.h"
#include "platform/user/Theme.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

constexpr UINT kPublicSwpFlags = 0x7FFF & ~(kSwpNoClientSize | kSwpNoClientMove);
constexpr UINT kRedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;

// Where Windows parks minimised top-level windows, so that they take no room on screen.
constexpr int kMinimizedPosition = -32000;

RECT Sized(int x, int y, int cx, int cy) {
  return {x, y, ClampedSum(x, cx), ClampedSum(y, cy)};
}

bool RequireWindow(HWND handle, std::shared_ptr<Window>* out) {
  *out = SharedWindowLocked(handle);
  if (!*out) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  return true;
}

MINMAXINFO MaximizedPlacement(HWND handle) {
  MINMAXINFO info{};
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr) return info;
    if (w->parent != nullptr) {
      info.ptMaxSize = {w->parent->client.right - w->parent->client.left,
                        w->parent->client.bottom - w->parent->client.top};
    } else {
      const auto& screen = gdi::Screen();
      info.ptMaxSize = {screen.width, screen.height};
    }
    info.ptMaxPosition = {0, 0};
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = {kMaxCoordinate, kMaxCoordinate};
  }
  SendMessageA(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

// The request as the window will be told of it: flags kept to the public ones, an
// impossible insert-after dropped, missing position and size taken from the window, and
// show or hide only where they change something. False (last error set) when refused.
bool PrepareRequestLocked(const std::shared_ptr<Window>& window, HWND insertAfter, int x, int y,
                          int cx, int cy, UINT flags, WINDOWPOS* pos) {
  if (IsDesktop(*window)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  flags &= kPublicSwpFlags;
  bool special = insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM ||
                 insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST;
  if ((flags & SWP_NOZORDER) == 0 && !special) {
    Window* after = FindWindowLocked(insertAfter);
    if (after == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (after == window.get() || after->parent != window->parent) flags |= SWP_NOZORDER;
  }
  const RECT& r = window->window;
  if ((flags & SWP_NOMOVE) != 0) {
    x = r.left;
    y = r.top;
  }
  if ((flags & SWP_NOSIZE) != 0) {
    cx = r.right - r.left;
    cy = r.bottom - r.top;
  }
  bool visible = (window->style & WS_VISIBLE) != 0;
  if (visible) flags &= ~SWP_SHOWWINDOW;
  if (!visible) flags &= ~SWP_HIDEWINDOW;
  if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) == (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) {
    flags &= ~SWP_HIDEWINDOW;
  }
  *pos = {window->handle, insertAfter, x, y, cx, cy, flags};
  return true;
}

// The window's rectangles before and after a move.
struct Move {
  RECT oldWindow{};
  RECT oldClient{};
  RECT newWindow{};
  RECT newClient{};
  bool sized = false;
  bool moved = false;
};

// The new window rectangle from the request as WM_WINDOWPOSCHANGING left it (the window
// may have changed any field); SWP_NOSIZE and SWP_NOMOVE are added where nothing changes.
Move MeasureMoveLocked(const Window& window, WINDOWPOS* pos) {
  Move move;
  pos->hwnd = window.handle;
  pos->flags &= kPublicSwpFlags;
  pos->x = Clamp(pos->x, -kMaxCoordinate, kMaxCoordinate);
  pos->y = Clamp(pos->y, -kMaxCoordinate, kMaxCoordinate);
  pos->cx = Clamp(pos->cx, 0, kMaxCoordinate);
  pos->cy = Clamp(pos->cy, 0, kMaxCoordinate);
  move.oldWindow = window.window;
  move.oldClient = window.client;
  RECT& next = move.newWindow;
  const RECT& old = move.oldWindow;
  next = Sized(pos->x, pos->y, pos->cx, pos->cy);
  if ((pos->flags & SWP_NOMOVE) != 0) OffsetRect(&next, old.left - pos->x, old.top - pos->y);
  if ((pos->flags & SWP_NOSIZE) != 0) {
    next.right = next.left + (old.right - old.left);
    next.bottom = next.top + (old.bottom - old.top);
  }
  move.sized = next.right - next.left != old.right - old.left ||
               next.bottom - next.top != old.bottom - old.top;
  move.moved = next.left != old.left || next.top != old.top;
  if (!move.sized) pos->flags |= SWP_NOSIZE;
  if (!move.moved) pos->flags |= SWP_NOMOVE;
  return move;
}

// The new client area: asked of the window (WM_NCCALCSIZE) when its size or frame changes,
// else the old one carried along.
RECT NewClientArea(HWND handle, WINDOWPOS* pos, const Move& move) {
  RECT client = move.oldClient;
  if (move.sized || (pos->flags & SWP_FRAMECHANGED) != 0) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = move.newWindow;
    params.rgrc[1] = move.oldWindow;
    params.rgrc[2] = move.oldClient;
    params.lppos = pos;
    SendMessageA(handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    client = params.rgrc[0];
    if (client.right < client.left) client.right = client.left;
    if (client.bottom < client.top) client.bottom = client.top;
  } else {
    OffsetRect(&client, move.newWindow.left - move.oldWindow.left,
               move.newWindow.top - move.oldWindow.top);
  }
  return client;
}

// What applying the move did, for the repainting and activation that follow.
struct MoveOutcome {
  HWND parent = nullptr;
  bool topLevel = false;
  bool wasVisible = false;
  bool nowVisible = false;
  bool restacked = false;
  bool shown = false;
  bool hidden = false;
};

MoveOutcome ApplyMoveLocked(Window& window, WINDOWPOS* pos, const Move& move) {
  MoveOutcome outcome;
  outcome.topLevel = window.IsTopLevel();
  outcome.parent = window.parent != nullptr ? window.parent->handle : nullptr;
  outcome.wasVisible = IsReallyVisible(window);
  window.window = move.newWindow;
  window.client = move.newClient;
  if ((pos->flags & SWP_NOZORDER) == 0)
    outcome.restacked = PlaceInZOrder(window, pos->hwndInsertAfter);
  outcome.shown = (pos->flags & SWP_SHOWWINDOW) != 0 && (window.style & WS_VISIBLE) == 0;
  outcome.hidden = (pos->flags & SWP_HIDEWINDOW) != 0 && (window.style & WS_VISIBLE) != 0;
  if (outcome.shown) window.style |= WS_VISIBLE;
  if (outcome.hidden) window.style &= ~WS_VISIBLE;
  outcome.nowVisible = IsReallyVisible(window);
  const RECT& oldClient = move.oldClient;
  const RECT& newClient = move.newClient;
  if (newClient.left == oldClient.left && newClient.top == oldClient.top) {
    pos->flags |= kSwpNoClientMove;
  }
  if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
      newClient.bottom - newClient.top == oldClient.bottom - oldClient.top) {
    pos->flags |= kSwpNoClientSize;
  }
  if (!window.minimized && !window.maximized && (move.sized || move.moved)) {
    window.normalRect = move.newWindow;
  }
  Touch();
  return outcome;
}

void RedrawAfterMove(HWND handle, const WINDOWPOS& pos, const Move& move,
                     const MoveOutcome& outcome) {
  if ((pos.flags & SWP_NOREDRAW) != 0) return;
  const bool frameChanged = (pos.flags & SWP_FRAMECHANGED) != 0;
  const bool geometry = move.sized || move.moved || outcome.restacked || frameChanged;
  if (!outcome.topLevel && outcome.parent != nullptr && outcome.wasVisible &&
      (geometry || outcome.hidden)) {
    // What the window covered is the parent's and its siblings' to paint again.
    RECT covered = move.oldWindow;
    RedrawWindow(outcome.parent, &covered, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (outcome.nowVisible && (outcome.shown || (!outcome.topLevel && geometry) ||
                             (outcome.topLevel && (move.sized || frameChanged)))) {
    // A child's pixels live in its top-level window's surface, so after a move its new
    // place still shows what was there before.
    RedrawWindow(handle, nullptr, nullptr, kRedrawAll);
  }
}

void ActivateAfterMove(const Window& window, const WINDOWPOS& pos, const MoveOutcome& outcome) {
  const HWND handle = window.handle;
  if (outcome.hidden) {
    // Deactivation first: when another window takes over, the focus goes with it.
    if (outcome.topLevel) ActivateAnotherWindow(handle);
    FocusLeavesSubtree(handle, true);
  }
  if (outcome.topLevel && (pos.flags & SWP_NOACTIVATE) == 0 && outcome.nowVisible) {
    bool activatable;
    {
      std::lock_guard lock(UserLock());
      activatable = !window.destroyed && (window.exStyle & WS_EX_NOACTIVATE) == 0 &&
                    (window.style & WS_DISABLED) == 0;
    }
    if (activatable) ActivateTopLevel(handle, WA_ACTIVE);
  }
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

// Each step below may run window code (WM_WINDOWPOSCHANGING, WM_NCCALCSIZE), which may
// destroy the window; the lock is never held across a message.
BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  std::shared_ptr<Window> window;
  WINDOWPOS pos{};
  {
    std::lock_guard lock(UserLock());
    if (!RequireWindow(handle, &window)) return FALSE;
    if (!PrepareRequestLocked(window, insertAfter, x, y, cx, cy, flags, &pos)) return FALSE;
  }

  if ((pos.flags & SWP_NOSENDCHANGING) == 0) {
    SendMessageA(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  }

  Move move;
  {
    std::lock_guard lock(UserLock());
    if (window->destroyed) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    move = MeasureMoveLocked(*window, &pos);
  }
  move.newClient = NewClientArea(handle, &pos, move);

  MoveOutcome outcome;
  {
    std::lock_guard lock(UserLock());
    if (window->destroyed) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    outcome = ApplyMoveLocked(*window, &pos, move);
  }
  if (outcome.topLevel && move.sized) SyncSurfaceSize(*window);

  RedrawAfterMove(handle, pos, move, outcome);
  ActivateAfterMove(*window, pos, outcome);

  SendMessageA(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (outcome.topLevel) NotifyTopLevel(handle);
  return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND window) {
  return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND handle, int command) {
  std::shared_ptr<Window> window;
  bool wasVisible, minimized, maximized, topLevel, restoreMaximized;
  {
    std::lock_guard lock(UserLock());
    if (!RequireWindow(handle, &window)) return FALSE;
    if (IsDesktop(*window)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (command < SW_HIDE || command > SW_SHOWDEFAULT) {
      SetLastError(ERROR_INVALID_SHOWWIN_COMMAND);
      return FALSE;
    }
    wasVisible = (window->style & WS_VISIBLE) != 0;
    minimized = window->minimized;
    maximized = window->maximized;
    restoreMaximized = window->restoreMaximized;
    topLevel = window->IsTopLevel();
  }

  enum class Target { Keep, Minimize, Maximize, Restore };
  Target target = Target::Keep;
  bool activate = false;
  bool show = true;
  switch (command) {
    case SW_HIDE:
      show = false;
      break;
    case SW_SHOWMINIMIZED:
      target = Target::Minimize;
      activate = true;
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      target = Target::Minimize;
      break;
    case SW_SHOWMAXIMIZED:
      target = Target::Maximize;
      activate = true;
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      target = Target::Restore;
      activate = true;
      break;
    case SW_SHOWNOACTIVATE:
      target = Target::Restore;
      break;
    case SW_SHOW:
      activate = true;
      break;
    case SW_SHOWNA:
      break;
  }
  if (target == Target::Minimize && minimized) target = Target::Keep;
  if (target == Target::Maximize && maximized) target = Target::Keep;
  if (target == Target::Restore && !minimized && !maximized) target = Target::Keep;
  // A window minimised from the maximised state comes back maximised.
  if (target == Target::Restore && minimized && restoreMaximized) target = Target::Maximize;
  if (!show && !wasVisible) return FALSE;

  if (show != wasVisible) SendMessageA(handle, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);

  UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
  flags |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  RECT placement{};
  if (target == Target::Maximize) {
    MINMAXINFO info = MaximizedPlacement(handle);
    placement =
        Sized(info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y);
  }
  {
    std::lock_guard lock(UserLock());
    if (window->destroyed) return wasVisible;
    switch (target) {
      case Target::Keep:
        flags |= SWP_NOMOVE | SWP_NOSIZE;
        break;
      case Target::Minimize: {
        if (!window->minimized && !window->maximized) window->normalRect = window->window;
        window->restoreMaximized = window->maximized;
        window->minimized = true;
        window->maximized = false;
        window->style = (window->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
        RECT insets = InsetsOf(*window);
        int height = insets.top + insets.bottom;
        placement = Sized(kMinimizedPosition, kMinimizedPosition, GetSystemMetrics(SM_CXMINTRACK),
                          std::max(height, 1));
        flags |= SWP_FRAMECHANGED;
        break;
      }
      case Target::Maximize:
        if (!window->minimized && !window->maximized) window->normalRect = window->window;
        window->minimized = false;
        window->maximized = true;
        window->restoreMaximized = false;
        window->style = (window->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
        flags |= SWP_FRAMECHANGED;
        break;
      case Target::Restore:
        placement = window->normalRect;
        window->minimized = false;
        window->maximized = false;
        window->restoreMaximized = false;
        window->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        flags |= SWP_FRAMECHANGED;
        break;
    }
  }
  SetWindowPos(handle, nullptr, placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top, flags);

  if (topLevel && show) {
    bool activatable;
    bool nowMinimized;
    {
      std::lock_guard lock(UserLock());
      activatable = !window->destroyed && (window->exStyle & WS_EX_NOACTIVATE) == 0 &&
                    (window->style & WS_DISABLED) == 0;
      nowMinimized = window->minimized;
    }
    if (activate && activatable) {
      ActivateTopLevel(handle, WA_ACTIVE);
    } else if (nowMinimized && command == SW_MINIMIZE) {
      ActivateAnotherWindow(handle);
    }
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND handle, LPRECT rect) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *rect = WindowRectOnScreen(*w);
  return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *rect = {0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT insets = NonClientInsets(style, exStyle, menu != FALSE);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL ClientToScreen(HWND handle, POINT* point) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT client = ClientRectOnScreen(*w);
  point->x += client.left;
  point->y += client.top;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, POINT* point) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (point == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT client = ClientRectOnScreen(*w);
  point->x -= client.left;
  point->y -= client.top;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  std::lock_guard lock(UserLock());
  POINT origin[2] = {{0, 0}, {0, 0}};
  HWND ends[2] = {from, to};
  for (int i = 0; i < 2; ++i) {
    if (ends[i] == nullptr) continue;
    Window* w = FindWindowLocked(ends[i]);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    RECT client = ClientRectOnScreen(*w);
    origin[i] = {client.left, client.top};
  }
  int dx = origin[0].x - origin[1].x;
  int dy = origin[0].y - origin[1].y;
  if (points != nullptr) {
    for (UINT i = 0; i < count; ++i) {
      points[i].x += dx;
      points[i].y += dy;
    }
  }
  return static_cast<int>(MAKELPARAM(dx, dy));
}

HWND WindowFromPoint(POINT point) {
  std::lock_guard lock(UserLock());
  Window* hit = nullptr;
  for (Window* w : State().topLevel) {
    if ((w->style & WS_VISIBLE) != 0 && PtInRect(&w->window, point)) {
      hit = w;
      break;
    }
  }
  // Hidden and disabled children are looked through: their parent gets the point.
  while (hit != nullptr) {
    RECT client = ClientRectOnScreen(*hit);
    if (!PtInRect(&client, point)) break;
    POINT local{point.x - client.left, point.y - client.top};
    Window* deeper = nullptr;
    for (Window* child : hit->children) {
      if ((child->style & WS_VISIBLE) != 0 && (child->style & WS_DISABLED) == 0 &&
          PtInRect(&child->window, local)) {
        deeper = child;
        break;
      }
    }
    if (deeper == nullptr) break;
    hit = deeper;
  }
  return hit != nullptr ? hit->handle : nullptr;
}

HWND ChildWindowFromPointEx(HWND parentHandle, POINT point, UINT flags) {
  std::lock_guard lock(UserLock());
  Window* parent = FindWindowLocked(parentHandle);
  if (parent == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  RECT client = {0, 0, parent->client.right - parent->client.left,
                 parent->client.bottom - parent->client.top};
  if (!PtInRect(&client, point)) return nullptr;
  const std::vector<Window*>& children = IsDesktop(*parent) ? State().topLevel : parent->children;
  for (Window* child : children) {
    if ((flags & CWP_SKIPINVISIBLE) != 0 && (child->style & WS_VISIBLE) == 0) continue;
    if ((flags & CWP_SKIPDISABLED) != 0 && (child->style & WS_DISABLED) != 0) continue;
    if ((flags & CWP_SKIPTRANSPARENT) != 0 && (child->exStyle & WS_EX_TRANSPARENT) != 0) continue;
    if (PtInRect(&child->window, point)) return child->handle;
  }
  return parent->handle;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

int GetSystemMetrics(int index) {
  const auto& screen = platform::gdi::Screen();
  RECT fixedCaption = NonClientInsets(WS_CAPTION, 0, false);
  RECT thick = NonClientInsets(WS_THICKFRAME, 0, false);
  RECT dialog = NonClientInsets(WS_DLGFRAME, 0, false);
  RECT thin = NonClientInsets(WS_BORDER, 0, false);
  RECT edge = NonClientInsets(0, WS_EX_CLIENTEDGE, false);
  RECT tool = NonClientInsets(WS_CAPTION, WS_EX_TOOLWINDOW, false);
  RECT menu = NonClientInsets(0, 0, true);
  const int caption = fixedCaption.top - fixedCaption.left;
  const int smallCaption = tool.top - tool.left;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
    case SM_CXVIRTUALSCREEN:
      return screen.width;
    case SM_CYSCREEN:
    case SM_CYMAXIMIZED:
    case SM_CYVIRTUALSCREEN:
      return screen.height;
    case SM_CYFULLSCREEN:
      return screen.height - caption;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 17;
    case SM_CYCAPTION:
      return caption;
    case SM_CYSMCAPTION:
      return smallCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return thin.left;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return dialog.left;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return thick.left;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return edge.left;
    case SM_CYMENU:
      return menu.top;
    case SM_CXSIZE:
      return CurrentTheme()->Metrics().captionButtonWidth;
    case SM_CYSIZE:
      return caption;
    case SM_CXSMSIZE:
      return CurrentTheme()->Metrics().toolCaptionButtonWidth;
    case SM_CYSMSIZE:
      return smallCaption;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CXMIN:
    case SM_CXMINTRACK:
      return 136;
    case SM_CYMIN:
    case SM_CYMINTRACK:
      return thick.top + thick.bottom + caption;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
    case SM_CMONITORS:
      return 1;
    default:
      return 0;
  }
}

// The SCROLLBAR control (SB_CTL) and the scroll bar functions, which reach either a
// control (through its SBM_* messages) or a window's own bars.
#include <algorithm>
#include <cstdint>

#include "platform/controls/ControlState.h"
#include "platform/controls/ScrollBarCore.h"
#include "platform/controls/SystemClasses.h"
#include "platform/controls/WindowScrollBars.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr LRESULT kWantArrows = 0x0001;  // DLGC_WANTARROWS

struct ScrollControl {
  ScrollData data;
  ScrollPress press;
  bool pressing = false;
  POINT last{};
};

ScrollControl* StateOf(HWND window) {
  return ControlStateOf<ScrollControl>(window).get();
}

bool IsVertical(HWND window) {
  return (GetWindowLongPtrA(window, GWL_STYLE) & SBS_VERT) != 0;
}

ScrollGeometry Geometry(HWND window, const ScrollControl& s) {
  RECT client{};
  GetClientRect(window, &client);
  return LayoutScrollBar(client, IsVertical(window), s.data);
}

void Redraw(HWND window, BOOL redraw) {
  if (redraw) InvalidateRect(window, nullptr, FALSE);
}

void Paint(HWND window, ScrollControl& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  ScrollHit pressed = s.pressing && s.press.inside ? s.press.hit : ScrollHit::None;
  if (s.pressing && s.press.hit == ScrollHit::Thumb) pressed = ScrollHit::Thumb;
  PaintScrollBar(dc, client, (style & SBS_VERT) != 0, s.data, pressed,
                 IsWindowEnabled(window) != FALSE, style);
  EndPaint(window, &ps);
}

int Along(const ScrollPress& press, POINT p) {
  return press.vertical ? p.y : p.x;
}

void EndPress(HWND window, ScrollControl& s) {
  if (!s.pressing) return;
  s.pressing = false;
  KillTimer(window, kRepeatTimer);
  ScrollPress press = s.press;
  if (press.hit == ScrollHit::Thumb) {
    // Still tracking while the final position is reported, so SIF_TRACKPOS gives it.
    SendScrollRequest(press, SB_THUMBPOSITION, s.data.trackPos);
    if (StateOf(window) != &s) return;  // destroyed by the parent meanwhile
    s.data.tracking = false;
  }
  SendScrollRequest(press, SB_ENDSCROLL);
  if (GetCapture() == window) ReleaseCapture();
  InvalidateRect(window, nullptr, FALSE);
}

void BeginPress(HWND window, ScrollControl& s, POINT p) {
  ScrollGeometry g = Geometry(window, s);
  ScrollHit hit = HitScrollBar(g, p);
  if (hit == ScrollHit::None || !CanScroll(s.data)) return;
  if ((hit == ScrollHit::ArrowLess && (s.data.disabledArrows & ESB_DISABLE_LTUP) != 0) ||
      (hit == ScrollHit::ArrowMore && (s.data.disabledArrows & ESB_DISABLE_RTDN) != 0)) {
    return;
  }
  if ((GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP) != 0) SetFocus(window);
  s.press = {};
  s.press.hit = hit;
  s.press.inside = true;
  s.press.target = GetParent(window);
  s.press.lParam = reinterpret_cast<LPARAM>(window);
  s.press.vertical = g.vertical;
  s.pressing = true;
  s.last = p;
  SetCapture(window);
  if (hit == ScrollHit::Thumb) {
    s.press.grabOffset = Along(s.press, p) - (g.vertical ? g.thumb.top : g.thumb.left);
    s.data.trackPos = s.data.pos;
    s.data.tracking = true;
  } else {
    SendScrollRequest(s.press, ScrollCodeFor(hit));
    SetTimer(window, kRepeatTimer, kScrollFirstDelay, nullptr);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void MovePress(HWND window, ScrollControl& s, POINT p) {
  if (!s.pressing) return;
  s.last = p;
  ScrollGeometry g = Geometry(window, s);
  if (s.press.hit == ScrollHit::Thumb) {
    int pos = ScrollPosFromThumbEdge(g, s.data, Along(s.press, p) - s.press.grabOffset);
    if (pos != s.data.trackPos) {
      s.data.trackPos = pos;
      InvalidateRect(window, nullptr, FALSE);
      SendScrollRequest(s.press, SB_THUMBTRACK, pos);
    }
    return;
  }
  bool inside = HitScrollBar(g, p) == s.press.hit;
  if (inside != s.press.inside) {
    s.press.inside = inside;
    InvalidateRect(window, nullptr, FALSE);
  }
}

void KeyRequest(HWND window, WPARAM key, bool down) {
  int code;
  switch (static_cast<int>(key)) {
    case VK_UP:
    case VK_LEFT:
      code = SB_LINEUP;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      code = SB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
    default:
      return;
  }
  ScrollPress press;
  press.target = GetParent(window);
  press.lParam = reinterpret_cast<LPARAM>(window);
  press.vertical = IsVertical(window);
  SendScrollRequest(press, down ? code : SB_ENDSCROLL);
}

LRESULT ScrollBarMessage(HWND window, ScrollControl& s, UINT message, WPARAM wParam,
                         LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, s);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      BeginPress(window, s, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE:
      MovePress(window, s, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      MovePress(window, s, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      EndPress(window, s);
      return 0;
    case WM_CAPTURECHANGED:
      if (s.pressing && reinterpret_cast<HWND>(lParam) != window) EndPress(window, s);
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer) {
        if (!s.pressing) {
          KillTimer(window, kRepeatTimer);
          return 0;
        }
        SetTimer(window, kRepeatTimer, kScrollRepeatDelay, nullptr);
        RepeatScrollPress(s.press, Geometry(window, s), s.last);
      }
      return 0;
    case WM_KEYDOWN:
      KeyRequest(window, wParam, true);
      return 0;
    case WM_KEYUP:
      KeyRequest(window, wParam, false);
      return 0;
    case WM_GETDLGCODE:
      return kWantArrows;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case SBM_SETPOS: {
      int old = s.data.pos;
      s.data.pos = static_cast<int>(wParam);
      NormalizeScroll(s.data);
      Redraw(window, static_cast<BOOL>(lParam));
      return old;
    }
    case SBM_GETPOS:
      return s.data.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s.data.pos;
      s.data.min = static_cast<int>(wParam);
      s.data.max = static_cast<int>(lParam);
      NormalizeScroll(s.data);
      Redraw(window, message == SBM_SETRANGEREDRAW);
      return old;
    }
    case SBM_GETRANGE:
      if (wParam != 0) *reinterpret_cast<int*>(wParam) = s.data.min;
      if (lParam != 0) *reinterpret_cast<int*>(lParam) = s.data.max;
      return 0;
    case SBM_ENABLE_ARROWS: {
      UINT flags = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
      if (flags == s.data.disabledArrows) return FALSE;
      s.data.disabledArrows = flags;
      InvalidateRect(window, nullptr, FALSE);
      return TRUE;
    }
    case SBM_SETSCROLLINFO: {
      auto* info = reinterpret_cast<const SCROLLINFO*>(lParam);
      if (info == nullptr || info->cbSize != sizeof(SCROLLINFO)) return 0;
      int pos = ApplyScrollInfo(s.data, *info);
      Redraw(window, static_cast<BOOL>(wParam));
      return pos;
    }
    case SBM_GETSCROLLINFO:
      return ReadScrollInfo(s.data, reinterpret_cast<SCROLLINFO*>(lParam)) ? TRUE : FALSE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool IsControlBar(int bar) {
  return bar == SB_CTL;
}

}  // namespace

void RegisterScrollBarClass() {
  EnsureScrollPainters();
  RegisterControlClass("SCROLLBAR", ControlProc<ScrollControl, ScrollBarMessage>, CS_DBLCLKS);
}

}  // namespace platform::controls

using namespace platform::controls;

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (info == nullptr || info->cbSize != sizeof(SCROLLINFO)) return 0;
  if (IsControlBar(bar)) {
    return static_cast<int>(SendMessageA(window, SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw),
                                         reinterpret_cast<LPARAM>(info)));
  }
  return SetWindowBarInfo(window, bar, *info, redraw != FALSE);
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
  if (info == nullptr || info->cbSize != sizeof(SCROLLINFO)) return FALSE;
  if (IsControlBar(bar)) {
    return static_cast<BOOL>(
        SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
  }
  ScrollData data;
  if (!GetWindowBarData(window, bar, &data)) return FALSE;
  return ReadScrollInfo(data, info) ? TRUE : FALSE;
}

int SetScrollPos(HWND window, int bar, int pos, BOOL redraw) {
  if (IsControlBar(bar)) {
    return static_cast<int>(SendMessageA(window, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
  }
  ScrollData data;
  if (!GetWindowBarData(window, bar, &data)) return 0;
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
  SetWindowBarInfo(window, bar, info, redraw != FALSE);
  return data.pos;
}

int GetScrollPos(HWND window, int bar) {
  if (IsControlBar(bar)) return static_cast<int>(SendMessageA(window, SBM_GETPOS, 0, 0));
  ScrollData data;
  return GetWindowBarData(window, bar, &data) ? data.pos : 0;
}

BOOL SetScrollRange(HWND window, int bar, int minPos, int maxPos, BOOL redraw) {
  // The span must fit in a signed 32-bit number, as positions are sent in one.
  if (static_cast<int64_t>(maxPos) - minPos > INT32_MAX) return FALSE;
  if (IsControlBar(bar)) {
    if (!IsWindow(window)) return FALSE;
    SendMessageA(window, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos),
                 maxPos);
    return TRUE;
  }
  ScrollData data;
  if (!GetWindowBarData(window, bar, &data)) return FALSE;
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
  SetWindowBarInfo(window, bar, info, redraw != FALSE);
  return TRUE;
}

BOOL GetScrollRange(HWND window, int bar, int* minPos, int* maxPos) {
  if (minPos == nullptr || maxPos == nullptr) return FALSE;
  if (IsControlBar(bar)) {
    if (!IsWindow(window)) return FALSE;
    SendMessageA(window, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos),
                 reinterpret_cast<LPARAM>(maxPos));
    return TRUE;
  }
  ScrollData data;
  if (!GetWindowBarData(window, bar, &data)) return FALSE;
  *minPos = data.min;
  *maxPos = data.max;
  return TRUE;
}

BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows) {
  if (bar == static_cast<UINT>(SB_CTL)) {
    return static_cast<BOOL>(SendMessageA(window, SBM_ENABLE_ARROWS, arrows, 0));
  }
  return EnableWindowBarArrows(window, static_cast<int>(bar), arrows & ESB_DISABLE_BOTH) ? TRUE
                                                                                         : FALSE;
}

BOOL ShowScrollBar(HWND window, int bar, BOOL show) {
  if (IsControlBar(bar)) {
    if (!IsWindow(window)) return FALSE;
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    return TRUE;
  }
  return ShowWindowBars(window, bar, show != FALSE) ? TRUE : FALSE;
}

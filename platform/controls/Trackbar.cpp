// The trackbar (msctls_trackbar32): a thumb that slides along a channel between a minimum
// (left or top) and a maximum, moved by the mouse and the keyboard, telling its parent
// through WM_HSCROLL / WM_VSCROLL with the TB_* codes.
#include <algorithm>
#include <cstdint>

#include "platform/commctrl.h"
#include "platform/controls/ControlState.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

using platform::user::PaintThemePart;

namespace {

constexpr LRESULT kWantArrows = 0x0001;  // DLGC_WANTARROWS
constexpr UINT_PTR kPageTimer = 1;
constexpr UINT kPageFirstDelay = 400;
constexpr UINT kPageRepeatDelay = 100;
constexpr int kThumbWidth = 11;   // along the channel
constexpr int kThumbLength = 20;  // across it
constexpr int kMargin = 4;
constexpr int kTickRoom = 6;

struct Trackbar {
  int min = 0;
  int max = 100;
  int pos = 0;
  int page = 20;  // a fifth of the range until the program sets it
  bool pageSet = false;
  int line = 1;
  int wheel = 0;  // wheel movement short of a whole notch
  int ticFreq = 1;
  bool dragging = false;
  bool paging = false;
  int pageCode = TB_PAGEUP;
  int grabOffset = 0;
  POINT last{};
  bool focused = false;
};

struct Layout {
  bool vertical = false;
  int start = 0;  // channel span along the axis: where min and max lie (thumb centres)
  int end = 0;
  RECT channel{};
  RECT thumb{};
  int crossTop = 0;  // thumb's extent across the axis
  int crossBottom = 0;
};

Trackbar* StateOf(HWND window) {
  return ControlStateOf<Trackbar>(window).get();
}

DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

bool TicksBefore(DWORD style) {
  return (style & TBS_NOTICKS) == 0 && (style & (TBS_TOP | TBS_BOTH)) != 0;
}
bool TicksAfter(DWORD style) {
  return (style & TBS_NOTICKS) == 0 && ((style & TBS_TOP) == 0 || (style & TBS_BOTH) != 0);
}

RECT Oriented(bool vertical, int along0, int cross0, int along1, int cross1) {
  return vertical ? RECT{cross0, along0, cross1, along1} : RECT{along0, cross0, along1, cross1};
}

int Clamped(const Trackbar& t, int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, t.min, std::max(t.min, t.max)));
}

int CentreOf(const Trackbar& t, const Layout& l, int pos) {
  int64_t span = static_cast<int64_t>(t.max) - t.min;
  if (span <= 0) return l.start;
  return l.start + static_cast<int>((static_cast<int64_t>(pos) - t.min) * (l.end - l.start) / span);
}

Layout LayoutOf(HWND window, const Trackbar& t) {
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = StyleOf(window);
  Layout l;
  l.vertical = (style & TBS_VERT) != 0;
  int length = l.vertical ? client.bottom : client.right;
  int cross = l.vertical ? client.right : client.bottom;
  l.start = kMargin + kThumbWidth / 2;
  l.end = std::max(l.start, length - kMargin - kThumbWidth / 2 - 1);
  int before = TicksBefore(style) ? kTickRoom : 2;
  int after = TicksAfter(style) ? kTickRoom : 2;
  l.crossTop = before;
  l.crossBottom = std::max(before + 4, std::min(before + kThumbLength, cross - after));
  int mid = (l.crossTop + l.crossBottom) / 2;
  l.channel = Oriented(l.vertical, l.start - 2, mid - 2, l.end + 3, mid + 2);
  int c = CentreOf(t, l, t.pos);
  l.thumb =
      Oriented(l.vertical, c - kThumbWidth / 2, l.crossTop, c + kThumbWidth / 2 + 1, l.crossBottom);
  return l;
}

int PosFromAlong(const Trackbar& t, const Layout& l, int along) {
  int64_t span = static_cast<int64_t>(t.max) - t.min;
  int room = l.end - l.start;
  if (span <= 0 || room <= 0) return t.min;
  int offset = std::clamp(along - l.start, 0, room);
  return Clamped(t, t.min + (offset * span + room / 2) / room);
}

void Notify(HWND window, int code, int pos = 0) {
  HWND parent = GetParent(window);
  if (parent == nullptr) return;
  UINT message = (StyleOf(window) & TBS_VERT) != 0 ? WM_VSCROLL : WM_HSCROLL;
  SendMessageA(parent, message, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(window));
}

void MoveTo(HWND window, Trackbar& t, int64_t pos) {
  int next = Clamped(t, pos);
  if (next == t.pos) return;
  t.pos = next;
  InvalidateRect(window, nullptr, TRUE);
}

void PaintTicks(HDC dc, const Trackbar& t, const Layout& l, DWORD style,
                VelmoraThemePaintInfo info) {
  if ((style & TBS_NOTICKS) != 0) return;
  auto tick = [&](int pos) {
    int c = CentreOf(t, l, pos);
    if (TicksBefore(style))
      PaintThemePart(dc, VELMORA_PART_TRACKBAR_TICK,
                     Oriented(l.vertical, c, l.crossTop - 4, c + 1, l.crossTop - 1), info);
    if (TicksAfter(style))
      PaintThemePart(dc, VELMORA_PART_TRACKBAR_TICK,
                     Oriented(l.vertical, c, l.crossBottom + 1, c + 1, l.crossBottom + 4), info);
  };
  tick(t.min);
  tick(t.max);
  if ((style & TBS_AUTOTICKS) == 0 || t.ticFreq <= 0) return;
  // Never more ticks than pixels, however small the frequency.
  int64_t span = static_cast<int64_t>(t.max) - t.min;
  int64_t step = std::max<int64_t>(t.ticFreq, span / std::max(1, l.end - l.start) + 1);
  for (int64_t p = t.min + step; p < t.max; p += step) tick(static_cast<int>(p));
}

void Paint(HWND window, const Trackbar& t) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = StyleOf(window);
  HWND parent = GetParent(window);
  // The background is the parent's, as for any static-looking control.
  HBRUSH back = parent != nullptr ? reinterpret_cast<HBRUSH>(SendMessageA(
                                        parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(window)))
                                  : nullptr;
  FillRect(dc, &client, back != nullptr ? back : GetSysColorBrush(COLOR_BTNFACE));
  Layout l = LayoutOf(window, t);
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.style = style;
  info.value = l.vertical ? 1 : 0;
  if (!IsWindowEnabled(window)) info.state |= VELMORA_STATE_DISABLED;
  PaintThemePart(dc, VELMORA_PART_TRACKBAR_CHANNEL, l.channel, info);
  PaintTicks(dc, t, l, style, info);
  VelmoraThemePaintInfo thumb = info;
  if (t.dragging) thumb.state |= VELMORA_STATE_PRESSED;
  if (t.focused) thumb.state |= VELMORA_STATE_FOCUSED;
  if ((style & TBS_NOTHUMB) == 0) PaintThemePart(dc, VELMORA_PART_TRACKBAR_THUMB, l.thumb, thumb);
  if (t.focused) PaintThemePart(dc, VELMORA_PART_FOCUS_RECT, client, info);
  EndPaint(window, &ps);
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void PaintChannel(HDC dc, const RECT& r, const VelmoraThemePaintInfo&) {
  FillColor(dc, r, GetSysColor(COLOR_BTNSHADOW));
  RECT inner = r;
  InflateRect(&inner, -1, -1);
  FillColor(dc, inner, GetSysColor(COLOR_WINDOW));
}

void PaintThumb(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF face = GetSysColor((info.state & VELMORA_STATE_DISABLED) != 0  ? COLOR_BTNFACE
                              : (info.state & VELMORA_STATE_PRESSED) != 0 ? COLOR_BTNSHADOW
                                                                          : COLOR_HIGHLIGHT);
  FillColor(dc, r, GetSysColor(COLOR_BTNSHADOW));
  RECT inner = r;
  InflateRect(&inner, -1, -1);
  FillColor(dc, inner, face);
}

void PaintTick(HDC dc, const RECT& r, const VelmoraThemePaintInfo&) {
  FillColor(dc, r, GetSysColor(COLOR_BTNTEXT));
}

void PageTowards(HWND window, Trackbar& t, POINT p) {
  Layout l = LayoutOf(window, t);
  int along = l.vertical ? p.y : p.x;
  int centre = CentreOf(t, l, t.pos);
  // Stop once the thumb has come under the mouse.
  if (PtInRect(&l.thumb, p)) return;
  int code = along < centre ? TB_PAGEUP : TB_PAGEDOWN;
  if (code != t.pageCode) return;
  int target = PosFromAlong(t, l, along);
  int64_t next = static_cast<int64_t>(t.pos) + (code == TB_PAGEUP ? -t.page : t.page);
  next = code == TB_PAGEUP ? std::max<int64_t>(next, target) : std::min<int64_t>(next, target);
  MoveTo(window, t, next);
  Notify(window, code);
}

void Press(HWND window, Trackbar& t, POINT p) {
  if (GetFocus() != window) SetFocus(window);
  if (!IsWindow(window) || StateOf(window) != &t) return;
  Layout l = LayoutOf(window, t);
  t.last = p;
  SetCapture(window);
  if (PtInRect(&l.thumb, p) && (StyleOf(window) & TBS_NOTHUMB) == 0) {
    t.dragging = true;
    t.grabOffset = (l.vertical ? p.y : p.x) - CentreOf(t, l, t.pos);
    InvalidateRect(window, nullptr, TRUE);
    return;
  }
  t.paging = true;
  t.pageCode = (l.vertical ? p.y : p.x) < CentreOf(t, l, t.pos) ? TB_PAGEUP : TB_PAGEDOWN;
  PageTowards(window, t, p);
  SetTimer(window, kPageTimer, kPageFirstDelay, nullptr);
}

void Drag(HWND window, Trackbar& t, POINT p) {
  t.last = p;
  if (!t.dragging) return;
  Layout l = LayoutOf(window, t);
  int pos = PosFromAlong(t, l, (l.vertical ? p.y : p.x) - t.grabOffset);
  if (pos == t.pos) return;
  MoveTo(window, t, pos);
  Notify(window, TB_THUMBTRACK, t.pos);
}

void Release(HWND window, Trackbar& t) {
  if (!t.dragging && !t.paging) return;
  bool dragged = t.dragging;
  t.dragging = false;
  t.paging = false;
  KillTimer(window, kPageTimer);
  if (GetCapture() == window) ReleaseCapture();
  if (dragged) Notify(window, TB_THUMBPOSITION, t.pos);
  Notify(window, TB_ENDTRACK);
  InvalidateRect(window, nullptr, TRUE);
}

void Key(HWND window, Trackbar& t, int key, bool down) {
  int code;
  int64_t next;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      code = TB_LINEUP;
      next = static_cast<int64_t>(t.pos) - t.line;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      code = TB_LINEDOWN;
      next = static_cast<int64_t>(t.pos) + t.line;
      break;
    case VK_PRIOR:
      code = TB_PAGEUP;
      next = static_cast<int64_t>(t.pos) - t.page;
      break;
    case VK_NEXT:
      code = TB_PAGEDOWN;
      next = static_cast<int64_t>(t.pos) + t.page;
      break;
    case VK_HOME:
      code = TB_TOP;
      next = t.min;
      break;
    case VK_END:
      code = TB_BOTTOM;
      next = t.max;
      break;
    default:
      return;
  }
  if (!down) {
    Notify(window, TB_ENDTRACK);
    return;
  }
  MoveTo(window, t, next);
  Notify(window, code);
}

// The wheel moves a focused trackbar by its line size a notch, away from the user towards
// the start, as the up arrow key does.
void Wheel(HWND window, Trackbar& t, int delta) {
  t.wheel += delta;
  const int notches = t.wheel / WHEEL_DELTA;
  if (notches == 0) return;
  t.wheel -= notches * WHEEL_DELTA;
  MoveTo(window, t, static_cast<int64_t>(t.pos) - static_cast<int64_t>(notches) * t.line);
  Notify(window, notches > 0 ? TB_LINEUP : TB_LINEDOWN);
  Notify(window, TB_ENDTRACK);
}

void SetRange(HWND window, Trackbar& t, int64_t min, int64_t max, bool redraw) {
  t.min = static_cast<int>(min);
  t.max = static_cast<int>(std::max(min, max));
  t.pos = Clamped(t, t.pos);
  if (!t.pageSet)
    t.page = static_cast<int>(std::max<int64_t>(1, (static_cast<int64_t>(t.max) - t.min) / 5));
  if (redraw) InvalidateRect(window, nullptr, TRUE);
}

LRESULT TrackbarMessage(HWND window, Trackbar& t, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, t);
      return 0;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      t.focused = message == WM_SETFOCUS;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return kWantArrows;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(window, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE:
      Drag(window, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      Drag(window, t, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      Release(window, t);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) Release(window, t);
      return 0;
    case WM_TIMER:
      if (wParam == kPageTimer) {
        if (!t.paging) {
          KillTimer(window, kPageTimer);
        } else {
          SetTimer(window, kPageTimer, kPageRepeatDelay, nullptr);
          PageTowards(window, t, t.last);
        }
      }
      return 0;
    case WM_KEYDOWN:
      Key(window, t, static_cast<int>(wParam), true);
      return 0;
    case WM_KEYUP:
      Key(window, t, static_cast<int>(wParam), false);
      return 0;
    case WM_MOUSEWHEEL:
      if (GetFocus() != window) return DefWindowProcA(window, message, wParam, lParam);
      Wheel(window, t, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case TBM_GETPOS:
      return t.pos;
    case TBM_GETRANGEMIN:
      return t.min;
    case TBM_GETRANGEMAX:
      return t.max;
    case TBM_SETPOS:
      t.pos = Clamped(t, static_cast<int>(lParam));
      if (wParam != 0) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case TBM_SETRANGE:
      SetRange(window, t, LOWORD(static_cast<DWORD>(lParam)), HIWORD(static_cast<DWORD>(lParam)),
               wParam != 0);
      return 0;
    case TBM_SETRANGEMIN:
      SetRange(window, t, static_cast<int>(lParam), std::max(t.max, static_cast<int>(lParam)),
               wParam != 0);
      return 0;
    case TBM_SETRANGEMAX:
      SetRange(window, t, std::min(t.min, static_cast<int>(lParam)), static_cast<int>(lParam),
               wParam != 0);
      return 0;
    case TBM_SETTICFREQ:
      t.ticFreq = std::max(1, static_cast<int>(wParam));
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case TBM_GETNUMTICS: {
      if ((StyleOf(window) & TBS_NOTICKS) != 0) return 0;
      int64_t span = static_cast<int64_t>(t.max) - t.min;
      if ((StyleOf(window) & TBS_AUTOTICKS) == 0 || span <= 0) return span > 0 ? 2 : 1;
      return static_cast<LRESULT>((span - 1) / t.ticFreq + 2);
    }
    case TBM_SETPAGESIZE: {
      int old = t.page;
      t.page = std::max(0, static_cast<int>(lParam));
      t.pageSet = true;
      return old;
    }
    case TBM_GETPAGESIZE:
      return t.page;
    case TBM_SETLINESIZE: {
      int old = t.line;
      t.line = std::max(0, static_cast<int>(lParam));
      return old;
    }
    case TBM_GETLINESIZE:
      return t.line;
    case TBM_GETTHUMBRECT:
    case TBM_GETCHANNELRECT: {
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr) return 0;
      Layout l = LayoutOf(window, t);
      *out = message == TBM_GETTHUMBRECT ? l.thumb : l.channel;
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterTrackbarClass() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_TRACKBAR_CHANNEL, PaintChannel);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_TRACKBAR_THUMB, PaintThumb);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_TRACKBAR_TICK, PaintTick);
  RegisterControlClass(TRACKBAR_CLASSA, ControlProc<Trackbar, TrackbarMessage>, CS_DBLCLKS);
}

}  // namespace platform::controls

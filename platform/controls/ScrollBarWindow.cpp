// The scroll bars of windows with WS_HSCROLL / WS_VSCROLL: their numbers (kept per window
// here, since the bars belong to the frame rather than to a control), their place in the
// frame, painting, and the press loop run from the frame's WM_NCLBUTTONDOWN.
#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/controls/WindowScrollBars.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowSlot.h"
#include "platform/user/WindowTree.h"

namespace platform::controls {

using namespace platform::user;

namespace {

// Chosen far from the small numbers programs give their own timers.
constexpr UINT_PTR kBarRepeatTimer = 0x5C5C;

struct BarEntry {
  ScrollData bars[2];
  int pressedBar = -1;
  ScrollHit pressed = ScrollHit::None;
};

// With UserLock held. Null for a dead window.
BarEntry* EntryLocked(HWND handle) {
  Window* w = FindWindowLocked(handle);
  return w != nullptr ? &WindowSlot<BarEntry>::EnsureLocked(*w) : nullptr;
}

bool ValidBar(int bar) {
  return bar == SB_HORZ || bar == SB_VERT;
}

DWORD StyleBit(int bar) {
  return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
}

RECT BarRect(int bar, const RECT& client) {
  const int size = ThemeScrollBarSize();
  if (bar == SB_VERT) return {client.right, client.top, client.right + size, client.bottom};
  return {client.left, client.bottom, client.right, client.bottom + size};
}

// Where a bar lies in window coordinates and the window's origin on the screen.
bool BarPlacement(HWND handle, int bar, RECT* rect, POINT* origin, ScrollData* data) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  BarEntry* e = EntryLocked(handle);
  if (w == nullptr || e == nullptr || (w->style & StyleBit(bar)) == 0) return false;
  RECT windowRect = WindowRectOnScreen(*w);
  RECT client = ClientRectOnScreen(*w);
  OffsetRect(&client, -windowRect.left, -windowRect.top);
  *rect = BarRect(bar, client);
  *origin = {windowRect.left, windowRect.top};
  *data = e->bars[bar];
  return true;
}

void RepaintBars(HWND handle) {
  HWND top;
  RECT client;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr || !IsReallyVisible(*w)) return;
    RECT windowRect = WindowRectOnScreen(*w);
    client = ClientRectOnScreen(*w);
    OffsetRect(&client, -windowRect.left, -windowRect.top);
    top = TopLevelOf(w)->handle;
  }
  HDC dc = GetWindowDC(handle);
  if (dc == nullptr) return;
  PaintWindowScrollBars(handle, dc, client);
  ReleaseDC(handle, dc);
  NotifyTopLevel(top);
}

void SetPressed(HWND handle, int bar, ScrollHit hit) {
  std::lock_guard lock(UserLock());
  BarEntry* e = EntryLocked(handle);
  if (e == nullptr) return;
  e->pressedBar = bar;
  e->pressed = hit;
}

void SetTracking(HWND handle, int bar, bool tracking, int trackPos) {
  std::lock_guard lock(UserLock());
  BarEntry* e = EntryLocked(handle);
  if (e == nullptr) return;
  e->bars[bar].tracking = tracking;
  e->bars[bar].trackPos = trackPos;
  NormalizeScroll(e->bars[bar]);
}

bool IsMouse(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

}  // namespace

void AddScrollBarInsets(DWORD style, RECT& insets) {
  const int size = ThemeScrollBarSize();
  if ((style & WS_VSCROLL) != 0) insets.right += size;
  if ((style & WS_HSCROLL) != 0) insets.bottom += size;
}

LRESULT ScrollBarHitTest(DWORD style, const RECT& client, POINT p) {
  for (int bar : {SB_VERT, SB_HORZ}) {
    if ((style & StyleBit(bar)) == 0) continue;
    RECT r = BarRect(bar, client);
    if (PtInRect(&r, p)) return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
  }
  return HTNOWHERE;
}

void PaintWindowScrollBars(HWND handle, HDC dc, const RECT& client) {
  DWORD style;
  ScrollData bars[2];
  int pressedBar;
  ScrollHit pressed;
  bool enabled;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    if (w == nullptr || (w->style & (WS_HSCROLL | WS_VSCROLL)) == 0) return;
    BarEntry* e = EntryLocked(handle);
    if (e == nullptr) return;
    style = w->style;
    bars[0] = e->bars[0];
    bars[1] = e->bars[1];
    pressedBar = e->pressedBar;
    pressed = e->pressed;
    enabled = (w->style & WS_DISABLED) == 0;
  }
  for (int bar : {SB_HORZ, SB_VERT}) {
    if ((style & StyleBit(bar)) == 0) continue;
    PaintScrollBar(dc, BarRect(bar, client), bar == SB_VERT, bars[bar],
                   pressedBar == bar ? pressed : ScrollHit::None, enabled, style);
  }
  if ((style & WS_VSCROLL) != 0 && (style & WS_HSCROLL) != 0) {
    const int size = ThemeScrollBarSize();
    RECT corner{client.right, client.bottom, client.right + size, client.bottom + size};
    VelmoraThemePaintInfo info{};
    info.size = sizeof(info);
    info.state = VELMORA_STATE_DISABLED;
    info.style = style;
    PaintThemePart(dc, VELMORA_PART_SCROLL_TRACK, corner, info);
  }
}

bool GetWindowBarData(HWND handle, int bar, ScrollData* data) {
  if (!ValidBar(bar) || data == nullptr) return false;
  std::lock_guard lock(UserLock());
  BarEntry* e = EntryLocked(handle);
  if (e == nullptr) return false;
  *data = e->bars[bar];
  return true;
}

int SetWindowBarInfo(HWND handle, int bar, const SCROLLINFO& info, bool redraw) {
  if (!ValidBar(bar)) return 0;
  int pos;
  bool shown, want;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(handle);
    BarEntry* e = EntryLocked(handle);
    if (w == nullptr || e == nullptr) return 0;
    ScrollData& d = e->bars[bar];
    pos = ApplyScrollInfo(d, info);
    shown = (w->style & StyleBit(bar)) != 0;
    // A new range or page decides whether the bar is needed; a position alone never does.
    want = (info.fMask & (SIF_RANGE | SIF_PAGE)) != 0 ? CanScroll(d) || d.disabledNoScroll : shown;
  }
  if (want != shown) {
    ShowWindowBars(handle, bar, want);
  } else if (redraw && shown) {
    RepaintBars(handle);
  }
  return pos;
}

bool EnableWindowBarArrows(HWND handle, int bar, UINT disabled) {
  if (!ValidBar(bar) && bar != SB_BOTH) return false;
  bool changed = false;
  {
    std::lock_guard lock(UserLock());
    BarEntry* e = EntryLocked(handle);
    if (e == nullptr) return false;
    for (int b : {SB_HORZ, SB_VERT}) {
      if (bar != SB_BOTH && bar != b) continue;
      if (e->bars[b].disabledArrows != disabled) changed = true;
      e->bars[b].disabledArrows = disabled;
    }
  }
  if (changed) RepaintBars(handle);
  return changed;
}

bool ShowWindowBars(HWND handle, int bar, bool show) {
  DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : ValidBar(bar) ? StyleBit(bar) : 0;
  if (bits == 0 || !IsWindow(handle)) return false;
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(handle, GWL_STYLE));
  DWORD next = show ? style | bits : style & ~bits;
  if (next == style) return true;
  SetWindowLongPtrA(handle, GWL_STYLE, static_cast<LONG_PTR>(next));
  // The client area grows or shrinks by the bar; the frame and its bars are redrawn.
  SetWindowPos(handle, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void TrackWindowScrollBar(HWND handle, int bar, POINT screen) {
  if (!ValidBar(bar)) return;
  RECT rect;
  POINT origin;
  ScrollData data;
  if (!BarPlacement(handle, bar, &rect, &origin, &data)) return;
  if (!IsWindowEnabled(handle)) return;
  ScrollPress press;
  press.target = handle;
  press.lParam = 0;
  press.vertical = bar == SB_VERT;
  POINT p{screen.x - origin.x, screen.y - origin.y};
  ScrollGeometry g = LayoutScrollBar(rect, press.vertical, data);
  press.hit = HitScrollBar(g, p);
  if (press.hit == ScrollHit::None || !CanScroll(data)) return;
  if ((press.hit == ScrollHit::ArrowLess && (data.disabledArrows & ESB_DISABLE_LTUP) != 0) ||
      (press.hit == ScrollHit::ArrowMore && (data.disabledArrows & ESB_DISABLE_RTDN) != 0)) {
    return;
  }
  press.inside = true;
  auto along = [&](POINT q) { return press.vertical ? q.y : q.x; };
  SetCapture(handle);
  SetPressed(handle, bar, press.hit);
  if (press.hit == ScrollHit::Thumb) {
    press.grabOffset = along(p) - (press.vertical ? g.thumb.top : g.thumb.left);
    SetTracking(handle, bar, true, data.pos);
  } else {
    SendScrollRequest(press, ScrollCodeFor(press.hit));
    SetTimer(handle, kBarRepeatTimer, kScrollFirstDelay, nullptr);
  }
  RepaintBars(handle);
  int trackPos = data.pos;
  MSG msg;
  for (;;) {
    if (!IsWindow(handle)) break;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0 || GetCapture() != handle) break;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_TIMER && msg.hwnd == handle && msg.wParam == kBarRepeatTimer) {
      SetTimer(handle, kBarRepeatTimer, kScrollRepeatDelay, nullptr);
      if (BarPlacement(handle, bar, &rect, &origin, &data)) {
        RepeatScrollPress(press, LayoutScrollBar(rect, press.vertical, data), p);
      }
      continue;
    }
    if (IsMouse(msg.message)) {
      p = {msg.pt.x - origin.x, msg.pt.y - origin.y};
      if (!BarPlacement(handle, bar, &rect, &origin, &data)) break;
      g = LayoutScrollBar(rect, press.vertical, data);
      if (press.hit == ScrollHit::Thumb) {
        int pos = ScrollPosFromThumbEdge(g, data, along(p) - press.grabOffset);
        if (pos != trackPos) {
          trackPos = pos;
          SetTracking(handle, bar, true, pos);
          RepaintBars(handle);
          SendScrollRequest(press, SB_THUMBTRACK, pos);
        }
      } else {
        bool inside = HitScrollBar(g, p) == press.hit;
        if (inside != press.inside) {
          press.inside = inside;
          SetPressed(handle, bar, inside ? press.hit : ScrollHit::None);
          RepaintBars(handle);
        }
      }
      if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) break;
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == static_cast<WPARAM>(VK_ESCAPE)) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  KillTimer(handle, kBarRepeatTimer);
  if (press.hit == ScrollHit::Thumb) {
    // Still tracking while the final position is reported, so SIF_TRACKPOS gives it in
    // full where the message's 16 bits cannot.
    SendScrollRequest(press, SB_THUMBPOSITION, trackPos);
    SetTracking(handle, bar, false, trackPos);
  }
  SendScrollRequest(press, SB_ENDSCROLL);
  if (GetCapture() == handle) ReleaseCapture();
  SetPressed(handle, -1, ScrollHit::None);
  RepaintBars(handle);
}

}  // namespace platform::controls

// The progress bar (msctls_progress32): a range, a position, and a fill that shows how far
// the position has come, as one smooth bar (PBS_SMOOTH) or as blocks.
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

struct Progress {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
};

int Clamp(const Progress& p, int64_t value) {
  int lo = std::min(p.low, p.high), hi = std::max(p.low, p.high);
  return static_cast<int>(std::clamp<int64_t>(value, lo, hi));
}

LPARAM PackedRange(const Progress& p) {
  return MAKELPARAM(p.low, p.high);
}

// Where the fill ends, as a part of `length` pixels.
int FilledLength(const Progress& p, int length) {
  int64_t span = static_cast<int64_t>(p.high) - p.low;
  if (span <= 0 || length <= 0) return 0;
  int64_t done = static_cast<int64_t>(p.pos) - p.low;
  return static_cast<int>(std::clamp<int64_t>(done * length / span, 0, length));
}

void Paint(HWND window, const Progress& p) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const bool vertical = (style & PBS_VERTICAL) != 0;
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.style = style;
  info.value = vertical ? 1 : 0;
  info.value2 = (style & PBS_SMOOTH) != 0 ? 1 : 0;
  info.inner = client;
  if (!IsWindowEnabled(window)) info.state |= VELMORA_STATE_DISABLED;
  PaintThemePart(dc, VELMORA_PART_PROGRESS_TRACK, client, info);
  RECT inside = client;
  InflateRect(&inside, -1, -1);
  RECT fill = inside;
  if (vertical) {
    fill.top = fill.bottom - FilledLength(p, inside.bottom - inside.top);
  } else {
    fill.right = fill.left + FilledLength(p, inside.right - inside.left);
  }
  info.inner = inside;
  if (!IsRectEmpty(&fill)) PaintThemePart(dc, VELMORA_PART_PROGRESS_FILL, fill, info);
  EndPaint(window, &ps);
}

void FillRectColor(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void PaintTrack(HDC dc, const RECT& r, const VelmoraThemePaintInfo&) {
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  FillRectColor(dc, r, GetSysColor(COLOR_WINDOW));
  FrameRect(dc, &r, frame);
  DeleteObject(frame);
}

// A smooth fill covers its rectangle; a segmented one draws blocks from the start of the
// bar (`inner`) with gaps between them, the last block cut at the fill's end.
void PaintFill(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF color =
      GetSysColor((info.state & VELMORA_STATE_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_HIGHLIGHT);
  if (info.value2 != 0) {
    FillRectColor(dc, r, color);
    return;
  }
  const bool vertical = info.value != 0;
  const int thickness = vertical ? r.right - r.left : r.bottom - r.top;
  const int block = std::max(3, thickness * 2 / 3), gap = 2;
  if (vertical) {
    for (int y = r.bottom; y > r.top; y -= block + gap) {
      FillRectColor(dc, {r.left, std::max<int>(r.top, y - block), r.right, y}, color);
    }
  } else {
    for (int x = r.left; x < r.right; x += block + gap) {
      FillRectColor(dc, {x, r.top, std::min<int>(r.right, x + block), r.bottom}, color);
    }
  }
}

LRESULT ProgressMessage(HWND window, Progress& p, UINT message, WPARAM wParam, LPARAM lParam) {
  auto moved = [&](int old) {
    if (p.pos != old) InvalidateRect(window, nullptr, FALSE);
    return static_cast<LRESULT>(old);
  };
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, p);
      return 0;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      LPARAM old = PackedRange(p);
      if (message == PBM_SETRANGE) {
        p.low = LOWORD(static_cast<DWORD>(lParam));
        p.high = HIWORD(static_cast<DWORD>(lParam));
      } else {
        p.low = static_cast<int>(wParam);
        p.high = static_cast<int>(lParam);
      }
      p.pos = Clamp(p, p.pos);
      InvalidateRect(window, nullptr, FALSE);
      return old;
    }
    case PBM_GETRANGE: {
      auto* range = reinterpret_cast<PBRANGE*>(lParam);
      if (range != nullptr) *range = {p.low, p.high};
      return wParam != 0 ? p.low : p.high;
    }
    case PBM_SETPOS: {
      int old = p.pos;
      p.pos = Clamp(p, static_cast<int>(wParam));
      return moved(old);
    }
    case PBM_GETPOS:
      return p.pos;
    case PBM_DELTAPOS: {
      int old = p.pos;
      p.pos = Clamp(p, static_cast<int64_t>(p.pos) + static_cast<int>(wParam));
      return moved(old);
    }
    case PBM_SETSTEP: {
      int old = p.step;
      p.step = static_cast<int>(wParam);
      return old;
    }
    case PBM_STEPIT: {
      int old = p.pos;
      int64_t next = static_cast<int64_t>(p.pos) + p.step;
      // Passing the end starts over from the beginning, as a repeating indicator.
      if (next > p.high && p.high > p.low)
        next = p.low + (next - p.high) % (int64_t{p.high} - p.low);
      if (next < p.low && p.high > p.low)
        next = p.high - (p.low - next) % (int64_t{p.high} - p.low);
      p.pos = Clamp(p, next);
      return moved(old);
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterProgressClass() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_PROGRESS_TRACK, PaintTrack);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_PROGRESS_FILL, PaintFill);
  RegisterControlClass(PROGRESS_CLASSA, ControlProc<Progress, ProgressMessage>);
}

}  // namespace platform::controls

void InitCommonControls() {
  platform::controls::EnsureSystemClassesRegistered();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  platform::controls::EnsureSystemClassesRegistered();
  return TRUE;
}

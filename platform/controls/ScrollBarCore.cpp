// Scroll bar numbers, layout, painting and press handling shared by SCROLLBAR controls and
// window scroll bars.
#include "platform/controls/ScrollBarCore.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "platform/user/ThemeParts.h"

namespace platform::controls {

using platform::user::PaintThemePart;
using platform::user::RegisterBuiltInPainter;

namespace {

// Thumbs never shrink below this, or they become impossible to grab.
constexpr int kMinThumb = 8;

int64_t Span(const ScrollData& d) {
  return static_cast<int64_t>(d.max) - d.min + 1;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

COLORREF Mix(COLORREF a, COLORREF b, int percentB) {
  auto channel = [&](int shift) {
    int x = static_cast<int>((a >> shift) & 0xFF);
    int y = static_cast<int>((b >> shift) & 0xFF);
    return static_cast<COLORREF>((x * (100 - percentB) + y * percentB) / 100) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void PaintArrow(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if ((info.state & VELMORA_STATE_PRESSED) != 0) face = Mix(face, RGB(0, 0, 0), 20);
  Fill(dc, r, face);
  COLORREF ink = (info.state & VELMORA_STATE_DISABLED) != 0 ? GetSysColor(COLOR_GRAYTEXT)
                                                            : GetSysColor(COLOR_BTNTEXT);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int size = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
  POINT pts[3];
  const bool vertical = info.value != 0, less = info.value2 == 0;
  if (vertical) {
    int tip = less ? cy - size / 2 : cy + size / 2;
    int base = less ? tip + size : tip - size;
    pts[0] = {cx - size, base};
    pts[1] = {cx + size, base};
    pts[2] = {cx, tip};
  } else {
    int tip = less ? cx - size / 2 : cx + size / 2;
    int base = less ? tip + size : tip - size;
    pts[0] = {base, cy - size};
    pts[1] = {base, cy + size};
    pts[2] = {tip, cy};
  }
  HBRUSH brush = CreateSolidBrush(ink);
  HPEN pen = CreatePen(PS_SOLID, 1, ink);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, pts, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void PaintTrack(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF track = Mix(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW), 50);
  if ((info.state & VELMORA_STATE_PRESSED) != 0) track = Mix(track, RGB(0, 0, 0), 25);
  Fill(dc, r, track);
}

void PaintThumb(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF thumb = Mix(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW), 60);
  if ((info.state & VELMORA_STATE_PRESSED) != 0) thumb = Mix(thumb, RGB(0, 0, 0), 25);
  RECT inner = r;
  // A margin keeps the thumb visibly apart from the track along the bar's sides.
  if (info.value != 0) {
    InflateRect(&inner, -2, 0);
  } else {
    InflateRect(&inner, 0, -2);
  }
  Fill(dc, inner, thumb);
}

}  // namespace

int MaxScrollPos(const ScrollData& d) {
  int64_t top = static_cast<int64_t>(d.max) - (d.page > 0 ? static_cast<int64_t>(d.page) - 1 : 0);
  return static_cast<int>(std::max<int64_t>(top, d.min));
}

void NormalizeScroll(ScrollData& d) {
  if (d.max < d.min) d.max = d.min;
  int64_t span = Span(d);
  if (static_cast<int64_t>(d.page) > span) d.page = static_cast<UINT>(span);
  int top = MaxScrollPos(d);
  d.pos = std::clamp(d.pos, d.min, top);
  d.trackPos = std::clamp(d.trackPos, d.min, top);
}

bool CanScroll(const ScrollData& d) {
  return MaxScrollPos(d) > d.min;
}

int ApplyScrollInfo(ScrollData& d, const SCROLLINFO& info) {
  if ((info.fMask & SIF_RANGE) != 0) {
    d.min = info.nMin;
    d.max = info.nMax;
  }
  if ((info.fMask & SIF_PAGE) != 0) d.page = info.nPage;
  if ((info.fMask & SIF_POS) != 0) d.pos = info.nPos;
  NormalizeScroll(d);
  d.disabledNoScroll = (info.fMask & SIF_DISABLENOSCROLL) != 0 && !CanScroll(d);
  return d.pos;
}

bool ReadScrollInfo(const ScrollData& d, SCROLLINFO* info) {
  if (info == nullptr || info->cbSize != sizeof(SCROLLINFO)) return false;
  if ((info->fMask & SIF_ALL) == 0) return false;
  if ((info->fMask & SIF_RANGE) != 0) {
    info->nMin = d.min;
    info->nMax = d.max;
  }
  if ((info->fMask & SIF_PAGE) != 0) info->nPage = d.page;
  if ((info->fMask & SIF_POS) != 0) info->nPos = d.pos;
  if ((info->fMask & SIF_TRACKPOS) != 0) info->nTrackPos = d.tracking ? d.trackPos : d.pos;
  return true;
}

ScrollGeometry LayoutScrollBar(const RECT& rect, bool vertical, const ScrollData& d) {
  ScrollGeometry g;
  g.vertical = vertical;
  const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  const int thickness = vertical ? rect.right - rect.left : rect.bottom - rect.top;
  if (length <= 0 || thickness <= 0) return g;
  const int arrow = std::min(thickness, length / 2);
  const int origin = vertical ? rect.top : rect.left;
  g.trackStart = origin + arrow;
  g.trackEnd = origin + length - arrow;
  auto piece = [&](int from, int to) {
    return vertical ? RECT{rect.left, from, rect.right, to} : RECT{from, rect.top, to, rect.bottom};
  };
  g.arrowLess = piece(origin, g.trackStart);
  g.arrowMore = piece(g.trackEnd, origin + length);
  const int track = g.trackEnd - g.trackStart;
  const bool enabled = CanScroll(d) && d.disabledArrows != ESB_DISABLE_BOTH;
  if (!enabled || track < kMinThumb) {
    g.pageLess = piece(g.trackStart, g.trackEnd);
    return g;
  }
  int64_t span = Span(d);
  int thumb =
      d.page == 0 ? thickness : static_cast<int>(static_cast<int64_t>(track) * d.page / span);
  thumb = std::clamp(thumb, std::min(kMinThumb, track), track);
  g.thumbLength = thumb;
  int64_t steps = static_cast<int64_t>(MaxScrollPos(d)) - d.min;
  int shown = d.tracking ? d.trackPos : d.pos;
  int start =
      g.trackStart +
      (steps > 0 ? static_cast<int>((track - thumb) * (static_cast<int64_t>(shown) - d.min) / steps)
                 : 0);
  g.thumb = piece(start, start + thumb);
  g.pageLess = piece(g.trackStart, start);
  g.pageMore = piece(start + thumb, g.trackEnd);
  return g;
}

ScrollHit HitScrollBar(const ScrollGeometry& g, POINT p) {
  if (PtInRect(&g.arrowLess, p)) return ScrollHit::ArrowLess;
  if (PtInRect(&g.arrowMore, p)) return ScrollHit::ArrowMore;
  if (PtInRect(&g.thumb, p)) return ScrollHit::Thumb;
  if (PtInRect(&g.pageLess, p)) return ScrollHit::PageLess;
  if (PtInRect(&g.pageMore, p)) return ScrollHit::PageMore;
  return ScrollHit::None;
}

int ScrollPosFromThumbEdge(const ScrollGeometry& g, const ScrollData& d, int edge) {
  int room = g.trackEnd - g.trackStart - g.thumbLength;
  int64_t steps = static_cast<int64_t>(MaxScrollPos(d)) - d.min;
  if (room <= 0 || steps <= 0) return d.min;
  int offset = std::clamp(edge - g.trackStart, 0, room);
  // Rounded to the nearest position so that dragging back to a spot gives the same number.
  return d.min + static_cast<int>((offset * steps + room / 2) / room);
}

void EnsureScrollPainters() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterBuiltInPainter(VELMORA_PART_SCROLL_ARROW, PaintArrow);
    RegisterBuiltInPainter(VELMORA_PART_SCROLL_TRACK, PaintTrack);
    RegisterBuiltInPainter(VELMORA_PART_SCROLL_THUMB, PaintThumb);
  });
}

void PaintScrollBar(HDC dc, const RECT& rect, bool vertical, const ScrollData& d, ScrollHit pressed,
                    bool enabled, DWORD style) {
  EnsureScrollPainters();
  ScrollGeometry g = LayoutScrollBar(rect, vertical, d);
  const bool scrollable = enabled && CanScroll(d);
  auto paint = [&](VelmoraThemePart part, const RECT& r, int value2, ScrollHit which,
                   bool disabled) {
    if (IsRectEmpty(&r)) return;
    VelmoraThemePaintInfo info{};
    info.size = sizeof(info);
    info.value = vertical ? 1 : 0;
    info.value2 = value2;
    info.style = style;
    if (disabled) info.state |= VELMORA_STATE_DISABLED;
    if (pressed == which && which != ScrollHit::None) info.state |= VELMORA_STATE_PRESSED;
    PaintThemePart(dc, part, r, info);
  };
  const bool lessOff = !scrollable || (d.disabledArrows & ESB_DISABLE_LTUP) != 0;
  const bool moreOff = !scrollable || (d.disabledArrows & ESB_DISABLE_RTDN) != 0;
  paint(VELMORA_PART_SCROLL_ARROW, g.arrowLess, 0, ScrollHit::ArrowLess, lessOff);
  paint(VELMORA_PART_SCROLL_ARROW, g.arrowMore, 1, ScrollHit::ArrowMore, moreOff);
  paint(VELMORA_PART_SCROLL_TRACK, g.pageLess, 0, ScrollHit::PageLess, !scrollable);
  paint(VELMORA_PART_SCROLL_TRACK, g.pageMore, 1, ScrollHit::PageMore, !scrollable);
  paint(VELMORA_PART_SCROLL_THUMB, g.thumb, 0, ScrollHit::Thumb, !scrollable);
}

void SendScrollRequest(const ScrollPress& press, int code, int position) {
  if (press.target == nullptr) return;
  SendMessageA(press.target, press.vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, position),
               press.lParam);
}

int ScrollCodeFor(ScrollHit hit) {
  switch (hit) {
    case ScrollHit::ArrowLess:
      return SB_LINEUP;
    case ScrollHit::ArrowMore:
      return SB_LINEDOWN;
    case ScrollHit::PageLess:
      return SB_PAGEUP;
    case ScrollHit::PageMore:
      return SB_PAGEDOWN;
    default:
      return -1;
  }
}

bool RepeatScrollPress(const ScrollPress& press, const ScrollGeometry& g, POINT p) {
  int code = ScrollCodeFor(press.hit);
  if (code < 0) return false;
  if (press.hit == ScrollHit::PageLess || press.hit == ScrollHit::PageMore) {
    // The page areas move with the thumb: repeat only while the mouse is still in the one
    // that was pressed.
    if (HitScrollBar(g, p) != press.hit) return false;
  } else if (!press.inside) {
    return false;
  }
  SendScrollRequest(press, code);
  return true;
}

}  // namespace platform::controls

// What every scroll bar shares, whether it is a SCROLLBAR control or a bar in a window's
// frame: its numbers, where its pieces lie, how it is painted, and how a press on it turns
// into WM_HSCROLL / WM_VSCROLL requests.
#pragma once

#include "platform/user32.h"

namespace platform::controls {

struct ScrollData {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  bool tracking = false;  // the thumb is being dragged: it shows trackPos
  UINT disabledArrows = ESB_ENABLE_BOTH;
  bool disabledNoScroll = false;  // kept visible but disabled (SIF_DISABLENOSCROLL)
};

// Brings page, pos and trackPos inside the range: the page never exceeds the range and the
// position never passes max - page + 1.
void NormalizeScroll(ScrollData& data);
// The highest position the range and page allow.
int MaxScrollPos(const ScrollData& data);
// Whether the range has room to scroll at all.
bool CanScroll(const ScrollData& data);
// Applies a SCROLLINFO as SetScrollInfo does; returns the new position.
int ApplyScrollInfo(ScrollData& data, const SCROLLINFO& info);
// Fills `info` from `data` for the fields its mask asks; false for a bad record.
bool ReadScrollInfo(const ScrollData& data, SCROLLINFO* info);

enum class ScrollHit { None, ArrowLess, PageLess, Thumb, PageMore, ArrowMore };

struct ScrollGeometry {
  bool vertical = false;
  RECT arrowLess{};
  RECT arrowMore{};
  RECT pageLess{};
  RECT pageMore{};
  RECT thumb{};        // empty when there is no thumb
  int trackStart = 0;  // along the bar's axis, in the rectangle's coordinates
  int trackEnd = 0;
  int thumbLength = 0;
};

ScrollGeometry LayoutScrollBar(const RECT& rect, bool vertical, const ScrollData& data);
ScrollHit HitScrollBar(const ScrollGeometry& geometry, POINT p);
// The position that puts the thumb's leading edge at `edge` (along the axis).
int ScrollPosFromThumbEdge(const ScrollGeometry& geometry, const ScrollData& data, int edge);

// Paints every piece through the theme. `pressed` draws that piece pushed in; `enabled`
// false greys the whole bar.
void PaintScrollBar(HDC dc, const RECT& rect, bool vertical, const ScrollData& data,
                    ScrollHit pressed, bool enabled, DWORD style);
// Registers the built-in painters of the scroll bar parts (once).
void EnsureScrollPainters();

// A press on a scroll bar in progress: what it holds and where the requests go.
struct ScrollPress {
  ScrollHit hit = ScrollHit::None;
  bool inside = false;    // the mouse is over the pressed piece
  int grabOffset = 0;     // where the thumb was grabbed, from its leading edge
  HWND target = nullptr;  // who gets WM_HSCROLL / WM_VSCROLL
  LPARAM lParam = 0;      // the control's handle, or 0 for a window's own bars
  bool vertical = false;
};

constexpr UINT kScrollFirstDelay = 400;
constexpr UINT kScrollRepeatDelay = 50;

// Sends one request to the press's target.
void SendScrollRequest(const ScrollPress& press, int code, int position = 0);
// The request a piece stands for (SB_LINEUP ...), -1 for the thumb and nothing.
int ScrollCodeFor(ScrollHit hit);
// Repeats a held arrow or page press: true when a request was sent. A page press stops
// once the thumb has reached the mouse.
bool RepeatScrollPress(const ScrollPress& press, const ScrollGeometry& geometry, POINT p);

}  // namespace platform::controls

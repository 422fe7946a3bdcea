// The scroll bars a window with WS_HSCROLL / WS_VSCROLL carries in its frame, as the
// non-client code needs them: room, hit testing, painting and the press loop.
#pragma once

#include "platform/controls/ScrollBarCore.h"
#include "platform/user32.h"

namespace platform::controls {

// Adds the room of the window's shown bars (by its style) to its frame insets.
void AddScrollBarInsets(DWORD style, RECT& insets);
// HTVSCROLL, HTHSCROLL, or HTNOWHERE when `p` (window coordinates) is on neither bar;
// `client` is the client rectangle in window coordinates.
LRESULT ScrollBarHitTest(DWORD style, const RECT& client, POINT p);
// Draws the shown bars into a DC whose origin is the window's top-left corner. Takes the
// lock itself; call without it.
void PaintWindowScrollBars(HWND window, HDC windowDC, const RECT& client);
// Follows a left-button press on one of the window's bars until the button goes up,
// sending WM_HSCROLL / WM_VSCROLL (lParam 0) to the window itself.
void TrackWindowScrollBar(HWND window, int bar, POINT screen);

// The numbers of a window's SB_HORZ or SB_VERT bar; false for a dead window or bad bar.
bool GetWindowBarData(HWND window, int bar, ScrollData* data);
// SetScrollInfo on a window's bar: shows the bar when the range comes to need it and hides
// it when it no longer does (or disables it, with SIF_DISABLENOSCROLL). Returns the new
// position (0 for a dead window).
int SetWindowBarInfo(HWND window, int bar, const SCROLLINFO& info, bool redraw);
// EnableScrollBar on SB_HORZ, SB_VERT or SB_BOTH: false when nothing changed.
bool EnableWindowBarArrows(HWND window, int bar, UINT disabled);
// ShowScrollBar on SB_HORZ, SB_VERT or SB_BOTH.
bool ShowWindowBars(HWND window, int bar, bool show);

}  // namespace platform::controls

// Window DCs and surfaces as painting, printing and the screen share them. Everything named
// "...Locked" expects UserLock to be held.
#pragma once

#include <optional>

#include "platform/gdi/Region.h"
#include "platform/user/WindowManager.h"

namespace platform::user {

// Where a window's rectangles lie in its top-level window's surface.
RECT WindowRectInSurfaceLocked(const Window& window);
RECT ClientRectInSurfaceLocked(const Window& window);

// The part of the surface that a DC of `window` may draw on (DCX_WINDOW, DCX_CLIPCHILDREN,
// DCX_CLIPSIBLINGS and DCX_PARENTCLIP in `flags`); empty while the window cannot be seen.
gdi::Region VisibleRegionLocked(const Window& window, DWORD flags);
// The DCX_* clipping that GetDC and BeginPaint take from a window's style.
DWORD ClientDcFlags(const Window& window);

struct DcRequest {
  HWND window = nullptr;
  DWORD flags = 0;
  // BeginPaint: only the region being painted, in client coordinates.
  std::optional<gdi::Region> clientClip;
  // GetDCEx: a region in screen coordinates to intersect with or to exclude.
  std::optional<gdi::Region> screenClip;
  bool excludeScreenClip = false;
};

enum class DcKind { Window, Paint, Screen };

// A DC over the window's part of its top-level surface that follows the window as it moves,
// changes or dies. Null for a dead window. Takes the lock itself.
HDC CreateDcForWindow(const DcRequest& request, DcKind kind);
// Remembers a DC made elsewhere (the screen) so that ReleaseDC and WindowFromDC know it.
void RegisterDc(HDC dc, HWND window, DcKind kind);
// Deletes a DC made here when it is of `kind`; false otherwise.
bool DeleteDcOfKind(HDC dc, DcKind kind);

// Tells the presenter that the top-level window holding `window` has new pixels. Call it
// without the lock: presenters take locks of their own.
void NoteSurfaceChanged(HWND window);

// Painting.cpp: sends the WM_NCPAINT and WM_PAINT that `window` and its descendants are
// owed, now, so that their pixels are current.
void PaintTreeNow(HWND window);

// Screen.cpp: a DC over a fresh composition of the desktop.
HDC CreateScreenDc();

}  // namespace platform::user

// Device contexts: the drawing state and where the drawing lands.
//
// A DC draws onto a target surface: the bitmap selected into a memory DC, or (through the
// window manager) a window's part of its top-level surface. Coordinates pass three stages:
// logical (what callers give) -> device (logical - window origin + viewport origin) ->
// surface (device + surfaceOrigin). Every primitive clips once at its entry against
// ClipArea(), which joins the surface bounds, the visible region the owner of the DC set
// (window DCs) and the clip region callers selected.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"

namespace platform::gdi {

struct DcState {
  std::shared_ptr<BitmapObject> bitmap;  // memory DCs only
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<PenObject> pen;
  std::shared_ptr<FontObject> font;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  int rop2 = R2_COPYPEN;
  UINT textAlign = TA_LEFT | TA_TOP;
  POINT viewportOrg{0, 0};
  POINT windowOrg{0, 0};
  POINT currentPosition{0, 0};
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = RGB(0, 0, 0);
  std::optional<Region> clip;  // device coordinates; none = no clip region selected
};

class DeviceContext : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::DC; }

  bool isMemoryDC = true;
  // Set by DeleteDC: a DC that callers still hold a reference to is no longer in use.
  std::atomic<bool> deleted{false};
  DcState state;
  std::vector<DcState> saved;  // SaveDC stack

  // Where drawing lands. For memory DCs this follows the selected bitmap.
  std::shared_ptr<Surface> surface;
  POINT surfaceOrigin{0, 0};
  // Visible part of the surface in surface coordinates (window DCs); none = whole surface.
  std::optional<Region> visible;
  // Called by window DCs before each primitive so that the window manager can bring the
  // surface and visible region up to date (may be empty).
  std::function<void(DeviceContext&)> refresh;

  // Computed wide and saturated: coordinates near the ends of the int range, or far-off
  // origins, stay far off instead of overflowing.
  POINT LogicalToDevice(int x, int y) const {
    return {Saturate(int64_t{x} - state.windowOrg.x + state.viewportOrg.x),
            Saturate(int64_t{y} - state.windowOrg.y + state.viewportOrg.y)};
  }
  POINT DeviceToSurface(POINT p) const {
    return {Saturate(int64_t{p.x} + surfaceOrigin.x), Saturate(int64_t{p.y} + surfaceOrigin.y)};
  }
  static LONG Saturate(int64_t v) {
    return static_cast<LONG>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  }

  // The drawable area in surface coordinates (empty when there is no surface).
  Region ClipArea() const;
  // The parts of a device-space rectangle that may be drawn, in surface coordinates.
  void ClipDeviceRect(const RECT& deviceRect, std::vector<RECT>* out) const;
};

// The DC behind a handle, with its refresh hook run; null for anything else.
std::shared_ptr<DeviceContext> LookupDC(HDC dc);

// For the window manager: a DC over a window's part of a surface.
HDC CreateWindowDC(std::shared_ptr<Surface> surface, POINT origin, std::optional<Region> visible,
                   std::function<void(DeviceContext&)> refresh);

// Stock objects and system colours, shared by every DC.
std::shared_ptr<BrushObject> StockBrush(int index);
std::shared_ptr<PenObject> StockPen(int index);
std::shared_ptr<FontObject> StockFont(int index);
// The brush, pen and font colour to use now (DC_BRUSH / DC_PEN / system-colour brushes).
COLORREF BrushColor(const DeviceContext& dc, const BrushObject& brush);
COLORREF PenColor(const DeviceContext& dc, const PenObject& pen);

// The screen's geometry for GetDeviceCaps; the window manager sets it when a display opens.
struct ScreenMetrics {
  int width = 1920;
  int height = 1080;
};
ScreenMetrics& Screen();

// Colours of the theme for GetSysColor; the theme interface may replace them.
void SetSysColors(const COLORREF* colors, int count);

}  // namespace platform::gdi

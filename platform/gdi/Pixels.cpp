// GetPixel, SetPixel and SetPixelV. The picture filters call these once per pixel over
// whole pictures, so the path stays short: the DC of the previous call on this thread is
// reused without going through the handle table, the point is tested against the clip
// instead of building the clip area, and the surface lock is the only one taken.
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/gdi/DeviceContext.h"

namespace platform::gdi {
namespace {

// The DC behind the handle of the previous pixel call on this thread. Looking a handle up
// takes the table's lock and two reference-count updates, more than the pixel itself
// costs. A cached DC is trusted only until DeleteDC marks it deleted, and a handle value
// cannot name another object while this one is still alive. The plain pointers are what
// each call reads (no thread-exit bookkeeping on that path); `tLastOwner` keeps the DC
// alive and is touched only when the handle changes.
// The library is linked into programs, never loaded later, so its thread-locals can live in
// the initial TLS block: each read is then one load, where the general model costs a call
// per variable per pixel.
#define VELMORA_FAST_TLS [[gnu::tls_model("initial-exec")]]
VELMORA_FAST_TLS thread_local HDC tLastHandle = nullptr;
VELMORA_FAST_TLS thread_local DeviceContext* tLastDC = nullptr;
VELMORA_FAST_TLS thread_local std::shared_ptr<DeviceContext> tLastOwner;

[[gnu::noinline]] DeviceContext* LookUpAndRemember(HDC handle) {
  std::shared_ptr<DeviceContext> found = LookupDC(handle);
  tLastDC = found.get();
  tLastHandle = found ? handle : nullptr;
  tLastOwner = std::move(found);
  return tLastDC;
}

inline DeviceContext* ResolveDC(HDC handle) {
  DeviceContext* dc = tLastDC;
  if (handle == tLastHandle && dc != nullptr && !dc->deleted.load(std::memory_order_relaxed) &&
      dc->surface) {
    if (dc->refresh) dc->refresh(*dc);
    return dc;
  }
  return LookUpAndRemember(handle);
}

// The surface pixel behind a logical point, if it may be read or drawn.
[[gnu::always_inline]] inline bool VisiblePixel(const DeviceContext& dc, int x, int y, int* sx,
                                                int* sy) {
  const Surface* s = dc.surface.get();
  if (s == nullptr) return false;
  const int64_t dx = int64_t{x} - dc.state.windowOrg.x + dc.state.viewportOrg.x;
  const int64_t dy = int64_t{y} - dc.state.windowOrg.y + dc.state.viewportOrg.y;
  const int64_t px = dx + dc.surfaceOrigin.x;
  const int64_t py = dy + dc.surfaceOrigin.y;
  if (px < 0 || py < 0 || px >= s->width() || py >= s->height()) return false;
  *sx = static_cast<int>(px);
  *sy = static_cast<int>(py);
  if (dc.visible && !dc.visible->Contains(*sx, *sy)) return false;
  // The clip region is kept in device coordinates, which fit in 32 bits here because the
  // surface pixel does.
  if (dc.state.clip && !dc.state.clip->Contains(static_cast<int>(dx), static_cast<int>(dy)))
    return false;
  return true;
}

// Writes the nearest colour the surface can hold and returns the colour it now shows.
COLORREF Plot(HDC handle, int x, int y, COLORREF color) {
  DeviceContext* dc = ResolveDC(handle);
  int sx, sy;
  if (dc == nullptr || !VisiblePixel(*dc, x, y, &sx, &sy)) return CLR_INVALID;
  Surface& s = *dc->surface;
  // The high byte marks palette-relative colours, which mean plain RGB without a palette.
  color &= 0xFFFFFF;
  if (s.isPlainBgrx()) {
    const uint32_t raw = ColorToBgrx(color);
    uint8_t* p = s.Row(sy) + 4 * static_cast<size_t>(sx);
    std::lock_guard lock(s.lock());
    std::memcpy(p, &raw, 4);
    s.NoteDrawn({sx, sy, sx + 1, sy + 1});
    return color;
  }
  const uint32_t raw = s.ColorToRaw(color);
  std::lock_guard lock(s.lock());
  s.WriteRaw(sx, sy, raw);
  s.NoteDrawn({sx, sy, sx + 1, sy + 1});
  return s.RawToColor(raw);
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

COLORREF GetPixel(HDC handle, int x, int y) {
  DeviceContext* dc = ResolveDC(handle);
  int sx, sy;
  if (dc == nullptr || !VisiblePixel(*dc, x, y, &sx, &sy)) return CLR_INVALID;
  const Surface& s = *dc->surface;
  if (s.isPlainBgrx()) {
    uint32_t raw;
    const uint8_t* p = s.Row(sy) + 4 * static_cast<size_t>(sx);
    {
      std::lock_guard lock(dc->surface->lock());
      std::memcpy(&raw, p, 4);
    }
    return BgrxToColor(raw & 0xFFFFFF);
  }
  std::lock_guard lock(dc->surface->lock());
  return s.RawToColor(s.ReadRaw(sx, sy));
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
  return Plot(handle, x, y, color);
}

BOOL SetPixelV(HDC handle, int x, int y, COLORREF color) {
  return Plot(handle, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

// Region objects and the clip region of DCs. Clip regions are kept in device coordinates
// (SelectClipRgn takes device coordinates; the rectangle functions take logical ones).
#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/gdi/DeviceContext.h"

using namespace platform::gdi;

namespace {

RECT Ordered(int left, int top, int right, int bottom) {
  return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
              std::max(top, bottom)};
}

std::shared_ptr<RegionObject> FindRegion(HRGN handle) {
  return Lookup<RegionObject>(handle);
}

std::shared_ptr<DeviceContext> FindDC(HDC handle) {
  return Lookup<DeviceContext>(handle);
}

// What a DC without a clip region may draw on, in device coordinates: its whole surface.
Region WholeDevice(const DeviceContext& dc) {
  if (!dc.surface) return Region();
  return Region(RECT{-dc.surfaceOrigin.x, -dc.surfaceOrigin.y,
                     dc.surface->width() - dc.surfaceOrigin.x,
                     dc.surface->height() - dc.surfaceOrigin.y});
}

// The complexity of what the DC may now draw on, which is what the clip functions report.
int ClipResult(const DeviceContext& dc) {
  return dc.ClipArea().Complexity();
}

LONG Clamp32(int64_t v) {
  return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Logical to device coordinates, computed wide so that extreme origins cannot overflow.
RECT LogicalToDeviceRect(const DeviceContext& dc, int left, int top, int right, int bottom) {
  int64_t dx = int64_t{dc.state.viewportOrg.x} - dc.state.windowOrg.x;
  int64_t dy = int64_t{dc.state.viewportOrg.y} - dc.state.windowOrg.y;
  return Ordered(Clamp32(left + dx), Clamp32(top + dy), Clamp32(right + dx), Clamp32(bottom + dy));
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_shared<RegionObject>();
  region->region.SetRect(Ordered(left, top, right, bottom));
  return InsertObject(region);
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (rect == nullptr) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  auto region = FindRegion(handle);
  if (!region) return FALSE;
  region->region.SetRect(Ordered(left, top, right, bottom));
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return ERROR;
  auto out = FindRegion(dest);
  auto a = FindRegion(src1);
  if (!out || !a) return ERROR;
  if (mode == RGN_COPY) {
    out->region = a->region;
    return out->region.Complexity();
  }
  auto b = FindRegion(src2);
  if (!b) return ERROR;
  out->region = Region::Combine(a->region, b->region, mode);
  return out->region.Complexity();
}

int OffsetRgn(HRGN handle, int dx, int dy) {
  auto region = FindRegion(handle);
  if (!region) return ERROR;
  region->region.Offset(dx, dy);
  return region->region.Complexity();
}

int GetRgnBox(HRGN handle, LPRECT rect) {
  auto region = FindRegion(handle);
  if (!region || rect == nullptr) return ERROR;
  *rect = region->region.Bounds();
  return region->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  auto region = FindRegion(handle);
  return region && region->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
  auto region = FindRegion(handle);
  if (!region || rect == nullptr) return FALSE;
  return region->region.Intersects(Ordered(rect->left, rect->top, rect->right, rect->bottom))
             ? TRUE
             : FALSE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = FindRegion(a);
  auto rb = FindRegion(b);
  if (!ra || !rb) return ERROR;
  return ra->region == rb->region ? TRUE : FALSE;
}

int SelectClipRgn(HDC dc, HRGN region) {
  return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode) {
  auto dc = FindDC(handle);
  if (!dc || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (regionHandle == nullptr) {
    // Only RGN_COPY may drop the clip region.
    if (mode != RGN_COPY) return ERROR;
    dc->state.clip.reset();
    return ClipResult(*dc);
  }
  auto region = FindRegion(regionHandle);
  if (!region) return ERROR;
  if (mode == RGN_COPY) {
    dc->state.clip = region->region;
  } else {
    Region current = dc->state.clip ? *dc->state.clip : WholeDevice(*dc);
    dc->state.clip = Region::Combine(current, region->region, mode);
  }
  return ClipResult(*dc);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
  auto dc = FindDC(handle);
  if (!dc) return ERROR;
  Region current = dc->state.clip ? *dc->state.clip : WholeDevice(*dc);
  current.Subtract(LogicalToDeviceRect(*dc, left, top, right, bottom));
  dc->state.clip = std::move(current);
  return ClipResult(*dc);
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
  auto dc = FindDC(handle);
  if (!dc) return ERROR;
  Region current = dc->state.clip ? *dc->state.clip : WholeDevice(*dc);
  current.IntersectWith(LogicalToDeviceRect(*dc, left, top, right, bottom));
  dc->state.clip = std::move(current);
  return ClipResult(*dc);
}

int GetClipBox(HDC handle, LPRECT rect) {
  auto dc = LookupDC(handle);
  if (!dc || rect == nullptr) return ERROR;
  Region area = dc->ClipArea();
  if (area.IsEmpty()) {
    *rect = RECT{0, 0, 0, 0};
    return NULLREGION;
  }
  RECT box = area.Bounds();
  // Surface coordinates back to logical ones.
  int64_t dx = int64_t{dc->surfaceOrigin.x} + dc->state.viewportOrg.x - dc->state.windowOrg.x;
  int64_t dy = int64_t{dc->surfaceOrigin.y} + dc->state.viewportOrg.y - dc->state.windowOrg.y;
  *rect = RECT{Clamp32(box.left - dx), Clamp32(box.top - dy), Clamp32(box.right - dx),
               Clamp32(box.bottom - dy)};
  return area.Complexity();
}

int GetClipRgn(HDC handle, HRGN regionHandle) {
  auto dc = FindDC(handle);
  auto region = FindRegion(regionHandle);
  if (!dc || !region) return -1;
  if (!dc->state.clip) return 0;
  region->region = *dc->state.clip;
  return 1;
}

BOOL PtVisible(HDC handle, int x, int y) {
  auto dc = LookupDC(handle);
  if (!dc) return FALSE;
  int64_t sx = int64_t{x} - dc->state.windowOrg.x + dc->state.viewportOrg.x + dc->surfaceOrigin.x;
  int64_t sy = int64_t{y} - dc->state.windowOrg.y + dc->state.viewportOrg.y + dc->surfaceOrigin.y;
  return dc->ClipArea().Contains(Clamp32(sx), Clamp32(sy)) ? TRUE : FALSE;
}

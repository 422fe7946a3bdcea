#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/gdi/BitmapSelection.h"
#include "platform/gdi/StockObjects.h"

namespace platform::gdi {

namespace {

// Guards BitmapObject::selectedInto: two threads may select one bitmap at once.
std::mutex& SelectionMutex() {
  static std::mutex mutex;
  return mutex;
}

DcState DefaultState() {
  DcState state;
  state.brush = StockBrush(WHITE_BRUSH);
  state.pen = StockPen(BLACK_PEN);
  state.font = StockFont(SYSTEM_FONT);
  return state;
}

// Binds `bitmap` to the DC with the selection lock held.
void Bind(DeviceContext& dc, const std::shared_ptr<BitmapObject>& bitmap) {
  if (dc.state.bitmap && dc.state.bitmap->selectedInto == &dc)
    dc.state.bitmap->selectedInto = nullptr;
  dc.state.bitmap = bitmap;
  if (bitmap && !bitmap->stock) bitmap->selectedInto = &dc;
  dc.surface = bitmap ? bitmap->surface : nullptr;
}

}  // namespace

bool SelectBitmap(DeviceContext& dc, const std::shared_ptr<BitmapObject>& bitmap) {
  if (!dc.isMemoryDC || !bitmap || !bitmap->surface) return false;
  std::lock_guard lock(SelectionMutex());
  if (bitmap->selectedInto != nullptr && bitmap->selectedInto != &dc) return false;
  Bind(dc, bitmap);
  return true;
}

void ReleaseBitmap(DeviceContext& dc) {
  std::lock_guard lock(SelectionMutex());
  if (dc.state.bitmap && dc.state.bitmap->selectedInto == &dc)
    dc.state.bitmap->selectedInto = nullptr;
  dc.state.bitmap.reset();
  dc.surface.reset();
}

bool IsBitmapSelected(const BitmapObject& bitmap) {
  std::lock_guard lock(SelectionMutex());
  return bitmap.selectedInto != nullptr;
}

Region DeviceContext::ClipArea() const {
  if (!surface) return Region();
  const RECT whole{0, 0, surface->width(), surface->height()};
  // Window DCs draw through a visible region that lies inside their surface; combining it
  // with the surface bounds before every primitive would only copy it the slow way.
  if (visible && !state.clip) {
    const RECT b = visible->Bounds();
    if (visible->IsEmpty() ||
        (b.left >= 0 && b.top >= 0 && b.right <= whole.right && b.bottom <= whole.bottom)) {
      return *visible;
    }
  }
  Region area(whole);
  if (visible) area = Region::Combine(area, *visible, RGN_AND);
  if (state.clip) {
    Region clip = *state.clip;
    clip.Offset(surfaceOrigin.x, surfaceOrigin.y);
    area = Region::Combine(area, clip, RGN_AND);
  }
  return area;
}

void DeviceContext::ClipDeviceRect(const RECT& deviceRect, std::vector<RECT>* out) const {
  out->clear();
  if (!surface) return;
  // Widened so that rectangles near the coordinate limits cannot overflow on the way.
  int64_t left = int64_t{deviceRect.left} + surfaceOrigin.x;
  int64_t top = int64_t{deviceRect.top} + surfaceOrigin.y;
  int64_t right = int64_t{deviceRect.right} + surfaceOrigin.x;
  int64_t bottom = int64_t{deviceRect.bottom} + surfaceOrigin.y;
  RECT r{static_cast<LONG>(std::clamp<int64_t>(left, 0, surface->width())),
         static_cast<LONG>(std::clamp<int64_t>(top, 0, surface->height())),
         static_cast<LONG>(std::clamp<int64_t>(right, 0, surface->width())),
         static_cast<LONG>(std::clamp<int64_t>(bottom, 0, surface->height()))};
  if (r.right <= r.left || r.bottom <= r.top) return;
  // Most drawing happens without a clip region, and memory DCs have no visible region
  // either; skip building the clip area then. `r` already lies inside the surface.
  if (!state.clip) {
    if (visible) {
      visible->ClipRect(r, out);
    } else {
      out->push_back(r);
    }
    return;
  }
  ClipArea().ClipRect(r, out);
}

std::shared_ptr<DeviceContext> LookupDC(HDC handle) {
  // Every primitive comes through here: a kind check is cheaper than a dynamic cast.
  std::shared_ptr<GdiObject> object = LookupObject(handle);
  if (!object || object->Kind() != GdiKind::DC) return nullptr;
  auto dc = std::static_pointer_cast<DeviceContext>(std::move(object));
  if (dc->refresh) dc->refresh(*dc);
  return dc;
}

HDC CreateWindowDC(std::shared_ptr<Surface> surface, POINT origin, std::optional<Region> visible,
                   std::function<void(DeviceContext&)> refresh) {
  auto dc = std::make_shared<DeviceContext>();
  dc->isMemoryDC = false;
  dc->state = DefaultState();
  dc->surface = std::move(surface);
  dc->surfaceOrigin = origin;
  dc->visible = std::move(visible);
  dc->refresh = std::move(refresh);
  return InsertObject(dc);
}

ScreenMetrics& Screen() {
  static ScreenMetrics metrics;
  return metrics;
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

std::shared_ptr<DeviceContext> FindDC(HDC handle) {
  return Lookup<DeviceContext>(handle);
}

}  // namespace

HDC CreateCompatibleDC(HDC reference) {
  // Every DC here is compatible with the 32-bit screen, so the reference only has to be valid.
  if (reference != nullptr && !FindDC(reference)) return nullptr;
  auto dc = std::make_shared<DeviceContext>();
  dc->isMemoryDC = true;
  dc->state = DefaultState();
  std::shared_ptr<BitmapObject> bitmap = StockBitmap();
  dc->state.bitmap = bitmap;
  dc->surface = bitmap->surface;
  return InsertObject(dc);
}

BOOL DeleteDC(HDC handle) {
  auto dc = FindDC(handle);
  if (!dc) return FALSE;
  dc->deleted.store(true, std::memory_order_relaxed);
  ReleaseBitmap(*dc);
  dc->saved.clear();
  dc.reset();
  return RemoveObject(handle) ? TRUE : FALSE;
}

int SaveDC(HDC handle) {
  auto dc = FindDC(handle);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int level) {
  auto dc = FindDC(handle);
  if (!dc || level == 0) return FALSE;
  auto depth = static_cast<int64_t>(dc->saved.size());
  // A negative level counts back from the most recent save (-1 is the last one).
  int64_t target = level > 0 ? level : depth + 1 + level;
  if (target < 1 || target > depth) return FALSE;
  DcState restored = std::move(dc->saved[static_cast<size_t>(target - 1)]);
  dc->saved.resize(static_cast<size_t>(target - 1));
  std::shared_ptr<BitmapObject> bitmap = restored.bitmap;
  restored.bitmap = dc->state.bitmap;
  dc->state = std::move(restored);
  // The saved bitmap comes back unless another DC has taken it meanwhile.
  if (dc->isMemoryDC && bitmap && bitmap != dc->state.bitmap) SelectBitmap(*dc, bitmap);
  return TRUE;
}

int GetDeviceCaps(HDC handle, int index) {
  if (!FindDC(handle)) return 0;
  switch (index) {
    case HORZRES:
      return Screen().width;
    case VERTRES:
      return Screen().height;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case SIZEPALETTE:
      return 0;
    default:
      return 0;
  }
}

int SetStretchBltMode(HDC handle, int mode) {
  auto dc = FindDC(handle);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return std::exchange(dc->state.stretchMode, mode);
}

int GetStretchBltMode(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->state.stretchMode : 0;
}

COLORREF SetTextColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.textColor, color & 0xFFFFFF);
}

COLORREF GetTextColor(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->state.textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.bkColor, color & 0xFFFFFF);
}

COLORREF GetBkColor(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->state.bkColor : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
  auto dc = FindDC(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(dc->state.bkMode, mode);
}

int GetBkMode(HDC handle) {
  auto dc = FindDC(handle);
  return dc ? dc->state.bkMode : 0;
}

int SetROP2(HDC handle, int rop2) {
  auto dc = FindDC(handle);
  if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return std::exchange(dc->state.rop2, rop2);
}

UINT SetTextAlign(HDC handle, UINT align) {
  auto dc = FindDC(handle);
  if (!dc) return GDI_ERROR;
  return std::exchange(dc->state.textAlign, align);
}

BOOL SetViewportOrgEx(HDC handle, int x, int y, LPPOINT old) {
  auto dc = FindDC(handle);
  if (!dc) return FALSE;
  if (old != nullptr) *old = dc->state.viewportOrg;
  dc->state.viewportOrg = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC handle, LPPOINT origin) {
  auto dc = FindDC(handle);
  if (!dc || origin == nullptr) return FALSE;
  *origin = dc->state.viewportOrg;
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC handle, int dx, int dy, LPPOINT old) {
  auto dc = FindDC(handle);
  if (!dc) return FALSE;
  if (old != nullptr) *old = dc->state.viewportOrg;
  // Wraps like 32-bit arithmetic instead of overflowing.
  dc->state.viewportOrg.x =
      static_cast<LONG>(static_cast<uint32_t>(dc->state.viewportOrg.x) + static_cast<uint32_t>(dx));
  dc->state.viewportOrg.y =
      static_cast<LONG>(static_cast<uint32_t>(dc->state.viewportOrg.y) + static_cast<uint32_t>(dy));
  return TRUE;
}

BOOL SetWindowOrgEx(HDC handle, int x, int y, LPPOINT old) {
  auto dc = FindDC(handle);
  if (!dc) return FALSE;
  if (old != nullptr) *old = dc->state.windowOrg;
  dc->state.windowOrg = POINT{x, y};
  return TRUE;
}

BOOL GetWindowOrgEx(HDC handle, LPPOINT origin) {
  auto dc = FindDC(handle);
  if (!dc || origin == nullptr) return FALSE;
  *origin = dc->state.windowOrg;
  return TRUE;
}

COLORREF SetDCBrushColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.dcBrushColor, color & 0xFFFFFF);
}

COLORREF SetDCPenColor(HDC handle, COLORREF color) {
  auto dc = FindDC(handle);
  if (!dc) return CLR_INVALID;
  return std::exchange(dc->state.dcPenColor, color & 0xFFFFFF);
}

// Icons and cursors: creation from resource data or bitmaps, drawing with their masks or
// alpha, and the standard ones. Icon pixels never change after creation, so drawing reads
// them without a lock.
#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/IconResource.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

constexpr LONG kMaxCoordinate = 1 << 27;

std::shared_ptr<IconObject> MakeIconObject(const IconPixels& pixels, bool isIcon) {
  auto color = Surface::Create(pixels.width, pixels.height, 32, true);
  auto mask = Surface::Create(pixels.width, pixels.height, 1, true);
  if (color == nullptr || mask == nullptr) return nullptr;
  for (int y = 0; y < pixels.height; ++y) {
    const size_t from = static_cast<size_t>(y) * pixels.width;
    std::memcpy(color->Row(y), pixels.bgra.data() + from, static_cast<size_t>(pixels.width) * 4);
    uint8_t* maskRow = mask->Row(y);
    std::memset(maskRow, 0, static_cast<size_t>(mask->stride()));
    for (int x = 0; x < pixels.width; ++x) {
      if (pixels.mask[from + x]) maskRow[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  auto icon = std::make_shared<IconObject>();
  icon->isIcon = isIcon;
  icon->hotspot = pixels.hotspot;
  icon->width = pixels.width;
  icon->height = pixels.height;
  icon->color = std::move(color);
  icon->mask = std::move(mask);
  icon->hasAlpha = pixels.hasAlpha;
  return icon;
}

inline bool MaskBit(const Surface& mask, int x, int y) {
  return (mask.Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

inline uint32_t Blend(uint32_t dst, uint32_t src, uint32_t a) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    uint32_t d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
    uint32_t v = s * a + d * (255 - a) + 128;
    out |= ((v + (v >> 8)) >> 8) << shift;
  }
  return out;
}

bool PlainBgrx(const Surface& s) {
  if (s.bitCount() != 32) return false;
  const DWORD* m = s.masks();
  return (m[0] == 0 && m[1] == 0 && m[2] == 0) ||
         (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF);
}

// Reads a bitmap's pixels for an icon: colours as 0xAARRGGBB (alpha only from 32-bit
// bitmaps) or, for masks, 1 where the pixel is white, as a colour-to-mono copy would.
void ReadColors(Surface& s, int top, int width, int height, std::vector<uint32_t>* out) {
  out->assign(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < height && top + y < s.height(); ++y) {
    for (int x = 0; x < width && x < s.width(); ++x) {
      uint32_t value;
      if (PlainBgrx(s)) {
        std::memcpy(&value, s.Row(top + y) + x * 4, 4);
      } else {
        value = ColorToBgrx(s.RawToColor(s.ReadRaw(x, top + y)));
      }
      (*out)[static_cast<size_t>(y) * width + x] = value;
    }
  }
}

HICON Insert(const std::shared_ptr<IconObject>& icon) {
  return icon != nullptr ? InsertObject(icon) : nullptr;
}

std::shared_ptr<BitmapObject> NewBitmap(int width, int height, int bitCount) {
  auto surface = Surface::Create(width, height, bitCount, true);
  if (surface == nullptr) return nullptr;
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->surface = std::move(surface);
  return bitmap;
}

HICON LoadStandard(HINSTANCE instance, LPCSTR name, bool cursor) {
  // Only the system's own images: we have no resources of the program to load from.
  if (instance != nullptr) return nullptr;
  const auto id = reinterpret_cast<uintptr_t>(name);
  if (id < 32512 || id > 32700) return nullptr;
  static std::mutex lock;
  static std::array<HICON, 2 * 189> loaded{};
  std::lock_guard guard(lock);
  HICON& slot = loaded[(cursor ? 189 : 0) + (id - 32512)];
  // Shared icons live for the whole run; DestroyIcon leaves them alone.
  if (slot != nullptr && Lookup<IconObject>(slot) != nullptr) return slot;
  IconPixels pixels;
  if (!StandardIconPixels(static_cast<unsigned>(id), cursor, &pixels)) return nullptr;
  auto icon = MakeIconObject(pixels, !cursor);
  if (icon == nullptr) return nullptr;
  icon->stock = true;
  slot = InsertObject(icon);
  return slot;
}

}  // namespace

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cx,
                               int cy, UINT flags) {
  if (bits == nullptr || version < 0x00020000 || version > 0x00030000 || cx < 0 || cy < 0)
    return nullptr;
  if (cx > kMaxIconSide || cy > kMaxIconSide) return nullptr;
  IconPixels pixels;
  if (!ParseIconResource(bits, size, icon != FALSE, &pixels)) return nullptr;
  const bool defaultSize = (flags & LR_DEFAULTSIZE) != 0;
  int width = cx != 0 ? cx : defaultSize ? kSystemIconSize : pixels.width;
  int height = cy != 0 ? cy : defaultSize ? kSystemIconSize : pixels.height;
  pixels = ScaleIcon(pixels, width, height);
  if (icon) pixels.hotspot = {width / 2, height / 2};
  if (flags & LR_MONOCHROME) {
    for (uint32_t& p : pixels.bgra) {
      uint32_t luma = (((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
      p = luma >= 128 ? 0xFFFFFF : 0;
    }
    pixels.hasAlpha = false;
  }
  return Insert(MakeIconObject(pixels, icon != FALSE));
}

HICON CreateIconFromResource(const BYTE* bits, DWORD size, BOOL icon, DWORD version) {
  return CreateIconFromResourceEx(bits, size, icon, version, 0, 0, LR_DEFAULTSIZE);
}

HICON CreateIconIndirect(PICONINFO info) {
  if (info == nullptr || info->hbmMask == nullptr) return nullptr;
  auto maskBitmap = Lookup<BitmapObject>(info->hbmMask);
  if (maskBitmap == nullptr || maskBitmap->surface == nullptr) return nullptr;
  std::shared_ptr<BitmapObject> colorBitmap;
  if (info->hbmColor != nullptr) {
    colorBitmap = Lookup<BitmapObject>(info->hbmColor);
    if (colorBitmap == nullptr || colorBitmap->surface == nullptr) return nullptr;
  }
  Surface& maskSurface = *maskBitmap->surface;
  Surface* colorSurface = colorBitmap != nullptr ? colorBitmap->surface.get() : nullptr;
  // Without a colour bitmap the mask is twice as tall: AND mask above, XOR image below.
  const int width = colorSurface != nullptr ? colorSurface->width() : maskSurface.width();
  const int height = colorSurface != nullptr ? colorSurface->height() : maskSurface.height() / 2;
  if (width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide) return nullptr;

  IconPixels pixels;
  pixels.width = width;
  pixels.height = height;
  std::vector<uint32_t> maskColors;
  {
    std::unique_lock<SurfaceMutex> maskLock(maskSurface.lock(), std::defer_lock);
    std::unique_lock<SurfaceMutex> colorLock;
    if (colorSurface != nullptr && colorSurface != &maskSurface) {
      colorLock = std::unique_lock<SurfaceMutex>(colorSurface->lock(), std::defer_lock);
      std::lock(maskLock, colorLock);
    } else {
      maskLock.lock();
    }
    ReadColors(maskSurface, 0, width, height, &maskColors);
    if (colorSurface != nullptr) {
      ReadColors(*colorSurface, 0, width, height, &pixels.bgra);
    } else {
      ReadColors(maskSurface, height, width, height, &pixels.bgra);
    }
  }
  pixels.mask.resize(maskColors.size());
  uint32_t alphaSeen = 0;
  for (size_t i = 0; i < maskColors.size(); ++i)
    pixels.mask[i] = (maskColors[i] & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
  if (colorSurface != nullptr && PlainBgrx(*colorSurface)) {
    for (uint32_t p : pixels.bgra) alphaSeen |= p >> 24;
  } else {
    for (uint32_t& p : pixels.bgra) p &= 0xFFFFFF;
  }
  pixels.hasAlpha = alphaSeen != 0;
  pixels.hotspot = info->fIcon
                       ? POINT{width / 2, height / 2}
                       : POINT{static_cast<LONG>(std::min<DWORD>(info->xHotspot, width - 1)),
                               static_cast<LONG>(std::min<DWORD>(info->yHotspot, height - 1))};
  return Insert(MakeIconObject(pixels, info->fIcon != FALSE));
}

BOOL GetIconInfo(HICON handle, PICONINFO info) {
  auto icon = Lookup<IconObject>(handle);
  if (icon == nullptr || info == nullptr) return FALSE;
  auto mask = NewBitmap(icon->width, icon->height, 1);
  auto color = NewBitmap(icon->width, icon->height, 32);
  if (mask == nullptr || color == nullptr) return FALSE;
  for (int y = 0; y < icon->height; ++y) {
    std::memcpy(mask->surface->Row(y), icon->mask->Row(y),
                static_cast<size_t>(icon->mask->stride()));
    std::memcpy(color->surface->Row(y), icon->color->Row(y), static_cast<size_t>(icon->width) * 4);
  }
  HBITMAP maskHandle = InsertObject(mask);
  HBITMAP colorHandle = maskHandle != nullptr ? InsertObject(color) : nullptr;
  if (colorHandle == nullptr) {
    if (maskHandle != nullptr) RemoveObject(maskHandle);
    return FALSE;
  }
  info->fIcon = icon->isIcon ? TRUE : FALSE;
  info->xHotspot = static_cast<DWORD>(icon->hotspot.x);
  info->yHotspot = static_cast<DWORD>(icon->hotspot.y);
  info->hbmMask = maskHandle;
  info->hbmColor = colorHandle;
  return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON handle, int width, int height, UINT /*step*/,
                HBRUSH /*flickerFreeBrush*/, UINT flags) {
  auto context = LookupDC(dc);
  auto icon = Lookup<IconObject>(handle);
  if (context == nullptr || icon == nullptr || (flags & DI_NORMAL) == 0) return FALSE;
  if (width < 0 || height < 0) return FALSE;
  if (width == 0) width = (flags & DI_DEFAULTSIZE) ? kSystemIconSize : icon->width;
  if (height == 0) height = (flags & DI_DEFAULTSIZE) ? kSystemIconSize : icon->height;
  if (std::abs(x) >= kMaxCoordinate || std::abs(y) >= kMaxCoordinate || width >= kMaxCoordinate ||
      height >= kMaxCoordinate) {
    return FALSE;
  }
  if (context->surface == nullptr) return FALSE;
  const POINT origin = context->LogicalToDevice(x, y);
  std::vector<RECT> parts;
  context->ClipDeviceRect({origin.x, origin.y, origin.x + width, origin.y + height}, &parts);
  if (parts.empty()) return TRUE;

  const POINT at = context->DeviceToSurface(origin);
  const Surface& image = *icon->color;
  const Surface& mask = *icon->mask;
  const bool useMask = (flags & DI_MASK) != 0;
  const bool useImage = (flags & DI_IMAGE) != 0;
  const bool blend = icon->hasAlpha && useMask && useImage;
  Surface& s = *context->surface;
  std::lock_guard guard(s.lock());
  for (const RECT& part : parts) s.NoteDrawn(part);
  const bool bgrx = PlainBgrx(s);
  const uint32_t all = s.RawMask();
  for (const RECT& part : parts) {
    for (int py = part.top; py < part.bottom; ++py) {
      const int iy = static_cast<int>(static_cast<int64_t>(py - at.y) * icon->height / height);
      const auto* imageRow = reinterpret_cast<const uint32_t*>(image.Row(iy));
      for (int px = part.left; px < part.right; ++px) {
        const int ix = static_cast<int>(static_cast<int64_t>(px - at.x) * icon->width / width);
        const uint32_t argb = imageRow[ix];
        const uint32_t rgb = argb & 0xFFFFFF;
        if (bgrx) {
          auto* pixel = reinterpret_cast<uint32_t*>(s.Row(py)) + px;
          if (blend) {
            const uint32_t a = argb >> 24;
            if (a == 0) continue;
            *pixel = a == 255 ? rgb : Blend(*pixel & 0xFFFFFF, rgb, a);
            continue;
          }
          uint32_t value = *pixel & 0xFFFFFF;
          // dest = (dest AND mask) XOR image, as the two blits of DI_NORMAL do.
          if (useMask && !MaskBit(mask, ix, iy)) value = 0;
          if (useImage) value = useMask ? value ^ rgb : rgb;
          *pixel = value;
          continue;
        }
        if (blend) {
          const uint32_t a = argb >> 24;
          if (a == 0) continue;
          const uint32_t under = ColorToBgrx(s.RawToColor(s.ReadRaw(px, py)));
          s.WriteRaw(px, py, s.ColorToRaw(BgrxToColor(Blend(under, rgb, a))));
          continue;
        }
        uint32_t value = s.ReadRaw(px, py);
        if (useMask && !MaskBit(mask, ix, iy)) value &= ~all;
        const uint32_t imageRaw = s.ColorToRaw(BgrxToColor(rgb));
        if (useImage) value = useMask ? value ^ imageRaw : imageRaw;
        s.WriteRaw(px, py, value & all);
      }
    }
  }
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL DestroyIcon(HICON handle) {
  auto icon = Lookup<IconObject>(handle);
  if (icon == nullptr) return FALSE;
  if (!icon->stock) RemoveObject(handle);
  return TRUE;
}

BOOL DestroyCursor(HCURSOR cursor) {
  return DestroyIcon(cursor);
}

HICON CopyIcon(HICON handle) {
  auto icon = Lookup<IconObject>(handle);
  if (icon == nullptr) return nullptr;
  auto copy = std::make_shared<IconObject>(*icon);
  copy->stock = false;
  return InsertObject(copy);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return LoadStandard(instance, name, true);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  return LoadStandard(instance, name, false);
}

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gdi/DeviceBitmaps.h"
#include "platform/gdi/DeviceContext.h"

namespace platform::gdi {

std::shared_ptr<BitmapObject> NewDeviceBitmap(int width, int height, int bitCount) {
  auto surface = Surface::Create(width, height, bitCount, true);
  if (!surface) return nullptr;
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->surface = std::move(surface);
  return bitmap;
}

bool CompatibleBitCount(HDC handle, int* bitCount) {
  *bitCount = 32;
  if (handle == nullptr) return true;
  auto dc = Lookup<DeviceContext>(handle);
  if (!dc) return false;
  if (dc->isMemoryDC && dc->surface && dc->surface->bitCount() == 1) *bitCount = 1;
  return true;
}

int DeviceRowBytes(int width, int bitCount) {
  return static_cast<int>(((int64_t{width} * bitCount + 15) / 16) * 2);
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

HBITMAP Insert(std::shared_ptr<BitmapObject> bitmap) {
  return bitmap ? InsertObject(std::move(bitmap)) : nullptr;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  int bitCount;
  if (!CompatibleBitCount(dc, &bitCount) || width < 0 || height < 0) return nullptr;
  // A zero size gives a 1x1 monochrome bitmap, as on Windows.
  if (width == 0 || height == 0) return Insert(NewDeviceBitmap(1, 1, 1));
  return Insert(NewDeviceBitmap(width, height, bitCount));
}

// Depths other than 1 and 32 stay at their own depth (4 and 8 bits with the standard
// palettes, 16 bits as 5-5-5); every drawing path works on any surface format.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1 || width < 0 || height < 0) return nullptr;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    return nullptr;
  }
  if (width == 0 || height == 0) return Insert(NewDeviceBitmap(1, 1, 1));
  auto bitmap = NewDeviceBitmap(width, height, static_cast<int>(bitCount));
  if (!bitmap) return nullptr;
  if (bits != nullptr) {
    Surface& s = *bitmap->surface;
    int rowBytes = DeviceRowBytes(width, static_cast<int>(bitCount));
    const auto* in = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
      std::memcpy(s.Row(y), in + static_cast<size_t>(y) * rowBytes, static_cast<size_t>(rowBytes));
    }
  }
  return Insert(std::move(bitmap));
}

LONG GetBitmapBits(HBITMAP handle, LONG bytes, LPVOID bits) {
  auto bitmap = Lookup<BitmapObject>(handle);
  if (!bitmap || !bitmap->surface) return 0;
  Surface& s = *bitmap->surface;
  int64_t rowBytes = DeviceRowBytes(s.width(), s.bitCount());
  int64_t total = rowBytes * s.height();
  if (bits == nullptr) return static_cast<LONG>(total);
  if (bytes <= 0) return 0;
  int64_t wanted = std::min<int64_t>(bytes, total);
  auto* out = static_cast<uint8_t*>(bits);
  std::lock_guard lock(s.lock());
  int64_t copied = 0;
  for (int y = 0; y < s.height() && copied < wanted; ++y) {
    int64_t n = std::min(rowBytes, wanted - copied);
    std::memcpy(out + copied, s.Row(y), static_cast<size_t>(n));
    copied += n;
  }
  return static_cast<LONG>(copied);
}

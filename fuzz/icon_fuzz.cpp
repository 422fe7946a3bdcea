// Icon and cursor image data from untrusted bytes: whatever CreateIconFromResourceEx
// accepts must draw, report its size and be destroyed without touching memory it does not
// own. Input: one byte of flags, two bytes of requested size, then the resource data.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/wingdi.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Target {
  Target() {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(40, 40, 1, 32, nullptr);
    SelectObject(dc, bitmap);
  }
  HDC dc;
  HBITMAP bitmap;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Target target;
  if (size < 3) return 0;
  const uint8_t flags = data[0];
  const int cx = (flags & 0x08) ? data[1] : data[1] % 65;
  const int cy = (flags & 0x08) ? data[2] : data[2] % 65;
  const BOOL icon = (flags & 1) ? FALSE : TRUE;
  UINT load = 0;
  if (flags & 2) load |= LR_DEFAULTSIZE;
  if (flags & 4) load |= LR_MONOCHROME;
  HICON handle = CreateIconFromResourceEx(data + 3, static_cast<DWORD>(size - 3), icon, 0x00030000,
                                          cx, cy, load);
  if (handle == nullptr) return 0;

  ICONINFO info{};
  Check(GetIconInfo(handle, &info) == TRUE);
  BITMAP bm{};
  Check(GetObjectA(info.hbmColor, sizeof bm, &bm) == static_cast<int>(sizeof bm));
  if (cx != 0) Check(bm.bmWidth == cx);
  if (cy != 0) Check(bm.bmHeight == cy);
  Check(DeleteObject(info.hbmColor) && DeleteObject(info.hbmMask));

  const int x = (flags >> 4) - 8, y = static_cast<int>(size % 17) - 8;
  static const UINT kModes[] = {DI_NORMAL, DI_MASK, DI_IMAGE, DI_NORMAL | DI_DEFAULTSIZE};
  Check(DrawIconEx(target.dc, x, y, handle, 0, 0, 0, nullptr, kModes[size % 4]) == TRUE);
  Check(DrawIconEx(target.dc, y, x, handle, cy + 1, cx + 1, 0, nullptr, DI_NORMAL) == TRUE);
  HICON copy = CopyIcon(handle);
  Check(copy != nullptr);
  Check(DestroyIcon(handle) == TRUE);
  Check(DrawIcon(target.dc, 0, 0, copy) == TRUE);
  Check(DestroyIcon(copy) == TRUE);
  return 0;
}

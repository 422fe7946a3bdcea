// Device-dependent bitmaps: 32-bit BGRX or 1-bit, top-down, in the handle table.
#pragma once

#include <memory>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

// A zero-filled device bitmap (not yet in the handle table); null when the size or depth is
// not acceptable.
std::shared_ptr<BitmapObject> NewDeviceBitmap(int width, int height, int bitCount);

// The depth of bitmaps compatible with a DC: 1 when it is a memory DC holding a monochrome
// bitmap, else 32 (a null DC stands for the screen). False for a handle that is not a DC.
bool CompatibleBitCount(HDC dc, int* bitCount);

// Bytes in one row of a device bitmap as CreateBitmap and GetBitmapBits exchange them
// (padded to 2 bytes).
int DeviceRowBytes(int width, int bitCount);

}  // namespace platform::gdi

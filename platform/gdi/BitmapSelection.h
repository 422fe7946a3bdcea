// Moving bitmaps in and out of memory DCs. A bitmap is selected into one DC at a time
// (the stock 1x1 bitmap excepted), which DeleteObject relies on to refuse deleting a
// bitmap that is still in use.
#pragma once

#include <memory>

#include "platform/gdi/DeviceContext.h"

namespace platform::gdi {

// Selects `bitmap` into the memory DC. Returns false (and changes nothing) when the DC is
// not a memory DC or the bitmap is selected into another DC.
bool SelectBitmap(DeviceContext& dc, const std::shared_ptr<BitmapObject>& bitmap);
// Lets go of the DC's bitmap when the DC goes away.
void ReleaseBitmap(DeviceContext& dc);
// Whether the bitmap is selected into some DC (under the same lock as selection).
bool IsBitmapSelected(const BitmapObject& bitmap);

}  // namespace platform::gdi

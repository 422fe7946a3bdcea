// A window as the platform draws it, frame and children included, turned into the bytes of
// a BMP file, and the rectangle of it that a save or the batch run keeps. Handles are the
// 32-bit integers the application keeps them in (GetWindowHandle). Results are byte-set
// blocks on the runtime heap owned by the caller; null is the empty byte set.
#pragma once

#include <cstdint>

#include "app/capture/BmpCrop.h"

namespace app::capture {

// BMP file bytes (bottom-up rows in the screen's depth) of the whole window rectangle; null
// when the handle is no window or the window cannot be printed.
void* CaptureWindow(int32_t windowHandle);

// CropBmp of CaptureWindow: (x, y) counted from the window's outer top-left corner.
void* CaptureAndCrop(int32_t windowHandle, int32_t x, int32_t y, int32_t w, int32_t h);

}  // namespace app::capture

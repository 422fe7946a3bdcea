// Cutting a rectangle out of BMP file bytes, as the save buttons and the batch run do with
// a window capture.
#pragma once

#include <cstdint>

namespace app::capture {

// A w x h piece of an uncompressed 8, 16, 24 or 32 bits-per-pixel BMP, (x, y) counted from
// the source's top-left corner, written as a fresh BMP of the same depth (an 8-bit source
// keeps its 1024-byte palette). The result is a byte-set block on the runtime heap that the
// caller frees, or null when the source is not such a BMP or the rectangle does not lie
// inside it. Pixel bytes the source is too short to hold stay zero.
void* CropBmp(const void* sourceByteSet, int32_t x, int32_t y, int32_t w, int32_t h);

}  // namespace app::capture

// JPEG pictures, decoded with libjpeg from memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"

namespace pic {

// Fills a kind-1 record (24-bit B,G,R rows, bottom-up, unpadded); false on any libjpeg
// error, when the pixel block would exceed maxBlockBytes, when the picture has more than
// maxPixels pixels or when it is larger than its data could ever fill, with nothing left
// allocated. The sizes are checked from the headers, before decoding starts.
bool DecodeJpeg(const uint8_t* bytes, size_t length, DecodedPicture* out,
                size_t maxBlockBytes = kMaxPixelBlockBytes, uint64_t maxPixels = kAnyPixelCount);

}  // namespace pic

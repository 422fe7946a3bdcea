// JPEG pictures, decoded with libjpeg from memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"

namespace pic {

// Fills a kind-1 record (24-bit B,G,R rows, bottom-up, unpadded); false on any libjpeg
// error or when the pixel block would exceed maxBlockBytes, with nothing left allocated.
bool DecodeJpeg(const uint8_t* bytes, size_t length, DecodedPicture* out,
                size_t maxBlockBytes = kMaxPixelBlockBytes);

}  // namespace pic

// GIF: the block walk, the LZW decoder, frames and the still picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"

namespace pic {

// Fills a kind-5 record from the first frame (logical screen size, packed DIB); false on
// failure, with nothing left allocated. A first frame of more than maxPixels pixels fails
// before its block is allocated.
bool DecodeGifStill(const uint8_t* bytes, size_t length, DecodedPicture* out,
                    uint64_t maxPixels = kAnyPixelCount);

}  // namespace pic

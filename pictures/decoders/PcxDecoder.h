// PCX pictures: 8-bit paletted (kind 6) and 1-bit monochrome (kind 7).
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"

namespace pic {

// Fills a kind-6 record (packed top-down 8-bit DIB) or kind-7 record (1-bit rows padded to
// an even byte count, top-down); false on failure, with nothing left allocated. Limits as for
// DecodeBmp; a picture larger than its run-length data could ever fill fails too.
bool DecodePcx(const uint8_t* bytes, size_t length, DecodedPicture* out,
               size_t maxBlockBytes = kMaxPixelBlockBytes, uint64_t maxPixels = kAnyPixelCount);

}  // namespace pic

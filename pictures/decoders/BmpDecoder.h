// BMP files: uncompressed 1-, 4-, 8-, 24- and 32-bit pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"

namespace pic {

// The largest pixel block any decoder hands out: sizes travel as 32-bit counts.
inline constexpr size_t kMaxPixelBlockBytes = 0x7FFFFFFF;
// No pixel budget beyond the block limit.
inline constexpr uint64_t kAnyPixelCount = UINT64_MAX;

// Fills a kind-2 record (24-bit B,G,R rows, bottom-up, unpadded); false on failure, with
// nothing left allocated. Pictures whose pixel block would exceed maxBlockBytes, or that have
// more than maxPixels pixels, fail before the block is allocated.
bool DecodeBmp(const uint8_t* bytes, size_t length, DecodedPicture* out,
               size_t maxBlockBytes = kMaxPixelBlockBytes, uint64_t maxPixels = kAnyPixelCount);

}  // namespace pic

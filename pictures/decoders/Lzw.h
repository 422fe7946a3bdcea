// The variable-width LZW code stream inside GIF image data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pic {

enum class LzwStatus {
  kEndCode,        // the encoder's end code was read
  kOutputFull,     // every pixel of the area has a value; the rest of the stream is not needed
  kDataExhausted,  // the bytes ran out before an end code: the frame ends where it is
  kCorrupt,        // a code that no table state can explain
};

// Decodes codes read least-significant bit first from `data` (the image's sub-blocks already
// joined) into out[0, capacity). *written receives the number of pixels produced. Minimum code
// sizes outside 1..8 cannot yield byte-sized pixels and are reported as corrupt.
LzwStatus DecodeLzw(int minCodeSize, const uint8_t* data, size_t length, uint8_t* out,
                    size_t capacity, size_t* written);

}  // namespace pic

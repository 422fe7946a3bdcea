// PNG pictures for the animation box, through libpng, as 32-bit top-down pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pic {

// Pictures whose 32-bit pixels would take more than this are refused (e.g. 8192 x 8192).
constexpr int64_t kMaxPngFrameBytes = int64_t{256} << 20;

// One frame of width x height pixels, top row first, each pixel as the bytes B, G, R, X in
// memory. For colour images with an alpha channel X is 255 - alpha; otherwise X is whatever the
// 32-bit conversion leaves (0). False when libpng reports an error or the data is not a PNG.
bool DecodePngFrame(const uint8_t* bytes, size_t length, int* width, int* height,
                    std::vector<uint32_t>* pixels);

}  // namespace pic

// The animation box's frames: every picture it shows becomes a list of 32-bit frames of one
// size, plus the colour that counts as transparent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pic {

// No transparent colour.
constexpr uint32_t kNoTransparentKey = 0xFF000000;

// All frames of one picture together may take at most this many bytes of 32-bit pixels; a GIF
// that would need more (a large screen times many frames) is refused rather than exhausting
// memory. 256 MiB holds, e.g., 200 frames of 640 x 480.
constexpr int64_t kMaxAnimationBytes = int64_t{256} << 20;

struct AnimationFrames {
  int width = 0;
  int height = 0;
  uint32_t transparentKey = kNoTransparentKey;  // 0x00BBGGRR, or kNoTransparentKey
  // Each frame is width x height pixels, top row first, stored as the bytes B, G, R, X.
  std::vector<std::vector<uint32_t>> frames;
};

// GIF data is composed frame by frame onto a canvas of its logical screen size; PNG data gives
// one frame through libpng; anything else goes through PictureToBitmap and is read back. With
// `automaticKey` the key is the colour of the first pixel of the first frame, otherwise
// `givenKey`. False (and `out` emptied) when nothing could be decoded.
bool LoadAnimationFrames(const uint8_t* bytes, size_t length, bool automaticKey, uint32_t givenKey,
                         AnimationFrames* out);

}  // namespace pic

// Blending one row of an object's frame onto the composed row. A source pixel s counts
// through its opacity loss o = MulDiv(alpha %, 255, 100) + s's fourth byte: o ≤ 0 copies s,
// o ≥ 255 leaves the target, and in between every colour byte d moves by
// MulDiv(s − d, 255 − o, 255). Pixels of the key colour are skipped.
#pragma once

#include <cstdint>

namespace pic {

struct RowBlend {
  int32_t baseLoss = 0;  // MulDiv(alpha %, 255, 100)
  bool keyed = false;
  uint32_t keyPixel = 0;  // B, G, R of the key; compared without the fourth byte
  bool plain = false;     // every fourth byte of the frame is 0
};

void BlendRow(uint32_t* dst, const uint32_t* src, int count, const RowBlend& how);

// Copies a finished row to `dst` (any alignment), clearing the fourth byte of every pixel.
void FinishRow(uint8_t* dst, const uint32_t* src, int count);

}  // namespace pic

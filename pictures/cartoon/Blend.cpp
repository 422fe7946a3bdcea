#include "pictures/cartoon/Blend.h"

#include <cstring>

namespace pic {
namespace {

// MulDiv(x, f, 255) for |x| ≤ 255 and 0 ≤ f ≤ 255: the product plus half the divisor is
// at most 65152, where (v + 1 + (v >> 8)) >> 8 is exactly v / 255, and no tie can occur
// because 255 is odd. The same steps run on eight 16-bit lanes below.
inline int MoveToward(int d, int s, int f) {
  const int x = s - d;
  const int a = x < 0 ? -x : x;
  const int v = a * f + 127;
  const int q = (v + 1 + (v >> 8)) >> 8;
  return x < 0 ? d - q : d + q;
}

inline uint32_t BlendPixel(uint32_t d, uint32_t s, int f) {
  const uint32_t b = MoveToward(d & 0xFF, s & 0xFF, f);
  const uint32_t g = MoveToward((d >> 8) & 0xFF, (s >> 8) & 0xFF, f);
  const uint32_t r = MoveToward((d >> 16) & 0xFF, (s >> 16) & 0xFF, f);
  return (d & 0xFF000000) | (r << 16) | (g << 8) | b;
}

using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Words16 = uint16_t __attribute__((vector_size(32)));
using SignedWords16 = int16_t __attribute__((vector_size(32)));

// One opacity for the whole row: four pixels at a time on 16-bit lanes.
void BlendUniform(uint32_t* dst, const uint32_t* src, int count, int f) {
  int i = 0;
  const Words16 factor = Words16{} + static_cast<uint16_t>(f);
  for (; i + 4 <= count; i += 4) {
    Bytes16 s8, d8;
    std::memcpy(&s8, src + i, 16);
    std::memcpy(&d8, dst + i, 16);
    const SignedWords16 s = __builtin_convertvector(s8, SignedWords16);
    const SignedWords16 d = __builtin_convertvector(d8, SignedWords16);
    const SignedWords16 x = s - d;
    const SignedWords16 negative = x < 0;  // all ones where x < 0
    const Words16 a = reinterpret_cast<Words16>((x ^ negative) - negative);
    const Words16 v = a * factor + 127;
    const Words16 q = (v + 1 + (v >> 8)) >> 8;
    const SignedWords16 moved = d + ((reinterpret_cast<SignedWords16>(q) ^ negative) - negative);
    const Bytes16 out = __builtin_convertvector(moved, Bytes16);
    std::memcpy(dst + i, &out, 16);
  }
  for (; i < count; ++i) dst[i] = BlendPixel(dst[i], src[i], f);
}

}  // namespace

void BlendRow(uint32_t* dst, const uint32_t* src, int count, const RowBlend& how) {
  if (count <= 0) return;
  if (how.plain && !how.keyed) {
    const int loss = how.baseLoss;
    if (loss <= 0) {
      std::memcpy(dst, src, static_cast<size_t>(count) * 4);
    } else if (loss < 255) {
      BlendUniform(dst, src, count, 255 - loss);
    }
    return;
  }
  for (int i = 0; i < count; ++i) {
    const uint32_t s = src[i];
    if (how.keyed && (s & 0x00FFFFFF) == how.keyPixel) continue;
    const int loss = how.baseLoss + static_cast<int>(s >> 24);
    if (loss <= 0) {
      dst[i] = s;
    } else if (loss < 255) {
      dst[i] = BlendPixel(dst[i], s, 255 - loss);
    }
  }
}

void FinishRow(uint32_t* dst, const uint32_t* src, int count) {
  for (int i = 0; i < count; ++i) dst[i] = src[i] & 0x00FFFFFF;
}

}  // namespace pic

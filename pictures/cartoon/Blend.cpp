#include "pictures/cartoon/Blend.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pic {
namespace {

// d + MulDiv(s − d, f, 255) for bytes d, s and 0 ≤ f ≤ 255. No quotient here can fall
// exactly half-way (255 is odd), so rounding half away from zero is plain rounding, and
// then d + round((s − d)·f / 255) = floor((d·(255 − f) + s·f + 127) / 255): one expression
// with no sign to handle, at most 65152, where (v + 1 + (v >> 8)) >> 8 is exactly v / 255.
// The same steps run on eight 16-bit lanes in MixLanes.
inline uint32_t Mix(uint32_t d, uint32_t s, uint32_t f) {
  const uint32_t v = d * (255 - f) + s * f + 127;
  return (v + 1 + (v >> 8)) >> 8;
}

inline uint32_t BlendPixel(uint32_t d, uint32_t s, uint32_t f) {
  const uint32_t b = Mix(d & 0xFF, s & 0xFF, f);
  const uint32_t g = Mix((d >> 8) & 0xFF, (s >> 8) & 0xFF, f);
  const uint32_t r = Mix((d >> 16) & 0xFF, (s >> 16) & 0xFF, f);
  return (d & 0xFF000000) | (r << 16) | (g << 8) | b;
}

#if defined(__SSE2__)
inline __m128i MixLanes(__m128i d, __m128i s, __m128i keep, __m128i take) {
  const __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(d, keep), _mm_mullo_epi16(s, take)),
                                  _mm_set1_epi16(127));
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, _mm_set1_epi16(1)), _mm_srli_epi16(v, 8)),
                        8);
}
#endif

// One opacity for the whole row: four pixels at a time.
void BlendUniformSse2(uint32_t* dst, const uint32_t* src, int count, uint32_t f) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i take = _mm_set1_epi16(static_cast<int16_t>(f));
  const __m128i keep = _mm_set1_epi16(static_cast<int16_t>(255 - f));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i low =
        MixLanes(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), keep, take);
    const __m128i high =
        MixLanes(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), keep, take);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(low, high));
  }
#endif
  for (; i < count; ++i) dst[i] = BlendPixel(dst[i], src[i], f);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) inline __m256i MixLanes(__m256i d, __m256i s, __m256i keep,
                                                        __m256i take) {
  const __m256i v =
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d, keep), _mm256_mullo_epi16(s, take)),
                       _mm256_set1_epi16(127));
  return _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_add_epi16(v, _mm256_set1_epi16(1)), _mm256_srli_epi16(v, 8)), 8);
}

// The same eight pixels at a time, on processors that have AVX2 (chosen once at run time).
__attribute__((target("avx2"))) void BlendUniformAvx2(uint32_t* dst, const uint32_t* src, int count,
                                                      uint32_t f) {
  int i = 0;
  const __m256i take = _mm256_set1_epi16(static_cast<int16_t>(f));
  const __m256i keep = _mm256_set1_epi16(static_cast<int16_t>(255 - f));
  const __m256i zero = _mm256_setzero_si256();
  for (; i + 8 <= count; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    // Unpacking and packing work within each 128-bit half, so the halves stay in place.
    const __m256i low =
        MixLanes(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero), keep, take);
    const __m256i high =
        MixLanes(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero), keep, take);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(low, high));
  }
  BlendUniformSse2(dst + i, src + i, count - i, f);
}
#endif

using UniformBlender = void (*)(uint32_t*, const uint32_t*, int, uint32_t);

UniformBlender ChooseUniformBlender() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return BlendUniformAvx2;
#endif
  return BlendUniformSse2;
}

void BlendUniform(uint32_t* dst, const uint32_t* src, int count, uint32_t f) {
  static const UniformBlender blend = ChooseUniformBlender();
  blend(dst, src, count, f);
}

}  // namespace

void BlendRow(uint32_t* dst, const uint32_t* src, int count, const RowBlend& how) {
  if (count <= 0) return;
  if (how.plain && !how.keyed) {
    const int loss = how.baseLoss;
    if (loss <= 0) {
      std::memcpy(dst, src, static_cast<size_t>(count) * 4);
    } else if (loss < 255) {
      BlendUniform(dst, src, count, static_cast<uint32_t>(255 - loss));
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
      dst[i] = BlendPixel(dst[i], s, static_cast<uint32_t>(255 - loss));
    }
  }
}

void FinishRow(uint8_t* dst, const uint32_t* src, int count) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= count; i += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t(i) * 4), _mm_and_si128(p, colour));
  }
#endif
  for (; i < count; ++i) {
    const uint32_t p = src[i] & 0x00FFFFFF;
    std::memcpy(dst + size_t(i) * 4, &p, 4);
  }
}

}  // namespace pic

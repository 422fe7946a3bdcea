#include "platform/gdi/Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace platform::gdi {

using Int128 = __int128;

int64_t StretchAxis::Nearest(int64_t dest) const {
  int64_t i = dest - destStart;
  if (mirror) i = destCount - 1 - i;
  // floor((i + 1/2) * srcCount / destCount) without leaving integers; i and the counts
  // may each be near 2^32, hence the wide product.
  Int128 s = (Int128{2} * i + 1) * srcCount / (Int128{2} * destCount);
  return srcStart + static_cast<int64_t>(s);
}

void StretchAxis::ValidRange(int64_t lo, int64_t hi, int64_t srcLimit, int64_t* first,
                             int64_t* last) const {
  lo = std::max(lo, destStart);
  hi = std::min(hi, destStart + destCount);
  *first = hi;
  *last = hi;
  // The mapping is monotonic, so the pixels that sample inside form one run.
  int64_t d = lo;
  while (d < hi) {
    int64_t s = Nearest(d);
    if (s >= 0 && s < srcLimit) break;
    ++d;
  }
  *first = d;
  while (d < hi) {
    int64_t s = Nearest(d);
    if (s < 0 || s >= srcLimit) break;
    ++d;
  }
  *last = d;
}

namespace {

// Source taps of a run of destination pixels along one axis: for each destination pixel
// the first source pixel, how many follow, and their weights, which add up to `total`.
struct AxisTaps {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<uint32_t> offset;
  std::vector<uint32_t> weight;
  int maxCount = 0;
  int32_t lowest = 0;   // smallest source pixel any tap reads
  int32_t highest = 0;  // largest
};

// Which source pixels lie under each destination pixel (weights still to come). Measured in
// units where a source pixel is destCount long and a destination pixel srcCount long,
// every overlap is a whole number of units.
AxisTaps RawTaps(const StretchAxis& axis, int64_t d0, int64_t d1, int64_t srcLimit) {
  AxisTaps taps;
  const size_t n = static_cast<size_t>(d1 - d0);
  taps.first.resize(n);
  taps.count.resize(n);
  taps.offset.resize(n);
  taps.lowest = std::numeric_limits<int32_t>::max();
  taps.highest = std::numeric_limits<int32_t>::min();
  const Int128 S = axis.srcCount;
  const Int128 D = axis.destCount;
  for (size_t k = 0; k < n; ++k) {
    int64_t i = d0 + static_cast<int64_t>(k) - axis.destStart;
    if (axis.mirror) i = axis.destCount - 1 - i;
    const Int128 from = Int128{i} * S;
    const Int128 to = from + S;
    // Every source pixel in [j0, j1) overlaps the destination pixel by at least one unit.
    int64_t j0 = static_cast<int64_t>(from / D);
    int64_t j1 = static_cast<int64_t>((to + D - 1) / D);
    // Source pixels outside the surface do not count.
    j0 = std::max(j0, -axis.srcStart);
    j1 = std::min(j1, srcLimit - axis.srcStart);
    const int c = static_cast<int>(std::max<int64_t>(0, j1 - j0));
    taps.first[k] = c > 0 ? static_cast<int32_t>(axis.srcStart + j0) : 0;
    taps.count[k] = c;
    taps.offset[k] = static_cast<uint32_t>(taps.weight.size());
    taps.weight.resize(taps.weight.size() + static_cast<size_t>(c));
    taps.maxCount = std::max(taps.maxCount, c);
    if (c > 0) {
      taps.lowest = std::min(taps.lowest, taps.first[k]);
      taps.highest = std::max(taps.highest, taps.first[k] + c - 1);
    }
  }
  return taps;
}

// Fills in the weights of RawTaps scaled to add up to `total` for every destination pixel.
// Cumulative rounding keeps each weight within one unit of exact and the sum exact, so the
// average errs by at most half a unit times the variation of the pixels under it.
void NormaliseTaps(const StretchAxis& axis, int64_t d0, uint32_t total, AxisTaps* taps) {
  const Int128 S = axis.srcCount;
  const Int128 D = axis.destCount;
  for (size_t k = 0; k < taps->first.size(); ++k) {
    int64_t i = d0 + static_cast<int64_t>(k) - axis.destStart;
    if (axis.mirror) i = axis.destCount - 1 - i;
    const Int128 from = Int128{i} * S;
    const Int128 to = from + S;
    const Int128 j0 = taps->first[k] - axis.srcStart;
    const int c = taps->count[k];
    auto overlap = [&](Int128 j) { return std::min((j + 1) * D, to) - std::max(j * D, from); };
    Int128 whole = 0;
    for (int t = 0; t < c; ++t) whole += overlap(j0 + t);
    if (whole <= 0) continue;
    Int128 running = 0;
    Int128 before = 0;
    uint32_t* w = taps->weight.data() + taps->offset[k];
    for (int t = 0; t < c; ++t) {
      running += overlap(j0 + t);
      Int128 after = (running * total + whole / 2) / whole;
      w[t] = static_cast<uint32_t>(after - before);
      before = after;
    }
  }
}

// Vertical pass: acc[i] = sum over rows t of weight[t] * rows[t][i], for `bytes` bytes.
// Weights are below 2^15 here, so two rows at a time go through one 16-bit multiply-add
// per lane; each block of bytes stays in registers across all rows, so acc is written once.
void VerticalSumScalar(const uint8_t* const* rows, const uint32_t* weights, int n, size_t from,
                       size_t bytes, uint32_t* acc) {
  for (size_t i = from; i < bytes; ++i) {
    uint32_t sum = 0;
    for (int t = 0; t < n; ++t) sum += weights[t] * rows[t][i];
    acc[i] = sum;
  }
}

#if defined(__x86_64__) || defined(__i386__)
#define VELMORA_HALFTONE_AVX2 1

__attribute__((target("avx2"))) size_t VerticalSumAvx2(const uint8_t* const* rows,
                                                       const int32_t* pairs, int n, size_t i,
                                                       size_t bytes, uint32_t* acc) {
  const __m256i zero = _mm256_setzero_si256();
  for (; i + 32 <= bytes; i += 32) {
    __m256i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int t = 0; t < n; t += 2) {
      const __m256i w = _mm256_set1_epi32(pairs[t / 2]);
      __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[t] + i));
      __m256i vb =
          t + 1 < n ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[t + 1] + i)) : zero;
      __m256i aLo = _mm256_unpacklo_epi8(va, zero), aHi = _mm256_unpackhi_epi8(va, zero);
      __m256i bLo = _mm256_unpacklo_epi8(vb, zero), bHi = _mm256_unpackhi_epi8(vb, zero);
      s0 = _mm256_add_epi32(s0, _mm256_madd_epi16(_mm256_unpacklo_epi16(aLo, bLo), w));
      s1 = _mm256_add_epi32(s1, _mm256_madd_epi16(_mm256_unpackhi_epi16(aLo, bLo), w));
      s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(_mm256_unpacklo_epi16(aHi, bHi), w));
      s3 = _mm256_add_epi32(s3, _mm256_madd_epi16(_mm256_unpackhi_epi16(aHi, bHi), w));
    }
    // The unpacks work within 128-bit lanes: s0..s3 hold bytes 0-3|16-19, 4-7|20-23,
    // 8-11|24-27, 12-15|28-31; put them back in order.
    auto* out = reinterpret_cast<__m256i*>(acc + i);
    _mm256_storeu_si256(out + 0, _mm256_permute2x128_si256(s0, s1, 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(s2, s3, 0x20));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(s0, s1, 0x31));
    _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(s2, s3, 0x31));
  }
  return i;
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

size_t VerticalSumSse2(const uint8_t* const* rows, const int32_t* pairs, int n, size_t i,
                       size_t bytes, uint32_t* acc) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= bytes; i += 16) {
    __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (int t = 0; t < n; t += 2) {
      const __m128i w = _mm_set1_epi32(pairs[t / 2]);
      __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t] + i));
      __m128i vb =
          t + 1 < n ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t + 1] + i)) : zero;
      __m128i aLo = _mm_unpacklo_epi8(va, zero), aHi = _mm_unpackhi_epi8(va, zero);
      __m128i bLo = _mm_unpacklo_epi8(vb, zero), bHi = _mm_unpackhi_epi8(vb, zero);
      // Interleaving the two rows lets one multiply-add give wa*a + wb*b per byte.
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi16(aLo, bLo), w));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi16(aLo, bLo), w));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi16(aHi, bHi), w));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi16(aHi, bHi), w));
    }
    auto* out = reinterpret_cast<__m128i*>(acc + i);
    _mm_storeu_si128(out + 0, s0);
    _mm_storeu_si128(out + 1, s1);
    _mm_storeu_si128(out + 2, s2);
    _mm_storeu_si128(out + 3, s3);
  }
#else
  (void)rows;
  (void)pairs;
  (void)n;
  (void)bytes;
  (void)acc;
#endif
  return i;
}

void VerticalSum(const uint8_t* const* rows, const uint32_t* weights, const int32_t* pairs, int n,
                 size_t bytes, uint32_t* acc) {
  size_t done = 0;
#ifdef VELMORA_HALFTONE_AVX2
  if (HaveAvx2()) done = VerticalSumAvx2(rows, pairs, n, done, bytes, acc);
#endif
  done = VerticalSumSse2(rows, pairs, n, done, bytes, acc);
  VerticalSumScalar(rows, weights, n, done, bytes, acc);
}

// Horizontal pass over the column sums of one destination row: each destination pixel is
// the weighted sum of the channels of its source columns, scaled by `scale` and rounded.
// Single precision is exact enough: the column sums stay below 2^24 and a few dozen
// products cannot move the result by a tenth of a level. Columns are `channels` sums apart:
// 4 for BGRX words, 3 for packed B,G,R bytes, whose fourth channel is left 0 as a converted
// 24-bit pixel's would be (the sums are read four at a time, so acc has a spare word).
void HorizontalPass(const uint32_t* acc, int c0, int channels, const AxisTaps& h,
                    const std::vector<float>& weights, float scale, int count, uint32_t* out) {
  const uint32_t keep = channels == 4 ? 0xFFFFFFFFu : 0x00FFFFFFu;
  for (int k = 0; k < count; ++k) {
    const uint32_t* p = acc + static_cast<size_t>(channels) * static_cast<size_t>(h.first[k] - c0);
    const float* w = weights.data() + h.offset[k];
    const int n = h.count[k];
#if defined(__SSE2__)
    __m128 sum = _mm_setzero_ps();
    for (int t = 0; t < n; ++t, p += channels) {
      __m128 v = _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
      sum = _mm_add_ps(sum, _mm_mul_ps(v, _mm_set1_ps(w[t])));
    }
    __m128i rounded = _mm_cvtps_epi32(_mm_mul_ps(sum, _mm_set1_ps(scale)));
    __m128i packed = _mm_packus_epi16(_mm_packs_epi32(rounded, rounded), rounded);
    out[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(packed)) & keep;
#else
    float sum[4] = {0, 0, 0, 0};
    for (int t = 0; t < n; ++t, p += channels)
      for (int ch = 0; ch < channels; ++ch) sum[ch] += w[t] * static_cast<float>(p[ch]);
    uint32_t v = 0;
    for (int ch = 0; ch < 4; ++ch) {
      long r = std::lround(sum[ch] * scale);
      v |= static_cast<uint32_t>(std::clamp<long>(r, 0, 255)) << (8 * ch);
    }
    out[k] = v & keep;
#endif
  }
}

// Vertical weights add up to 2^14 when few rows meet under one destination row (the
// pairwise multiply-add takes signed 16-bit weights), else to 2^24 with plain 32-bit sums;
// with at most 32 rows the rounded weights err by under a quarter level. Horizontal weights
// add up to 2^24 before they become fractions.
constexpr int kFastRows = 32;
constexpr int kFineBits = 24;
constexpr int kFastBits = 14;
constexpr int kFloatBits = 16;

}  // namespace

void HalftoneStretch(const Surface& source, const MonoColours& colours, const StretchAxis& ax,
                     const StretchAxis& ay, int x0, int x1, int y0, int y1, uint32_t* out,
                     ptrdiff_t outStride) {
  if (x1 <= x0 || y1 <= y0) return;
  AxisTaps h = RawTaps(ax, x0, x1, source.width());
  AxisTaps v = RawTaps(ay, y0, y1, source.height());
  if (h.maxCount == 0 || v.maxCount == 0) return;
  const bool fast = v.maxCount <= kFastRows;
  const int vBits = fast ? kFastBits : kFineBits;
  NormaliseTaps(ax, x0, 1u << kFineBits, &h);
  NormaliseTaps(ay, y0, 1u << vBits, &v);
  std::vector<float> hWeights(h.weight.size());
  for (size_t i = 0; i < h.weight.size(); ++i)
    hWeights[i] = static_cast<float>(h.weight[i]) / static_cast<float>(1u << kFineBits);
  const float scale = 1.0f / static_cast<float>(1u << (fast ? kFastBits : kFloatBits));

  const int c0 = h.lowest;
  const int span = h.highest - h.lowest + 1;
  // Photos come as 24-bit rows; their bytes are summed where they lie, which spares
  // widening every row to BGRX words first and gives the same sums.
  const bool packed = source.bitCount() == 24;
  const int channels = packed ? 3 : 4;
  const size_t bytes = static_cast<size_t>(channels) * static_cast<size_t>(span);
  BgrxRowReader reader(source, colours);
  std::vector<uint32_t> acc(bytes + 1);
  // Converted rows, when the source is not BGRX already: one per row under a destination row.
  std::vector<std::vector<uint32_t>> scratch(fast ? static_cast<size_t>(v.maxCount) : 1);
  if (!packed && !IsBgrx32(source)) {
    for (auto& row : scratch) row.resize(static_cast<size_t>(span));
  }
  auto rowBytes = [&](int y, std::vector<uint32_t>& into) {
    if (packed) return source.Row(y) + 3 * static_cast<size_t>(c0);
    return reinterpret_cast<const uint8_t*>(reader.Read(c0, y, span, into.data()));
  };
  std::vector<const uint8_t*> rows(static_cast<size_t>(v.maxCount));
  std::vector<int32_t> pairs(static_cast<size_t>(v.maxCount + 1) / 2);

  for (int r = y0; r < y1; ++r) {
    const size_t rk = static_cast<size_t>(r - y0);
    const int n = v.count[rk];
    const int firstRow = v.first[rk];
    const uint32_t* wv = v.weight.data() + v.offset[rk];
    if (fast) {
      for (int t = 0; t < n; ++t) rows[t] = rowBytes(firstRow + t, scratch[t]);
      for (int t = 0; t < n; t += 2)
        pairs[t / 2] = static_cast<int32_t>(((t + 1 < n ? wv[t + 1] : 0u) << 16) | wv[t]);
      VerticalSum(rows.data(), wv, pairs.data(), n, bytes, acc.data());
    } else {
      // Too many rows for 16-bit weights: accumulate one row at a time in 32 bits.
      std::fill(acc.begin(), acc.end(), 0u);
      for (int t = 0; t < n; ++t) {
        const uint8_t* a = rowBytes(firstRow + t, scratch[0]);
        for (size_t i = 0; i < bytes; ++i) acc[i] += wv[t] * a[i];
      }
      // Sums reach 255 * 2^24; brought below 2^24 so that they stay exact as floats.
      for (uint32_t& a : acc) a >>= kFineBits - kFloatBits;
    }
    HorizontalPass(acc.data(), c0, channels, h, hWeights, scale, x1 - x0,
                   out + static_cast<ptrdiff_t>(rk) * outStride);
  }
}

}  // namespace platform::gdi

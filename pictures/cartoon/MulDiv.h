// The rounding multiply-divide the box's arithmetic is defined with: a × b / c in 64 bits,
// rounded half away from zero, −1 when c is 0 or the result does not fit in an int.
#pragma once

#include <cstdint>
#include <limits>

namespace pic {

inline int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const bool negative = (product < 0) != (c < 0);
  const uint64_t magnitude = product < 0 ? uint64_t(-product) : uint64_t(product);
  const uint64_t divisor = c < 0 ? uint64_t(-int64_t{c}) : uint64_t(c);
  const uint64_t q = (magnitude + divisor / 2) / divisor;
  if (q > uint64_t{std::numeric_limits<int32_t>::max()}) return -1;
  return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

}  // namespace pic

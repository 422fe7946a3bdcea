// Numeric values of argument records, converted the one way the runtime converts them:
// byte zero-extended, short sign-extended, int unchanged, long its low 32 bits, float and
// double truncated toward zero.
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/values/TypeCode.h"

namespace rt {

namespace detail {
template <typename T>
T FromWord(uint64_t value) {
  T out;
  std::memcpy(&out, &value, sizeof(T));
  return out;
}
}  // namespace detail

// Truncation toward zero that stays defined outside the int range (NaN gives 0).
inline int32_t TruncateToInt32(double d) {
  if (!(d == d)) return 0;
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(d);
}

// False for kinds that are not numeric.
inline bool NumericToInt32(TypeCode kind, uint64_t value, int32_t* out) {
  using detail::FromWord;
  switch (kind) {
    case kTypeByte:
      *out = FromWord<uint8_t>(value);
      return true;
    case kTypeShort:
      *out = FromWord<int16_t>(value);
      return true;
    case kTypeInt:
      *out = FromWord<int32_t>(value);
      return true;
    case kTypeLong:
      *out = static_cast<int32_t>(static_cast<uint32_t>(value));
      return true;
    case kTypeFloat:
      *out = TruncateToInt32(FromWord<float>(value));
      return true;
    case kTypeDouble:
      *out = TruncateToInt32(FromWord<double>(value));
      return true;
    default:
      return false;
  }
}

inline bool NumericToDouble(TypeCode kind, uint64_t value, double* out) {
  using detail::FromWord;
  switch (kind) {
    case kTypeByte:
      *out = FromWord<uint8_t>(value);
      return true;
    case kTypeShort:
      *out = FromWord<int16_t>(value);
      return true;
    case kTypeInt:
      *out = FromWord<int32_t>(value);
      return true;
    case kTypeLong:
      *out = static_cast<double>(FromWord<int64_t>(value));
      return true;
    case kTypeFloat:
      *out = FromWord<float>(value);
      return true;
    case kTypeDouble:
      *out = FromWord<double>(value);
      return true;
    default:
      return false;
  }
}

}  // namespace rt

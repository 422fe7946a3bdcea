// The limits that many unit properties keep on every set (and on the values a stored form
// brings): integers of 0 … 32767 and choices of a few values.
#pragma once

#include <algorithm>
#include <cstdint>

namespace forms {

inline uint32_t ClampToShort(uint64_t word) {
  const auto v = static_cast<int32_t>(static_cast<uint32_t>(word));
  return static_cast<uint32_t>(std::clamp(v, 0, 32767));
}

// A choice above its last value is the last (the property services already made negative
// choices 0).
inline uint32_t ClampChoice(uint64_t word, uint32_t last) {
  return std::min(static_cast<uint32_t>(word), last);
}

}  // namespace forms

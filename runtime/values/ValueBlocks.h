// Memory images of texts, byte sets and arrays, and helpers that build them on the
// runtime heap. Every builder returns null for an empty value, as the value model asks.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "runtime/values/TypeCode.h"

namespace rt {

// Byte-set block: {int32 1, int32 n, n bytes}; the empty byte set is null.
inline constexpr size_t kByteSetHeader = 8;
// Array block: {int32 d, int32 sizes[d], elements}; the empty array is {1, 0}.
inline constexpr size_t kEmptyArrayBytes = 8;

inline int32_t ReadInt32(const void* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void WriteInt32(void* p, int32_t v) {
  std::memcpy(p, &v, 4);
}
inline void* ReadPointer(const void* p) {
  void* v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void WritePointer(void* p, const void* v) {
  std::memcpy(p, &v, sizeof v);
}

// A read-only view of a byte set; empty for null.
struct ByteSetView {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
inline ByteSetView ViewByteSet(const void* block) {
  if (block == nullptr) return {};
  int32_t n = ReadInt32(static_cast<const uint8_t*>(block) + 4);
  if (n <= 0) return {};
  return {static_cast<const uint8_t*>(block) + kByteSetHeader, static_cast<size_t>(n)};
}

inline std::string_view ViewText(const char* text) {
  return text == nullptr ? std::string_view{} : std::string_view{text};
}

// Array geometry read from a block; elementCount is 0 for a malformed head.
struct ArrayShape {
  int32_t dimensions = 0;
  uint64_t elementCount = 0;
  size_t headerBytes = 0;
};
ArrayShape ReadArrayShape(const void* block);

// Builders of fresh values over a given allocator (bytes -> block or null): the runtime
// passes AllocMem, libraries their RuntimeNotify allocation. An empty value, or an
// allocator that gives nothing, yields null.
template <typename Alloc>
char* BuildText(Alloc&& alloc, std::string_view bytes) {
  if (bytes.empty()) return nullptr;
  auto* out = static_cast<char*>(alloc(bytes.size() + 1));
  if (out == nullptr) return nullptr;
  std::memcpy(out, bytes.data(), bytes.size());
  out[bytes.size()] = 0;
  return out;
}

template <typename Alloc>
void* BuildByteSet(Alloc&& alloc, const void* bytes, size_t count) {
  if (count == 0) return nullptr;
  auto* out = static_cast<uint8_t*>(alloc(count + kByteSetHeader));
  if (out == nullptr) return nullptr;
  WriteInt32(out, 1);
  WriteInt32(out + 4, static_cast<int32_t>(count));
  if (bytes != nullptr) std::memcpy(out + kByteSetHeader, bytes, count);
  return out;
}

// A one-dimensional array whose element slots are left for the caller to fill.
template <typename Alloc>
void* BuildArray(Alloc&& alloc, size_t elementSize, size_t count) {
  auto* out = static_cast<uint8_t*>(alloc(kEmptyArrayBytes + elementSize * count));
  if (out == nullptr) return nullptr;
  WriteInt32(out, 1);
  WriteInt32(out + 4, static_cast<int32_t>(count));
  return out;
}

}  // namespace rt

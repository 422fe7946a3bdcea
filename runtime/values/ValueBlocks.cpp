#include "runtime/values/ValueBlocks.h"

namespace rt {

ArrayShape ReadArrayShape(const void* block) {
  ArrayShape shape;
  if (block == nullptr) return shape;
  const auto* bytes = static_cast<const uint8_t*>(block);
  int32_t d = ReadInt32(bytes);
  // A head the runtime cannot have written reads as an empty array rather than as a
  // licence to walk memory.
  if (d < 1 || d > 1024) return shape;
  uint64_t count = 1;
  for (int32_t i = 0; i < d; ++i) {
    int32_t size = ReadInt32(bytes + 4 + 4 * i);
    if (size < 0) return shape;
    count *= static_cast<uint64_t>(size);
    if (count > INT32_MAX) return shape;
  }
  shape.dimensions = d;
  shape.elementCount = count;
  shape.headerBytes = 4 * (static_cast<size_t>(d) + 1);
  return shape;
}

}  // namespace rt

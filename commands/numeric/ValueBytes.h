// Where the raw bytes of a value lie, for the conversions that hand them out as text or as
// a byte set.
#pragma once

#include "runtime/values/TypeCode.h"
#include "runtime/values/ValueBlocks.h"

namespace cmd {

// The elements of an array of byte, short, int, long, float or double as one run of
// bytes; false for other element kinds. A null or malformed block gives an empty run.
inline bool NumericArrayBytes(const void* block, rt::TypeCode element, rt::ByteSetView* out) {
  if (!rt::IsNumericKind(element)) return false;
  *out = {};
  rt::ArrayShape shape = rt::ReadArrayShape(block);
  if (shape.elementCount == 0) return true;
  out->data = static_cast<const uint8_t*>(block) + shape.headerBytes;
  out->size = static_cast<size_t>(shape.elementCount) * rt::KindSize(element);
  return true;
}

}  // namespace cmd

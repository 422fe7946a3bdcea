// What the variant and safe-array code needs to know about each element kind: which kinds
// exist here and how many bytes a value of each takes when it is stored by itself.
#pragma once

#include <cstddef>

#include "platform/ole/ComTypes.h"

namespace platform::ole {

// 0 for kinds this COM does not store (VT_CY, VT_VOID ...).
constexpr size_t StoredSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
      return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

// A kind a VARIANT may hold by value (flags aside).
constexpr bool IsVariantKind(VARTYPE base) {
  return base == VT_EMPTY || base == VT_NULL || base == VT_RECORD ||
         (base != VT_VARIANT && StoredSize(base) != 0);
}

}  // namespace platform::ole

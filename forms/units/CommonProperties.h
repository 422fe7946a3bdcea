// The eight properties every window unit has (indexes 0-7), for the property tables of the
// unit types; each type's table starts with them.
#pragma once

#include <cstdint>

#include "forms/FormsMessages.h"
#include "runtime/image/DataTypeDescriptor.h"

namespace forms {

inline constexpr uint32_t kPropLeft = 0;
inline constexpr uint32_t kPropTop = 1;
inline constexpr uint32_t kPropWidth = 2;
inline constexpr uint32_t kPropHeight = 3;
inline constexpr uint32_t kPropTag = 4;
inline constexpr uint32_t kPropVisible = 5;
inline constexpr uint32_t kPropDisabled = 6;
inline constexpr uint32_t kPropMousePointer = 7;
inline constexpr uint32_t kFirstTypeProperty = 8;

#define VELMORA_COMMON_UNIT_PROPERTIES                                      \
  rt::PropertyEntry{msg::kLeft, "left", nullptr, 1001, 0},                  \
      rt::PropertyEntry{msg::kTop, "top", nullptr, 1001, 0},                \
      rt::PropertyEntry{msg::kWidth, "width", nullptr, 1001, 0},            \
      rt::PropertyEntry{msg::kHeight, "height", nullptr, 1001, 0},          \
      rt::PropertyEntry{msg::kTag, "tag", nullptr, 1005, 0},                \
      rt::PropertyEntry{msg::kVisible, "visible", nullptr, 1003, 0},        \
      rt::PropertyEntry{msg::kDisabled, "disable", nullptr, 1003, 0},       \
      rt::PropertyEntry{msg::kMousePointer, "MousePointer", nullptr, 1011, 0}

}  // namespace forms

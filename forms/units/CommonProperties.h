// The eight properties every window unit has (indexes 0-7), for the property tables of the
// unit types; each type's table starts with them.
#pragma once

#include <array>
#include <cstddef>
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

// The same entries for a table written as a plain array: {VELMORA_COMMON_UNIT_PROPERTIES, ...}.
// clang-format off
#define VELMORA_COMMON_UNIT_PROPERTIES                                  \
  rt::PropertyEntry{::forms::msg::kLeft, "left", nullptr, 1001, 0},              \
  rt::PropertyEntry{::forms::msg::kTop, "top", nullptr, 1001, 0},                \
  rt::PropertyEntry{::forms::msg::kWidth, "width", nullptr, 1001, 0},            \
  rt::PropertyEntry{::forms::msg::kHeight, "height", nullptr, 1001, 0},          \
  rt::PropertyEntry{::forms::msg::kTag, "tag", nullptr, 1005, 0},                \
  rt::PropertyEntry{::forms::msg::kVisible, "visible", nullptr, 1003, 0},        \
  rt::PropertyEntry{::forms::msg::kDisabled, "disable", nullptr, 1003, 0},       \
  rt::PropertyEntry{::forms::msg::kMousePointer, "MousePointer", nullptr, 1011, 0}
// clang-format on

inline constexpr rt::PropertyEntry kCommonUnitProperties[] = {VELMORA_COMMON_UNIT_PROPERTIES};

// A type's whole property table: the common eight, then its own from index 8 on.
template <size_t N>
constexpr std::array<rt::PropertyEntry, kFirstTypeProperty + N> WithCommonProperties(
    const rt::PropertyEntry (&own)[N]) {
  std::array<rt::PropertyEntry, kFirstTypeProperty + N> table{};
  for (size_t i = 0; i < kFirstTypeProperty; ++i) table[i] = kCommonUnitProperties[i];
  for (size_t i = 0; i < N; ++i) table[kFirstTypeProperty + i] = own[i];
  return table;
}

}  // namespace forms

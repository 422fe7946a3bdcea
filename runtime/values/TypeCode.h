// Kinds of values that cross the boundaries between application code, runtime and
// commands. Bit 31 marks a built-in kind; library data types are library << 16 | type.
#pragma once

#include <cstdint>

namespace rt {

using TypeCode = uint32_t;

inline constexpr TypeCode kTypeNone = 0;
inline constexpr TypeCode kTypeByte = 0x80000101;
inline constexpr TypeCode kTypeShort = 0x80000201;
inline constexpr TypeCode kTypeInt = 0x80000301;
inline constexpr TypeCode kTypeLong = 0x80000401;
inline constexpr TypeCode kTypeFloat = 0x80000501;
inline constexpr TypeCode kTypeDouble = 0x80000601;
inline constexpr TypeCode kTypeBool = 0x80000002;
inline constexpr TypeCode kTypeDateTime = 0x80000003;
inline constexpr TypeCode kTypeText = 0x80000004;
inline constexpr TypeCode kTypeByteSet = 0x80000005;
inline constexpr TypeCode kTypeSubroutine = 0x80000006;
inline constexpr TypeCode kTypeEightBytes = 0x80000008;

// Core library data types present in this program.
inline constexpr TypeCode kTypeWindow = 0x00010001;
inline constexpr TypeCode kTypeMenu = 0x00010003;
inline constexpr TypeCode kTypeEditBox = 0x00010005;
inline constexpr TypeCode kTypePicBox = 0x00010006;
inline constexpr TypeCode kTypeGroupBox = 0x00010009;
inline constexpr TypeCode kTypeLabel = 0x0001000A;
inline constexpr TypeCode kTypeButton = 0x0001000B;
inline constexpr TypeCode kTypeHScrollBar = 0x00010011;
inline constexpr TypeCode kTypeVScrollBar = 0x00010012;
inline constexpr TypeCode kTypeProgressBar = 0x00010013;
inline constexpr TypeCode kTypeSliderBar = 0x00010014;
inline constexpr TypeCode kTypeCommonDialog = 0x0001001F;
inline constexpr TypeCode kTypeTimer = 0x00010020;
inline constexpr TypeCode kTypeObject = 0x00010030;
inline constexpr TypeCode kTypeVariant = 0x00010031;

// Argument flags. By-reference: the value word holds the address of the caller's variable.
// Array: the value word holds the array block and the remaining bits give the element kind.
inline constexpr TypeCode kByRefFlag = 0x20000000;
inline constexpr TypeCode kArrayFlag = 0x10000000;
inline constexpr TypeCode kFlagMask = kByRefFlag | kArrayFlag;

constexpr TypeCode BaseKind(TypeCode t) {
  return t & ~kFlagMask;
}
constexpr bool IsByRef(TypeCode t) {
  return (t & kByRefFlag) != 0;
}
constexpr bool IsArray(TypeCode t) {
  return (t & kArrayFlag) != 0;
}
constexpr bool IsBuiltin(TypeCode t) {
  return (t & 0x80000000u) != 0;
}

constexpr bool IsNumericKind(TypeCode kind) {
  return kind == kTypeByte || kind == kTypeShort || kind == kTypeInt || kind == kTypeLong ||
         kind == kTypeFloat || kind == kTypeDouble;
}

// Bytes a value of this kind takes in a variable or an array element (0 when unknown).
constexpr uint32_t KindSize(TypeCode kind) {
  switch (kind) {
    case kTypeByte:
      return 1;
    case kTypeShort:
      return 2;
    case kTypeInt:
    case kTypeFloat:
    case kTypeBool:
      return 4;
    case kTypeLong:
    case kTypeDouble:
    case kTypeDateTime:
    case kTypeEightBytes:
      return 8;
    case kTypeText:
    case kTypeByteSet:
    case kTypeSubroutine:
      return sizeof(void*);
    default:
      return 0;
  }
}

}  // namespace rt

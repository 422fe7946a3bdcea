// What a support library says about each of its data types (unit types and object types).
// The runtime finds a descriptor by data-type code: library number in the high half (1-based,
// in library-table order), type number within the library in the low half (1-based).
#pragma once

#include <cstdint>

namespace rt {

// One property of a data type. The type code (1001 integer ... 1024) sits in the low half of
// `typeAndState`, state bits in the high half.
struct PropertyEntry {
  const char* name;         // GBK
  const char* englishName;  // ASCII
  const char* description;  // GBK, may be null
  uint32_t typeAndState;
  uint32_t reserved;

  uint32_t TypeCode() const { return typeAndState & 0xFFFF; }
  uint32_t StateBits() const { return typeAndState >> 16; }
};

// A unit type's numbered operations: given an operation number, the routine for it (cast
// to the operation's own signature by the caller) or null when the type leaves it out.
using UnitInterface = void* (*)(int32_t operation);

// Data-type state bits.
inline constexpr uint32_t kTypeStateMenu = 0x04;
inline constexpr uint32_t kTypeStateWindowed = 0x40;
inline constexpr uint32_t kTypeStateMovesChildren = 0x80;
inline constexpr uint32_t kTypeStatePaged = 0x100;
inline constexpr uint32_t kTypeStateNonVisual = 0x8000;
inline constexpr uint32_t kTypeStateTellsWindow = 0x100000;

struct DataTypeDescriptor {
  const char* name;         // GBK, e.g. the window type's Chinese name
  const char* englishName;  // e.g. "PicBox"
  const char* description;  // may be null
  uint32_t stateBits;
  uint32_t propertyCount;
  const PropertyEntry* properties;  // propertyCount entries, in property-index order
  uint32_t eventCount;
  uint32_t reserved;
  UnitInterface interfaceRoutine;  // null for object types and types not built yet
};

}  // namespace rt

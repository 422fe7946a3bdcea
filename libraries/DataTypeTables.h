// Building a library's data-type array from a short description of the types it names:
// each windowed unit type gets the eight common properties followed by its own.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "runtime/image/DataTypeDescriptor.h"

namespace libs {

struct PropertyRow {
  uint32_t typeCode;                  // 1001 ... 1024
  const char* name = nullptr;         // GBK, where the library names it
  const char* englishName = nullptr;  // where the library names it
};

struct TypeRow {
  uint32_t number;   // 1-based position in the library
  const char* name;  // GBK
  const char* englishName;
  uint32_t stateBits;
  std::vector<PropertyRow> ownProperties;  // index 8 and up
  bool hasCommonProperties = true;
  rt::UnitInterface interfaceRoutine = nullptr;
};

// An array of `count` descriptors, built once and kept for the life of the program.
const rt::DataTypeDescriptor* BuildDataTypes(uint32_t count, std::initializer_list<TypeRow> types);

// A type's property entries from a list of type codes without names.
std::vector<PropertyRow> Unnamed(std::initializer_list<uint32_t> typeCodes);

// The notify routine shared by libraries 2-5: code 1 keeps the runtime's notify routine,
// 6 ends, 8 (interface identifier) has none for their types; anything else answers -1.
intptr_t ExtensionLibraryNotify(int32_t code, intptr_t arg1, intptr_t arg2);

}  // namespace libs

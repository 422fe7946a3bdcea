// Unit types by type id. The engine's own types (the window and the menu item) and those
// of later libraries and tests register here; a type that is not registered is looked up
// through the runtime's library tables.
#pragma once

#include <cstdint>

#include "runtime/image/DataTypeDescriptor.h"

namespace forms {

void RegisterUnitType(uint32_t typeId, const rt::DataTypeDescriptor* descriptor);
void UnregisterUnitType(uint32_t typeId);
// Null for an unknown type.
const rt::DataTypeDescriptor* FindUnitType(uint32_t typeId);

inline bool TypeHasState(const rt::DataTypeDescriptor* type, uint32_t bits) {
  return type != nullptr && (type->stateBits & bits) != 0;
}

}  // namespace forms

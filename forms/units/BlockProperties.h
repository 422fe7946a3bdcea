// Properties kept in a unit's type block: a value crossing the unit interface is stored into
// the block by the kind of its field, and read back from it. What a read hands out points
// into the keeper given, which holds it until the next read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms/data/TypeBlock.h"
#include "forms/units/UnitInterface.h"

namespace forms {

struct ReadKeeper {
  std::string text;
  std::vector<uint8_t> data;
};

// False when the block has no field for the property.
bool StoreBlockProperty(TypeBlock& block, uint32_t property, const PropertyValue& value);
bool ReadBlockProperty(const TypeBlock& block, uint32_t property, PropertyValue* out,
                       ReadKeeper& keeper);

}  // namespace forms

// Reading and writing unit properties by number (the service-table entries): the eight
// properties every unit has and the menu items' four are handled here, with the records
// kept up to date; every other index goes to the unit type's own operations, converted by
// the property's declared type.
#pragma once

#include <cstdint>

namespace forms {

// Texts and byte sets come back as fresh runtime blocks that the caller frees.
int64_t GetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part);
// `low` and `high` are the value's two words (a pointer fills both).
void SetUnitProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t part, uint32_t low,
                     uint32_t high);

// Coordinates are kept within ±32627 and sizes within 0-32627.
inline constexpr int32_t kCoordinateLimit = 32627;

}  // namespace forms

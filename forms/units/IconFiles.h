// Icons and cursors made from the bytes of .ico and .cur files, as units store them.
#pragma once

#include <cstdint>
#include <span>

#include "platform/user32.h"

namespace forms {

// The file's image nearest to `size` pixels, scaled to it; null for bytes that are not an
// icon (or cursor) file or whose image cannot be decoded.
HICON IconFromFile(std::span<const uint8_t> bytes, int size);
HCURSOR CursorFromFile(std::span<const uint8_t> bytes);

// A unit's mouse cursor from its stored cursor data: four bytes name a standard cursor
// (0 = none, the class cursor stays), longer data is a cursor file. Null when there is none.
HCURSOR CursorFromUnitData(std::span<const uint8_t> data);

}  // namespace forms

// Icon and cursor files (.ico, .cur).
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/DecodedPicture.h"

namespace pic {

// Fills a kind-3 (icon file) or kind-4 (cursor file) record holding an icon handle; false
// on failure, with no handle left behind.
bool DecodeIconFile(const uint8_t* bytes, size_t length, DecodedPicture* out);

// Turns the bytes of a cursor file into a cursor with the first entry's hot spot and size,
// for properties that take a mouse pointer; null on failure.
HCURSOR CursorFromFileData(const uint8_t* bytes, size_t length);

}  // namespace pic

// The snapshot command: a window (frame included) or the whole screen as the bytes of a
// 24-bit BMP file.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/user32.h"

namespace pic {

// The size of the picture made from a source of `source` pixels along one axis: 0 keeps the
// source's, a negative n is max(-n, 10) percent of it, a positive value is taken as it is.
int SnapshotExtent(int asked, int source);

// `window` null takes the screen. Empty when the handle is not a window or the size comes
// to 0 or less.
std::vector<uint8_t> WindowSnapshot(HWND window, int width, int height);

}  // namespace pic

// Icon and cursor images as pixels, decoded from the image data of an icon or cursor
// resource (what CreateIconFromResourceEx receives) or drawn by us for the standard ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

// Larger images are refused: real icons stop at 256 pixels, and a header claiming more is
// far more likely to be damaged than meant.
inline constexpr int kMaxIconSide = 1024;
// SM_CXICON / SM_CXCURSOR: the size LR_DEFAULTSIZE and DI_DEFAULTSIZE stand for.
inline constexpr int kSystemIconSize = 32;

struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bgra;  // 0xAARRGGBB, top row first
  std::vector<uint8_t> mask;   // AND mask, one byte a pixel: 1 keeps the background
  bool hasAlpha = false;       // some alpha byte is not zero: blend by alpha, not by mask
  POINT hotspot{0, 0};
};

// Decodes BITMAPINFOHEADER image data (XOR image then AND mask, biHeight counting both)
// at 1, 4, 8, 16, 24 or 32 bits, or a PNG image; cursors start with their hotspot as two
// WORDs. A 32-bit image may come without its AND mask (alpha then decides). Fails on
// anything else truncated, on oversized and on compressed images.
bool ParseIconResource(const BYTE* bits, size_t size, bool icon, IconPixels* out);

// Nearest-neighbour resize (the hotspot follows).
IconPixels ScaleIcon(const IconPixels& in, int width, int height);

// The images of LoadIconA(NULL, IDI_*) and LoadCursorA(NULL, IDC_*); false for ids we do
// not draw.
bool StandardIconPixels(unsigned id, bool cursor, IconPixels* out);

}  // namespace platform::gdi

// Device-independent bitmaps as callers describe them: a BITMAPINFO (or BITMAPCOREHEADER)
// with its masks and colour table, and rows of bits. The parse checks everything a caller
// can get wrong before any pixel is touched, so the converters below never read or write
// outside the rows the header describes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/StandardPalettes.h"
#include "platform/gdi/Surface.h"
#include "platform/wingdi.h"

namespace platform::gdi {

struct DibFormat {
  int width = 0;
  int height = 0;  // number of rows, always positive
  bool topDown = false;
  int bitCount = 0;
  DWORD compression = BI_RGB;  // BI_RGB or BI_BITFIELDS
  bool core = false;           // BITMAPCOREHEADER with RGBTRIPLE colours
  DWORD headerSize = 0;
  // Channel masks for 16 and 32 bits (the BI_RGB defaults when not BI_BITFIELDS).
  DWORD masks[3] = {0, 0, 0};
  // Colours for 1, 4 and 8 bits, resolved through the default palette for DIB_PAL_COLORS.
  std::vector<RGBQUAD> colors;
  // Entries in the colour table as stored (biClrUsed, or 2^bitCount when 0, at most 2^bitCount).
  int colorTableEntries = 0;
  int stride = 0;
  size_t imageBytes = 0;  // stride * height
  // Bytes from the start of the header to the first row in a packed DIB: header, masks
  // stored after a 40-byte header, colour table.
  size_t headerBytes = 0;
};

// Parses just the header: sizes, depth and compression (no colour table is read). Accepts
// BITMAPCOREHEADER (12 bytes) and BITMAPINFOHEADER and its later versions (40, 52, 56, 108,
// 124 bytes); refuses compressed DIBs (RLE, JPEG, PNG).
bool ParseDibHeader(const void* header, DibFormat* out);

// Parses the whole BITMAPINFO: header, masks and colour table. DIB_PAL_COLORS tables index
// the default palette, the only logical palette there is.
bool ParseDibInfo(const BITMAPINFO* info, UINT usage, DibFormat* out);

// A surface over the caller's DIB bits with the DIB's palette and masks, for reading only;
// the caller keeps `bits` alive while the surface is used. Null when the DIB is not one we
// take.
std::shared_ptr<Surface> SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage);

// The same over a band of scan lines: `bits` holds `lines` scan lines starting at scan line
// `startScan` (scan line 0 is the bottom row of a bottom-up DIB, the top row of a top-down
// one), as SetDIBitsToDevice receives them. *firstRow is set to the picture row (0 = top of
// the whole DIB) of the surface's top row. Null when no line of the band lies in the DIB.
std::shared_ptr<Surface> SurfaceFromDibLines(const BITMAPINFO* info, const void* bits, UINT usage,
                                             UINT startScan, UINT lines, int* firstRow);

// Copies `width` pixels of one picture row to another surface, converting the format (nearest
// palette entry for indexed targets). Both surfaces must be locked by the caller as needed.
class PixelConverter {
 public:
  PixelConverter(const Surface& from, const Surface& to);
  PixelConverter(const PixelConverter&) = delete;
  PixelConverter& operator=(const PixelConverter&) = delete;
  void CopyRow(const Surface& from, int fromRow, Surface& to, int toRow, int width);

 private:
  enum class Mode { Copy, IndexTable, Bgrx32To24, Rgb24To32, Generic };
  Mode mode_ = Mode::Generic;
  uint32_t table_[256] = {};
  std::vector<RGBQUAD> targetPalette_;
  std::unique_ptr<NearestIndexCache> cache_;  // refers to targetPalette_
};

}  // namespace platform::gdi

// The fixed palettes of the bitmap services: black and white for monochrome bitmaps, the
// sixteen VGA colours for 4-bit conversions, a 256-entry palette for 8-bit conversions and
// the twenty colours of the default logical palette (DIB_PAL_COLORS).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

const std::vector<RGBQUAD>& MonochromePalette();
const std::vector<RGBQUAD>& VgaPalette();
// The 16 VGA colours, a 6x6x6 colour cube and 24 greys.
const std::vector<RGBQUAD>& HalftonePalette();
const std::vector<RGBQUAD>& DefaultLogicalPalette();

// The entry closest to `color` (squared RGB distance; the first of equals wins). An empty
// palette gives 0.
uint32_t NearestPaletteIndex(const std::vector<RGBQUAD>& palette, COLORREF color);

// NearestPaletteIndex with a small direct-mapped cache, for converting whole pictures:
// pictures use few distinct colours compared with their pixel count.
class NearestIndexCache {
 public:
  explicit NearestIndexCache(const std::vector<RGBQUAD>& palette) : palette_(palette) {
    for (Entry& e : entries_) e.color = kEmpty;
  }
  uint32_t Find(COLORREF color) {
    Entry& e = entries_[Hash(color)];
    if (e.color != color) {
      e.color = color;
      e.index = NearestPaletteIndex(palette_, color);
    }
    return e.index;
  }

 private:
  static constexpr COLORREF kEmpty = 0xFFFFFFFF;  // never a COLORREF from RawToColor
  static constexpr size_t kSize = 4096;
  static size_t Hash(COLORREF c) { return ((c * 2654435761u) >> 20) & (kSize - 1); }
  struct Entry {
    COLORREF color;
    uint32_t index;
  };
  const std::vector<RGBQUAD>& palette_;
  Entry entries_[kSize];
};

}  // namespace platform::gdi

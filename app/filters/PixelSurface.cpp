#include "app/filters/PixelSurface.h"

#include <algorithm>

namespace app {

PixelColor ReadPixel(PixelSurface& surface, int32_t x, int32_t y) {
  const uint32_t v = surface.GetRaw(x, y);
  return {static_cast<int32_t>(v & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF),
          static_cast<int32_t>((v >> 16) & 0xFF)};
}

uint32_t ColorOf(int32_t red, int32_t green, int32_t blue) {
  return (static_cast<uint32_t>(blue) & 0xFF) << 16 | (static_cast<uint32_t>(green) & 0xFF) << 8 |
         (static_cast<uint32_t>(red) & 0xFF);
}

void WritePixel(PixelSurface& surface, int32_t x, int32_t y, const PixelColor& color) {
  surface.SetRaw(x, y, ColorOf(color.red, color.green, color.blue));
}

void WriteRawPixel(PixelSurface& surface, int32_t x, int32_t y, int32_t value) {
  surface.SetRaw(x, y, static_cast<uint32_t>(value));
}

MemoryPixelSurface::MemoryPixelSurface(int32_t width, int32_t height, uint32_t fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill & 0xFFFFFF) {}

}  // namespace app

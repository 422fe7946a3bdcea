#include "platform/gdi/StandardPalettes.h"

namespace platform::gdi {

namespace {

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) {
  return RGBQUAD{b, g, r, 0};
}

std::vector<RGBQUAD> MakeVga() {
  return {Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
          Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
          Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
          Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
}

std::vector<RGBQUAD> MakeHalftone() {
  std::vector<RGBQUAD> palette = MakeVga();
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.push_back(
            Quad(static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51)));
      }
    }
  }
  // Greys between the cube's own (multiples of 51), so that grey pictures keep more steps.
  for (int i = 0; i < 24; ++i) {
    auto v = static_cast<BYTE>(8 + 10 * i);
    palette.push_back(Quad(v, v, v));
  }
  return palette;
}

}  // namespace

const std::vector<RGBQUAD>& MonochromePalette() {
  static const std::vector<RGBQUAD> palette = {Quad(0, 0, 0), Quad(255, 255, 255)};
  return palette;
}

const std::vector<RGBQUAD>& VgaPalette() {
  static const std::vector<RGBQUAD> palette = MakeVga();
  return palette;
}

const std::vector<RGBQUAD>& HalftonePalette() {
  static const std::vector<RGBQUAD> palette = MakeHalftone();
  return palette;
}

const std::vector<RGBQUAD>& DefaultLogicalPalette() {
  static const std::vector<RGBQUAD> palette = {
      Quad(0, 0, 0),       Quad(128, 0, 0),     Quad(0, 128, 0),     Quad(128, 128, 0),
      Quad(0, 0, 128),     Quad(128, 0, 128),   Quad(0, 128, 128),   Quad(192, 192, 192),
      Quad(192, 220, 192), Quad(166, 202, 240), Quad(255, 251, 240), Quad(160, 160, 164),
      Quad(128, 128, 128), Quad(255, 0, 0),     Quad(0, 255, 0),     Quad(255, 255, 0),
      Quad(0, 0, 255),     Quad(255, 0, 255),   Quad(0, 255, 255),   Quad(255, 255, 255)};
  return palette;
}

uint32_t NearestPaletteIndex(const std::vector<RGBQUAD>& palette, COLORREF color) {
  const int r = GetRValue(color);
  const int g = GetGValue(color);
  const int b = GetBValue(color);
  uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < palette.size(); ++i) {
    int dr = palette[i].rgbRed - r;
    int dg = palette[i].rgbGreen - g;
    int db = palette[i].rgbBlue - b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<uint32_t>(i);
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace platform::gdi

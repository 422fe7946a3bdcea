#include "runtime/program/DefaultIcon.h"

#include <mutex>
#include <vector>

#include "platform/wingdi.h"

namespace rt {

namespace {

std::mutex g_lock;
DefaultIcons g_icons;

// A strip of film: a dark frame with sprocket holes along the top and bottom edges and a
// warm picture area in the middle. Colours as 0x00RRGGBB (B, G, R, X in memory).
uint32_t FilmPixel(int x, int y, int side) {
  const int edge = side / 4;  // height of each sprocket band
  const int hole = side / 8;
  const bool inBand = y < edge || y >= side - edge;
  if (inBand) {
    const int bandY = y < edge ? y : y - (side - edge);
    const bool holeRow = bandY >= edge / 4 && bandY < edge / 4 + hole;
    const bool holeColumn = (x % (2 * hole)) >= hole / 2 && (x % (2 * hole)) < hole / 2 + hole;
    return holeRow && holeColumn ? 0x00F0F0F0 : 0x00202428;
  }
  const bool border = x < side / 16 + 1 || x >= side - side / 16 - 1;
  return border ? 0x00202428 : 0x00E0A040;
}

HICON MakeFilmIcon(int side) {
  std::vector<uint32_t> color(static_cast<size_t>(side) * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) color[static_cast<size_t>(y) * side + x] = FilmPixel(x, y, side);
  }
  // One bit per pixel, rows padded to 16 bits; all zero keeps every pixel opaque.
  const size_t maskStride = static_cast<size_t>((side + 15) / 16) * 2;
  std::vector<uint8_t> mask(maskStride * side, 0);

  HBITMAP colorBitmap = CreateBitmap(side, side, 1, 32, color.data());
  HBITMAP maskBitmap = CreateBitmap(side, side, 1, 1, mask.data());
  HICON icon = nullptr;
  if (colorBitmap != nullptr && maskBitmap != nullptr) {
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = maskBitmap;
    info.hbmColor = colorBitmap;
    icon = CreateIconIndirect(&info);
  }
  if (colorBitmap != nullptr) DeleteObject(colorBitmap);
  if (maskBitmap != nullptr) DeleteObject(maskBitmap);
  return icon;
}

}  // namespace

DefaultIcons ProgramDefaultIcons() {
  std::lock_guard guard(g_lock);
  if (g_icons.large == nullptr) g_icons.large = MakeFilmIcon(32);
  if (g_icons.small == nullptr) g_icons.small = MakeFilmIcon(16);
  return g_icons;
}

void DestroyDefaultIcons() {
  std::lock_guard guard(g_lock);
  if (g_icons.large != nullptr) DestroyIcon(g_icons.large);
  if (g_icons.small != nullptr) DestroyIcon(g_icons.small);
  g_icons = DefaultIcons{};
}

}  // namespace rt

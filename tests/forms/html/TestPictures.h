// Pictures made in the test, byte by byte from the file format, so that what the viewer
// shows can be checked against colours and sizes the test chose.
#pragma once

#include <cstdint>
#include <string>

namespace htmltest {

// A 24-bit bottom-up BMP of one colour (0xRRGGBB).
inline std::string SolidBmp(int width, int height, uint32_t rgb) {
  const int row = (width * 3 + 3) & ~3;
  const uint32_t pixels = static_cast<uint32_t>(row * height);
  std::string out;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  out += "BM";
  put(54 + pixels, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(static_cast<uint32_t>(width), 4);
  put(static_cast<uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(pixels, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out += static_cast<char>(rgb & 0xFF);
      out += static_cast<char>((rgb >> 8) & 0xFF);
      out += static_cast<char>((rgb >> 16) & 0xFF);
    }
    out.append(static_cast<size_t>(row - width * 3), '\0');
  }
  return out;
}

}  // namespace htmltest
